// Unités, chemins DOS <-> hôte, répertoires courants, répertoire du programme.
#include "platform/chemins.h"
#include "platform/erreurs.h"
#include "platform/fichiers.h"
#include "platform/profil.h"
#include "platform/programme.h"
#include "platform/unites.h"
#include "support/unite_temporaire.h"

#include "support/erreur_de.h"
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

using namespace plateforme;
using namespace Qt::StringLiterals;
using essai::erreur_de;
using essai::UniteTemporaire;

namespace {

// Variable d'environnement remise à sa valeur d'avant à la fin de l'essai.
class EnvironnementTemporaire {
public:
    EnvironnementTemporaire(const char* nom, const QString& valeur)
        : m_nom(nom), m_avant(qgetenv(nom)), m_defini(qEnvironmentVariableIsSet(nom)) {
        qputenv(nom, QFile::encodeName(valeur));
    }
    ~EnvironnementTemporaire() {
        if (m_defini)
            qputenv(m_nom, m_avant);
        else
            qunsetenv(m_nom);
    }

private:
    const char* m_nom;
    QByteArray m_avant;
    bool m_defini;
};

const QString k_section = QStringLiteral("Unités");

} // namespace

class TestUnitesChemins : public QObject {
    Q_OBJECT

private slots:
    void init() {
        TableUnites::instance().vider();
        reinitialiser_repertoires_courants();
    }

    void hote_vers_dos_data() {
        QTest::addColumn<QString>("hote");
        QTest::addColumn<QString>("dos"); // vide : aucun chemin DOS
        QTest::newRow("racine C") << "/home/a"
                                  << "C:\\";
        QTest::newRow("sous C") << "/home/a/doc/x.txt"
                                << "C:\\doc\\x.txt";
        QTest::newRow("plus long préfixe") << "/home/a/b/c"
                                           << "D:\\c";
        QTest::newRow("préfixe de chaîne seulement") << "/home/ab/c"
                                                     << "Z:\\home\\ab\\c";
        QTest::newRow("bc n'est pas sous b") << "/home/a/bc"
                                             << "C:\\bc";
        QTest::newRow("points résolus") << "/home/a/./y/../z"
                                        << "C:\\z";
        QTest::newRow("barre inverse") << "/home/a/x\\y"
                                       << "";
        QTest::newRow("deux-points") << "/home/a/c:d"
                                     << "";
        QTest::newRow("contrôle") << "/home/a/t\tb"
                                  << "";
        QTest::newRow("racine Z") << "/"
                                  << "Z:\\";
    }
    void hote_vers_dos() {
        QFETCH(QString, hote);
        QFETCH(QString, dos);
        TableUnites::instance().definir({{u'C', "/home/a"}, {u'd', "/home/a/b/"}, {u'Z', "/"}});
        QCOMPARE(plateforme::hote_vers_dos(hote).value_or(QString()), dos);
    }

    void hote_hors_unites() {
        TableUnites::instance().definir({{u'C', "/home/a"}});
        QVERIFY(!plateforme::hote_vers_dos("/home/ab").has_value());
        QVERIFY(!TableUnites::instance().unite_de("/etc").has_value());
        QCOMPARE(TableUnites::instance().unites().size(), 1);
    }

    void nom_exprimable_data() {
        QTest::addColumn<QByteArray>("nom");
        QTest::addColumn<bool>("exprimable");
        QTest::newRow("simple") << QByteArray("a.txt") << true;
        QTest::newRow("accents UTF-8") << QByteArray("\xc3\xa9t\xc3\xa9 2024.txt") << true;
        QTest::newRow("barre inverse") << QByteArray("a\\b") << false;
        QTest::newRow("deux-points") << QByteArray("c:d") << false;
        QTest::newRow("contrôle") << QByteArray("a\x01") << false;
        QTest::newRow("DEL") << QByteArray("a\x7f") << false;
        QTest::newRow("Latin-1 brut") << QByteArray("\xe9t\xe9") << false;
        QTest::newRow("forme trop longue") << QByteArray("\xc0\xaf") << false;
        QTest::newRow("joker") << QByteArray("a*b") << false;
        QTest::newRow("vide") << QByteArray() << false;
    }
    void nom_exprimable() {
        QFETCH(QByteArray, nom);
        QTEST(plateforme::nom_exprimable(nom), "exprimable");
    }

    void chemin_dos_absolu_data() {
        QTest::addColumn<QString>("chemin");
        QTest::addColumn<QString>("absolu");
        QTest::newRow("barres et doubles") << "c:/doc//a.txt"
                                           << "C:\\doc\\a.txt";
        QTest::newRow("point-point") << "C:\\A\\..\\B"
                                     << "C:\\B";
        QTest::newRow("point-point à la racine") << "C:\\..\\..\\x"
                                                 << "C:\\x";
        QTest::newRow("point") << "C:\\.\\x\\."
                               << "C:\\x";
        QTest::newRow("barre finale") << "C:\\Doc\\"
                                      << "C:\\Doc";
        QTest::newRow("racine") << "c:\\"
                                << "C:\\";
        QTest::newRow("unité seule") << "C:"
                                     << "C:\\Doc";
        QTest::newRow("relatif à l'unité") << "C:foo"
                                           << "C:\\Doc\\foo";
        QTest::newRow("relatif à l'unité courante") << "foo"
                                                    << "C:\\Doc\\foo";
        QTest::newRow("racine de l'unité courante") << "\\foo"
                                                    << "C:\\foo";
        QTest::newRow("parent du courant") << ".."
                                           << "C:\\";
        QTest::newRow("autre unité") << "d:bar"
                                     << "D:\\Sub\\bar";
        QTest::newRow("casse gardée") << "d:\\MiXeD\\Nom.Txt"
                                      << "D:\\MiXeD\\Nom.Txt";
    }
    void chemin_dos_absolu() {
        QFETCH(QString, chemin);
        UniteTemporaire c(u'C'), d(u'D');
        c.creer_repertoire("Doc");
        d.creer_repertoire("Sub");
        plateforme::changer_repertoire("C:\\DOC");
        plateforme::changer_repertoire("D:\\Sub");
        plateforme::changer_repertoire("c:\\Doc");
        QTEST(plateforme::chemin_dos_absolu(chemin), "absolu");
    }

    void chemin_incorrect_data() {
        QTest::addColumn<QString>("chemin");
        QTest::addColumn<int>("numero");
        QTest::newRow("unité inconnue") << "Q:\\x" << 68;
        QTest::newRow("unité qui n'est pas une lettre") << "1:\\x" << 64;
        QTest::newRow("étoile") << "C:\\a*b" << 64;
        QTest::newRow("point d'interrogation") << "C:\\a?b" << 64;
        QTest::newRow("chevron") << "C:\\a<b" << 64;
        QTest::newRow("barre verticale") << "C:\\a|b\\c" << 64;
        QTest::newRow("guillemet") << "C:\\a\"b" << 64;
        QTest::newRow("tabulation") << "C:\\a\tb" << 64;
        QTest::newRow("deux-points au milieu") << "C:\\a:b" << 64;
    }
    void chemin_incorrect() {
        QFETCH(QString, chemin);
        QFETCH(int, numero);
        UniteTemporaire c;
        QCOMPARE(erreur_de([&] { plateforme::chemin_dos_absolu(chemin); }), numero);
        QCOMPARE(erreur_de([&] { plateforme::dos_vers_hote(chemin); }), numero);
    }

    void dos_vers_hote_data() {
        QTest::addColumn<QString>("chemin");
        QTest::addColumn<QString>("relatif");
        QTest::newRow("racine") << "C:\\"
                                << "";
        QTest::newRow("casse différente") << "C:\\DOC\\LETTRE.TXT"
                                          << "Doc/Lettre.txt";
        QTest::newRow("nouveau fichier") << "c:\\doc\\Nouveau.txt"
                                         << "Doc/Nouveau.txt";
        QTest::newRow("sous un absent") << "C:\\absent\\X.TXT"
                                        << "absent/X.TXT";
        QTest::newRow("exact abc") << "C:\\mix\\abc"
                                   << "mix/abc";
        QTest::newRow("exact ABC") << "C:\\mix\\ABC"
                                   << "mix/ABC";
        QTest::newRow("aucun exact : premier trié") << "C:\\mix\\aBC"
                                                    << "mix/ABC";
        QTest::newRow("unique Abd") << "C:\\MIX\\abd"
                                    << "mix/Abd";
    }
    void dos_vers_hote() {
        QFETCH(QString, chemin);
        QFETCH(QString, relatif);
        UniteTemporaire c;
        c.creer_fichier("Doc/Lettre.txt");
        for (const char* nom : {"mix/abc", "mix/ABC", "mix/Abc", "mix/Abd"})
            c.creer_fichier(nom);
        QCOMPARE(plateforme::dos_vers_hote(chemin), c.hote(relatif));
    }

    // Les noms gardés en mémoire suivent le disque : un nom apparu ou
    // disparu par un autre programme, ou créé par le nôtre.
    void noms_gardes_suivent_le_disque() {
        UniteTemporaire c;
        c.creer_repertoire("rep");
        QCOMPARE(plateforme::dos_vers_hote("C:\\REP\\LETTRE.TXT"), c.hote("rep/LETTRE.TXT"));
        c.creer_fichier("rep/Lettre.txt");
        QCOMPARE(plateforme::dos_vers_hote("C:\\REP\\LETTRE.TXT"), c.hote("rep/Lettre.txt"));
        QVERIFY(QFile::rename(c.hote("rep/Lettre.txt"), c.hote("rep/autre.txt")));
        QCOMPARE(plateforme::dos_vers_hote("C:\\REP\\LETTRE.TXT"), c.hote("rep/LETTRE.TXT"));
        // Créé par le programme : trouvé sous une autre casse sans relecture.
        FichierOuvert(u"C:\\rep\\Neuf.txt"_s, FichierOuvert::Ecriture).fermer();
        creer_repertoire(u"C:\\rep\\Sous"_s);
        renommer(u"C:\\rep\\autre.txt"_s, u"C:\\rep\\Final.txt"_s);
        QCOMPARE(plateforme::dos_vers_hote("C:\\REP\\NEUF.TXT"), c.hote("rep/Neuf.txt"));
        QCOMPARE(plateforme::dos_vers_hote("C:\\REP\\SOUS"), c.hote("rep/Sous"));
        QCOMPARE(plateforme::dos_vers_hote("C:\\REP\\FINAL.TXT"), c.hote("rep/Final.txt"));
        QCOMPARE(plateforme::dos_vers_hote("C:\\REP\\AUTRE.TXT"), c.hote("rep/AUTRE.TXT"));
    }

    void aller_retour() {
        UniteTemporaire c, a(u'A');
        const QString fichier = a.creer_fichier("Rep/Été.txt");
        QCOMPARE(plateforme::hote_vers_dos(fichier).value_or(QString()), "A:\\Rep\\Été.txt");
        QCOMPARE(plateforme::dos_vers_hote("a:\\rep\\été.TXT"), fichier);
        QCOMPARE(TableUnites::instance().unite_de(c.hote("x"))->lettre, QChar(u'C'));
    }

    void repertoires_courants() {
        UniteTemporaire c, d(u'D');
        c.creer_repertoire("Un/Deux");
        d.creer_repertoire("Trois");
        QCOMPARE(unite_courante(), QChar(u'C'));
        QCOMPARE(repertoire_courant(), "C:\\");
        changer_repertoire("C:\\Un");
        changer_repertoire("Deux");
        changer_repertoire("D:\\Trois");
        // Chaque unité garde le sien ; le processus suit l'unité courante.
        QCOMPARE(repertoire_courant(u'C'), "C:\\Un\\Deux");
        QCOMPARE(repertoire_courant(u'd'), "D:\\Trois");
        QCOMPARE(QDir::currentPath(), c.hote("Un/Deux"));
        changer_unite(u'd');
        QCOMPARE(unite_courante(), QChar(u'D'));
        QCOMPARE(QDir::currentPath(), d.hote("Trois"));
        QCOMPARE(plateforme::chemin_dos_absolu("x"), "D:\\Trois\\x");
        reinitialiser_repertoires_courants();
        QCOMPARE(unite_courante(), QChar(u'C'));
        QCOMPARE(repertoire_courant(u'D'), "D:\\");
    }

    void repertoires_courants_erreurs() {
        UniteTemporaire c;
        c.creer_fichier("fichier.txt");
        QCOMPARE(erreur_de([] { changer_repertoire("C:\\absent"); }), 76);
        QCOMPARE(erreur_de([] { changer_repertoire("C:\\fichier.txt"); }), 76);
        QCOMPARE(erreur_de([] { changer_unite(u'Q'); }), 68);
        QCOMPARE(erreur_de([] { repertoire_courant(u'Q'); }), 68);
        QCOMPARE(repertoire_courant(), "C:\\");
        // Support retiré : l'unité est connue mais sa racine a disparu.
        TableUnites::instance().ajouter(u'E', c.hote("démonté"));
        QCOMPARE(erreur_de([] { changer_unite(u'E'); }), 68);
        QCOMPARE(unite_courante(), QChar(u'C'));
        TableUnites::instance().retirer(u'E');
    }

    void decoupage_data() {
        QTest::addColumn<QString>("chemin");
        QTest::addColumn<QString>("dernier");
        QTest::addColumn<QString>("parent");
        QTest::newRow("fichier") << "C:\\DOC\\A.TXT"
                                 << "A.TXT"
                                 << "C:\\DOC";
        QTest::newRow("sous la racine") << "C:\\DOC"
                                        << "DOC"
                                        << "C:\\";
        QTest::newRow("racine") << "C:\\"
                                << ""
                                << "C:\\";
        QTest::newRow("relatif à l'unité") << "C:A.TXT"
                                           << "A.TXT"
                                           << "C:";
    }
    void decoupage() {
        QFETCH(QString, chemin);
        QTEST(dernier_composant(chemin), "dernier");
        QTEST(repertoire_parent(chemin), "parent");
    }

    void joindre_chemins() {
        QCOMPARE(joindre("C:\\", "A.TXT"), "C:\\A.TXT");
        QCOMPARE(joindre("C:\\DOC", "A.TXT"), "C:\\DOC\\A.TXT");
        QCOMPARE(joindre_hote("/", "etc"), "/etc");
        QCOMPARE(joindre_hote("/home/a", "b"), "/home/a/b");
    }

    void charger_premier_demarrage() {
        QTemporaryDir windows, domicile;
        EnvironnementTemporaire w("KALDRON_WINDOWS", windows.path());
        EnvironnementTemporaire h("HOME", domicile.path());
        TableUnites& table = TableUnites::instance();
        table.charger();
        QVERIFY(table.charge());
        QCOMPARE(table.repertoire(u'C').value_or(QString()), domicile.path());
        QCOMPARE(table.repertoire(u'Z').value_or(QString()), "/");
        QCOMPARE(lire_win_ini(k_section, "C", "", 4097), domicile.path());
        QCOMPARE(lire_win_ini(k_section, "Z", "", 4097), "/");
        // Les volumes amovibles ne prennent ni A:, ni B:.
        QVERIFY(!table.repertoire(u'A') && !table.repertoire(u'B'));
        QCOMPARE(cles_win_ini(k_section, 4096).size(), table.unites().size());
    }

    // Une lettre d'office pour les seuls supports montés pour l'usager.
    void volumes_de_l_usager() {
        QVERIFY(volume_de_l_usager("/media/ana/CLE USB", "ana"));
        QVERIFY(volume_de_l_usager("/run/media/ana/SD", "ana"));
        QVERIFY(!volume_de_l_usager("/mnt/sauvegarde", "ana"));
        QVERIFY(!volume_de_l_usager("/mnt", "ana"));
        QVERIFY(!volume_de_l_usager("/media/ana", "ana"));
        QVERIFY(!volume_de_l_usager("/media/anabelle/CLE", "ana"));
        QVERIFY(!volume_de_l_usager("/media/bob/CLE", "ana"));
        QVERIFY(!volume_de_l_usager("/media/cdrom", "ana"));
        QVERIFY(!volume_de_l_usager("/media/ana/CLE", ""));
    }

    void charger_garde_la_table() {
        QTemporaryDir windows, domicile, autre;
        EnvironnementTemporaire w("KALDRON_WINDOWS", windows.path());
        EnvironnementTemporaire h("HOME", domicile.path());
        ecrire_win_ini(k_section, QStringLiteral("C"), autre.path());
        ecrire_win_ini(k_section, QStringLiteral("k"), QStringLiteral("/srv/k"));
        ecrire_win_ini(k_section, QStringLiteral("Clé"), QStringLiteral("/srv/x"));
        TableUnites& table = TableUnites::instance();
        table.charger();
        QCOMPARE(table.repertoire(u'C').value_or(QString()), autre.path());
        QCOMPARE(table.repertoire(u'K').value_or(QString()), "/srv/k");
        QCOMPARE(table.repertoire(u'Z').value_or(QString()), "/");
        table.vider();
        table.charger();
        QCOMPARE(table.repertoire(u'C').value_or(QString()), autre.path());
        QCOMPARE(lire_win_ini(k_section, "C", "", 4097), autre.path());
    }

    void charger_domicile_non_enregistrable() {
        // Windows-1252 ne sait pas écrire ce nom : mieux vaut ne rien garder
        // qu'un chemin altéré qui désignerait un autre répertoire.
        QTemporaryDir windows, base;
        const QString domicile = base.filePath(QStringLiteral("Ελένη"));
        QVERIFY(QDir().mkpath(domicile));
        EnvironnementTemporaire w("KALDRON_WINDOWS", windows.path());
        EnvironnementTemporaire h("HOME", domicile);
        TableUnites::instance().charger();
        QCOMPARE(TableUnites::instance().repertoire(u'C').value_or(QString()), domicile);
        QCOMPARE(lire_win_ini(k_section, "C", "absente", 4097), "absente");
    }

    void repertoire_programme_impose() {
        UniteTemporaire c;
        c.creer_repertoire("Prog");
        EnvironnementTemporaire p("KALDRON_PROGRAMME", c.hote("Prog"));
        QCOMPARE(repertoire_programme(), "C:\\Prog");
    }

    void repertoire_programme_hors_unites() {
        UniteTemporaire c;
        QTemporaryDir ailleurs;
        EnvironnementTemporaire p("KALDRON_PROGRAMME", ailleurs.path());
        EnvironnementTemporaire w("KALDRON_WINDOWS", c.hote("Windows"));
        QCOMPARE(repertoire_programme(), "C:\\Windows");
        TableUnites::instance().vider();
        QCOMPARE(erreur_de([] { repertoire_programme(); }), 68);
    }

    void repertoire_programme_executable() {
        UniteTemporaire c;
        EnvironnementTemporaire w("KALDRON_WINDOWS", c.hote("Windows"));
        qunsetenv("KALDRON_PROGRAMME");
        // Non couvert par une unité : répertoire Windows.
        QCOMPARE(repertoire_programme(), "C:\\Windows");
        TableUnites::instance().ajouter(u'Y', QCoreApplication::applicationDirPath());
        const bool portable = QFileInfo(QCoreApplication::applicationDirPath()).isWritable();
        QCOMPARE(repertoire_programme(), portable ? "Y:\\" : "C:\\Windows");
        TableUnites::instance().retirer(u'Y');
    }
};

QTEST_GUILESS_MAIN(TestUnitesChemins)
#include "test_unites_chemins.moc"
