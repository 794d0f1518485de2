// Parcours en largeur des répertoires d'une unité.
#include "platform/chemins.h"
#include "platform/erreurs.h"
#include "platform/fichiers.h"
#include "platform/parcours.h"
#include "platform/unites.h"
#include "support/erreur_de.h"
#include "support/unite_temporaire.h"

#include <QDir>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace plateforme;
using essai::erreur_de;
using essai::UniteTemporaire;

namespace {

QByteArray hote(const QString& chemin) {
    return QFile::encodeName(chemin);
}

bool lier(const QString& cible, const QString& lien) {
    return ::symlink(hote(cible).constData(), hote(lien).constData()) == 0;
}

bool sans_doublon(const QStringList& liste) {
    const QSet<QString> uniques(liste.begin(), liste.end());
    return uniques.size() == liste.size();
}

// Montage défait à la fin de l'essai, même en cas d'échec.
class Montage {
public:
    Montage(const char* source, const QString& cible, const char* type, unsigned long drapeaux)
        : m_cible(hote(cible)) {
        m_ok = ::mount(source, m_cible.constData(), type, drapeaux, nullptr) == 0;
    }
    ~Montage() {
        if (m_ok)
            ::umount2(m_cible.constData(), MNT_DETACH);
    }
    Montage(const Montage&) = delete;
    Montage& operator=(const Montage&) = delete;
    bool ok() const { return m_ok; }

private:
    QByteArray m_cible;
    bool m_ok = false;
};

// 'niveaux' répertoires de 200 caractères l'un dans l'autre sous 'racine',
// faits chacun dans le précédent ouvert (leur chemin complet dépasse vite ce
// que le système accepte), et un fichier au fond ; rend faux sur échec.
bool creer_profond(const QString& racine, int niveaux, const char* fichier) {
    const QByteArray nom(200, 'p');
    int fd = ::open(hote(racine).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; i < niveaux && fd >= 0; ++i) {
        const int dedans = ::mkdirat(fd, nom.constData(), 0755) == 0
                               ? ::openat(fd, nom.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                               : -1;
        ::close(fd);
        fd = dedans;
    }
    const int f = fd >= 0 ? ::openat(fd, fichier, O_CREAT | O_WRONLY | O_CLOEXEC, 0644) : -1;
    if (f >= 0)
        ::close(f);
    if (fd >= 0)
        ::close(fd);
    return f >= 0;
}

// QDir ne sait pas effacer au-delà de la longueur maximale d'un chemin ; rm, si.
struct EffacerProfond {
    QString chemin;
    ~EffacerProfond() { QProcess::execute("rm", {"-rf", chemin}); }
};

} // namespace

class TestParcours : public QObject {
    Q_OBJECT

private slots:
    void init() {
        TableUnites::instance().vider();
        reinitialiser_repertoires_courants();
    }

    void ordre_data() {
        QTest::addColumn<QStringList>("repertoires");
        QTest::addColumn<QString>("racine");
        QTest::addColumn<QStringList>("attendus");
        QTest::newRow("racine seule") << QStringList{} << "C:\\" << QStringList{"C:\\"};
        QTest::newRow("largeur d'abord")
            << QStringList{"a/x/profond", "B/y", "c"} << "C:\\"
            << QStringList{
                   "C:\\", "C:\\a", "C:\\B", "C:\\c", "C:\\a\\x", "C:\\B\\y", "C:\\a\\x\\profond"};
        QTest::newRow("cachés listés")
            << QStringList{".cache/sous", "vu"} << "C:\\"
            << QStringList{"C:\\", "C:\\.cache", "C:\\vu", "C:\\.cache\\sous"};
        QTest::newRow("sous-répertoire, casse du disque")
            << QStringList{"Doc/Lettres/Vieilles", "Autre"} << "c:\\doc"
            << QStringList{"C:\\Doc", "C:\\Doc\\Lettres", "C:\\Doc\\Lettres\\Vieilles"};
        QTest::newRow("noms à la casse près") << QStringList{"ab", "AB", "Ab"} << "C:\\"
                                              << QStringList{"C:\\", "C:\\AB", "C:\\Ab", "C:\\ab"};
        QTest::newRow("accents") << QStringList{"Été/Août"} << "C:\\"
                                 << QStringList{"C:\\", "C:\\Été", "C:\\Été\\Août"};
    }
    void ordre() {
        QFETCH(QStringList, repertoires);
        QFETCH(QString, racine);
        QFETCH(QStringList, attendus);
        UniteTemporaire c;
        for (const QString& r : repertoires)
            c.creer_repertoire(r);
        // Les fichiers ne sont pas listés.
        c.creer_fichier("fichier.txt");
        if (!repertoires.isEmpty())
            c.creer_fichier(repertoires.first() + "/dedans.txt");
        const ResultatParcours r = parcourir_repertoires(racine);
        QCOMPARE(r.repertoires, attendus);
        QVERIFY(r.complet);
    }

    // a/b -> ../a : la boucle est listée une fois, jamais parcourue.
    void lien_en_boucle() {
        UniteTemporaire c;
        c.creer_repertoire("a/reel");
        QVERIFY(lier("../a", c.hote("a/b")));
        const ResultatParcours r = parcourir_repertoires(c.racine());
        QCOMPARE(r.repertoires, (QStringList{"C:\\", "C:\\a", "C:\\a\\b", "C:\\a\\reel"}));
        QVERIFY(r.complet);
    }

    // Un lien vers un répertoire hors de l'unité est listé, non parcouru ;
    // un lien cassé ou vers un fichier n'est pas un répertoire.
    void liens_divers() {
        UniteTemporaire c;
        QTemporaryDir dehors;
        QVERIFY(QDir(dehors.path()).mkpath("interne/plus_loin"));
        c.creer_fichier("f.txt");
        QVERIFY(lier(dehors.path(), c.hote("dehors")));
        QVERIFY(lier(c.hote("absent"), c.hote("casse")));
        QVERIFY(lier(c.hote("f.txt"), c.hote("vers_fichier")));
        QVERIFY(lier("/", c.hote("racine_hote")));
        const ResultatParcours r = parcourir_repertoires(c.racine());
        QCOMPARE(r.repertoires, (QStringList{"C:\\", "C:\\dehors", "C:\\racine_hote"}));
    }

    // La racine demandée peut être un lien : elle est parcourue.
    void racine_par_un_lien() {
        UniteTemporaire c;
        c.creer_repertoire("vrai/sous");
        QVERIFY(lier(c.hote("vrai"), c.hote("lien")));
        QCOMPARE(parcourir_repertoires("C:\\LIEN").repertoires,
                 (QStringList{"C:\\lien", "C:\\lien\\sous"}));
    }

    // Un montage lié d'un ancêtre ne fait pas parcourir deux fois le même
    // répertoire réel.
    void montage_lie_vers_un_ancetre() {
        UniteTemporaire c;
        c.creer_repertoire("a/b/c");
        Montage montage(hote(c.hote("a")).constData(), c.hote("a/b/c"), nullptr, MS_BIND);
        if (!montage.ok())
            QSKIP("montage lié impossible ici");
        const ResultatParcours r = parcourir_repertoires(c.racine());
        QCOMPARE(r.repertoires, (QStringList{"C:\\", "C:\\a", "C:\\a\\b", "C:\\a\\b\\c"}));
    }

    void noms_inexprimables() {
        UniteTemporaire c;
        const QByteArray racine = hote(c.hote(""));
        for (const char* nom : {"/a\\b", "/\xff\xfe", "/deux:points", "/ok"})
            QCOMPARE(::mkdir(racine + nom, 0755), 0);
        QCOMPARE(::mkdir(racine + "/a\\b/sous", 0755), 0);
        const QStringList liste = parcourir_repertoires(c.racine()).repertoires;
        // QTemporaryDir ne sait pas effacer un nom qui n'est pas de l'UTF-8.
        ::rmdir(racine + "/\xff\xfe");
        QCOMPARE(liste, (QStringList{"C:\\", "C:\\ok"}));
    }

    void repertoire_illisible() {
        if (::geteuid() == 0)
            QSKIP("root lit un répertoire en mode 000");
        UniteTemporaire c;
        c.creer_repertoire("ferme/dedans");
        c.creer_repertoire("ouvert/dedans");
        QCOMPARE(::chmod(hote(c.hote("ferme")).constData(), 0), 0);
        const ResultatParcours r = parcourir_repertoires(c.racine());
        ::chmod(hote(c.hote("ferme")).constData(), 0755);
        QCOMPARE(r.repertoires,
                 (QStringList{"C:\\", "C:\\ferme", "C:\\ouvert", "C:\\ouvert\\dedans"}));
        QVERIFY(r.complet);
    }

    // Un répertoire disparu après la lecture de son parent est sauté ; un
    // nom remplacé entre-temps par un lien n'est pas suivi.
    void arborescence_changee_pendant_le_parcours() {
        UniteTemporaire c;
        c.creer_repertoire("a");
        c.creer_repertoire("b/sous");
        c.creer_repertoire("d");
        c.creer_repertoire("ailleurs/piege");
        bool premier = true;
        const auto changer = [&] {
            if (premier) {
                QDir(c.hote("")).rmdir("a");
                QDir(c.hote("")).rmdir("d");
                lier(c.hote("ailleurs"), c.hote("d"));
            }
            premier = false;
            return true;
        };
        const ResultatParcours r = parcourir_repertoires(c.racine(), changer);
        QCOMPARE(r.repertoires, (QStringList{"C:\\", "C:\\a", "C:\\ailleurs", "C:\\b", "C:\\d",
                                             "C:\\ailleurs\\piege", "C:\\b\\sous"}));
        QVERIFY(r.complet);
    }

    void arret_data() {
        QTest::addColumn<int>("appels_acceptes");
        QTest::addColumn<QStringList>("attendus");
        QTest::addColumn<bool>("complet");
        // Arborescence : a/x, b ; appelée après C:\, C:\a, C:\b, C:\a\x.
        const QStringList tout{"C:\\", "C:\\a", "C:\\b", "C:\\a\\x"};
        QTest::newRow("dès la racine") << 0 << QStringList{"C:\\", "C:\\a", "C:\\b"} << false;
        QTest::newRow("après a") << 1 << tout << false;
        QTest::newRow("au dernier : rien ne manque") << 3 << tout << true;
        QTest::newRow("jamais") << 100 << tout << true;
    }
    void arret() {
        QFETCH(int, appels_acceptes);
        QFETCH(QStringList, attendus);
        QFETCH(bool, complet);
        UniteTemporaire c;
        c.creer_repertoire("a/x");
        c.creer_repertoire("b");
        int appels = 0;
        const ResultatParcours r =
            parcourir_repertoires(c.racine(), [&] { return appels++ < appels_acceptes; });
        QCOMPARE(r.repertoires, attendus);
        QCOMPARE(r.complet, complet);
        QCOMPARE(appels, std::min(appels_acceptes + 1, 4));
    }

    // Aucune limite à 32 767 répertoires.
    void plus_de_32767_repertoires() {
        UniteTemporaire c;
        // En mémoire quand c'est possible : 33 000 mkdir et rmdir sur disque
        // prennent des minutes sur une machine chargée.
        const Montage memoire("tmpfs", c.hote(""), "tmpfs", 0);
        const QByteArray racine = hote(c.hote(""));
        for (int i = 0; i < 100; ++i) {
            const QByteArray haut = racine + "/h" + QByteArray::number(i);
            QCOMPARE(::mkdir(haut.constData(), 0755), 0);
            for (int j = 0; j < 330; ++j)
                QCOMPARE(::mkdir((haut + "/b" + QByteArray::number(j)).constData(), 0755), 0);
        }
        const ResultatParcours r = parcourir_repertoires(c.racine());
        QCOMPARE(r.repertoires.size(), 1 + 100 + 100 * 330);
        QCOMPARE(r.repertoires.last(), QStringLiteral("C:\\h99\\b99"));
        QVERIFY(sans_doublon(r.repertoires));
    }

    // Une arborescence plus profonde que la longueur maximale d'un chemin
    // (4 096 octets) : chaque répertoire est ouvert dans son parent, tous
    // sont lus ; l'actualisation aussi les relit tous et voit leurs fichiers.
    void au_dela_de_la_longueur_maximale_d_un_chemin() {
        UniteTemporaire c;
        const EffacerProfond effacer{c.hote("p")};
        c.creer_repertoire("p");
        QVERIFY(creer_profond(c.hote("p"), 30, "fond.txt"));
        OptionsParcours options;
        options.avec_fichiers = true;
        ResultatParcours r = parcourir_repertoires(c.racine(), options);
        QCOMPARE(r.repertoires.size(), 32); // la racine, p et ses 30 niveaux
        QVERIFY(r.repertoires.last().size() > 6000);
        QCOMPARE(r.contenus.back().fichiers.size(), size_t(1));
        QCOMPARE(r.contenus.back().fichiers.front().nom, QStringLiteral("fond.txt"));
        // Lus à l'instant, ils ne sont pas sûrs : l'actualisation les relit.
        r.contenus.back().fichiers.clear();
        Actualisation actualisation(r.contenus);
        for (size_t i = 0; i < r.contenus.size(); ++i)
            QVERIFY(actualisation.actualiser(i) != EtatContenu::Illisible);
        QCOMPARE(r.contenus.back().fichiers.size(), size_t(1));
        const FichierGarde& fond = r.contenus.back().fichiers.front();
        QVERIFY(actualisation.est_fichier_ordinaire(fond));
        const std::optional<unsigned> attributs = actualisation.attributs(fond);
        QVERIFY(attributs && (*attributs & ATTR_CACHE) == 0);
        QCOMPARE(actualisation.attributs({"disparu.txt", false}), std::nullopt);
    }

    void erreurs() {
        UniteTemporaire c;
        c.creer_fichier("f.txt");
        QCOMPARE(erreur_de([] { parcourir_repertoires("Q:\\"); }), int(ERR_PERIPHERIQUE_ABSENT));
        QCOMPARE(erreur_de([] { parcourir_repertoires("C:\\absent"); }),
                 int(ERR_CHEMIN_INTROUVABLE));
        QCOMPARE(erreur_de([] { parcourir_repertoires("C:\\f.txt"); }),
                 int(ERR_CHEMIN_INTROUVABLE));
        TableUnites::instance().ajouter(u'D', c.hote("support_retire"));
        QCOMPARE(erreur_de([] { parcourir_repertoires("D:\\"); }), int(ERR_PERIPHERIQUE_ABSENT));
    }

    void systeme_virtuel_data() {
        QTest::addColumn<QString>("chemin");
        QTest::addColumn<bool>("virtuel");
        QTest::newRow("/proc") << "/proc" << true;
        QTest::newRow("/proc/1") << "/proc/1" << true;
        QTest::newRow("/proc/self/fd") << "/proc/self/fd" << true;
        QTest::newRow("/sys/kernel") << "/sys/kernel" << true;
        QTest::newRow("/dev") << "/dev" << true;
        QTest::newRow("/dev/shm") << "/dev/shm" << true;
        QTest::newRow("/run/user") << "/run/user" << true;
        QTest::newRow("/run") << "/run" << true;
        QTest::newRow("/tmp") << "/tmp" << false;
        QTest::newRow("/home") << "/home" << false;
        QTest::newRow("/") << "/" << false;
        QTest::newRow("préfixe seulement") << "/procedure" << false;
        QTest::newRow("/runes") << "/runes" << false;
        QTest::newRow("remontée") << "/proc/../tmp" << false;
        QTest::newRow("détour") << "/tmp/../sys" << true;
    }
    void systeme_virtuel() {
        QFETCH(QString, chemin);
        QFETCH(bool, virtuel);
        QCOMPARE(est_systeme_virtuel(chemin), virtuel);
    }

    // Le type du système de fichiers compte, pas seulement le chemin.
    void systeme_virtuel_par_un_lien() {
        QTemporaryDir t;
        QVERIFY(lier("/proc/self", t.filePath("moi")));
        QVERIFY(est_systeme_virtuel(t.filePath("moi")));
        QVERIFY(!est_systeme_virtuel(t.path()));
    }

    // Une racine virtuelle est listée, jamais lue.
    void racine_virtuelle_data() {
        QTest::addColumn<QString>("racine");
        QTest::newRow("proc") << "Z:\\proc";
        QTest::newRow("sys") << "Z:\\sys";
        QTest::newRow("sys\\kernel") << "Z:\\SYS\\kernel";
        QTest::newRow("dev") << "Z:\\dev";
    }
    void racine_virtuelle() {
        QFETCH(QString, racine);
        TableUnites::instance().ajouter(u'Z', "/");
        const ResultatParcours r = parcourir_repertoires(racine);
        QCOMPARE(r.repertoires.size(), 1);
        QCOMPARE(r.repertoires.first().toUpper(), racine.toUpper());
        QVERIFY(r.complet);
    }

    // Z: = "/" : ni /proc, ni /sys, ni /dev, ni /run ne sont parcourus.
    void disque_entier_sans_systemes_virtuels() {
        TableUnites::instance().ajouter(u'Z', "/");
        int lus = 0;
        const ResultatParcours r = parcourir_repertoires("Z:\\", [&] { return ++lus < 3000; });
        QVERIFY(r.repertoires.contains("Z:\\proc"));
        QVERIFY(r.repertoires.contains("Z:\\etc"));
        for (const QString& d : r.repertoires) {
            for (const char* virtuel : {"Z:\\proc\\", "Z:\\sys\\", "Z:\\dev\\", "Z:\\run\\"})
                QVERIFY2(!d.startsWith(QLatin1String(virtuel)), qPrintable(d));
        }
        QVERIFY(sans_doublon(r.repertoires));
    }
};

QTEST_GUILESS_MAIN(TestParcours)
#include "test_parcours.moc"
