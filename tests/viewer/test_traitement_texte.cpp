// Documents Word et Write : codes de champ, blocs incorporés, et fichiers
// abîmés ou mal nommés lus sans débordement ni boucle sans fin.
#include "viewer/core/traitement_texte.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

using namespace morvine;
using namespace Qt::StringLiterals;

namespace {

void poser_24(QByteArray& octets, int position, qint64 valeur) {
    octets[position] = char(valeur & 255);
    octets[position + 1] = char((valeur >> 8) & 255);
    octets[position + 2] = char((valeur >> 16) & 255);
}

// Document Word : en-tête de 384 octets (longueur aux octets 52 à 54), texte.
QByteArray doc_word(const QByteArray& texte, qint64 longueur = -1) {
    QByteArray octets(384, '\0');
    poser_24(octets, 52, longueur < 0 ? texte.size() : longueur);
    return octets + texte;
}

// Document Write : en-tête de 128 octets (fin du texte aux octets 14 à 16).
QByteArray doc_write(const QByteArray& texte, const QByteArray& suite = {}, qint64 fin = -1) {
    QByteArray octets(128, '\0');
    poser_24(octets, 14, fin < 0 ? 128 + texte.size() : fin);
    return octets + texte + suite;
}

// Bloc incorporé de 40 octets annonçant 'longueur' octets.
QByteArray bloc(qint64 longueur) {
    QByteArray octets(40, 'b');
    poser_24(octets, 15, longueur);
    return octets;
}

QString lire(const QByteArray& octets, bool est_word) {
    QBuffer tampon;
    tampon.setData(octets);
    tampon.open(QIODevice::ReadOnly);
    return est_word ? lire_word(tampon) : lire_write(tampon);
}

} // namespace

class TestTraitementTexte : public QObject {
    Q_OBJECT

private slots:
    void champs_data();
    void champs();
    void champs_profonds_sans_fin();
    void word_data();
    void word();
    void write_data();
    void write();
    void fichiers_abimes_data();
    void fichiers_abimes();
    void octets_au_hasard();
    void echantillons_data();
    void echantillons();
};

void TestTraitementTexte::champs_data() {
    QTest::addColumn<QByteArray>("texte");
    QTest::addColumn<QByteArray>("reste");
    QTest::newRow("avec séparateur : le résultat reste") << QByteArray("Page \x13 PAGE \x14"
                                                                       "3\x15 fin")
                                                         << QByteArray("Page 3 fin");
    QTest::newRow("sans séparateur : tout part") << QByteArray("A\x13 TOC \x15"
                                                               "B")
                                                 << QByteArray("AB");
    QTest::newRow("sans séparateur puis avec") << QByteArray("A\x13X\x15"
                                                             "B\x13Y\x14y\x15"
                                                             "C")
                                               << QByteArray("AByC");
    QTest::newRow("imbriqués : résultat du champ extérieur")
        << QByteArray("\x13 IF \x13 REF a \x14va\x15 = 1 \x14oui\x15!") << QByteArray("oui!");
    QTest::newRow("début sans fin : la marque seule part")
        << QByteArray("A\x13 sans fin") << QByteArray("A sans fin");
    QTest::newRow("début sans fin avec séparateur") << QByteArray("A\x13"
                                                                  "code\x14res")
                                                    << QByteArray("Ares");
    QTest::newRow("fin et séparateur isolés restent") << QByteArray("A\x15"
                                                                    "B\x14"
                                                                    "C")
                                                      << QByteArray("A\x15"
                                                                    "B\x14"
                                                                    "C");
    QTest::newRow("sans champ") << QByteArray("texte\r\n") << QByteArray("texte\r\n");
}

void TestTraitementTexte::champs() {
    QFETCH(QByteArray, texte);
    QFETCH(QByteArray, reste);
    QCOMPARE(retirer_champs(texte), reste);
}

void TestTraitementTexte::champs_profonds_sans_fin() {
    // Un million de débuts sans fin : linéaire, et seules les marques partent.
    const QByteArray texte = QByteArray("\x13x").repeated(1000000);
    QCOMPARE(retirer_champs(texte), QByteArray(1000000, 'x'));
    QCOMPARE(retirer_champs(QByteArray(500000, '\x13') + QByteArray(500000, '\x15')), QByteArray());
}

void TestTraitementTexte::word_data() {
    QTest::addColumn<QByteArray>("octets");
    QTest::addColumn<QString>("texte");
    QTest::newRow("texte Windows-1252") << doc_word("\xc9t\xe9\r\n") << u"Été\r\n"_s;
    QTest::newRow("champ retiré") << doc_word("A\x13 X \x14"
                                              "1\x15Z")
                                  << u"A1Z"_s;
    QTest::newRow("longueur plus courte que le fichier") << doc_word("abcdef", 3) << u"abc"_s;
    QTest::newRow("longueur au-delà du fichier") << doc_word("abc", 0xFFFFFF) << u"abc"_s;
    QTest::newRow("longueur nulle") << doc_word("abc", 0) << QString();
    QTest::newRow("en-tête seul") << doc_word({}) << QString();
    QTest::newRow("en-tête tronqué") << doc_word("abc").left(300) << QString();
}

void TestTraitementTexte::word() {
    QFETCH(QByteArray, octets);
    QFETCH(QString, texte);
    QCOMPARE(lire(octets, true), texte);
}

void TestTraitementTexte::write_data() {
    QTest::addColumn<QByteArray>("octets");
    QTest::addColumn<QString>("texte");
    QTest::newRow("texte simple") << doc_write("Bonjour\r\n\x0c") << u"Bonjour\r\n\x0c"_s;
    QTest::newRow("bloc incorporé") << doc_write("ab\xe4"
                                                 "cd",
                                                 bloc(3) + "XYZ" + "reste")
                                    << u"abXYZ"_s;
    QTest::newRow("bloc qui en annonce un autre")
        << doc_write("a\xe4", bloc(2) + "b\xe4" + bloc(1) + "c") << u"abc"_s;
    QTest::newRow("228 sans bloc : fichier épuisé") << doc_write("a\xe4z") << u"aäz"_s;
    QTest::newRow("bloc incomplet") << doc_write("a\xe4z", bloc(5).left(39)) << u"aäz"_s;
    QTest::newRow("longueur du bloc au-delà du fichier")
        << doc_write("a\xe4z", bloc(0xFFFFFF) + "fin") << u"afin"_s;
    QTest::newRow("longueur du bloc nulle")
        << doc_write("a\xe4\xe4\xe4", bloc(0) + bloc(0)) << u"a"_s;
    QTest::newRow("fin du texte avant l'en-tête") << doc_write("abc", {}, 10) << QString();
    QTest::newRow("fin du texte au-delà du fichier") << doc_write("abc", {}, 0xFFFFFF) << u"abc"_s;
}

void TestTraitementTexte::write() {
    QFETCH(QByteArray, octets);
    QFETCH(QString, texte);
    QCOMPARE(lire(octets, false), texte);
}

void TestTraitementTexte::fichiers_abimes_data() {
    QTest::addColumn<QByteArray>("octets");
    QByteArray ole2("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1");
    ole2 += QByteArray(512 - 8, '\xff');
    ole2 += QByteArray(4096, '\xe4');
    QByteArray chaine_228; // chaque bloc annonce un 228 de plus : fin à l'épuisement
    for (int i = 0; i < 20000; ++i)
        chaine_228 += bloc(1) + '\xe4';
    QTest::newRow("OLE2") << ole2;
    QTest::newRow("RTF")
        << QByteArray("{\\rtf1\\ansi\\deff0 {\\fonttbl{\\f0 Arial;}} Bonjour}").repeated(20);
    QTest::newRow("vide") << QByteArray();
    QTest::newRow("un octet") << QByteArray("\xe4");
    QTest::newRow("zéros") << QByteArray(1000, '\0');
    QTest::newRow("que des 0xFF") << QByteArray(1000, '\xff');
    QTest::newRow("que des 228") << QByteArray(100000, '\xe4');
    QTest::newRow("longue chaîne de blocs") << doc_write("\xe4", chaine_228);
}

void TestTraitementTexte::fichiers_abimes() {
    QFETCH(QByteArray, octets);
    const QString word = lire(octets, true);
    const QString write = lire(octets, false);
    QVERIFY(word.size() <= std::max<qsizetype>(0, octets.size() - 384));
    QVERIFY(write.size() <= std::max<qsizetype>(0, octets.size() - 128));
}

void TestTraitementTexte::octets_au_hasard() {
    // Octets au hasard, riches en marques de champ et en 228 : toujours une fin,
    // jamais plus de texte que le fichier n'en contient.
    QRandomGenerator generateur(2024);
    const char marques[] = {19, 20, 21, char(228), 0, 'a'};
    for (int essai = 0; essai < 2000; ++essai) {
        QByteArray octets(generateur.bounded(2000), '\0');
        for (char& c : octets)
            c = generateur.bounded(4) == 0 ? char(generateur.bounded(256))
                                           : marques[generateur.bounded(6)];
        QVERIFY(lire(octets, true).size() <= std::max<qsizetype>(0, octets.size() - 384));
        QVERIFY(lire(octets, false).size() <= std::max<qsizetype>(0, octets.size() - 128));
        const QByteArray sans_champs = retirer_champs(octets);
        QVERIFY(sans_champs.size() <= octets.size());
        QVERIFY(!sans_champs.contains('\x13'));
    }
}

void TestTraitementTexte::echantillons_data() {
    QTest::addColumn<QString>("nom");
    QTest::addColumn<bool>("est_word");
    QTest::addColumn<QString>("debut");
    QTest::addColumn<int>("longueur");
    QTest::newRow("Word 2") << u"doc/cdverw-CD_VERW.DOC"_s << true
                            << u"#$Inhalt\r\n\r\nDas CD-Verwaltungsprogramm"_s << 1316;
    QTest::newRow("WordPerfect nommé .doc")
        << u"doc/neg-wp51-formatcorpus-testWordPerfect_51_52.doc"_s << true << QString() << -1;
    QTest::newRow("OLE2 nommé .doc")
        << u"doc/neg-ole2-formatcorpus-lorem-ipsum.doc"_s << true << QString() << 0;
    QTest::newRow("Write") << u"wri/formatcorpus-testWindowsWrite.wri"_s << false
                           << u"\r\nSluwe Sjaantje sloeg de slome slager.c."_s << 629 - 128;
    QTest::newRow("OLE2 lu comme Write")
        << u"doc/neg-ole2-formatcorpus-lorem-ipsum.doc"_s << false << QString() << -1;
}

void TestTraitementTexte::echantillons() {
    const QString dossier = qEnvironmentVariable("KALDRON_ECHANTILLONS");
    if (dossier.isEmpty() || !QDir(dossier).exists())
        QSKIP("échantillons absents");
    QFETCH(QString, nom);
    QFETCH(bool, est_word);
    QFETCH(QString, debut);
    QFETCH(int, longueur);
    QFile fichier(dossier + u'/' + nom);
    QVERIFY(fichier.open(QIODevice::ReadOnly));
    const QString texte = est_word ? lire_word(fichier) : lire_write(fichier);
    QVERIFY(texte.startsWith(debut));
    if (longueur >= 0)
        QCOMPARE(texte.size(), longueur);
    QVERIFY(texte.size() <= fichier.size());
}

QTEST_GUILESS_MAIN(TestTraitementTexte)
#include "test_traitement_texte.moc"
