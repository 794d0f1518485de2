// Formats de nombres, dates, numéro de jour, Val, twips et encodage des textes.
#include "platform/encodage.h"
#include "platform/formats.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QStringDecoder>
#include <QTest>
#include <cmath>
#include <limits>

using namespace plateforme;
using namespace Qt::StringLiterals;

class TestFormats : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void milliers_data();
    void milliers();
    void milliers_locale_systeme();
    void zeros_data();
    void zeros();
    void date_heure_data();
    void date_heure();
    void jours_data();
    void jours();
    void numero_jour_aller_retour();
    void blanc_de_tete_data();
    void blanc_de_tete();
    void lecture_val_data();
    void lecture_val();
    void twips_sans_ecran();
    void secondes_monotones_avancent();
    void utf8_valide_data();
    void utf8_valide();
    void encodage_d_un_texte();
    void ressemble_a_du_texte_data();
    void ressemble_a_du_texte();
};

void TestFormats::cleanup() {
    QLocale::setDefault(QLocale::system());
}

// Le séparateur français de Qt est une espace fine insécable : on le
// reprend de la locale plutôt que de le supposer.
static QString groupe(const QLocale& locale, const QStringList& tranches) {
    return tranches.join(locale.groupSeparator());
}

void TestFormats::milliers_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<qint64>("valeur");
    QTest::addColumn<QStringList>("tranches");
    QTest::addColumn<QString>("signe");

    const QLocale fr(QLocale::French, QLocale::France);
    const QLocale en(QLocale::English, QLocale::UnitedStates);
    const QLocale de(QLocale::German, QLocale::Germany);
    QTest::newRow("fr zero") << fr << qint64(0) << QStringList{"0"} << "";
    QTest::newRow("fr 999") << fr << qint64(999) << QStringList{"999"} << "";
    QTest::newRow("fr 1000") << fr << qint64(1000) << QStringList{"1", "000"} << "";
    QTest::newRow("fr millions") << fr << qint64(1234567) << QStringList{"1", "234", "567"} << "";
    QTest::newRow("fr negatif") << fr << qint64(-1234) << QStringList{"1", "234"} << "-";
    QTest::newRow("fr 5 Gio") << fr << qint64(5368709120) << QStringList{"5", "368", "709", "120"}
                              << "";
    QTest::newRow("en millions") << en << qint64(1234567) << QStringList{"1", "234", "567"} << "";
    QTest::newRow("de millions") << de << qint64(1234567) << QStringList{"1", "234", "567"} << "";
    QTest::newRow("C groupe quand meme")
        << QLocale::c() << qint64(1234567) << QStringList{"1", "234", "567"} << "";
    QTest::newRow("C plus grand") << QLocale::c() << std::numeric_limits<qint64>::max()
                                  << QStringList{"9", "223", "372", "036", "854", "775", "807"}
                                  << "";
    QTest::newRow("C plus petit") << QLocale::c() << std::numeric_limits<qint64>::min()
                                  << QStringList{"9", "223", "372", "036", "854", "775", "808"}
                                  << "-";
}

void TestFormats::milliers() {
    QFETCH(QLocale, locale);
    QFETCH(qint64, valeur);
    QFETCH(QStringList, tranches);
    QFETCH(QString, signe);
    QLocale::setDefault(locale);
    QVERIFY(!QLocale().groupSeparator().isEmpty());
    const QString moins = signe.isEmpty() ? QString() : QLocale().negativeSign();
    QCOMPARE(format_milliers(valeur), moins + groupe(QLocale(), tranches));
}

void TestFormats::milliers_locale_systeme() {
    // Quelle que soit la locale de la machine, on retrouve tous les chiffres.
    const qint64 valeur = 98765432109LL;
    QString texte = format_milliers(valeur);
    texte.remove(QLocale().groupSeparator());
    QCOMPARE(texte, QStringLiteral("98765432109"));
}

void TestFormats::zeros_data() {
    QTest::addColumn<qint64>("valeur");
    QTest::addColumn<int>("largeur");
    QTest::addColumn<QString>("attendu");

    QTest::newRow("0## zero") << qint64(0) << 3 << "000";
    QTest::newRow("0## un chiffre") << qint64(7) << 3 << "007";
    QTest::newRow("0## plein") << qint64(123) << 3 << "123";
    QTest::newRow("0## trop long") << qint64(12345) << 3 << "12345";
    QTest::newRow("0####### compteur") << qint64(42) << 8 << "00000042";
    QTest::newRow("0####### trop long") << qint64(1234567890) << 8 << "1234567890";
    QTest::newRow("negatif") << qint64(-5) << 3 << "-005";
    QTest::newRow("plus petit") << std::numeric_limits<qint64>::min() << 3
                                << "-9223372036854775808";
}

void TestFormats::zeros() {
    QFETCH(qint64, valeur);
    QFETCH(int, largeur);
    QFETCH(QString, attendu);
    QCOMPARE(format_zeros(valeur, largeur), attendu);
}

void TestFormats::date_heure_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("heure");
    QTest::addColumn<QString>("date_attendue");
    QTest::addColumn<QString>("heure_attendue");

    QTest::newRow("matin") << QDate(2024, 3, 5) << QTime(9, 5) << "05/03/24"
                           << "9:05";
    QTest::newRow("minuit") << QDate(1999, 12, 31) << QTime(0, 0) << "31/12/99"
                            << "0:00";
    QTest::newRow("soir") << QDate(2000, 1, 1) << QTime(23, 59, 59) << "01/01/00"
                          << "23:59";
    QTest::newRow("midi") << QDate(1995, 11, 20) << QTime(12, 30) << "20/11/95"
                          << "12:30";
}

void TestFormats::date_heure() {
    QFETCH(QDate, date);
    QFETCH(QTime, heure);
    QFETCH(QString, date_attendue);
    QFETCH(QString, heure_attendue);
    // La locale ne doit rien changer à ces formats fixes.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(format_date(date), date_attendue);
    QCOMPARE(format_heure(heure), heure_attendue);
}

void TestFormats::jours_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<qint64>("numero");

    QTest::newRow("origine") << QDate(1899, 12, 30) << qint64(0);
    QTest::newRow("veille") << QDate(1899, 12, 29) << qint64(-1);
    QTest::newRow("1er janvier 1900") << QDate(1900, 1, 1) << qint64(2);
    QTest::newRow("1er janvier 2000") << QDate(2000, 1, 1) << qint64(36526);
    QTest::newRow("29 fevrier 2000") << QDate(2000, 2, 29) << qint64(36585);
    QTest::newRow("1er mars 2000") << QDate(2000, 3, 1) << qint64(36586);
    QTest::newRow("29 fevrier 2024") << QDate(2024, 2, 29) << qint64(45351);
}

void TestFormats::jours() {
    QFETCH(QDate, date);
    QFETCH(qint64, numero);
    QCOMPARE(numero_jour(date), numero);
    QCOMPARE(date_du_numero(numero), date);
}

void TestFormats::numero_jour_aller_retour() {
    for (qint64 n = -800; n < 80000; n += 97)
        QCOMPARE(numero_jour(date_du_numero(n)), n);
}

void TestFormats::blanc_de_tete_data() {
    QTest::addColumn<qint64>("valeur");
    QTest::addColumn<QString>("attendu");

    QTest::newRow("positif") << qint64(12) << " 12";
    QTest::newRow("zero") << qint64(0) << " 0";
    QTest::newRow("negatif") << qint64(-3) << "-3";
    QTest::newRow("grand") << qint64(5368709120) << " 5368709120";
}

void TestFormats::blanc_de_tete() {
    QFETCH(qint64, valeur);
    QFETCH(QString, attendu);
    // Pas de séparateur de milliers, même sous une locale qui en met.
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    QCOMPARE(str_nombre(valeur), attendu);
}

void TestFormats::lecture_val_data() {
    QTest::addColumn<QString>("texte");
    QTest::addColumn<double>("attendu");

    QTest::newRow("entier") << "42" << 42.0;
    QTest::newRow("suivi de lettres") << "12abc" << 12.0;
    QTest::newRow("lettres seules") << "abc" << 0.0;
    QTest::newRow("vide") << "" << 0.0;
    QTest::newRow("blancs et decimal") << "  3.5x" << 3.5;
    QTest::newRow("tabulation en tete") << "\t7" << 7.0;
    QTest::newRow("negatif") << "-3" << -3.0;
    QTest::newRow("plus") << "+8" << 8.0;
    QTest::newRow("signe seul") << "-" << 0.0;
    QTest::newRow("point en tete") << ".25" << 0.25;
    QTest::newRow("point final") << "5." << 5.0;
    QTest::newRow("virgule arrete") << "3,5" << 3.0;
    QTest::newRow("deux points") << "1.2.3" << 1.2;
    QTest::newRow("exposant") << "1.5E3" << 1500.0;
    QTest::newRow("exposant negatif") << "25e-1" << 2.5;
    QTest::newRow("exposant incomplet") << "7E" << 7.0;
    QTest::newRow("exposant sans chiffre") << "7e+x" << 7.0;
    QTest::newRow("blanc interne arrete") << "1 2" << 1.0;
    QTest::newRow("hexadecimal") << "&H1F" << 31.0;
    QTest::newRow("hexadecimal minuscule") << "&hff zz" << 255.0;
    QTest::newRow("octal") << "&O17" << 15.0;
    QTest::newRow("octal arrete au 8") << "&O18" << 1.0;
    QTest::newRow("esperluette seule") << "&" << 0.0;
    QTest::newRow("grand") << "5368709120" << 5368709120.0;
}

void TestFormats::lecture_val() {
    QFETCH(QString, texte);
    QFETCH(double, attendu);
    // Le point décimal ne dépend pas de la locale.
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    QCOMPARE(val(texte), attendu);
}

void TestFormats::twips_sans_ecran() {
    // Sans application graphique : 96 points par pouce, 15 twips par point.
    QCOMPARE(twips_vers_pixels_x(1440), 96);
    QCOMPARE(twips_vers_pixels_y(1440), 96);
    QCOMPARE(twips_vers_pixels_x(15), 1);
    QCOMPARE(twips_vers_pixels_x(22), 1);
    QCOMPARE(twips_vers_pixels_x(23), 2);
    QCOMPARE(twips_vers_pixels_y(-30), -2);
    QCOMPARE(pixels_vers_twips_x(96), 1440.0);
    QCOMPARE(pixels_vers_twips_y(10), 150.0);
    QCOMPARE(twips_vers_pixels_x(pixels_vers_twips_x(333)), 333);
}

void TestFormats::secondes_monotones_avancent() {
    QElapsedTimer temoin;
    const double debut = secondes_monotones();
    temoin.start();
    QVERIFY(debut >= 0);
    while (!temoin.hasExpired(20))
        ;
    const double ecart = secondes_monotones() - debut;
    QVERIFY(ecart >= 0.02);
    QVERIFY(ecart < 60);
}

void TestFormats::utf8_valide_data() {
    QTest::addColumn<QByteArray>("octets");
    QTest::addColumn<bool>("valide");
    QTest::addColumn<bool>("coupe_admis");
    QTest::newRow("ASCII") << QByteArray("abc\r\n") << true << true;
    QTest::newRow("2, 3 et 4 octets")
        << QByteArray("\xc3\xa9\xe2\x82\xac\xf0\x9d\x84\x9e") << true << true;
    QTest::newRow("Windows-1252") << QByteArray("\xe9t\xe9") << false << false;
    QTest::newRow("forme trop longue") << QByteArray("\xc0\xaf") << false << false;
    QTest::newRow("forme trop longue à 3") << QByteArray("\xe0\x80\xaf") << false << false;
    QTest::newRow("moitié de paire") << QByteArray("\xed\xa0\x80") << false << false;
    QTest::newRow("au-delà de U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << false << false;
    QTest::newRow("continuation seule") << QByteArray("a\x82") << false << false;
    QTest::newRow("coupé à la fin") << QByteArray("a\xe2\x82") << false << true;
    QTest::newRow("coupé au milieu") << QByteArray("\xe2\x82"
                                                   "a")
                                     << false << false;
}

void TestFormats::utf8_valide() {
    QFETCH(QByteArray, octets);
    QFETCH(bool, valide);
    QFETCH(bool, coupe_admis);
    QCOMPARE(est_utf8(octets), valide);
    QCOMPARE(est_utf8(octets, true), coupe_admis);
    // L'avis de Qt sur le texte entier.
    QStringDecoder decodeur(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString texte = decodeur.decode(octets);
    QCOMPARE(!decodeur.hasError(), valide);
}

void TestFormats::encodage_d_un_texte() {
    QCOMPARE(detecter_encodage("abc"), Encodage::Utf8);
    QCOMPARE(detecter_encodage(""), Encodage::Utf8);
    QCOMPARE(detecter_encodage("\xc3\xa9"), Encodage::Utf8);
    QCOMPARE(detecter_encodage("\xef\xbb\xbf\xc3\xa9"), Encodage::Utf8Marque);
    QCOMPARE(detecter_encodage("\xef\xbb\xbf\xe9"), Encodage::Windows1252);
    QCOMPARE(detecter_encodage("\xe9"), Encodage::Windows1252);
    // Aller-retour exact, marque comprise.
    const QByteArray marque("\xef\xbb\xbf\xc3\xa9t\xc3\xa9");
    QCOMPARE(decoder_texte(marque, Encodage::Utf8Marque), u"été"_s);
    QCOMPARE(encoder_texte(u"été", Encodage::Utf8Marque), marque);
    QCOMPARE(decoder_texte("\xe9\x80", Encodage::Windows1252), u"é€"_s);
    QCOMPARE(encoder_texte(u"é€ł", Encodage::Windows1252), QByteArray("\xe9\x80?"));
    QVERIFY(ecrivable(u"é€Ÿ", Encodage::Windows1252));
    QVERIFY(!ecrivable(u"é€ł", Encodage::Windows1252));
    QVERIFY(ecrivable(u"ł", Encodage::Utf8));
}

void TestFormats::ressemble_a_du_texte_data() {
    QTest::addColumn<QByteArray>("debut");
    QTest::addColumn<bool>("texte");
    QTest::newRow("CSV") << QByteArray("a;b\r\n1;2\r\n") << true;
    QTest::newRow("UTF-8 coupé par le bloc") << QByteArray("caf\xc3") << true;
    QTest::newRow("Windows-1252") << QByteArray("caf\xe9\x80\f\x1a") << true;
    QTest::newRow("couleurs d'un journal") << QByteArray("\x1b[31mrouge\x1b[0m\n") << true;
    QTest::newRow("octet nul") << QByteArray("ab\0c", 4) << false;
    QTest::newRow("contrôle") << QByteArray("ab\x02") << false;
    QTest::newRow("octet que 1252 n'attribue pas") << QByteArray("a\x81") << false;
    QTest::newRow("mais qui est de l'UTF-8") << QByteArray("\xc3\x81") << true;
}

void TestFormats::ressemble_a_du_texte() {
    QFETCH(QByteArray, debut);
    QFETCH(bool, texte);
    QCOMPARE(plateforme::ressemble_a_du_texte(debut), texte);
}

QTEST_GUILESS_MAIN(TestFormats)
#include "test_formats.moc"
