// Erreurs d'exécution : correspondance errno, descriptions, reprise.
#include "platform/erreurs.h"

#include <QTest>
#include <cerrno>
#include <cstring>

using namespace plateforme;

class TestErreurs : public QObject {
    Q_OBJECT

private slots:
    void depuis_errno_data();
    void depuis_errno();
    void lever_errno_inconnu();
    void descriptions_data();
    void descriptions();
    void description_inconnue();
    void description_donnee();
    void lever_simple();
    void reprise_data();
    void reprise();
    void reprise_laisse_passer_autres_exceptions();
};

void TestErreurs::depuis_errno_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("numero");

    QTest::newRow("ENOENT") << ENOENT << 53;
    QTest::newRow("ENOTDIR") << ENOTDIR << 76;
    QTest::newRow("ELOOP") << ELOOP << 76;
    QTest::newRow("EEXIST") << EEXIST << 58;
    QTest::newRow("ENOSPC") << ENOSPC << 61;
    QTest::newRow("EDQUOT") << EDQUOT << 61;
    QTest::newRow("ENAMETOOLONG") << ENAMETOOLONG << 64;
    QTest::newRow("EILSEQ") << EILSEQ << 64;
    QTest::newRow("ENODEV") << ENODEV << 68;
    QTest::newRow("ENXIO") << ENXIO << 68;
    QTest::newRow("ENOMEDIUM") << ENOMEDIUM << 68;
    QTest::newRow("EACCES") << EACCES << 70;
    QTest::newRow("EPERM") << EPERM << 70;
    QTest::newRow("EROFS") << EROFS << 70;
    QTest::newRow("EIO") << EIO << 71;
    QTest::newRow("EBUSY") << EBUSY << 75;
    QTest::newRow("ETXTBSY") << ETXTBSY << 75;
    QTest::newRow("EISDIR") << EISDIR << 75;
    QTest::newRow("ENOTEMPTY") << ENOTEMPTY << 75;
    QTest::newRow("EXDEV") << EXDEV << 74;
    QTest::newRow("EMFILE") << EMFILE << 67;
    QTest::newRow("ENFILE") << ENFILE << 67;
    QTest::newRow("ENOMEM") << ENOMEM << 7;
    QTest::newRow("EINVAL") << EINVAL << 5;
    QTest::newRow("EPIPE inconnu") << EPIPE << 57;
    QTest::newRow("ECONNRESET inconnu") << ECONNRESET << 57;
}

void TestErreurs::depuis_errno() {
    QFETCH(int, code);
    QFETCH(int, numero);
    QCOMPARE(numero_depuis_errno(code), numero);
    try {
        lever_errno(code);
    } catch (const ErreurExecution& e) {
        QCOMPARE(e.numero(), numero);
        if (numero != 57)
            QCOMPARE(e.description(), description_erreur(numero));
        return;
    }
    QFAIL("lever_errno n'a rien levé");
}

void TestErreurs::lever_errno_inconnu() {
    // Une valeur sans équivalent garde le texte du système.
    try {
        lever_errno(EPIPE);
    } catch (const ErreurExecution& e) {
        QCOMPARE(e.numero(), 57);
        QCOMPARE(e.description(), QString::fromLocal8Bit(std::strerror(EPIPE)));
        QVERIFY(e.description() != description_erreur(57));
        return;
    }
    QFAIL("lever_errno n'a rien levé");
}

void TestErreurs::descriptions_data() {
    QTest::addColumn<int>("numero");
    QTest::addColumn<QString>("texte");

    QTest::newRow("5") << 5 << "Appel de procédure ou argument incorrect";
    QTest::newRow("7") << 7 << "Mémoire insuffisante";
    QTest::newRow("53") << 53 << "Fichier introuvable";
    QTest::newRow("58") << 58 << "Le fichier existe déjà";
    QTest::newRow("61") << 61 << "Disque plein";
    QTest::newRow("64") << 64 << "Nom de fichier incorrect";
    QTest::newRow("68") << 68 << "Périphérique non disponible";
    QTest::newRow("70") << 70 << "Permission refusée";
    QTest::newRow("71") << 71 << "Disque non prêt";
    QTest::newRow("75") << 75 << "Erreur d'accès au chemin ou au fichier";
    QTest::newRow("76") << 76 << "Chemin d'accès introuvable";
    QTest::newRow("380") << 380 << "Valeur de propriété incorrecte";
}

void TestErreurs::descriptions() {
    QFETCH(int, numero);
    QFETCH(QString, texte);
    QCOMPARE(description_erreur(numero), texte);
    const ErreurExecution e(numero);
    QCOMPARE(e.numero(), numero);
    QCOMPARE(e.description(), texte);
    const QString attendu = texte + QStringLiteral(" (code = ") + QString::number(numero) + u')';
    QCOMPARE(QString::fromUtf8(e.what()), attendu);
}

void TestErreurs::description_inconnue() {
    // Chaque numéro connu a son propre texte ; un inconnu en a un générique.
    QSet<QString> vus;
    for (int n : {5, 7, 9, 52, 53, 54, 55, 57, 58, 61, 62, 63, 64, 67, 68, 70, 71, 74, 75, 76, 380})
        vus.insert(description_erreur(n));
    QCOMPARE(vus.size(), 21);
    QVERIFY(!vus.contains(description_erreur(12345)));
    QVERIFY(description_erreur(12345).contains(u"12345"));
}

void TestErreurs::description_donnee() {
    const ErreurExecution e(57, QStringLiteral("Câble débranché"));
    QCOMPARE(e.description(), QStringLiteral("Câble débranché"));
    QCOMPARE(QByteArray(e.what()), QStringLiteral("Câble débranché (code = 57)").toUtf8());
}

void TestErreurs::lever_simple() {
    QVERIFY_THROWS_EXCEPTION(ErreurExecution, lever(ERR_DISQUE_PLEIN));
    try {
        lever(ERR_DISQUE_PLEIN);
    } catch (const std::exception& e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Disque plein (code = 61)"));
    }
}

void TestErreurs::reprise_data() {
    QTest::addColumn<int>("echecs");
    QTest::addColumn<QList<int>>("reponses");
    QTest::addColumn<bool>("abouti");
    QTest::addColumn<int>("essais");

    QTest::newRow("succes direct") << 0 << QList<int>{} << true << 1;
    QTest::newRow("deux reprises puis succes") << 2 << QList<int>{4, 4} << true << 3;
    QTest::newRow("annuler") << 5 << QList<int>{2} << false << 1;
    QTest::newRow("reprise puis annuler") << 5 << QList<int>{4, 2} << false << 2;
    QTest::newRow("OK n'est pas reprise") << 5 << QList<int>{1} << false << 1;
}

void TestErreurs::reprise() {
    QFETCH(int, echecs);
    QFETCH(QList<int>, reponses);
    QFETCH(bool, abouti);
    QFETCH(int, essais);

    int essai = 0;
    QList<int> numeros_vus;
    const bool resultat = executer_avec_reprise(
        [&] {
            if (++essai <= echecs)
                lever(ERR_DISQUE_PAS_PRET);
        },
        [&](const ErreurExecution& e) {
            numeros_vus.append(e.numero());
            return reponses.takeFirst();
        });
    QCOMPARE(resultat, abouti);
    QCOMPARE(essai, essais);
    QVERIFY(reponses.isEmpty());
    QCOMPARE(numeros_vus, QList<int>(numeros_vus.size(), 71));
}

void TestErreurs::reprise_laisse_passer_autres_exceptions() {
    int rapports = 0;
    QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                             executer_avec_reprise([] { throw std::runtime_error("autre"); },
                                                   [&](const ErreurExecution&) {
                                                       ++rapports;
                                                       return 4;
                                                   }));
    QCOMPARE(rapports, 0);
}

QTEST_GUILESS_MAIN(TestErreurs)
#include "test_erreurs.moc"
