// Vidage hexadécimal : disposition exacte des lignes, fichier de vidage par
// blocs, modèle relu à la demande, répertoire privé des vidages.
#include "viewer/core/vidage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace morvine;
using namespace Qt::StringLiterals;

namespace {

QByteArray ligne_de(qint64 position, const QByteArray& octets) {
    return formater_ligne_hex(position, reinterpret_cast<const uchar*>(octets.constData()),
                              int(octets.size()));
}

QByteArray aleatoire(qsizetype n) {
    QByteArray octets(n, Qt::Uninitialized);
    QRandomGenerator generateur(42);
    for (char& c : octets)
        c = char(generateur.bounded(256));
    return octets;
}

// Vidage attendu, ligne par ligne, d'après le formatage d'une ligne.
QByteArray vidage_attendu(const QByteArray& octets) {
    QByteArray attendu;
    for (qsizetype i = 0; i < octets.size(); i += 16)
        attendu += ligne_de(i, octets.mid(i, 16)) + "\r\n";
    return attendu;
}

} // namespace

class TestVidage : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dossier;
    QString poser(const QString& nom, const QByteArray& octets);
    QByteArray contenu(const QString& chemin) const;

private slots:
    void ligne_data();
    void ligne();
    void caracteres_data();
    void caracteres();
    void longueurs_des_lignes_data();
    void longueurs_des_lignes();
    void production_data();
    void production();
    void source_absente_ne_cree_rien();
    void vidage_arrete_en_route_data();
    void vidage_arrete_en_route();
    void modele_sur_trois_blocs();
    void modele_franchit_100000();
    void modele_refuse_un_autre_fichier();
    void modele_sur_le_fichier_meme_data();
    void modele_sur_le_fichier_meme();
    void producteur_en_arriere_plan();
    void dossier_noms_uniques();
    void dossier_ne_supprime_que_les_siens();
    void vidages_abandonnes_nettoyes();
};

QString TestVidage::poser(const QString& nom, const QByteArray& octets) {
    QFile fichier(m_dossier.filePath(nom));
    if (!fichier.open(QIODevice::WriteOnly) || fichier.write(octets) != octets.size())
        qFatal("écriture impossible");
    return fichier.fileName();
}

QByteArray TestVidage::contenu(const QString& chemin) const {
    QFile fichier(chemin);
    return fichier.open(QIODevice::ReadOnly) ? fichier.readAll() : QByteArray();
}

void TestVidage::ligne_data() {
    QTest::addColumn<qint64>("position");
    QTest::addColumn<QByteArray>("octets");
    QTest::addColumn<QByteArray>("attendu");
    QTest::newRow("ligne complète")
        << qint64(0) << QByteArray("ABCDEFGHIJKLMNOP")
        << QByteArray(
               "00000: 41 42 43 44 45 46 47 48 - 49 4A 4B 4C 4D 4E 4F 50  ABCDEFGHIJKLMNOP ");
    QTest::newRow("17e octet : un groupe, pas de tiret, complété à 57")
        << qint64(16) << QByteArray("Q") << "00010: 51" + QByteArray(49, ' ') + "Q ";
    QTest::newRow("huit octets : tiret")
        << qint64(0x20) << QByteArray("abcdefgh")
        << "00020: 61 62 63 64 65 66 67 68 - " + QByteArray(24, ' ') + " abcdefgh ";
    QTest::newRow("sept octets : pas de tiret")
        << qint64(0x30) << QByteArray("abcdefg")
        << "00030: 61 62 63 64 65 66 67" + QByteArray(30, ' ') + " abcdefg ";
    QTest::newRow("décalage 100000 : six chiffres, pas de remplissage")
        << qint64(0x100000) << QByteArray(16, '\xff')
        << "100000: " + QByteArray("FF ").repeated(8) + "- " + QByteArray("FF ").repeated(8) + " " +
               QByteArray(16, '.') + " ";
    QTest::newRow("décalage 100000, un octet : complété à 57")
        << qint64(0x100000) << QByteArray("\x0a", 1) << "100000: 0A" + QByteArray(48, ' ') + ". ";
    QTest::newRow("décalage sur huit chiffres")
        << qint64(0xABCDEF10) << QByteArray("z") << "ABCDEF10: 7A" + QByteArray(46, ' ') + "z ";
    QTest::newRow("aucun octet") << qint64(0) << QByteArray() << QByteArray();
}

void TestVidage::ligne() {
    QFETCH(qint64, position);
    QFETCH(QByteArray, octets);
    QFETCH(QByteArray, attendu);
    QCOMPARE(ligne_de(position, octets), attendu);
}

void TestVidage::caracteres_data() {
    QTest::addColumn<int>("octet");
    QTest::addColumn<char>("montre");
    QTest::newRow("tabulation") << 9 << '.';
    QTest::newRow("virgule") << 44 << '.';
    QTest::newRow("200") << 200 << '.';
    QTest::newRow("blanc") << 32 << ' ';
    QTest::newRow("tilde") << 126 << '~';
    QTest::newRow("127") << 127 << '.';
    QTest::newRow("31") << 31 << '.';
    QTest::newRow("zéro") << 0 << '.';
    QTest::newRow("point") << 46 << '.';
    QTest::newRow("A") << 65 << 'A';
}

void TestVidage::caracteres() {
    QFETCH(int, octet);
    QFETCH(char, montre);
    const QByteArray ligne = ligne_de(0, QByteArray(1, char(octet)));
    QCOMPARE(ligne.size(), 60);
    QCOMPARE(ligne.at(58), montre);
    QCOMPARE(ligne.mid(7, 2), QByteArray::number(octet, 16).rightJustified(2, '0').toUpper());
}

void TestVidage::longueurs_des_lignes_data() {
    QTest::addColumn<qint64>("ligne");
    QTest::addColumn<qint64>("debut");
    QTest::newRow("première") << qint64(0) << qint64(0);
    QTest::newRow("deuxième") << qint64(1) << qint64(77);
    QTest::newRow("dernière à 5 chiffres") << qint64(0xFFFF) << qint64(0xFFFF) * 77;
    QTest::newRow("première à 6 chiffres") << qint64(0x10000) << qint64(0x10000) * 77;
    QTest::newRow("seconde à 6 chiffres") << qint64(0x10001) << qint64(0x10000) * 77 + 78;
    QTest::newRow("première à 7 chiffres")
        << qint64(0x100000) << qint64(0x10000) * 77 + qint64(0xF0000) * 78;
}

void TestVidage::longueurs_des_lignes() {
    QFETCH(qint64, ligne);
    QFETCH(qint64, debut);
    QCOMPARE(debut_ligne(ligne), debut);
    QCOMPARE(longueur_ligne_complete(ligne * 16),
             ligne_de(ligne * 16, QByteArray(16, 'x')).size() + 2);
}

void TestVidage::production_data() {
    QTest::addColumn<int>("taille");
    QTest::newRow("vide") << 0;
    QTest::newRow("17 octets") << 17;
    QTest::newRow("un bloc juste") << 4096;
    QTest::newRow("un bloc et un octet") << 4097;
    QTest::newRow("trois blocs moins cinq") << 3 * 4096 - 5;
}

void TestVidage::production() {
    QFETCH(int, taille);
    const QByteArray octets = aleatoire(taille);
    const QString source = poser(u"SOURCE.BIN"_s, octets);
    const QString vidage = m_dossier.filePath(u"QX.TMP"_s);
    poser(u"QX.TMP"_s, "ancien contenu plus long que le nouveau\r\n");
    QCOMPARE(produire_vidage(source, vidage), qint64((taille + 15) / 16));
    QCOMPARE(contenu(vidage), vidage_attendu(octets));
}

void TestVidage::source_absente_ne_cree_rien() {
    const QString vidage = m_dossier.filePath(u"QXABSENT.TMP"_s);
    QCOMPARE(produire_vidage(m_dossier.filePath(u"ABSENT"_s), vidage), qint64(-1));
    QVERIFY(!QFile::exists(vidage));
    // Un tube n'est pas lu (son ouverture attendrait un écrivain).
    const QString tube = m_dossier.filePath(u"TUBE"_s);
    QCOMPARE(::mkfifo(QFile::encodeName(tube).constData(), 0600), 0);
    const BilanVidage bilan = vider_fichier(tube, vidage);
    QCOMPARE(bilan.lignes, qint64(-1));
    QCOMPARE(bilan.erreur, u"Erreur d'accès au chemin ou au fichier"_s);
    QVERIFY(!QFile::exists(vidage));
}

// Disque plein ou taille limitée : le vidage s'arrête, le dit, et ne garde
// que des lignes entières, que le modèle relit.
void TestVidage::vidage_arrete_en_route_data() {
    QTest::addColumn<QString>("cible");
    QTest::addColumn<qint64>("limite");
    QTest::newRow("disque plein") << u"/dev/full"_s << qint64(0);
    QTest::newRow("taille limitée") << u"QXLIMITE.TMP"_s << qint64(100000);
}

void TestVidage::vidage_arrete_en_route() {
    QFETCH(QString, cible);
    QFETCH(qint64, limite);
    const QByteArray octets = aleatoire(1 << 20);
    const QString source = poser(u"GROS.BIN"_s, octets);
    if (!cible.startsWith(u'/'))
        cible = m_dossier.filePath(cible);
    if (!QFileInfo::exists(cible) && cible.startsWith(u"/dev"_s))
        QSKIP("périphérique absent");
    struct rlimit avant {};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &avant), 0);
    BilanVidage bilan;
    if (limite > 0) {
        if (avant.rlim_max != RLIM_INFINITY && avant.rlim_max < rlim_t(limite))
            QSKIP("limite de taille déjà plus basse");
        const auto ancien = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit petite = avant;
        petite.rlim_cur = rlim_t(limite);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &petite), 0);
        bilan = vider_fichier(source, cible);
        ::setrlimit(RLIMIT_FSIZE, &avant);
        std::signal(SIGXFSZ, ancien);
    } else {
        bilan = vider_fichier(source, cible);
    }
    QVERIFY(!bilan.complet());
    QCOMPARE(bilan.erreur, u"Disque plein"_s);
    QCOMPARE(produire_vidage(source, u"/dev/full"_s), qint64(-1));
    if (limite == 0)
        return;
    const qint64 entieres = limite / longueur_ligne_complete(0);
    QCOMPARE(bilan.lignes, entieres);
    QCOMPARE(QFileInfo(cible).size(), entieres * longueur_ligne_complete(0));
    ModeleVidage modele;
    QVERIFY(modele.ouvrir(cible));
    QCOMPARE(modele.nombre_lignes(), entieres);
    QCOMPARE(modele.ligne(entieres - 1),
             ligne_de((entieres - 1) * 16, octets.mid((entieres - 1) * 16, 16)));
}

void TestVidage::modele_sur_trois_blocs() {
    const QByteArray octets = aleatoire(3 * 4096 - 5);
    const QString vidage = m_dossier.filePath(u"QX3.TMP"_s);
    QCOMPARE(produire_vidage(poser(u"TROIS.BIN"_s, octets), vidage), qint64(768));
    ModeleVidage modele;
    QVERIFY(modele.ouvrir(vidage));
    QCOMPARE(modele.rowCount(), 768);
    // Dans le désordre, pour passer d'un morceau du cache à l'autre.
    for (int n : {767, 0, 400, 1, 766, 255, 256, 851 % 768}) {
        const qint64 debut = qint64(16) * n;
        QCOMPARE(modele.ligne(n), ligne_de(debut, octets.mid(debut, 16)));
        QCOMPARE(modele.data(modele.index(n)).toString(), QString::fromLatin1(modele.ligne(n)));
    }
    QCOMPARE(modele.ligne(767).size(), 57 + 1 + 11 + 1);
    QVERIFY(modele.ligne(768).isEmpty());
    QVERIFY(!modele.data(modele.index(0), Qt::DecorationRole).isValid());
}

void TestVidage::modele_franchit_100000() {
    // Fichier creux de 1 Mio + 40 octets : les décalages passent à 6 chiffres.
    QFile fichier(m_dossier.filePath(u"CREUX.BIN"_s));
    QVERIFY(fichier.open(QIODevice::WriteOnly));
    QVERIFY(fichier.resize(0x100000 + 40));
    const QByteArray avant("avant la limite!"), apres("apres,la limite.");
    QVERIFY(fichier.seek(0xFFFF0) && fichier.write(avant) == 16);
    QVERIFY(fichier.seek(0x100000) && fichier.write(apres) == 16);
    QVERIFY(fichier.seek(0x100000 + 32) && fichier.write("12345678") == 8);
    fichier.close();
    const QString vidage = m_dossier.filePath(u"QXCREUX.TMP"_s);
    QList<qint64> progression;
    const auto noter = [&](qint64 lus) { progression.append(lus); };
    QCOMPARE(produire_vidage(fichier.fileName(), vidage, noter), qint64(0x10003));
    QCOMPARE(progression, QList<qint64>({0x100000}));
    ModeleVidage modele;
    QVERIFY(modele.ouvrir(vidage));
    QCOMPARE(modele.nombre_lignes(), qint64(0x10003));
    QCOMPARE(modele.ligne(0), ligne_de(0, QByteArray(16, '\0')));
    QCOMPARE(modele.ligne(0xFFFF), ligne_de(0xFFFF0, avant));
    QCOMPARE(modele.ligne(0x10000), ligne_de(0x100000, apres));
    QVERIFY(modele.ligne(0x10000).startsWith("100000: 61 70"));
    QCOMPARE(modele.ligne(0x10001), ligne_de(0x100010, QByteArray(16, '\0')));
    QCOMPARE(modele.ligne(0x10002), ligne_de(0x100020, "12345678"));
    QCOMPARE(QFileInfo(vidage).size(), debut_ligne(0x10002) + modele.ligne(0x10002).size() + 2);
}

void TestVidage::modele_refuse_un_autre_fichier() {
    ModeleVidage modele;
    QVERIFY(!modele.ouvrir(poser(u"COURT.TMP"_s, "pas un vidage")));
    QCOMPARE(modele.rowCount(), 0);
    QVERIFY(!modele.ouvrir(m_dossier.filePath(u"ABSENT.TMP"_s)));
    QVERIFY(modele.ouvrir(poser(u"VIDE.TMP"_s, {})));
    QCOMPARE(modele.rowCount(), 0);
}

// Les lignes formées depuis le fichier lui-même sont celles du fichier de
// vidage, la dernière (incomplète) comprise ; limiter coupe la liste.
void TestVidage::modele_sur_le_fichier_meme_data() {
    QTest::addColumn<int>("taille");
    QTest::newRow("vide") << 0;
    QTest::newRow("un octet") << 1;
    QTest::newRow("16 octets") << 16;
    QTest::newRow("17 octets") << 17;
    QTest::newRow("trois blocs moins 5") << 3 * 4096 - 5;
    QTest::newRow("au-delà de 100000") << 0x100000 + 7;
}

void TestVidage::modele_sur_le_fichier_meme() {
    QFETCH(int, taille);
    const QByteArray octets = aleatoire(taille);
    const QString source = poser(u"SOURCE.BIN"_s, octets);
    const QString vidage = m_dossier.filePath(u"QXSOURCE.TMP"_s);
    QCOMPARE(produire_vidage(source, vidage), qint64((taille + 15) / 16));
    ModeleVidage relu, forme;
    QVERIFY(relu.ouvrir(vidage));
    QVERIFY(forme.ouvrir_source(source));
    QCOMPARE(forme.rowCount(), relu.rowCount());
    const int n = forme.rowCount();
    for (int l : {0, 1, n / 2, 4095, 4096, 65535, 65536, n - 2, n - 1, n}) {
        QCOMPARE(forme.ligne(l), relu.ligne(l));
        QCOMPARE(forme.data(forme.index(l)), relu.data(relu.index(l)));
    }
    if (n > 0)
        QCOMPARE(forme.ligne(n - 1), ligne_de(qint64(n - 1) * 16, octets.mid((n - 1) * 16)));
    forme.limiter(n / 2);
    QCOMPARE(forme.rowCount(), n / 2);
    QVERIFY(forme.ligne(n / 2).isEmpty());
    forme.limiter(n); // ne rallonge pas
    QCOMPARE(forme.rowCount(), n / 2);
    QString erreur;
    QVERIFY(!forme.ouvrir_source(m_dossier.filePath(u"ABSENT.BIN"_s), &erreur));
    QVERIFY(!erreur.isEmpty());
    QCOMPARE(forme.rowCount(), 0);
}

// Le fichier de vidage écrit en arrière-plan est celui d'un vidage direct ;
// détruit en route, le producteur s'arrête sans laisser de fil.
void TestVidage::producteur_en_arriere_plan() {
    const QByteArray octets = aleatoire(5 * 4096 + 3);
    const QString source = poser(u"FOND.BIN"_s, octets);
    const QString vidage = m_dossier.filePath(u"QXFOND.TMP"_s);
    {
        ProducteurVidage producteur;
        QSignalSpy fin(&producteur, &ProducteurVidage::termine);
        QString erreur;
        QVERIFY(producteur.lancer(source, vidage, &erreur));
        QVERIFY(fin.wait());
        QVERIFY(producteur.fini());
        QVERIFY(producteur.bilan().complet());
        QCOMPARE(producteur.bilan().lignes, qint64(1281));
        QCOMPARE(contenu(vidage), vidage_attendu(octets));
        QVERIFY(!producteur.lancer(source, m_dossier.filePath(u"NON/QX.TMP"_s), &erreur));
        QVERIFY(!erreur.isEmpty());
    }
    // Un grand fichier creux : la destruction n'attend pas la fin du vidage.
    QFile creux(m_dossier.filePath(u"CREUX4G.BIN"_s));
    QVERIFY(creux.open(QIODevice::WriteOnly) && creux.resize(qint64(4) << 30));
    creux.close();
    auto producteur = std::make_unique<ProducteurVidage>();
    QString erreur;
    QVERIFY(producteur->lancer(creux.fileName(), vidage, &erreur));
    producteur.reset();
    QVERIFY(QFileInfo(vidage).size() < debut_ligne(qint64(4) << 26));
    QVERIFY(QFile::remove(vidage));
}

void TestVidage::dossier_noms_uniques() {
    DossierVidages dossier;
    QVERIFY(dossier.valide());
    QVERIFY(dossier.chemin().startsWith(QDir::tempPath()));
    QCOMPARE(QFileInfo(dossier.chemin()).permissions() & 0x0077, QFile::Permissions());
    QStringList noms;
    for (int i = 0; i < 5; ++i)
        noms << dossier.nouveau_vidage();
    noms.removeDuplicates();
    QCOMPARE(noms.size(), 5);
    static const QRegularExpression forme(u"^QX\\d{6}-\\d+\\.TMP$"_s);
    for (const QString& nom : noms) {
        QVERIFY(QFile::exists(nom));
        QCOMPARE(QFileInfo(nom).path(), dossier.chemin());
        QVERIFY2(forme.match(QFileInfo(nom).fileName()).hasMatch(), qPrintable(nom));
    }
}

void TestVidage::dossier_ne_supprime_que_les_siens() {
    QString chemin_dossier, etranger, sien;
    {
        DossierVidages dossier;
        chemin_dossier = dossier.chemin();
        sien = dossier.nouveau_vidage();
        const QString autre = dossier.nouveau_vidage();
        etranger = chemin_dossier + u"/QX000000-99.TMP"_s;
        QFile fichier(etranger);
        QVERIFY(fichier.open(QIODevice::WriteOnly));
        fichier.close();
        QVERIFY(!dossier.supprimer(etranger));
        QVERIFY(QFile::exists(etranger));
        QVERIFY(dossier.supprimer(autre));
        QVERIFY(!QFile::exists(autre));
        QVERIFY(!dossier.supprimer(autre));
    }
    QVERIFY(!QFile::exists(sien));
    QVERIFY(QFile::exists(etranger));
    QVERIFY(QFile::remove(etranger));
    QVERIFY(QDir().rmdir(chemin_dossier));
    {
        DossierVidages dossier;
        chemin_dossier = dossier.chemin();
        dossier.nouveau_vidage();
    }
    QVERIFY(!QFileInfo::exists(chemin_dossier));
}

// Un visualiseur tué (SIGKILL) laisse ses vidages ; le démarrage suivant
// les retire, mais rien d'une copie vivante, rien d'un répertoire sans
// marque, rien qui ne soit un vidage.
void TestVidage::vidages_abandonnes_nettoyes() {
    QTemporaryDir base;
    const QByteArray ancien_tmpdir = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(base.path()));
    auto vivant = std::make_unique<DossierVidages>();
    const QString sien = vivant->nouveau_vidage();
    int tube[2];
    QCOMPARE(::pipe(tube), 0);
    const pid_t enfant = ::fork();
    QVERIFY(enfant >= 0);
    if (enfant == 0) {
        ::close(tube[0]);
        DossierVidages premier, second, troisieme;
        const QByteArray noms = QFile::encodeName(premier.nouveau_vidage()) + '\n' +
                                QFile::encodeName(second.nouveau_vidage()) + '\n' +
                                QFile::encodeName(troisieme.nouveau_vidage()) + '\n';
        if (::write(tube[1], noms.constData(), size_t(noms.size())) != noms.size())
            ::_exit(1);
        for (;;)
            ::pause();
    }
    ::close(tube[1]);
    QFile lecture;
    QVERIFY(lecture.open(tube[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    const QString mort = QString::fromLocal8Bit(lecture.readLine()).trimmed();
    const QString mort_garde = QString::fromLocal8Bit(lecture.readLine()).trimmed();
    const QString mort_autrui = QString::fromLocal8Bit(lecture.readLine()).trimmed();
    ::kill(enfant, SIGKILL);
    int etat = 0;
    QCOMPARE(::waitpid(enfant, &etat, 0), enfant);
    QVERIFY(QFile::exists(mort) && QFile::exists(mort_garde));
    const QString garde = QFileInfo(mort_garde).dir().filePath(u"NOTES.TXT"_s);
    QVERIFY(QFile(garde).open(QIODevice::WriteOnly));
    QDir(base.path()).mkdir(u"morvine-ancien"_s);
    const QString sans_marque = base.filePath(u"morvine-ancien/QX000000.TMP"_s);
    QVERIFY(QFile(sans_marque).open(QIODevice::WriteOnly));

    // Celui d'un autre utilisateur (qu'on ne peut faire qu'en root) reste.
    const bool root = ::geteuid() == 0;
    if (root)
        QCOMPARE(
            ::chown(QFile::encodeName(QFileInfo(mort_autrui).path()).constData(), 65534, 65534), 0);

    DossierVidages suivant;
    QCOMPARE(QFileInfo::exists(mort_autrui), root);
    if (root)
        QVERIFY(QDir(QFileInfo(mort_autrui).path()).removeRecursively());
    QVERIFY(!QFileInfo::exists(mort));
    QVERIFY(!QFileInfo::exists(QFileInfo(mort).path()));
    QVERIFY(!QFileInfo::exists(mort_garde));
    QVERIFY(QFileInfo::exists(garde));
    QVERIFY(QFileInfo::exists(sien));
    QVERIFY(QFileInfo::exists(sans_marque));
    QCOMPARE(DossierVidages::nettoyer_abandonnes(base.path()), 0);
    const QString dossier_vivant = vivant->chemin();
    vivant.reset();
    QVERIFY(!QFileInfo::exists(dossier_vivant));
    qputenv("TMPDIR", ancien_tmpdir);
    if (ancien_tmpdir.isEmpty())
        qunsetenv("TMPDIR");
}

QTEST_GUILESS_MAIN(TestVidage)
#include "test_vidage.moc"
