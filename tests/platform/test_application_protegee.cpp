// Filet de l'application : une erreur échappée d'un traitement d'événement
// est rapportée, le programme continue, et une boucle locale ne fait pas
// défaire ce que le traitement du dessous tient encore.
#include "platform/application_protegee.h"
#include <QEventLoop>
#include <QTimer>
#include <QtTest>
#include <new>

using plateforme::ApplicationProtegee;
using plateforme::ErreurExecution;

namespace {
struct Vu {
    int numero;
    bool imbriquee;
};
} // namespace

class TestApplicationProtegee : public QObject {
    Q_OBJECT

    QList<Vu> vus;

    ApplicationProtegee* app() { return static_cast<ApplicationProtegee*>(qApp); }

private slots:
    void init() {
        vus.clear();
        app()->definir_rapport([this](const ErreurExecution& e, bool imbriquee) {
            vus.append({e.numero(), imbriquee});
        });
    }

    // Erreur d'exécution, mémoire épuisée, autre exception : chacune a son
    // numéro, et la boucle d'événements continue après chacune.
    void erreurs_rapportees_puis_continue() {
        QTimer::singleShot(0, [] { throw ErreurExecution(53); });
        QTimer::singleShot(0, [] { throw std::bad_alloc(); });
        QTimer::singleShot(0, [] { throw std::runtime_error("x"); });
        bool suite = false;
        QTimer::singleShot(0, [&suite] { suite = true; });
        QTRY_VERIFY(suite);
        QCOMPARE(vus.size(), 3);
        QCOMPARE(vus[0].numero, 53);
        QCOMPARE(vus[1].numero, 7);
        QCOMPARE(vus[2].numero, 5);
        QVERIFY(!vus[0].imbriquee);
    }

    // Une étape hors de la boucle (le démarrage) a le même filet : la
    // mémoire épuisée y est rapportée, l'appelant continue.
    void etape_hors_boucle() {
        QVERIFY(!app()->proteger([] { throw std::bad_alloc(); }));
        QVERIFY(app()->proteger([] {}));
        QCOMPARE(vus.size(), 1);
        QCOMPARE(vus[0].numero, 7);
        QVERIFY(!vus[0].imbriquee);
    }

    // Une erreur dans une boucle locale est signalée comme imbriquée : le
    // traitement qui attend reprend ensuite normalement.
    void boucle_locale() {
        bool repris = false;
        QTimer::singleShot(0, [&repris] {
            QEventLoop boucle;
            QTimer::singleShot(0, [] { throw ErreurExecution(61); });
            QTimer::singleShot(10, &boucle, &QEventLoop::quit);
            boucle.exec();
            repris = true;
        });
        QTRY_VERIFY(repris);
        QCOMPARE(vus.size(), 1);
        QCOMPARE(vus[0].numero, 61);
        QVERIFY(vus[0].imbriquee);
    }

    // Un rapport qui échoue lui-même ne boucle pas et ne tue pas le programme.
    void rapport_qui_echoue() {
        int appels = 0;
        app()->definir_rapport([&appels](const ErreurExecution&, bool) {
            ++appels;
            throw ErreurExecution(5);
        });
        QTimer::singleShot(0, [] { throw ErreurExecution(76); });
        bool suite = false;
        QTimer::singleShot(0, [&suite] { suite = true; });
        QTRY_VERIFY(suite);
        QCOMPARE(appels, 1);
    }
};

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ApplicationProtegee app(argc, argv);
    TestApplicationProtegee essai;
    return QTest::qExec(&essai, argc, argv);
}

#include "test_application_protegee.moc"
