// Tables dBase : champs, enregistrements supprimés, textes des cellules,
// fichiers abîmés lus sans débordement ni boucle sans fin.
#include "viewer/core/dbase.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryFile>
#include <QTest>

using namespace morvine;
using namespace Qt::StringLiterals;

namespace {

struct Champ {
    QByteArray nom;
    char type;
    int longueur;
};

QByteArray descripteur(const Champ& champ) {
    QByteArray d(32, '\0');
    d.replace(0, std::min<qsizetype>(champ.nom.size(), 11), champ.nom.left(11));
    d[11] = champ.type;
    d[16] = char(champ.longueur);
    return d;
}

// Table dBase III : en-tête, descripteurs, terminateur, 'entre' octets de
// plus, enregistrements (octet de suppression compris), fin de fichier.
QByteArray table(const QList<Champ>& champs, const QList<QByteArray>& enregistrements,
                 const QByteArray& entre = {}) {
    int longueur = 1;
    for (const Champ& c : champs)
        longueur += c.longueur;
    const int en_tete = 32 + 32 * int(champs.size()) + 1 + int(entre.size());
    QByteArray octets(32, '\0');
    octets[0] = 3;
    octets[4] = char(enregistrements.size());
    octets[8] = char(en_tete & 255);
    octets[9] = char(en_tete >> 8);
    octets[10] = char(longueur & 255);
    octets[11] = char(longueur >> 8);
    for (const Champ& c : champs)
        octets += descripteur(c);
    octets += '\x0d' + entre;
    for (const QByteArray& e : enregistrements)
        octets += e;
    return octets + '\x1a';
}

TableDbase lire(const QByteArray& octets) {
    QBuffer tampon;
    tampon.setData(octets);
    tampon.open(QIODevice::ReadOnly);
    return lire_dbase(tampon);
}

const QList<Champ> k_champs = {{"NOM", 'C', 6}, {"NE_LE", 'D', 8}, {"ACTIF", 'L', 1}};

// La table lue à la demande dans un fichier montre exactement ce que la
// lecture entière donne : noms, numéros, chaque cellule.
bool comme_lecture_entiere(const QByteArray& octets, const QList<int>& lignes_vues = {}) {
    QTemporaryFile fichier;
    if (!fichier.open() || fichier.write(octets) != octets.size() || !fichier.flush())
        return false;
    const TableDbase t = lire(octets);
    ModeleTableDbase modele;
    if (!modele.ouvrir(fichier.fileName()) || modele.rowCount() != t.lignes.size() ||
        modele.columnCount() != t.noms.size())
        return false;
    QList<int> lignes = lignes_vues;
    if (lignes.isEmpty()) {
        for (int l = 0; l < t.lignes.size(); ++l)
            lignes << l;
    }
    for (int l : std::as_const(lignes)) {
        if (modele.ligne(l) != t.lignes.value(l) ||
            modele.headerData(l, Qt::Vertical).toString() != t.lignes.value(l).value(0))
            return false;
        for (int c = 0; c < t.noms.size(); ++c) {
            if (modele.index(l, c).data().toString() != t.lignes.value(l).value(c + 1))
                return false;
        }
    }
    for (int c = 0; c < t.noms.size(); ++c) {
        if (modele.headerData(c, Qt::Horizontal).toString() != t.noms[c])
            return false;
    }
    return true;
}

} // namespace

class TestDbase : public QObject {
    Q_OBJECT

private slots:
    void champs_et_lignes();
    void supprimes_numerotation_continue();
    void cellules_data();
    void cellules();
    void octets_apres_terminateur_data();
    void octets_apres_terminateur();
    void nom_sans_zero();
    void fichiers_abimes_data();
    void fichiers_abimes();
    void octets_alteres();
    void grande_table_par_pages();
    void echantillons_data();
    void echantillons();
};

void TestDbase::champs_et_lignes() {
    const TableDbase t = lire(table(k_champs + QList<Champ>{{"NOTE", 'M', 10}, {"N", 'N', 5}},
                                    {" Alice 19870301T0000000001   12"}));
    QCOMPARE(t.noms, QStringList({u"NOM"_s, u"NE_LE"_s, u"ACTIF"_s, u"NOTE"_s, u"N"_s}));
    QCOMPARE(t.types, QByteArray("CDLMN"));
    QCOMPARE(t.longueurs, QList<int>({6, 8, 1, 10, 5}));
    QCOMPARE(t.lignes.size(), 1);
    QCOMPARE(t.lignes[0], QStringList({u"1"_s, u"Alice "_s, u"01/03/87"_s, u"VRAI"_s,
                                       u"***Mémo***"_s, u"   12"_s}));
}

void TestDbase::supprimes_numerotation_continue() {
    const TableDbase t =
        lire(table(k_champs, {" Alice 19870301T", "*Bob   19900101F", " Carla 20011231 "}));
    QCOMPARE(t.lignes.size(), 2);
    QCOMPARE(t.lignes[0].at(0), u"1"_s);
    QCOMPARE(t.lignes[0].at(1), u"Alice "_s);
    QCOMPARE(t.lignes[1], QStringList({u"2"_s, u"Carla "_s, u"31/12/01"_s, u"FAUX"_s}));
}

void TestDbase::cellules_data() {
    QTest::addColumn<char>("type");
    QTest::addColumn<QByteArray>("octets");
    QTest::addColumn<QString>("texte");
    QTest::newRow("L F") << 'L' << QByteArray("F") << u"FAUX"_s;
    QTest::newRow("L ?") << 'L' << QByteArray("?") << u"FAUX"_s;
    QTest::newRow("L blanc") << 'L' << QByteArray(" ") << u"FAUX"_s;
    QTest::newRow("L T") << 'L' << QByteArray("T") << u"VRAI"_s;
    QTest::newRow("L t minuscule") << 'L' << QByteArray("t") << u"FAUX"_s;
    QTest::newRow("L Y") << 'L' << QByteArray("Y") << u"FAUX"_s;
    QTest::newRow("L vide") << 'L' << QByteArray() << u"FAUX"_s;
    QTest::newRow("D 19980315") << 'D' << QByteArray("19980315") << u"15/03/98"_s;
    QTest::newRow("D blanche") << 'D' << QByteArray(8, ' ') << u"  /  /  "_s;
    QTest::newRow("D courte") << 'D' << QByteArray("1998") << u"//98"_s;
    QTest::newRow("M") << 'M' << QByteArray("         7") << u"***Mémo***"_s;
    QTest::newRow("C non coupé") << 'C' << QByteArray("  abc ") << u"  abc "_s;
    QTest::newRow("C Windows-1252") << 'C' << QByteArray("\xe9t\xe9 \x80") << u"été €"_s;
    QTest::newRow("N tel quel") << 'N' << QByteArray(" 12.50") << u" 12.50"_s;
}

void TestDbase::cellules() {
    QFETCH(char, type);
    QFETCH(QByteArray, octets);
    QFETCH(QString, texte);
    QCOMPARE(texte_cellule(type, octets), texte);
}

void TestDbase::octets_apres_terminateur_data() {
    QTest::addColumn<QByteArray>("entre");
    QTest::newRow("aucun") << QByteArray();
    QTest::newRow("un zéro") << QByteArray(1, '\0');
    QTest::newRow("263 octets (FoxPro)") << QByteArray(263, '\0');
}

void TestDbase::octets_apres_terminateur() {
    // La longueur d'en-tête désigne le début des données quand elle suit le
    // terminateur de peu : les enregistrements restent alignés.
    QFETCH(QByteArray, entre);
    const TableDbase t = lire(table(k_champs, {" Alice 19870301T", " Bob   19900101F"}, entre));
    QCOMPARE(t.lignes.size(), 2);
    QCOMPARE(t.lignes[1], QStringList({u"2"_s, u"Bob   "_s, u"01/01/90"_s, u"FAUX"_s}));
}

void TestDbase::nom_sans_zero() {
    const TableDbase t = lire(table({{"ABCDEFGHIJKLMN", 'C', 2}}, {" xy"}));
    QCOMPARE(t.noms, QStringList({u"ABCDEFGHIJK"_s}));
    QCOMPARE(t.lignes.value(0), QStringList({u"1"_s, u"xy"_s}));
}

void TestDbase::fichiers_abimes_data() {
    QTest::addColumn<QByteArray>("octets");
    QTest::addColumn<int>("champs");
    QTest::addColumn<int>("lignes");
    const QByteArray bonne = table(k_champs, {" Alice 19870301T", " Bob   19900101F"});
    QByteArray nulle = bonne;
    nulle[10] = nulle[11] = 0;
    QByteArray enorme = bonne;
    enorme[10] = enorme[11] = char(0xff);
    QByteArray longs = bonne; // champs plus longs que l'enregistrement
    longs[32 + 16] = char(200);
    QByteArray sans_terminateur(32, '\0');
    sans_terminateur[10] = sans_terminateur[11] = char(0xff);
    sans_terminateur += QByteArray(32 * 5 + 7, '\0');
    QTest::newRow("vide") << QByteArray() << 0 << 0;
    QTest::newRow("en-tête tronqué") << bonne.left(20) << 0 << 0;
    QTest::newRow("descripteur tronqué") << bonne.left(32 + 40) << 1 << 0;
    QTest::newRow("longueur d'enregistrement nulle") << nulle << 1 << 0;
    QTest::newRow("longueur d'enregistrement énorme") << enorme << 3 << 0;
    QTest::newRow("descripteurs au-delà du fichier") << sans_terminateur << 5 << 0;
    QTest::newRow("champ plus long que l'enregistrement") << longs << 1 << 2;
    QTest::newRow("dernier enregistrement incomplet") << bonne.left(bonne.size() - 5) << 3 << 1;
}

void TestDbase::fichiers_abimes() {
    QFETCH(QByteArray, octets);
    QFETCH(int, champs);
    QFETCH(int, lignes);
    const TableDbase t = lire(octets);
    QCOMPARE(t.noms.size(), champs);
    QCOMPARE(t.types.size(), champs);
    QCOMPARE(t.longueurs.size(), champs);
    QCOMPARE(t.lignes.size(), lignes);
    for (const QStringList& ligne : t.lignes)
        QCOMPARE(ligne.size(), champs + 1);
    QVERIFY(comme_lecture_entiere(octets));
}

void TestDbase::octets_alteres() {
    // Des octets changés au hasard dans une table valide : la lecture reste
    // bornée par la taille du fichier et chaque ligne a toutes ses cellules.
    const QByteArray bonne =
        table(k_champs, {" Alice 19870301T", "*Bob   19900101F", " Carla 20011231 "});
    QRandomGenerator generateur(1998);
    for (int essai = 0; essai < 3000; ++essai) {
        QByteArray octets = bonne.left(generateur.bounded(int(bonne.size()) + 1));
        for (int n = generateur.bounded(1, 6); n > 0 && !octets.isEmpty(); --n)
            octets[generateur.bounded(int(octets.size()))] = char(generateur.bounded(256));
        const TableDbase t = lire(octets);
        QVERIFY(t.noms.size() <= octets.size() / 32);
        QVERIFY(t.lignes.size() <= octets.size());
        for (const QStringList& ligne : t.lignes)
            QCOMPARE(ligne.size(), t.noms.size() + 1);
        if (essai % 10 == 0)
            QVERIFY2(comme_lecture_entiere(octets), qPrintable(QString::number(essai)));
    }
}

// Des pages de lignes séparées par des suites de supprimés, lues dans le
// désordre ; un parcours arrêté garde les lignes déjà vues.
void TestDbase::grande_table_par_pages() {
    QList<QByteArray> enregistrements;
    for (int n = 0; n < 100000; ++n) {
        const bool supprime = n % 7 == 3 || (n >= 500 && n < 1200);
        enregistrements << (supprime ? "*" : " ") + QByteArray::number(n).leftJustified(6) +
                               "19980315" + (n % 2 ? "T" : "F");
    }
    const QByteArray octets = table(k_champs, enregistrements);
    QVERIFY(comme_lecture_entiere(octets, {0, 127, 128, 129, 300, 1, 255, 256, 84000, 499, 85000}));
    QTemporaryFile fichier;
    QVERIFY(fichier.open() && fichier.write(octets) == octets.size() && fichier.flush());
    ModeleTableDbase modele;
    QList<int> parts;
    QVERIFY(modele.ouvrir(fichier.fileName(), [&](int part) {
        parts << part;
        return false;
    }));
    QCOMPARE(parts.size(), 1);
    QVERIFY(parts.first() > 0 && parts.first() < 1000);
    QVERIFY(modele.rowCount() > 0 && modele.rowCount() < lire(octets).lignes.size());
    const int derniere = modele.rowCount() - 1;
    QCOMPARE(modele.ligne(derniere), lire(octets).lignes.value(derniere));
    QVERIFY(modele.ligne(derniere + 1).isEmpty());
    QString erreur;
    QVERIFY(!modele.ouvrir(fichier.fileName() + u".absent"_s, {}, &erreur));
    QVERIFY(!erreur.isEmpty());
    QCOMPARE(modele.rowCount(), 0);
}

void TestDbase::echantillons_data() {
    QTest::addColumn<QString>("nom");
    QTest::addColumn<int>("champs");
    QTest::addColumn<int>("lignes");
    QTest::addColumn<int>("colonne");
    QTest::addColumn<QString>("premiere");
    QTest::newRow("people") << u"dbfread-people.dbf"_s << 2 << 2 << 2 << u"01/03/87"_s;
    QTest::newRow("memotest") << u"dbfread-memotest.dbf"_s << 3 << 2 << 3 << u"***Mémo***"_s;
    QTest::newRow("harbour") << u"harbour-test.dbf"_s << 11 << 500 << 2
                             << u"Simpson             "_s;
    QTest::newRow("dbase_03") << u"infused-dbase_03.dbf"_s << 31 << 14 << 1 << u"0507121     "_s;
    QTest::newRow("dbase_30") << u"infused-dbase_30.dbf"_s << 145 << 34 << 3 << u"***Mémo***"_s;
    QTest::newRow("dbase_8b") << u"infused-dbase_8b.dbf"_s << 6 << 10 << 3 << u"01/01/70"_s;
}

void TestDbase::echantillons() {
    const QString dossier = qEnvironmentVariable("KALDRON_ECHANTILLONS");
    if (dossier.isEmpty() || !QDir(dossier).exists())
        QSKIP("échantillons absents");
    QFETCH(QString, nom);
    QFETCH(int, champs);
    QFETCH(int, lignes);
    QFETCH(int, colonne);
    QFETCH(QString, premiere);
    QFile fichier(dossier + u"/dbf/"_s + nom);
    QVERIFY(fichier.open(QIODevice::ReadOnly));
    const TableDbase t = lire_dbase(fichier);
    QCOMPARE(t.noms.size(), champs);
    QCOMPARE(t.lignes.size(), lignes);
    QCOMPARE(t.lignes.last().at(0), QString::number(lignes));
    QCOMPARE(t.lignes.first().at(colonne), premiere);
}

QTEST_GUILESS_MAIN(TestDbase)
#include "test_dbase.moc"
