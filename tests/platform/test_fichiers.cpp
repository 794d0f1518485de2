// Fichiers : listes, attributs, renommage, suppression, blocs, espace libre.
#include "platform/chemins.h"
#include "platform/erreurs.h"
#include "platform/fichiers.h"
#include "platform/provisoires.h"
#include "platform/unites.h"
#include "support/unite_temporaire.h"

#include "support/erreur_de.h"
#include <QDir>
#include <QDirIterator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace plateforme;
using essai::erreur_de;
using essai::UniteTemporaire;

namespace {

QByteArray hote(const QString& chemin) {
    return QFile::encodeName(chemin);
}

bool xattrs_possibles(const QString& repertoire) {
    const QByteArray essai = hote(repertoire + "/.essai-xattr");
    const int fd = ::open(essai.constData(), O_CREAT | O_WRONLY, 0600);
    const bool ok = fd >= 0 && ::fsetxattr(fd, "user.essai", "1", 1, 0) == 0;
    if (fd >= 0)
        ::close(fd);
    ::unlink(essai.constData());
    return ok;
}

void poser_xattr(const QString& chemin, const char* valeur) {
    QCOMPARE(::setxattr(hote(chemin).constData(), "user.DOSATTRIB", valeur, strlen(valeur), 0), 0);
}

void lecture_seule(const QString& chemin) {
    QCOMPARE(::chmod(hote(chemin).constData(), 0444), 0);
}

QByteArray contenu_de(const QString& chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(absent)");
}

QStringList noms(const QList<EntreeFichier>& liste) {
    QStringList n;
    for (const EntreeFichier& e : liste)
        n.append(e.nom);
    return n;
}

} // namespace

class TestFichiers : public QObject {
    Q_OBJECT

private slots:
    void init() {
        TableUnites::instance().vider();
        reinitialiser_repertoires_courants();
    }

    void lister_data() {
        QTest::addColumn<QString>("motif");
        QTest::addColumn<unsigned>("attributs");
        QTest::addColumn<QStringList>("attendus");
        QTest::newRow("txt normaux") << "*.txt" << 0u << QStringList{"a.txt", "B.TXT", "lien.txt"};
        // Un lien prend les attributs de sa cible.
        QTest::newRow("txt et cachés")
            << "*.TXT" << unsigned(ATTR_CACHE)
            << QStringList{"a.txt", "B.TXT", "cach.txt", "lien.txt", "lien_cache.txt"};
        QTest::newRow("tout, système")
            << "*.*" << unsigned(ATTR_SYSTEME)
            << QStringList{"a.txt", "B.TXT", "c.doc", "lien.txt", "sys.bin"};
        QTest::newRow("caché et système exige les deux")
            << "*.*" << unsigned(ATTR_CACHE | ATTR_SYSTEME)
            << QStringList{".profil", "a.txt",    "B.TXT",          "c.doc",  "cach.txt",
                           "cs.bin",  "lien.txt", "lien_cache.txt", "sys.bin"};
        QTest::newRow("plusieurs motifs") << "*.doc;a.*" << 0u << QStringList{"a.txt", "c.doc"};
        QTest::newRow("aucun") << "*.xyz" << 0u << QStringList{};
    }
    void lister() {
        QFETCH(QString, motif);
        QFETCH(unsigned, attributs);
        UniteTemporaire c;
        if (!xattrs_possibles(c.hote("")))
            QSKIP("attributs étendus user.* non pris en charge ici");
        for (const char* nom :
             {"a.txt", "B.TXT", "c.doc", ".profil", "sys.bin", "cach.txt", "cs.bin"})
            c.creer_fichier(nom, "x");
        poser_xattr(c.hote("sys.bin"), "4");
        poser_xattr(c.hote("cach.txt"), "2");
        poser_xattr(c.hote("cs.bin"), "6");
        c.creer_repertoire("rep.txt");
        QVERIFY(QFile::link(c.hote("c.doc"), c.hote("lien.txt")));
        QVERIFY(QFile::link(c.hote("cach.txt"), c.hote("lien_cache.txt")));
        QVERIFY(QFile::link(c.hote("absent"), c.hote("casse.txt")));
        // Attributs lus relativement au répertoire ouvert, puis par le chemin
        // complet comme sous un noyau sans getxattrat : mêmes listes.
        const auto retour = qScopeGuard([] { lire_attributs_par_chemin(false); });
        for (const bool par_chemin : {false, true}) {
            lire_attributs_par_chemin(par_chemin);
            QTEST(noms(lister_fichiers("C:\\", motif, attributs)), "attendus");
            // La lecture des seuls noms (celle des listes) suit les mêmes règles.
            QTEST(lister_noms_fichiers("C:\\", motif, attributs), "attendus");
        }
    }

    void lister_details() {
        UniteTemporaire c;
        c.creer_fichier("Doc/cible.bin", QByteArray(1234, 'z'));
        QVERIFY(QFile::link(c.hote("Doc/cible.bin"), c.hote("Doc/lien.bin")));
        const struct timespec dates[2] = {{0, UTIME_OMIT}, {1700000000, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, hote(c.hote("Doc/cible.bin")).constData(), dates, 0), 0);
        const QList<EntreeFichier> liste = lister_fichiers("c:\\doc", "*.*");
        QCOMPARE(liste.size(), 2);
        QCOMPARE(liste[1].nom, "lien.bin");
        QCOMPARE(liste[1].taille, 1234); // taille de la cible
        QCOMPARE(liste[0].modification, QDateTime::fromSecsSinceEpoch(1700000000));
        QCOMPARE(date_modification("C:\\DOC\\CIBLE.BIN"),
                 QDateTime::fromSecsSinceEpoch(1700000000));
        QCOMPARE(erreur_de([] { lister_fichiers("C:\\absent", "*.*"); }), 76);
        QCOMPARE(erreur_de([] { lister_fichiers("C:\\", "a|b"); }), 380);
        QCOMPARE(erreur_de([] { lister_noms_fichiers("C:\\absent", "*.*"); }), 76);
        QCOMPARE(erreur_de([] { lister_noms_fichiers("C:\\", "a|b"); }), 380);
    }

    void noms_inexprimables_ignores() {
        UniteTemporaire c;
        for (const char* nom : {"ok.txt", "a\\b.txt", "c:d.txt", "e\x01.txt"})
            c.creer_fichier(QString::fromUtf8(nom));
        // Octets qui ne sont pas de l'UTF-8, et une suite tronquée en fin de
        // nom (décodée, elle désignerait un autre fichier).
        const QByteArray brut = hote(c.hote("")) + "/\xff\xfe.txt";
        const QByteArray tronque = hote(c.hote("")) + "/fin\xc3";
        for (const QByteArray& nom : {brut, tronque}) {
            const int fd = ::open(nom.constData(), O_CREAT | O_WRONLY, 0644);
            QVERIFY(fd >= 0);
            ::close(fd);
        }
        QVERIFY(::mkdir((hote(c.hote("")) + "/rep\xc3").constData(), 0755) == 0);
        c.creer_repertoire("bon");
        c.creer_repertoire("mau\\vais");
        QCOMPARE(noms(lister_fichiers("C:\\", "*.*", ATTR_CACHE | ATTR_SYSTEME)),
                 QStringList{"ok.txt"});
        QCOMPARE(lister_noms_fichiers("C:\\", "*.*", ATTR_CACHE | ATTR_SYSTEME),
                 QStringList{"ok.txt"});
        QCOMPARE(plateforme::lister_repertoires("C:\\"), QStringList{"bon"});
        QCOMPARE(noms_hote(c.hote("")).size(), 2);
        // QTemporaryDir ne saurait pas nommer ces fichiers pour les effacer.
        QCOMPARE(::unlink(brut.constData()), 0);
        QCOMPARE(::unlink(tronque.constData()), 0);
        QCOMPARE(::rmdir((hote(c.hote("")) + "/rep\xc3").constData()), 0);
    }

    void lister_repertoires_data() {
        QTest::addColumn<bool>("avec_caches");
        QTest::addColumn<QStringList>("attendus");
        QTest::newRow("avec cachés")
            << true << QStringList{".git", "ailleurs", "Beta", "cache", "lien", "zeta"};
        QTest::newRow("sans cachés") << false << QStringList{"ailleurs", "Beta", "lien", "zeta"};
    }
    void lister_repertoires() {
        QFETCH(bool, avec_caches);
        UniteTemporaire c;
        if (!xattrs_possibles(c.hote("")))
            QSKIP("attributs étendus user.* non pris en charge ici");
        for (const char* nom : {"zeta", "Beta", ".git", "cache", "ailleurs/cible"})
            c.creer_repertoire(nom);
        c.creer_fichier("fichier");
        poser_xattr(c.hote("cache"), "2");
        QVERIFY(QFile::link(c.hote("ailleurs/cible"), c.hote("lien")));
        QVERIFY(QFile::link(c.hote("nulle-part"), c.hote("casse")));
        QTEST(plateforme::lister_repertoires("C:\\", avec_caches), "attendus");
        QCOMPARE(erreur_de([] { plateforme::lister_repertoires("C:\\fichier"); }), 76);
    }

    // Un grand répertoire : les attributs y sont lus par deux fils ; les
    // cachés et les système de chaque moitié restent filtrés, par
    // getxattrat comme par le chemin complet.
    void grand_repertoire() {
        UniteTemporaire c;
        if (!xattrs_possibles(c.hote("")))
            QSKIP("attributs étendus user.* non pris en charge ici");
        constexpr int n = 6000;
        QStringList visibles, avec_caches, tous;
        for (int i = 0; i < n; ++i) {
            const QString nom = QStringLiteral("f%1.dat").arg(i, 5, 10, QChar(u'0'));
            c.creer_fichier(nom);
            if (i % 7 == 3)
                poser_xattr(c.hote(nom), "2");
            else if (i % 11 == 5)
                poser_xattr(c.hote(nom), "0x4");
            if (i % 7 != 3 && i % 11 != 5)
                visibles << nom;
            if (i % 7 == 3 || i % 11 != 5)
                avec_caches << nom;
            tous << nom;
        }
        const auto retour = qScopeGuard([] { lire_attributs_par_chemin(false); });
        for (const bool par_chemin : {false, true}) {
            lire_attributs_par_chemin(par_chemin);
            QCOMPARE(lister_noms_fichiers("C:\\", "*.*"), visibles);
            QCOMPARE(lister_noms_fichiers("C:\\", "*.DAT", ATTR_CACHE), avec_caches);
            QCOMPARE(lister_noms_fichiers("C:\\", "*.*", ATTR_CACHE | ATTR_SYSTEME), tous);
        }
    }

    // Sans égard à la casse (les majuscules pliées en minuscules : '[' et
    // '_' passent avant les lettres), puis avec ; noms ASCII et accentués
    // mêlés, noms qui ne diffèrent que par la casse, longs noms de même début.
    void ordre_des_listes() {
        UniteTemporaire c;
        const QStringList attendus{"[.txt",
                                   "_x.txt",
                                   "A",
                                   "a",
                                   "A.txt",
                                   "a.TXT",
                                   "B.txt",
                                   "b.txt",
                                   "e.txt",
                                   "fichier_00000001_a.txt",
                                   "Fichier_00000001_B.txt",
                                   "NOM_DE_SEIZE_CAR",
                                   "Nom_de_seize_car",
                                   "nom_de_seize_car.txt",
                                   "Z.txt",
                                   "É.txt",
                                   "é.txt"};
        QStringList melanges = attendus;
        std::reverse(melanges.begin(), melanges.end());
        std::swap(melanges[2], melanges[7]);
        for (const QString& nom : melanges) {
            c.creer_fichier(nom);
            c.creer_repertoire(QStringLiteral("rep/") + nom);
        }
        QCOMPARE(lister_noms_fichiers("C:\\", "*.*"), attendus);
        QCOMPARE(noms(lister_fichiers("C:\\", "*.*")), attendus);
        QCOMPARE(plateforme::lister_repertoires("C:\\rep"), attendus);
    }

    void attributs_aller_retour_data() {
        QTest::addColumn<unsigned>("valeur");
        QTest::newRow("normal") << 0u;
        QTest::newRow("lecture seule") << 1u;
        QTest::newRow("caché") << 2u;
        QTest::newRow("système") << 4u;
        QTest::newRow("archive") << 32u;
        QTest::newRow("caché, lecture seule") << 3u;
        QTest::newRow("tous") << 39u;
    }
    void attributs_aller_retour() {
        QFETCH(unsigned, valeur);
        UniteTemporaire c;
        if (!xattrs_possibles(c.hote("")))
            QSKIP("attributs étendus user.* non pris en charge ici");
        c.creer_fichier("f.txt");
        definir_attributs("C:\\F.TXT", 39);
        definir_attributs("C:\\F.TXT", valeur);
        QCOMPARE(attributs("C:\\f.txt"), valeur);
        QCOMPARE(lister_fichiers("C:\\", "*.*", 6).value(0).attributs, valeur);
        // Le répertoire garde son bit en plus.
        c.creer_repertoire("Rep");
        definir_attributs("C:\\Rep", valeur | ATTR_REPERTOIRE);
        QCOMPARE(attributs("C:\\REP"), valeur | ATTR_REPERTOIRE);
    }

    void attributs_hote() {
        UniteTemporaire c;
        if (!xattrs_possibles(c.hote("")))
            QSKIP("attributs étendus user.* non pris en charge ici");
        lecture_seule(c.creer_fichier("ro.txt"));
        QCOMPARE(attributs("C:\\ro.txt"), unsigned(ATTR_LECTURE_SEULE));
        c.creer_fichier(".point");
        QCOMPARE(attributs("C:\\.point"), unsigned(ATTR_CACHE));
        // Le point rend caché de lui-même : on ne peut pas l'ôter.
        definir_attributs("C:\\.point", ATTR_ARCHIVE);
        QCOMPARE(attributs("C:\\.point"), unsigned(ATTR_CACHE | ATTR_ARCHIVE));
        c.creer_fichier("x.txt");
        definir_attributs("C:\\x.txt", ATTR_CACHE | ATTR_ARCHIVE);
        char valeur[16] = {};
        QCOMPARE(::getxattr(hote(c.hote("x.txt")).constData(), "user.DOSATTRIB", valeur, 15), 2);
        QCOMPARE(QByteArray(valeur), "34");
        poser_xattr(c.hote("x.txt"), "0x4");
        QCOMPARE(attributs("C:\\x.txt"), unsigned(ATTR_SYSTEME));
        definir_attributs("C:\\x.txt", 0);
        QCOMPARE(::getxattr(hote(c.hote("x.txt")).constData(), "user.DOSATTRIB", valeur, 15), -1);
        QCOMPARE(attributs("c:\\"), unsigned(ATTR_REPERTOIRE));
        QCOMPARE(erreur_de([] { attributs("C:\\absent"); }), 53);
        QCOMPARE(erreur_de([] { definir_attributs("C:\\absent\\x", 0); }), 76);
    }

    // Chaque cas, par le renommage seul puis par des répertoires ouverts
    // une fois pour plusieurs fichiers (DEPLACER).
    void renommer_data() {
        QTest::addColumn<QString>("ancien");
        QTest::addColumn<QString>("nouveau");
        QTest::addColumn<int>("numero");
        QTest::addColumn<QString>("resultat"); // nom sur l'hôte après coup
        QTest::addColumn<bool>("ouverts");
        const struct {
            const char* cas;
            const char* ancien;
            const char* nouveau;
            int numero;
            const char* resultat;
        } cas[] = {
            {"simple", "C:\\a.txt", "C:\\c.txt", 0, "c.txt"},
            {"casse seule", "C:\\a.txt", "C:\\A.TXT", 0, "A.TXT"},
            {"même nom", "C:\\a.txt", "C:\\a.txt", 0, "a.txt"},
            {"vers un autre répertoire", "C:\\A.TXT", "C:\\sous\\n.txt", 0, "sous/n.txt"},
            {"cible existante", "C:\\a.txt", "C:\\b.txt", 58, "a.txt"},
            {"cible existante, autre casse", "C:\\a.txt", "C:\\B.TXT", 58, "a.txt"},
            {"cible existante, autre répertoire", "C:\\b.txt", "C:\\SOUS\\B.TXT", 58, "b.txt"},
            {"source absente", "C:\\x.txt", "C:\\y.txt", 53, "a.txt"},
            {"chemin absent", "C:\\a.txt", "C:\\non\\y.txt", 76, "a.txt"},
            {"source dans un chemin absent", "C:\\non\\a.txt", "C:\\y.txt", 76, "a.txt"},
            {"autre unité", "C:\\a.txt", "D:\\a.txt", 74, "a.txt"},
            {"racine", "C:\\", "C:\\x", 75, "a.txt"},
            {"répertoire", "C:\\sous", "C:\\Dessous", 0, "Dessous/b.txt"},
            {"lecture seule", "C:\\ro.txt", "C:\\RO2.TXT", 0, "RO2.TXT"},
        };
        for (const bool ouverts : {false, true})
            for (const auto& c : cas)
                QTest::addRow("%s%s", c.cas, ouverts ? " (répertoires ouverts)" : "")
                    << QString::fromUtf8(c.ancien) << QString::fromUtf8(c.nouveau) << c.numero
                    << QString::fromUtf8(c.resultat) << ouverts;
    }
    void renommer() {
        QFETCH(QString, ancien);
        QFETCH(QString, nouveau);
        UniteTemporaire c, d(u'D');
        c.creer_fichier("a.txt", "A");
        c.creer_fichier("b.txt", "B");
        c.creer_fichier("sous/b.txt", "S");
        lecture_seule(c.creer_fichier("ro.txt"));
        QFETCH(bool, ouverts);
        Renommages renommages;
        QTEST(erreur_de([&] {
                  if (ouverts)
                      QVERIFY(renommages.renommer_sur_place(ancien, nouveau));
                  else
                      plateforme::renommer(ancien, nouveau);
              }),
              "numero");
        QFETCH(QString, resultat);
        QVERIFY(QFileInfo::exists(c.hote(resultat)));
        QCOMPARE(c.contenu("b.txt"), "B");
        // Rien de perdu ni de dédoublé.
        QDirIterator tous(c.hote(""), QDir::Files, QDirIterator::Subdirectories);
        int nombre = 0;
        for (; tous.hasNext(); tous.next())
            ++nombre;
        QCOMPARE(nombre, 4);
    }

    void renommer_entre_systemes() {
        UniteTemporaire c;
        QTemporaryDir ailleurs(QStringLiteral("/dev/shm/kaldron-XXXXXX"));
        struct stat st_c, st_shm;
        if (!ailleurs.isValid() || ::stat(hote(c.hote("")).constData(), &st_c) != 0 ||
            ::stat(hote(ailleurs.path()).constData(), &st_shm) != 0 || st_c.st_dev == st_shm.st_dev)
            QSKIP("pas de second système de fichiers sous la main");
        QVERIFY(QFile::link(ailleurs.path(), c.hote("shm")));
        const QString source = c.creer_fichier("f.bin", QByteArray(3 << 20, 'k'));
        const bool xattrs = xattrs_possibles(c.hote("")) && xattrs_possibles(ailleurs.path());
        if (xattrs)
            definir_attributs("C:\\f.bin", ATTR_ARCHIVE | ATTR_SYSTEME);
        QCOMPARE(::chmod(hote(source).constData(), 04640), 0);
        const struct timespec dates[2] = {{1600000000, 0}, {1600000000, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, hote(source).constData(), dates, 0), 0);
        c.creer_fichier("deja.bin", "D");
        QVERIFY(QFile::copy(c.hote("deja.bin"), ailleurs.filePath("deja.bin")));
        QCOMPARE(erreur_de([] { plateforme::renommer("C:\\deja.bin", "C:\\shm\\DEJA.BIN"); }), 58);
        QVERIFY(QFileInfo::exists(c.hote("deja.bin")));

        // Sans repli, rien ne bouge : l'appelant copie lui-même.
        QVERIFY(!renommer_sur_place("C:\\f.bin", "C:\\shm\\g.bin"));
        QVERIFY(!Renommages().renommer_sur_place("C:\\f.bin", "C:\\shm\\g.bin"));
        QVERIFY(QFileInfo::exists(source));
        QVERIFY(!QFileInfo::exists(ailleurs.filePath("g.bin")));
        QVERIFY(renommer_sur_place("C:\\deja.bin", "C:\\deja2.bin"));
        QCOMPARE(c.contenu("deja2.bin"), "D");

        plateforme::renommer("C:\\f.bin", "C:\\shm\\g.bin");
        QVERIFY(!QFileInfo::exists(source));
        const QString cible = ailleurs.filePath("g.bin");
        QCOMPARE(QFileInfo(cible).size(), 3 << 20);
        QCOMPARE(QFileInfo(cible).lastModified(), QDateTime::fromSecsSinceEpoch(1600000000));
        struct stat st_cible;
        QCOMPARE(::stat(hote(cible).constData(), &st_cible), 0);
        QCOMPARE(st_cible.st_mode & 07777, 0640u); // jamais set-user-ID
        if (xattrs)
            QCOMPARE(attributs("C:\\shm\\g.bin"), unsigned(ATTR_ARCHIVE | ATTR_SYSTEME));
        // Aucun fichier temporaire laissé derrière.
        QCOMPARE(QDir(ailleurs.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    // Des répertoires ouverts pour toute une commande voient ce qui change
    // pendant qu'elle dure : nom pris, homonyme de casse, source disparue.
    void renommages_successifs() {
        UniteTemporaire c;
        for (const char* nom : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"})
            c.creer_fichier(QString("src/") + nom, nom);
        c.creer_repertoire("dest");
        Renommages r;
        const auto deplacer = [&](const char* ancien, const char* nouveau) {
            return erreur_de([&] { QVERIFY(r.renommer_sur_place(ancien, nouveau)); });
        };
        QCOMPARE(deplacer("C:\\src\\a.txt", "C:\\dest\\a.txt"), 0);
        c.creer_fichier("dest/b.txt", "autre");
        QCOMPARE(deplacer("C:\\src\\b.txt", "C:\\dest\\b.txt"), 58);
        QCOMPARE(c.contenu("dest/b.txt"), "autre");
        QCOMPARE(c.contenu("src/b.txt"), "b.txt");
        // Le répertoire a changé (sa date le dit) : ses noms sont relus.
        c.creer_fichier("dest/C.TXT", "autre");
        const struct timespec dates[2] = {{1000000000, 0}, {1000000000, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, hote(c.hote("dest")).constData(), dates, 0), 0);
        QCOMPARE(deplacer("C:\\src\\c.txt", "C:\\dest\\c.txt"), 58);
        QCOMPARE(c.contenu("src/c.txt"), "c.txt");
        QVERIFY(QFile::remove(c.hote("src/d.txt")));
        QCOMPARE(deplacer("C:\\src\\d.txt", "C:\\dest\\d.txt"), 53);
        // Nom tapé dans une autre casse que celle du disque.
        QCOMPARE(deplacer("C:\\SRC\\E.TXT", "C:\\dest\\e.txt"), 0);
        QCOMPARE(QDir(c.hote("dest")).entryList(QDir::Files, QDir::Name),
                 QStringList({"C.TXT", "a.txt", "b.txt", "e.txt"}));
        QCOMPARE(QDir(c.hote("src")).entryList(QDir::Files, QDir::Name),
                 QStringList({"b.txt", "c.txt"}));
    }

    // Chaque processus note ses provisoires, avant de les créer, dans son
    // propre journal verrouillé ; le nettoyage n'efface que ceux des
    // processus disparus, même après un fork (le fils n'écrit pas chez son père).
    void journal_des_provisoires() {
        UniteTemporaire c;
        const QString programme = c.creer_repertoire("prog");
        const QByteArray rep = hote(c.creer_repertoire("rep"));
        definir_journal_provisoires(programme + "/KALDRON.",
                                    [](const QString& nom) { return est_nom_temporaire(nom); });
        QByteArray mien;
        const int fd = creer_provisoire(rep, ".kaldron-", mien);
        QVERIFY(fd >= 0);
        ::close(fd);
        QVERIFY(est_nom_temporaire(QFile::decodeName(mien.mid(rep.size() + 1))));
        const QString journal = journal_provisoires();
        QCOMPARE(journal, programme + "/KALDRON." + QString::number(::getpid()) + ".CPY");
        QCOMPARE(contenu_de(journal), '+' + mien + '\0');

        int tube[2];
        QCOMPARE(::pipe(tube), 0);
        const pid_t fils = ::fork();
        QVERIFY(fils >= 0);
        if (fils == 0) {
            QByteArray sien;
            const char pret = creer_provisoire(rep, ".kaldron-", sien) >= 0 ? 'o' : 'n';
            (void)!::write(tube[1], &pret, 1);
            for (;;)
                ::pause();
        }
        pid_t vivant = fils;
        const auto tuer = qScopeGuard([&vivant] {
            if (vivant > 0 && ::kill(vivant, SIGKILL) == 0)
                ::waitpid(vivant, nullptr, 0);
        });
        char pret = 0;
        QCOMPARE(::read(tube[0], &pret, 1), 1);
        QCOMPARE(pret, 'o');
        const auto provisoires = [&rep] {
            return QDir(QFile::decodeName(rep)).entryList(QDir::Files | QDir::Hidden).size();
        };
        // Le fils vit : son provisoire et le mien restent.
        QCOMPARE(nettoyer_provisoires(), 0);
        QCOMPARE(provisoires(), 2);
        ::kill(fils, SIGKILL);
        QCOMPARE(::waitpid(fils, nullptr, 0), fils);
        vivant = 0;
        QCOMPARE(nettoyer_provisoires(), 1);
        QCOMPARE(QDir(QFile::decodeName(rep)).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QFile::decodeName(mien.mid(rep.size() + 1))});
        QCOMPARE(QDir(programme).entryList(QDir::Files),
                 QStringList{QFileInfo(journal).fileName()});
        QCOMPARE(contenu_de(journal), '+' + mien + '\0');
        // Plus rien en vie : le journal se vide, puis part avec son processus.
        provisoire_fini(mien);
        QCOMPARE(contenu_de(journal), QByteArray());
        definir_journal_provisoires({}, {});
        QVERIFY(!QFileInfo::exists(journal));
        ::close(tube[0]);
        ::close(tube[1]);
    }

    void supprimer_fichier_data() {
        QTest::addColumn<QString>("chemin");
        QTest::addColumn<int>("numero");
        QTest::addColumn<bool>("reste");
        QTest::newRow("normal") << "C:\\A.TXT" << 0 << false;
        QTest::newRow("lecture seule") << "C:\\ro.txt" << 75 << true;
        QTest::newRow("absent") << "C:\\z.txt" << 53 << false;
        QTest::newRow("chemin absent") << "C:\\non\\z.txt" << 76 << false;
        QTest::newRow("répertoire") << "C:\\rep" << 53 << true;
        QTest::newRow("lien vers lecture seule") << "C:\\lien" << 0 << false;
    }
    void supprimer_fichier() {
        QFETCH(QString, chemin);
        UniteTemporaire c;
        c.creer_fichier("a.txt");
        lecture_seule(c.creer_fichier("ro.txt"));
        c.creer_repertoire("rep");
        QVERIFY(QFile::link(c.hote("ro.txt"), c.hote("lien")));
        QTEST(erreur_de([&] { plateforme::supprimer_fichier(chemin); }), "numero");
        QTEST(QFileInfo(dos_vers_hote(chemin)).exists(), "reste");
        QVERIFY(QFileInfo::exists(c.hote("ro.txt")));
    }

    void repertoires_data() {
        QTest::addColumn<bool>("creer");
        QTest::addColumn<QString>("chemin");
        QTest::addColumn<int>("numero");
        QTest::newRow("créer") << true << "C:\\Nouveau" << 0;
        QTest::newRow("créer existant") << true << "C:\\plein" << 75;
        QTest::newRow("créer existant, autre casse") << true << "C:\\PLEIN" << 75;
        QTest::newRow("créer sous un absent") << true << "C:\\non\\x" << 76;
        QTest::newRow("créer nom incorrect") << true << "C:\\a?b" << 64;
        QTest::newRow("supprimer vide") << false << "C:\\VIDE" << 0;
        QTest::newRow("supprimer plein") << false << "C:\\plein" << 75;
        QTest::newRow("supprimer absent") << false << "C:\\non" << 76;
        QTest::newRow("supprimer un fichier") << false << "C:\\plein\\f" << 76;
        QTest::newRow("supprimer le courant") << false << "C:\\courant" << 75;
        QTest::newRow("supprimer la racine") << false << "C:\\" << 75;
    }
    void repertoires() {
        QFETCH(bool, creer);
        QFETCH(QString, chemin);
        UniteTemporaire c;
        c.creer_fichier("plein/f");
        c.creer_repertoire("vide");
        c.creer_repertoire("courant");
        changer_repertoire("C:\\courant");
        const auto operation = creer ? creer_repertoire : supprimer_repertoire;
        QTEST(erreur_de([&] { operation(chemin); }), "numero");
        QVERIFY(QFileInfo::exists(c.hote("plein/f")));
    }

    void fichier_ouvert() {
        UniteTemporaire c;
        {
            FichierOuvert f("C:\\Doc.bin", FichierOuvert::Ecriture);
            f.ecrire("0123456789");
            QCOMPARE(f.position(), 10);
            QCOMPARE(f.chemin_hote(), c.hote("Doc.bin"));
        }
        {
            FichierOuvert f("c:\\doc.BIN", FichierOuvert::Ajout);
            f.ecrire("ab");
            f.fermer();
            QVERIFY(!f.ouvert());
            QCOMPARE(erreur_de([&] { f.ecrire("x"); }), 52);
        }
        FichierOuvert f("C:\\DOC.BIN", FichierOuvert::Lecture);
        QCOMPARE(f.taille(), 12);
        QCOMPARE(f.lire(4), "0123");
        QCOMPARE(f.lire(100), "456789ab");
        QCOMPARE(f.lire(5), "");
        FichierOuvert g("C:\\doc.bin", FichierOuvert::Ecriture);
        QCOMPARE(g.taille(), 0);
        QCOMPARE(c.contenu("Doc.bin"), "");
    }

    void fichier_ouvert_erreurs_data() {
        QTest::addColumn<QString>("chemin");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("numero");
        QTest::newRow("lire un absent") << "C:\\absent" << int(FichierOuvert::Lecture) << 53;
        QTest::newRow("lire sous un absent") << "C:\\non\\x" << int(FichierOuvert::Lecture) << 76;
        QTest::newRow("écrire sous un absent")
            << "C:\\non\\x" << int(FichierOuvert::Ecriture) << 76;
        QTest::newRow("écrire en lecture seule") << "C:\\ro" << int(FichierOuvert::Ecriture) << 75;
        QTest::newRow("ajouter en lecture seule") << "C:\\ro" << int(FichierOuvert::Ajout) << 75;
        QTest::newRow("ouvrir un répertoire") << "C:\\rep" << int(FichierOuvert::Lecture) << 75;
        QTest::newRow("unité inconnue") << "Q:\\x" << int(FichierOuvert::Lecture) << 68;
    }
    void fichier_ouvert_erreurs() {
        QFETCH(QString, chemin);
        QFETCH(int, mode);
        UniteTemporaire c;
        lecture_seule(c.creer_fichier("ro", "garder"));
        c.creer_repertoire("rep");
        QTEST(erreur_de([&] { FichierOuvert f(chemin, FichierOuvert::Mode(mode)); }), "numero");
        QCOMPARE(c.contenu("ro"), "garder");
    }

    void disque_plein() {
        if (!QFileInfo::exists("/dev/full"))
            QSKIP("pas de /dev/full");
        TableUnites::instance().ajouter(u'Y', "/dev");
        FichierOuvert f("Y:\\full", FichierOuvert::Ecriture);
        QCOMPARE(erreur_de([&] { f.ecrire("octets"); }), 61);
    }

    void taille_64_bits() {
        UniteTemporaire c;
        const QByteArray chemin = hote(c.creer_fichier("gros.bin"));
        const qint64 cinq_gio = 5LL << 30;
        const int fd = ::open(chemin.constData(), O_WRONLY);
        QVERIFY(fd >= 0);
        const bool creux = ::ftruncate(fd, cinq_gio) == 0;
        ::close(fd);
        if (!creux)
            QSKIP("fichier creux de 5 Gio impossible ici");
        QCOMPARE(longueur("C:\\GROS.BIN"), cinq_gio);
        QCOMPARE(lister_fichiers("C:\\", "gros.*").value(0).taille, cinq_gio);
        FichierOuvert f("C:\\gros.bin", FichierOuvert::Lecture);
        QCOMPARE(f.taille(), cinq_gio);
    }

    void existence_et_espace() {
        UniteTemporaire c;
        c.creer_fichier("Rep/f.txt", "abc");
        QVERIFY(existe("C:\\REP\\F.TXT"));
        QVERIFY(existe("C:\\rep"));
        QVERIFY(!existe("C:\\rep\\g.txt"));
        QVERIFY(est_repertoire("C:\\Rep"));
        QVERIFY(!est_repertoire("C:\\Rep\\f.txt"));
        QCOMPARE(longueur("c:\\rep\\f.txt"), 3);
        QCOMPARE(erreur_de([] { longueur("C:\\rep\\g.txt"); }), 53);
        QCOMPARE(erreur_de([] { longueur("C:\\non\\g.txt"); }), 76);
        struct statvfs sv;
        QCOMPARE(::statvfs(hote(c.hote("")).constData(), &sv), 0);
        const qint64 libre = qint64(sv.f_bavail) * qint64(sv.f_frsize);
        // Un chemin qui n'existe pas encore compte pour son unité.
        const qint64 mesure = espace_libre("C:\\non\\encore\\la.txt");
        QVERIFY(mesure > 0);
        QVERIFY(qAbs(mesure - libre) < (64LL << 20));
        QCOMPARE(erreur_de([] { espace_libre("Q:\\"); }), 68);
    }
};

QTEST_GUILESS_MAIN(TestFichiers)
#include "test_fichiers.moc"
