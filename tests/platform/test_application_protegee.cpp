// Filet de l'application : une erreur échappée d'un traitement d'événement
// est rapportée, le programme continue, et une boucle locale ne fait pas
// défaire ce que le traitement du dessous tient encore.
#include "platform/application_protegee.h"
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
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

// Vrai si un greffon d'images de Qt est chargé dans ce processus.
bool greffon_d_images_charge() {
    QFile cartes(QStringLiteral("/proc/self/maps"));
    return cartes.open(QIODevice::ReadOnly) && cartes.readAll().contains("/imageformats/");
}
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

    // L'icône des fenêtres est lue sans charger un seul greffon d'images
    // (les charger tous était le plus long du démarrage) ; une icône
    // illisible est dite, sans rien poser.
    void icone_sans_greffons_d_images() {
        if (greffon_d_images_charge())
            QSKIP("un greffon d'images est déjà chargé : rien à observer");
        static const char png[] =
            "\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x00\x00\x02\x00\x00\x00\x02\x08\x06"
            "\x00\x00\x00\x72\xb6\x0d\x24\x00\x00\x00\x11IDAT\x78\x9c\x63\xf8\xcf\xc0\xf0"
            "\x1f\x84\x19\x60\x0c\x00\x47\xca\x07\xf9\x67\x59\x6e\xb7\x00\x00\x00\x00IEND"
            "\xae\x42\x60\x82";
        QTemporaryDir rep;
        QFile fichier(rep.filePath(QStringLiteral("icone.png")));
        QVERIFY(fichier.open(QIODevice::WriteOnly));
        QCOMPARE(fichier.write(png, sizeof png - 1), qint64(sizeof png - 1));
        fichier.close();
        QVERIFY(!plateforme::poser_icone_programme(rep.filePath(QStringLiteral("absente.png"))));
        QVERIFY(QApplication::windowIcon().isNull());
        QVERIFY(plateforme::poser_icone_programme(fichier.fileName()));
        QCOMPARE(QApplication::windowIcon().availableSizes(), QList<QSize>{QSize(2, 2)});
        QVERIFY(!greffon_d_images_charge());
    }
};

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ApplicationProtegee app(argc, argv);
    TestApplicationProtegee essai;
    return QTest::qExec(&essai, argc, argv);
}

#include "test_application_protegee.moc"
