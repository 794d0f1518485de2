// Arrêt par un signal : le nettoyage a lieu et la boucle d'événements s'arrête.
#include "viewer/ui/arret.h"

#include <QEventLoop>
#include <QTimer>
#include <QtTest>
#include <csignal>

class TestArret : public QObject {
    Q_OBJECT

    int m_nettoyages = 0;

private slots:
    void initTestCase() {
        morvine::arreter_sur_signal([this] { ++m_nettoyages; });
    }

    void signaux_interceptes_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }
    void signaux_interceptes() {
        QFETCH(int, signal);
        struct sigaction action {};
        QCOMPARE(::sigaction(signal, nullptr, &action), 0);
        QVERIFY(action.sa_handler != SIG_DFL && action.sa_handler != SIG_IGN);
    }

    // En dernier : après l'arrêt, la boucle d'événements ne repart plus.
    void sigterm_nettoie_et_quitte() {
        QEventLoop boucle;
        // Filet : sans arrêt par le signal, la boucle s'arrête au bout de 5 s.
        QTimer::singleShot(5000, &boucle, [&boucle] { boucle.exit(1); });
        // Si raise échoue, le filet rend 1 et la comparaison le dit.
        QTimer::singleShot(0, [] { (void)::raise(SIGTERM); });
        QCOMPARE(boucle.exec(), 0);
        QCOMPARE(m_nettoyages, 1);
    }
};

QTEST_MAIN(TestArret)
#include "test_arret.moc"
