// Instance unique : verrou par utilisateur et passage des arguments.
#include "platform/instance.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>
#include <unistd.h>

using plateforme::InstanceUnique;

class TestInstance : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void identifiant();
    void seconde_copie_refusee();
    void arguments_transmis_data();
    void arguments_transmis();
    void sans_premiere_copie();
    void verrou_rendu_a_la_destruction();
    void verrou_et_prise_perimes();
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
    QVERIFY(premiere.acquerir());
    QVERIFY(premiere.acquerir()); // redemander ne se bloque pas soi-même
    QVERIFY(!seconde.acquerir());
    QVERIFY(autre.acquerir());
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
    QVERIFY(premiere.acquerir());
    QVERIFY(!seconde.acquerir());
    QSignalSpy recus(&premiere, &InstanceUnique::argumentsRecus);
    QVERIFY(seconde.envoyer(arguments));
    QTRY_COMPARE(recus.size(), 1);
    QCOMPARE(recus.first().first().toStringList(), arguments);
    // Un second envoi passe par une nouvelle connexion.
    QVERIFY(seconde.envoyer({QStringLiteral("x")}));
    QTRY_COMPARE(recus.size(), 2);
    QCOMPARE(recus.at(1).first().toStringList(), QStringList{"x"});
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
        QVERIFY(premiere.acquerir());
    }
    InstanceUnique suivante(QStringLiteral("rendu"));
    QVERIFY(suivante.acquerir());
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

    QVERIFY(copie.acquerir());
    QSignalSpy recus(&copie, &InstanceUnique::argumentsRecus);
    QVERIFY(InstanceUnique(QStringLiteral("tombee")).envoyer({QStringLiteral("g")}));
    QTRY_COMPARE(recus.size(), 1);
}

QTEST_GUILESS_MAIN(TestInstance)
#include "test_instance.moc"
