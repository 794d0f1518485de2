// Instance unique : verrou par utilisateur et passage des arguments.
#include "platform/instance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using plateforme::InstanceUnique;
using Acquisition = plateforme::InstanceUnique::Acquisition;

namespace {

// Pose (ou retire) une variable le temps d'un essai, puis rend l'ancienne.
class Variable {
public:
    Variable(const char* nom, const std::optional<QByteArray>& valeur)
        : m_nom(nom),
          m_avant(qEnvironmentVariableIsSet(nom) ? std::optional(qgetenv(nom)) : std::nullopt) {
        valeur ? qputenv(nom, *valeur) : qunsetenv(nom);
    }
    ~Variable() { m_avant ? qputenv(m_nom, *m_avant) : qunsetenv(m_nom); }
    Variable(const Variable&) = delete;
    Variable& operator=(const Variable&) = delete;

private:
    const char* m_nom;
    std::optional<QByteArray> m_avant;
};

bool droits(const QString& chemin, mode_t mode) {
    return ::chmod(QFile::encodeName(chemin).constData(), mode) == 0;
}

mode_t droits_de(const QString& chemin) {
    struct stat e {};
    ::lstat(QFile::encodeName(chemin).constData(), &e);
    return e.st_mode & 07777;
}

// Seconde copie réduite aux appels du système, dans un processus fils (sous
// nobody si 'autrui') : envoie les arguments par la prise, lit l'accusé et
// s'en va ; sortie 0 quand l'accusé est venu, 1 sinon.
pid_t seconde_copie_brute(const QString& prise, const QStringList& arguments, bool autrui) {
    QByteArray message;
    QDataStream flux(&message, QIODevice::WriteOnly);
    flux.setVersion(QDataStream::Qt_6_0);
    flux << arguments;
    sockaddr_un adresse{};
    adresse.sun_family = AF_UNIX;
    qstrncpy(adresse.sun_path, QFile::encodeName(prise).constData(), sizeof adresse.sun_path);
    const pid_t fils = ::fork();
    if (fils == 0) { // appels du système seulement, jusqu'à _exit
        if (autrui && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::connect(s, reinterpret_cast<const sockaddr*>(&adresse), sizeof adresse) != 0 ||
            ::write(s, message.constData(), size_t(message.size())) != message.size())
            ::_exit(2);
        pollfd attente{s, POLLIN, 0};
        char accuse = 0;
        const bool recu = ::poll(&attente, 1, 5000) == 1 && ::read(s, &accuse, 1) == 1;
        ::close(s);
        ::_exit(recu && accuse == 1 ? 0 : 1);
    }
    return fils;
}

} // namespace

class TestInstance : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void identifiant();
    void seconde_copie_refusee();
    void arguments_transmis_data();
    void arguments_transmis();
    void prise_detruite_pendant_le_traitement();
    void sans_premiere_copie();
    void verrou_rendu_a_la_destruction();
    void verrou_et_prise_perimes();
    void repertoire_prive_choisi();
    void repertoire_piege_refuse_data();
    void repertoire_piege_refuse();
    void verrou_impossible_data();
    void verrou_impossible();
    void prise_fermee_aux_autres_utilisateurs_data();
    void prise_fermee_aux_autres_utilisateurs();
};

void TestInstance::initTestCase() {
    // Chaque exécution a ses propres noms : rien ne se croise entre tests lancés ensemble.
    qputenv("KALDRON_INSTANCE", "essai-" + QByteArray::number(QCoreApplication::applicationPid()));
}

void TestInstance::identifiant() {
    const QString id = InstanceUnique(QStringLiteral("morvine")).identifiant();
    QCOMPARE(id, QStringLiteral("morvine-%1-essai-%2")
                     .arg(::getuid())
                     .arg(QCoreApplication::applicationPid()));
}

void TestInstance::seconde_copie_refusee() {
    InstanceUnique premiere(QStringLiteral("refus"));
    InstanceUnique seconde(QStringLiteral("refus"));
    InstanceUnique autre(QStringLiteral("autre"));
    QCOMPARE(premiere.acquerir(), Acquisition::Premiere);
    QCOMPARE(premiere.acquerir(), Acquisition::Premiere); // redemander ne se bloque pas soi-même
    QCOMPARE(seconde.acquerir(), Acquisition::AutreCopie);
    QVERIFY(seconde.erreur().isEmpty());
    QCOMPARE(autre.acquerir(), Acquisition::Premiere);
}

void TestInstance::arguments_transmis_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("blancs gardés") << QStringList{"a b.txt", "c"};
    QTest::newRow("accents et vide") << QStringList{"C:\\DOC\\été .txt", "", "  "};
    QTest::newRow("aucun") << QStringList{};
    QStringList beaucoup;
    for (int i = 0; i < 3000; ++i)
        beaucoup << QStringLiteral("/un/chemin/assez/long/fichier numéro %1.txt").arg(i);
    QTest::newRow("message en plusieurs morceaux") << beaucoup;
}

void TestInstance::arguments_transmis() {
    QFETCH(QStringList, arguments);
    InstanceUnique premiere(QStringLiteral("passage"));
    InstanceUnique seconde(QStringLiteral("passage"));
    QCOMPARE(premiere.acquerir(), Acquisition::Premiere);
    QCOMPARE(seconde.acquerir(), Acquisition::AutreCopie);
    QSignalSpy recus(&premiere, &InstanceUnique::argumentsRecus);
    QVERIFY(seconde.envoyer(arguments));
    QTRY_COMPARE(recus.size(), 1);
    QCOMPARE(recus.first().first().toStringList(), arguments);
    // Un second envoi passe par une nouvelle connexion.
    QVERIFY(seconde.envoyer({QStringLiteral("x")}));
    QTRY_COMPARE(recus.size(), 2);
    QCOMPARE(recus.at(1).first().toStringList(), QStringList{"x"});
}

// Les fichiers reçus peuvent ouvrir une boîte de message, donc une boucle
// d'événements imbriquée : la seconde copie s'y retire et sa prise y est
// détruite, sans faire tomber la première.
void TestInstance::prise_detruite_pendant_le_traitement() {
    QTemporaryDir tmp;
    const QString dossier = tmp.filePath(QStringLiteral("run"));
    QVERIFY(QDir().mkdir(dossier));
    QVERIFY(droits(dossier, 0700));
    const Variable session("XDG_RUNTIME_DIR", dossier.toUtf8());
    InstanceUnique premiere(QStringLiteral("imbriquee"));
    QCOMPARE(premiere.acquerir(), Acquisition::Premiere);
    // Le traitement des noms ne commence qu'une fois la lecture de la prise
    // finie (tous ses gestionnaires revenus) : c'est ce qui permet de la
    // détruire pendant ce traitement.
    bool lecture_finie = false;
    auto* serveur = premiere.findChild<QLocalServer*>();
    QVERIFY(serveur);
    connect(serveur, &QLocalServer::newConnection, this, [&] {
        if (auto* p = serveur->findChild<QLocalSocket*>())
            connect(p, &QLocalSocket::readyRead, this, [&] { lecture_finie = true; });
    });
    bool traites = false;
    connect(&premiere, &InstanceUnique::argumentsRecus, this, [&](const QStringList& noms) {
        QVERIFY(lecture_finie);
        QCOMPARE(noms, QStringList{QStringLiteral("tube")});
        // Une boîte de message ici : la seconde copie se retire, sa prise
        // est détruite pendant que la boîte attend.
        const QPointer<QLocalSocket> prise = premiere.findChild<QLocalSocket*>();
        QVERIFY(prise);
        QTRY_VERIFY(prise.isNull());
        traites = true;
    });

    // L'accusé lu, la seconde copie s'en va.
    const pid_t fils =
        seconde_copie_brute(dossier + u'/' + premiere.identifiant() + QStringLiteral(".sock"),
                            {QStringLiteral("tube")}, false);
    QVERIFY(fils > 0);
    QTRY_VERIFY(traites);
    int statut = 0;
    QCOMPARE(::waitpid(fils, &statut, 0), fils);
    QVERIFY(WIFEXITED(statut));
    QCOMPARE(WEXITSTATUS(statut), 0);
}

void TestInstance::sans_premiere_copie() {
    InstanceUnique seule(QStringLiteral("absente"));
    QElapsedTimer chrono;
    chrono.start();
    QVERIFY(!seule.envoyer({QStringLiteral("a")}, 300));
    QVERIFY(chrono.elapsed() >= 250);
    QVERIFY(chrono.elapsed() < 5000);
}

void TestInstance::verrou_rendu_a_la_destruction() {
    {
        InstanceUnique premiere(QStringLiteral("rendu"));
        QCOMPARE(premiere.acquerir(), Acquisition::Premiere);
    }
    InstanceUnique suivante(QStringLiteral("rendu"));
    QCOMPARE(suivante.acquerir(), Acquisition::Premiere);
    QSignalSpy recus(&suivante, &InstanceUnique::argumentsRecus);
    QVERIFY(InstanceUnique(QStringLiteral("rendu")).envoyer({QStringLiteral("f")}));
    QTRY_COMPARE(recus.size(), 1);
}

// Une copie tombée laisse un verrou d'un processus disparu et sa prise.
void TestInstance::verrou_et_prise_perimes() {
    InstanceUnique copie(QStringLiteral("tombee"));
    const QString base = InstanceUnique::repertoire() + QLatin1Char('/') + copie.identifiant();
    QFile verrou(base + QStringLiteral(".lock"));
    QVERIFY(verrou.open(QIODevice::WriteOnly));
    verrou.write("999999999\ntombee\n\n"); // PID au-delà de tout PID possible
    verrou.close();
    QFile prise(base + QStringLiteral(".sock"));
    QVERIFY(prise.open(QIODevice::WriteOnly));
    prise.close();

    QCOMPARE(copie.acquerir(), Acquisition::Premiere);
    QSignalSpy recus(&copie, &InstanceUnique::argumentsRecus);
    QVERIFY(InstanceUnique(QStringLiteral("tombee")).envoyer({QStringLiteral("g")}));
    QTRY_COMPARE(recus.size(), 1);
}

// Le répertoire de session s'il est à nous seuls, sinon un répertoire créé
// pour nous dans le temporaire ; verrou et prise n'ont pas d'autre place.
void TestInstance::repertoire_prive_choisi() {
    QTemporaryDir tmp;
    const Variable temporaire("TMPDIR", tmp.path().toUtf8());
    const QString repli = tmp.filePath(QStringLiteral("kaldron-%1").arg(::geteuid()));
    {
        const Variable session("XDG_RUNTIME_DIR", std::nullopt);
        QCOMPARE(InstanceUnique::repertoire(), repli);
        QCOMPARE(droits_de(repli), mode_t(0700));
    }
    const QString ouvert = tmp.filePath(QStringLiteral("session"));
    QVERIFY(QDir().mkdir(ouvert));
    QVERIFY(droits(ouvert, 0755)); // celui d'un autre après un su, par exemple
    const Variable session("XDG_RUNTIME_DIR", ouvert.toUtf8());
    QCOMPARE(InstanceUnique::repertoire(), repli);
    QVERIFY(droits(ouvert, 0700));
    QCOMPARE(InstanceUnique::repertoire(), ouvert);
    InstanceUnique copie(QStringLiteral("prive"));
    QCOMPARE(copie.acquerir(), Acquisition::Premiere);
    QVERIFY(QFileInfo::exists(ouvert + u'/' + copie.identifiant() + QStringLiteral(".lock")));
    QVERIFY(QFileInfo::exists(ouvert + u'/' + copie.identifiant() + QStringLiteral(".sock")));
}

void TestInstance::repertoire_piege_refuse_data() {
    QTest::addColumn<QString>("piege");
    QTest::addColumn<QString>("raison");
    QTest::newRow("ouvert à tous") << "0777"
                                   << "d'autres utilisateurs y ont accès (droits 0777)";
    QTest::newRow("lisible du groupe") << "0750"
                                       << "(droits 0750)";
    QTest::newRow("lien symbolique") << "lien"
                                     << "c'est un lien symbolique";
    QTest::newRow("fichier") << "fichier"
                             << "ce n'est pas un répertoire";
    QTest::newRow("autre utilisateur") << "autrui"
                                       << "il appartient à un autre utilisateur";
}

// Sans répertoire de session, un autre utilisateur a posé d'avance le nom
// de repli : il est refusé, ni employé ni corrigé.
void TestInstance::repertoire_piege_refuse() {
    QFETCH(QString, piege);
    QFETCH(QString, raison);
    QTemporaryDir tmp;
    const Variable temporaire("TMPDIR", tmp.path().toUtf8());
    const Variable session("XDG_RUNTIME_DIR", std::nullopt);
    const QString repli = tmp.filePath(QStringLiteral("kaldron-%1").arg(::geteuid()));
    const QString cible = tmp.filePath(QStringLiteral("cible")); // visée par le lien
    QVERIFY(QDir().mkdir(cible));
    QVERIFY(droits(cible, 0700));
    if (piege == u"lien") {
        QVERIFY(QFile::link(cible, repli));
    } else if (piege == u"fichier") {
        QFile f(repli);
        QVERIFY(f.open(QIODevice::WriteOnly));
    } else {
        QVERIFY(QDir().mkdir(repli));
        if (piege != u"autrui") {
            QVERIFY(droits(repli, mode_t(piege.toUInt(nullptr, 8))));
        } else {
            if (::geteuid() != 0)
                QSKIP("seul root peut donner un répertoire à un autre utilisateur");
            QVERIFY(droits(repli, 0700));
            QCOMPARE(::chown(QFile::encodeName(repli).constData(), 65534, 65534), 0);
        }
    }
    const mode_t avant = droits_de(repli);

    QString erreur;
    QCOMPARE(InstanceUnique::repertoire(&erreur), QString());
    QVERIFY2(erreur.contains(repli) && erreur.contains(raison), qPrintable(erreur));
    InstanceUnique copie(QStringLiteral("piege"));
    QCOMPARE(copie.acquerir(), Acquisition::Impossible);
    QCOMPARE(copie.erreur(), erreur);
    QVERIFY(!copie.envoyer({QStringLiteral("secret.txt")}, 200));
    QCOMPARE(droits_de(repli), avant);
    QVERIFY(QDir(cible).isEmpty());
    if (QFileInfo(repli).isDir() && piege != u"autrui")
        QVERIFY(QDir(repli).isEmpty());
}

void TestInstance::verrou_impossible_data() {
    QTest::addColumn<QString>("cas");
    QTest::addColumn<QString>("raison");
    QTest::newRow("verrou occupé par un répertoire") << "répertoire"
                                                     << "Erreur d'accès au chemin ou au fichier";
    QTest::newRow("répertoire en lecture seule") << "lecture seule"
                                                 << "Permission refusée";
}

// Un verrou qui ne peut être pris n'est pas une autre copie : le message
// nomme le répertoire et la raison du système.
void TestInstance::verrou_impossible() {
    QFETCH(QString, cas);
    QFETCH(QString, raison);
    QTemporaryDir tmp;
    const QString dossier = tmp.filePath(QStringLiteral("run"));
    QVERIFY(QDir().mkdir(dossier));
    QVERIFY(droits(dossier, 0700));
    const Variable session("XDG_RUNTIME_DIR", dossier.toUtf8());
    InstanceUnique copie(QStringLiteral("es"));
    if (cas == u"répertoire") {
        QVERIFY(QDir().mkdir(dossier + u'/' + copie.identifiant() + QStringLiteral(".lock")));
    } else {
        if (::geteuid() == 0)
            QSKIP("root écrit dans un répertoire en lecture seule");
        QVERIFY(droits(dossier, 0500));
    }
    const Acquisition resultat = copie.acquerir();
    droits(dossier, 0700);
    QCOMPARE(resultat, Acquisition::Impossible);
    QVERIFY2(copie.erreur().contains(dossier) && copie.erreur().contains(raison),
             qPrintable(copie.erreur()));
}

void TestInstance::prise_fermee_aux_autres_utilisateurs_data() {
    QTest::addColumn<bool>("autrui");
    QTest::addColumn<int>("sortie"); // 0 : accusé reçu ; 1 : connexion coupée
    QTest::newRow("même utilisateur") << false << 0;
    QTest::newRow("autre utilisateur") << true << 1;
}

// Même si la prise lui était accessible, un autre utilisateur ne fait rien
// ouvrir à la première copie.
void TestInstance::prise_fermee_aux_autres_utilisateurs() {
    QFETCH(bool, autrui);
    QFETCH(int, sortie);
    if (::geteuid() != 0)
        QSKIP("seul root peut se faire passer pour un autre utilisateur");
    QTemporaryDir tmp;
    const QString dossier = tmp.filePath(QStringLiteral("run"));
    QVERIFY(QDir().mkdir(dossier));
    QVERIFY(droits(dossier, 0700));
    const Variable session("XDG_RUNTIME_DIR", dossier.toUtf8());
    InstanceUnique premiere(QStringLiteral("pair"));
    QCOMPARE(premiere.acquerir(), Acquisition::Premiere);
    QSignalSpy recus(&premiere, &InstanceUnique::argumentsRecus);
    const QString prise = dossier + u'/' + premiere.identifiant() + QStringLiteral(".sock");
    // Chemin ouvert à tous le temps de l'essai : seul le contrôle du pair reste.
    QVERIFY(droits(tmp.path(), 0711) && droits(dossier, 0711) && droits(prise, 0777));

    const pid_t fils = seconde_copie_brute(prise, {QStringLiteral("secret.txt")}, autrui);
    QVERIFY(fils > 0);
    int etat = 0;
    bool fini = false; // QTRY_VERIFY relit la condition : l'attente n'a lieu qu'une fois
    QTRY_VERIFY_WITH_TIMEOUT(fini || (fini = ::waitpid(fils, &etat, WNOHANG) == fils), 10000);
    QVERIFY(WIFEXITED(etat));
    QCOMPARE(WEXITSTATUS(etat), sortie);
    QCOMPARE(recus.size(), autrui ? 0 : 1);
}

QTEST_GUILESS_MAIN(TestInstance)
#include "test_instance.moc"
