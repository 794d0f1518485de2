// Contrôles : listes des unités, des répertoires et des fichiers, sur une
// unité temporaire.
#include "platform/controles.h"
#include "platform/erreurs.h"
#include "platform/fichiers.h"
#include "platform/unites.h"
#include "support/unite_temporaire.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QtTest>

using namespace plateforme;
using essai::UniteTemporaire;

namespace {

// Numéro de l'erreur levée par f, 0 si aucune.
template <typename F> int erreur_de(F&& f) {
    try {
        f();
    } catch (const ErreurExecution& e) {
        return e.numero();
    }
    return 0;
}

QStringList noms(const ListeFichiers& l) {
    QStringList n;
    for (int i = 0; i < l.listCount(); ++i)
        n << l.list(i);
    return n;
}

QStringList textes(const QListWidget& l) {
    QStringList t;
    for (int i = 0; i < l.count(); ++i)
        t << l.item(i)->text().trimmed();
    return t;
}

QStringList chemins(const QListWidget& l) {
    QStringList c;
    for (int i = 0; i < l.count(); ++i)
        c << l.item(i)->data(Qt::UserRole).toString();
    return c;
}

void cliquer(QListWidget& l, int ligne, Qt::KeyboardModifiers touches = {}) {
    QTest::mouseClick(l.viewport(), Qt::LeftButton, touches,
                      l.visualItemRect(l.item(ligne)).center());
}

// Comme la souris réelle : un clic (appui, relâche), puis l'événement double clic.
void double_cliquer(QListWidget& l, int ligne) {
    cliquer(l, ligne);
    QTest::mouseDClick(l.viewport(), Qt::LeftButton, {}, l.visualItemRect(l.item(ligne)).center());
}

} // namespace

class TestControles : public QObject {
    Q_OBJECT
private slots:
    void unites_affichees();
    void choix_unite_data();
    void choix_unite();
    void unite_par_utilisateur();
    void unite_ajoutee_apres_coup();
    void repertoires_imbriques_data();
    void repertoires_imbriques();
    void repertoire_change_une_fois();
    void repertoire_refuse_data();
    void repertoire_refuse();
    void repertoires_caches();
    void repertoire_clic_et_double_clic();
    void double_clic_apres_navigation_au_clic();
    void repertoire_entree_disparu();
    void fichiers_motif_data();
    void fichiers_motif();
    void fichiers_motif_refuse();
    void selection_gardee();
    void selection_perdue_ailleurs();
    void fichiers_repertoire_absent();
    void fichiers_clics();
    void entree_actualisee();
    void retrait_puis_suivante_montree();
    void selection_en_un_changement();
    void lecture_unique();
};

void TestControles::unites_affichees() {
    UniteTemporaire c(u'C');
    UniteTemporaire a(u'A');
    TableUnites::instance().ajouter(u'Z', QStringLiteral("/"));
    ListeUnites l;
    TableUnites::instance().retirer(u'Z');
    // Le répertoire de l'hôte en entier, pas seulement son dernier nom.
    QStringList attendus{QStringLiteral("a: [") + a.hote("") + "]",
                         QStringLiteral("c: [") + c.hote("") + "]", QStringLiteral("z: [/]")};
    QStringList vus;
    for (int i = 0; i < l.count(); ++i)
        vus << l.itemText(i);
    for (const QString& u : attendus)
        QVERIFY2(vus.contains(u), qPrintable(vus.join(", ")));
    QCOMPARE(vus.indexOf(attendus[0]) < vus.indexOf(attendus[1]), true);
}

void TestControles::choix_unite_data() {
    QTest::addColumn<QString>("demande");
    QTest::addColumn<QString>("debut"); // début de drive(), vide si refusée
    QTest::addColumn<int>("erreur");
    QTest::newRow("d:") << "d:"
                        << "d:" << 0;
    QTest::newRow("chemin complet") << "D:\\x\\y"
                                    << "d:" << 0;
    QTest::newRow("lettre seule") << "d"
                                  << "d:" << 0;
    QTest::newRow("texte de la liste") << "d: [x]"
                                       << "d:" << 0;
    QTest::newRow("inconnue") << "q:"
                              << "" << 68;
    QTest::newRow("pas une lettre") << "1:"
                                    << "" << 68;
    QTest::newRow("vide") << ""
                          << "" << 68;
    QTest::newRow("sans deux-points") << "dx"
                                      << "" << 68;
}

void TestControles::choix_unite() {
    QFETCH(QString, demande);
    QFETCH(QString, debut);
    QFETCH(int, erreur);
    UniteTemporaire c(u'C');
    UniteTemporaire d(u'D');
    ListeUnites l;
    l.setDrive(QStringLiteral("c:"));
    QSignalSpy change(&l, &ListeUnites::driveChanged);
    QCOMPARE(erreur_de([&] { l.setDrive(demande); }), erreur);
    QCOMPARE(l.drive().left(2), erreur ? QStringLiteral("c:") : debut);
    QCOMPARE(change.size(), erreur ? 0 : 1);
    l.setDrive(l.drive()); // même unité : pas de changement annoncé
    QCOMPARE(change.size(), erreur ? 0 : 1);
}

void TestControles::unite_par_utilisateur() {
    UniteTemporaire c(u'C');
    UniteTemporaire d(u'D');
    ListeUnites l;
    l.setDrive(QStringLiteral("c:"));
    QSignalSpy change(&l, &ListeUnites::driveChanged);
    QSignalSpy entree(&l, &ListeUnites::enterPressed);
    l.setCurrentIndex(l.findText(QStringLiteral("d:"), Qt::MatchStartsWith));
    QCOMPARE(change.size(), 1);
    QTest::keyClick(&l, Qt::Key_Return);
    QCOMPARE(entree.size(), 1);
    QCOMPARE(change.size(), 1);
}

void TestControles::unite_ajoutee_apres_coup() {
    UniteTemporaire c(u'C');
    ListeUnites l;
    UniteTemporaire e(u'E');
    l.setDrive(QStringLiteral("E:\\"));
    QVERIFY(l.drive().startsWith(QStringLiteral("e: [")));
}

void TestControles::repertoires_imbriques_data() {
    QTest::addColumn<QString>("chemin");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("entrees");
    QTest::addColumn<int>("curseur"); // ligne du répertoire lui-même
    // Les noms sont montrés tels qu'ils sont sur le disque : Zeta et zeta
    // sont deux répertoires.
    QTest::newRow("racine") << "c:\\"
                            << "C:\\" << QStringList{"c:\\", "Doc", "Zeta", "zeta"} << 0;
    QTest::newRow("casse du disque")
        << "c:\\doc"
        << "C:\\Doc" << QStringList{"c:\\", "Doc", "Sub1", "sub2"} << 1;
    QTest::newRow("profond") << "C:\\DOC\\SUB1\\deep"
                             << "C:\\Doc\\Sub1\\Deep" << QStringList{"c:\\", "Doc", "Sub1", "Deep"}
                             << 3;
    QTest::newRow("point point") << "C:\\Doc\\Sub1\\.."
                                 << "C:\\Doc" << QStringList{"c:\\", "Doc", "Sub1", "sub2"} << 1;
    QTest::newRow("homonyme de casse") << "c:\\Zeta"
                                       << "C:\\Zeta" << QStringList{"c:\\", "Zeta", "Été"} << 1;
}

void TestControles::repertoires_imbriques() {
    QFETCH(QString, chemin);
    QFETCH(int, curseur);
    UniteTemporaire c(u'C');
    c.creer_repertoire(QStringLiteral("Doc/Sub1/Deep"));
    c.creer_repertoire(QStringLiteral("Doc/sub2"));
    c.creer_repertoire(QStringLiteral("zeta"));
    c.creer_repertoire(QStringLiteral("Zeta/Été"));
    c.creer_fichier(QStringLiteral("Doc/f.txt"));
    ListeRepertoires l;
    l.setPath(chemin);
    QTEST(l.path(), "path");
    QTEST(textes(l), "entrees");
    QCOMPARE(l.currentRow(), curseur);
    QCOMPARE(l.cheminSousCurseur(), l.path());
    // Chaque entrée porte son chemin complet ; les sous-répertoires suivent.
    const QStringList c_entrees = chemins(l);
    QCOMPARE(c_entrees.first(), QStringLiteral("C:\\"));
    QCOMPARE(c_entrees.mid(curseur + 1), l.sousRepertoires());
    for (const QString& s : l.sousRepertoires())
        QVERIFY(s.startsWith(l.path()));
    // L'indentation croît avec la profondeur des ancêtres.
    for (int i = 1; i <= curseur; ++i)
        QVERIFY(l.item(i)->text().indexOf(QRegularExpression("\\S")) >
                l.item(i - 1)->text().indexOf(QRegularExpression("\\S")));
}

void TestControles::repertoire_change_une_fois() {
    UniteTemporaire c(u'C');
    c.creer_repertoire(QStringLiteral("Doc"));
    ListeRepertoires l;
    l.setPath(QStringLiteral("C:\\"));
    QSignalSpy change(&l, &ListeRepertoires::pathChanged);
    l.setPath(QStringLiteral("C:\\Doc"));
    QCOMPARE(change.size(), 1);
    l.setPath(QStringLiteral("c:\\DOC")); // même répertoire, autre casse
    QCOMPARE(change.size(), 1);
    c.creer_repertoire(QStringLiteral("Doc/Nouveau"));
    l.rafraichir();
    QCOMPARE(l.sousRepertoires(), QStringList{"C:\\Doc\\Nouveau"});
    QCOMPARE(change.size(), 1);
}

void TestControles::repertoire_refuse_data() {
    QTest::addColumn<QString>("chemin");
    QTest::addColumn<int>("erreur");
    QTest::newRow("absent") << "C:\\Absent" << 76;
    QTest::newRow("fichier") << "C:\\f.txt" << 76;
    QTest::newRow("unité inconnue") << "Q:\\" << 68;
}

void TestControles::repertoire_refuse() {
    QFETCH(QString, chemin);
    UniteTemporaire c(u'C');
    c.creer_repertoire(QStringLiteral("Doc"));
    c.creer_fichier(QStringLiteral("f.txt"));
    ListeRepertoires l;
    l.setPath(QStringLiteral("C:\\Doc"));
    QSignalSpy change(&l, &ListeRepertoires::pathChanged);
    QTEST(erreur_de([&] { l.setPath(chemin); }), "erreur");
    QCOMPARE(l.path(), QStringLiteral("C:\\Doc"));
    QCOMPARE(change.size(), 0);
}

void TestControles::repertoires_caches() {
    UniteTemporaire c(u'C');
    c.creer_repertoire(QStringLiteral(".cache"));
    c.creer_repertoire(QStringLiteral("vu"));
    ListeRepertoires l;
    l.setPath(QStringLiteral("C:\\"));
    QCOMPARE(l.sousRepertoires(), QStringList{"C:\\vu"});
    l.setHidden(true);
    QCOMPARE(l.sousRepertoires(), (QStringList{"C:\\.cache", "C:\\vu"}));
}

void TestControles::repertoire_clic_et_double_clic() {
    UniteTemporaire c(u'C');
    c.creer_repertoire(QStringLiteral("Doc/Sub1"));
    c.creer_repertoire(QStringLiteral("Doc/Sub2"));
    ListeRepertoires l;
    l.resize(300, 300);
    l.show();
    l.setPath(QStringLiteral("C:\\Doc"));
    QSignalSpy clic(&l, &ListeRepertoires::clicked);
    QSignalSpy change(&l, &ListeRepertoires::pathChanged);
    cliquer(l, 3); // Sub2
    QCOMPARE(clic.size(), 1);
    QCOMPARE(l.cheminSousCurseur(), QStringLiteral("C:\\Doc\\Sub2"));
    QCOMPARE(l.path(), QStringLiteral("C:\\Doc")); // un clic ne fait que déplacer le curseur
    double_cliquer(l, 2);                          // Sub1
    QCOMPARE(l.path(), QStringLiteral("C:\\Doc\\Sub1"));
    QCOMPARE(change.size(), 1);
    l.setCurrentRow(0);
    QTest::keyClick(&l, Qt::Key_Return);
    QCOMPARE(l.path(), QStringLiteral("C:\\"));
    QCOMPARE(change.size(), 2);
}

// Le programme suit l'entrée cliquée dès le premier clic : le double clic qui
// suit reste sur ce répertoire, sans changement de plus.
void TestControles::double_clic_apres_navigation_au_clic() {
    UniteTemporaire c(u'C');
    c.creer_repertoire(QStringLiteral("A/B/C"));
    ListeRepertoires l;
    l.resize(300, 300);
    l.show();
    l.setPath(QStringLiteral("C:\\A\\B"));
    connect(&l, &ListeRepertoires::clicked, &l, [&l] { l.setPath(l.cheminSousCurseur()); });
    QSignalSpy change(&l, &ListeRepertoires::pathChanged);
    double_cliquer(l, 1); // A
    QCOMPARE(l.path(), QStringLiteral("C:\\A"));
    QCOMPARE(change.size(), 1);
}

void TestControles::repertoire_entree_disparu() {
    UniteTemporaire c(u'C');
    c.creer_repertoire(QStringLiteral("Doc/Parti"));
    ListeRepertoires l;
    l.setPath(QStringLiteral("C:\\Doc"));
    QVERIFY(QDir(c.hote(QStringLiteral("Doc/Parti"))).removeRecursively());
    QSignalSpy erreur(&l, &ListeRepertoires::errorRaised);
    l.setCurrentRow(2);
    QTest::keyClick(&l, Qt::Key_Enter);
    QCOMPARE(erreur.size(), 1);
    QCOMPARE(erreur.first().first().toInt(), 76);
    QCOMPARE(l.path(), QStringLiteral("C:\\Doc"));
}

void TestControles::fichiers_motif_data() {
    QTest::addColumn<QString>("motif");
    QTest::addColumn<bool>("caches");
    QTest::addColumn<bool>("systeme");
    QTest::addColumn<QStringList>("attendus");
    QTest::newRow("tout") << "*.*" << false << false
                          << QStringList{"a.txt",  "B.TXT", "c.doc", "Facture Décembre.txt",
                                         "README", "readme"};
    QTest::newRow("texte sans égard à la casse")
        << "*.txt" << false << false << QStringList{"a.txt", "B.TXT", "Facture Décembre.txt"};
    QTest::newRow("cachés demandés")
        << "*.txt" << true << false
        << QStringList{".cache.txt", "a.txt", "B.TXT", "Facture Décembre.txt"};
    QTest::newRow("système demandé")
        << "*.txt" << false << true
        << QStringList{"a.txt", "B.TXT", "Facture Décembre.txt", "sys.txt"};
    QTest::newRow("deux motifs") << "*.doc;b.*" << false << false << QStringList{"B.TXT", "c.doc"};
    QTest::newRow("nom exact sans égard à la casse")
        << "readme" << false << false << QStringList{"README", "readme"};
    QTest::newRow("aucun") << "*.xls" << false << false << QStringList{};
    QTest::newRow("point seul") << "." << false << false << QStringList{};
}

void TestControles::fichiers_motif() {
    QFETCH(QString, motif);
    QFETCH(bool, caches);
    QFETCH(bool, systeme);
    QFETCH(QStringList, attendus);
    UniteTemporaire c(u'C');
    for (const char* n : {"a.txt", "B.TXT", "c.doc", ".cache.txt", "sys.txt", "rep.txt/x", "README",
                          "readme", "Facture Décembre.txt"})
        c.creer_fichier(QString::fromUtf8(n));
    definir_attributs(QStringLiteral("C:\\sys.txt"), ATTR_SYSTEME);
    ListeFichiers l;
    l.setPath(QStringLiteral("C:\\"));
    QSignalSpy change(&l, &ListeFichiers::patternChanged);
    l.setHidden(caches);
    l.setSystem(systeme);
    l.setPattern(motif);
    QCOMPARE(noms(l), attendus);
    // La liste montre ce que la lecture du disque rend, sans raccourci.
    const unsigned a = (caches ? ATTR_CACHE : 0u) | (systeme ? ATTR_SYSTEME : 0u);
    QCOMPARE(noms(l), lister_noms_fichiers(QStringLiteral("C:\\"), motif, a));
    QCOMPARE(change.size(), motif == QLatin1String("*.*") ? 0 : 1);
    for (int i = 0; i < l.listCount(); ++i)
        QCOMPARE(l.item(i)->text(), attendus[i]);
    QCOMPARE(l.list(l.listCount()), QString());
}

void TestControles::fichiers_motif_refuse() {
    UniteTemporaire c(u'C');
    c.creer_fichier(QStringLiteral("a.txt"));
    c.creer_fichier(QStringLiteral("b.doc"));
    ListeFichiers l;
    l.setPath(QStringLiteral("C:\\"));
    l.setPattern(QStringLiteral("*.txt"));
    QSignalSpy change(&l, &ListeFichiers::patternChanged);
    QCOMPARE(erreur_de([&] { l.setPattern(QStringLiteral("*.t|t")); }), 380);
    QCOMPARE(l.pattern(), QStringLiteral("*.txt"));
    QCOMPARE(noms(l), QStringList{"a.txt"});
    QCOMPARE(change.size(), 0);
}

void TestControles::selection_gardee() {
    UniteTemporaire c(u'C');
    for (const char* n : {"a.txt", "b.txt", "c.txt", "d.txt"})
        c.creer_fichier(QString::fromUtf8(n));
    ListeFichiers l;
    l.setPath(QStringLiteral("C:\\"));
    l.setSelected(0, true); // a
    l.setSelected(2, true); // c
    l.setListIndex(3);      // curseur sur d
    QVERIFY(!l.selected(3));
    QVERIFY(QFile::remove(c.hote(QStringLiteral("a.txt"))));
    c.creer_fichier(QStringLiteral("b2.txt"));
    l.rafraichir();
    QCOMPARE(noms(l), (QStringList{"b.txt", "b2.txt", "c.txt", "d.txt"}));
    QCOMPARE(l.selectedItems().size(), 1);
    QVERIFY(l.selected(2));
    QCOMPARE(l.list(l.listIndex()), QStringLiteral("d.txt"));
    l.setPath(QStringLiteral("c:\\")); // même répertoire : la sélection reste
    QVERIFY(l.selected(2));
    l.setPattern(QStringLiteral("c*"));
    QVERIFY(l.selected(0));
}

void TestControles::selection_perdue_ailleurs() {
    UniteTemporaire c(u'C');
    c.creer_fichier(QStringLiteral("a.txt"));
    c.creer_fichier(QStringLiteral("sous/a.txt"));
    ListeFichiers l;
    l.setPath(QStringLiteral("C:\\"));
    l.setSelected(0, true);
    QSignalSpy change(&l, &ListeFichiers::pathChanged);
    l.setPath(QStringLiteral("C:\\sous"));
    QCOMPARE(change.size(), 1);
    QCOMPARE(noms(l), QStringList{"a.txt"});
    QVERIFY(!l.selected(0));
}

void TestControles::fichiers_repertoire_absent() {
    UniteTemporaire c(u'C');
    c.creer_fichier(QStringLiteral("a.txt"));
    ListeFichiers l;
    l.setPath(QStringLiteral("C:\\"));
    QSignalSpy change(&l, &ListeFichiers::pathChanged);
    QCOMPARE(erreur_de([&] { l.setPath(QStringLiteral("C:\\absent")); }), 76);
    QCOMPARE(l.path(), QStringLiteral("C:\\"));
    QCOMPARE(noms(l), QStringList{"a.txt"});
    QCOMPARE(change.size(), 0);
}

void TestControles::fichiers_clics() {
    UniteTemporaire c(u'C');
    for (const char* n : {"a.txt", "b.txt", "c.txt"})
        c.creer_fichier(QString::fromUtf8(n));
    ListeFichiers l;
    l.resize(300, 300);
    l.show();
    l.setPath(QStringLiteral("C:\\"));
    QSignalSpy clic(&l, &ListeFichiers::clicked);
    QSignalSpy touche(&l, &ListeFichiers::keyPressed);
    l.setSelected(1, true); // par programme : pas de clic
    QCOMPARE(clic.size(), 0);
    cliquer(l, 0);
    QCOMPARE(clic.size(), 1);
    QVERIFY(l.selected(0) && !l.selected(1));
    cliquer(l, 2, Qt::ControlModifier);
    QCOMPARE(clic.size(), 2);
    QCOMPARE(l.selectedItems().size(), 2);
    cliquer(l, 2, Qt::ControlModifier); // clic qui retire de la sélection
    QCOMPARE(clic.size(), 3);
    QTest::keyClick(&l, Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(clic.size(), 4);
    QTest::keyClick(&l, Qt::Key_Delete);
    QCOMPARE(touche.last().first().toInt(), int(Qt::Key_Delete));
}

// Un fichier créé, remplacé ou retiré par le programme : seule son entrée
// est relue, à sa place dans l'ordre du disque, la sélection des autres reste.
// Pas à pas vers le bas d'une longue liste montrée : chaque entrée retirée
// laisse la suivante choisie, courante et visible, une fois la liste
// dessinée (la mise en page attend ce dessin).
void TestControles::retrait_puis_suivante_montree() {
    UniteTemporaire c(u'C');
    for (int i = 0; i < 300; ++i)
        c.creer_fichier(QStringLiteral("f%1.txt").arg(i, 3, 10, QLatin1Char('0')));
    ListeFichiers l;
    l.resize(200, 120);
    l.setPath(QStringLiteral("C:\\"));
    l.show();
    QVERIFY(QTest::qWaitForWindowExposed(&l));
    for (int i = 0; i < 250; ++i) {
        l.setSelected(0, true);
        l.setListIndex(0);
        QVERIFY(QFile::remove(c.hote(l.list(0))));
        l.actualiserEntree(l.list(0));
        l.setSelected(0, true);
        l.setListIndex(0);
        if (i % 100 == 0)
            QCoreApplication::processEvents();
    }
    l.setSelected(20, true);
    l.setListIndex(20);
    QCOMPARE(l.listCount(), 50);
    QTRY_VERIFY(l.viewport()->rect().contains(l.visualRect(l.currentIndex())));
    QCOMPARE(l.list(l.listIndex()), QStringLiteral("f270.txt"));
    QVERIFY(l.selected(0) && l.selected(20));
}

void TestControles::entree_actualisee() {
    UniteTemporaire c(u'C');
    for (const char* n : {"a.txt", "c.txt", "README", "sous/a.txt"})
        c.creer_fichier(QString::fromUtf8(n));
    ListeFichiers l;
    l.setPath(QStringLiteral("C:\\"));
    l.setPattern(QStringLiteral("*.txt;readme"));
    l.setSelected(1, true); // c.txt
    QSignalSpy choix(&l, &ListeFichiers::selectionModifiee);
    for (const char* n : {"B.TXT", "b.doc", ".cache.txt", "sys.txt"})
        c.creer_fichier(QString::fromUtf8(n));
    definir_attributs(QStringLiteral("C:\\sys.txt"), ATTR_SYSTEME);
    for (const char* n : {"B.TXT", "b.doc", ".cache.txt", "sys.txt", "absent.txt"})
        l.actualiserEntree(QString::fromUtf8(n));
    // Un homonyme de casse n'est pas le fichier demandé.
    l.actualiserEntree(QStringLiteral("readme"));
    l.actualiserEntree(QStringLiteral("README"));
    QCOMPARE(noms(l), (QStringList{"a.txt", "B.TXT", "c.txt", "README"}));
    QCOMPARE(l.indexDe(QStringLiteral("README")), 3);
    QCOMPARE(l.indexDe(QStringLiteral("readme")), -1);
    QCOMPARE(l.selectedItems().size(), 1);
    QVERIFY(l.selected(2));
    QCOMPARE(choix.size(), 0);
    // Un fichier d'un autre répertoire ne change rien ; le fichier disparu part.
    QVERIFY(QFile::remove(c.hote(QStringLiteral("a.txt"))));
    l.actualiserFichier(QStringLiteral("C:\\sous\\a.txt"));
    QCOMPARE(l.listCount(), 4);
    l.actualiserFichier(QStringLiteral("c:\\A.TXT"));
    QCOMPARE(l.listCount(), 4);
    l.actualiserFichier(QStringLiteral("c:\\a.txt"));
    QCOMPARE(noms(l), (QStringList{"B.TXT", "c.txt", "README"}));
    QCOMPARE(choix.size(), 0);
    QVERIFY(QFile::remove(c.hote(QStringLiteral("c.txt"))));
    l.actualiserEntree(QStringLiteral("c.txt"));
    QCOMPARE(noms(l), (QStringList{"B.TXT", "README"}));
    QCOMPARE(choix.size(), 1);
    QVERIFY(l.selectedItems().isEmpty());
    // La relecture complète dit la même chose.
    const QStringList suivis = noms(l);
    l.rafraichir();
    QCOMPARE(noms(l), suivis);
}

// Des milliers d'entrées choisies : une plage, rendue en un seul changement.
void TestControles::selection_en_un_changement() {
    UniteTemporaire c(u'C');
    for (int i = 0; i < 300; ++i)
        c.creer_fichier(QStringLiteral("f%1.txt").arg(i, 3, 10, QLatin1Char('0')));
    ListeFichiers l;
    l.setPath(QStringLiteral("C:\\"));
    // Choisies une à une, comme le pas à pas, les entrées restent une plage.
    for (int i = 0; i < 200; ++i)
        l.setSelected(i, true);
    l.setSelected(250, true);
    QCOMPARE(l.selectionModel()->selection().size(), 2);
    QCOMPARE(l.selectedItems().size(), 201);
    QSignalSpy changements(l.selectionModel(), &QItemSelectionModel::selectionChanged);
    QSignalSpy choix(&l, &ListeFichiers::selectionModifiee);
    QVERIFY(QFile::remove(c.hote(QStringLiteral("f100.txt"))));
    l.rafraichir();
    // La liste vidée, puis toute la sélection gardée en une fois.
    QVERIFY2(changements.size() <= 2, qPrintable(QString::number(changements.size())));
    QCOMPARE(choix.size(), 1);
    QCOMPARE(l.selectedItems().size(), 200);
    QVERIFY(l.selected(0) && l.selected(198) && !l.selected(199) && l.selected(249));
    l.setSelectedRows({5, 7, 9}, false);
    QCOMPARE(l.selectedItems().size(), 197);
    QVERIFY(!l.selected(7) && l.selected(8));
}

// Une action qui ne change rien sur le disque ne relit pas la liste à
// chaque étape ; hors d'elle, toute relecture voit le disque.
void TestControles::lecture_unique() {
    UniteTemporaire c(u'C');
    c.creer_fichier(QStringLiteral("a.txt"));
    c.creer_fichier(QStringLiteral("sous/b.txt"));
    ListeFichiers l;
    {
        const ListeFichiers::LectureUnique une(&l);
        l.setPath(QStringLiteral("C:\\sous"));
        l.setSelected(0, true);
        c.creer_fichier(QStringLiteral("sous/c.txt"));
        l.setPattern(QStringLiteral("."));
        QCOMPARE(l.listCount(), 0);
        l.setPattern(QStringLiteral("*.*"));
        l.setPath(QStringLiteral("C:\\sous"));
        l.rafraichir();
        QCOMPARE(noms(l), QStringList{"b.txt"});
        l.setPath(QStringLiteral("C:\\"));
        QCOMPARE(noms(l), QStringList{"a.txt"});
    }
    l.setPath(QStringLiteral("C:\\sous"));
    QCOMPARE(noms(l), (QStringList{"b.txt", "c.txt"}));
}

QTEST_MAIN(TestControles)
#include "test_controles.moc"
