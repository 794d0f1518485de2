// Disposition et réponses de la fenêtre Dialogue.
#include "manager/common/dialogue.h"
#include "manager/common/message_dialogue.h"
#include "platform/erreurs.h"
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
// Mesures fictives : 100 twips par caractère, 240 par ligne.
MesuresDialogue mesures_fixes() {
    MesuresDialogue m;
    m.largeur_dialogue = 6600;
    m.largeur_message = 5400;
    m.haut_message = 240;
    m.hauteur_bouton = 375;
    m.largeur_texte = [](const QString& t) { return 100.0 * double(t.size()); };
    m.hauteur_texte = [](const QString& t) { return 240.0 * double(t.count(QChar(13)) + 1); };
    return m;
}
} // namespace

class TestMessageDialogue : public QObject {
    Q_OBJECT
private slots:
    void masques_data() {
        QTest::addColumn<QString>("l1");
        QTest::addColumn<QString>("l2");
        QTest::addColumn<QString>("l3");
        QTest::addColumn<int>("masque");
        QTest::addColumn<int>("defaut");
        QTest::addColumn<QList<double>>("gauches"); // des boutons montrés, dans l'ordre
        // Légende la plus large " &ANNULER" = 900 -> B = 950, P = 1100, F = 6600.
        QTest::newRow("1") << u"&ANNULER"_s << QString() << QString() << 1 << 1
                           << QList<double>{2750};
        QTest::newRow("2") << QString() << u"&ANNULER"_s << QString() << 2 << 2
                           << QList<double>{2750};
        QTest::newRow("3") << u"&OUI"_s << u"&ANNULER"_s << QString() << 3 << 1
                           << QList<double>{1466.6666666666667, 4033.3333333333335};
        QTest::newRow("4") << QString() << QString() << u"&ANNULER"_s << 4 << 3
                           << QList<double>{2750};
        QTest::newRow("5") << u"&OUI"_s << QString() << u"&ANNULER"_s << 5 << 1
                           << QList<double>{1466.6666666666667, 4033.3333333333335};
        QTest::newRow("6") << QString() << u"&GLOBAL"_s << u"&ANNULER"_s << 6 << 2
                           << QList<double>{1466.6666666666667, 4033.3333333333335};
        QTest::newRow("7") << u"&OUI"_s << u"&GLOBAL"_s << u"&ANNULER"_s << 7 << 1
                           << QList<double>{825, 2750, 4675};
    }
    void masques() {
        QFETCH(QString, l1);
        QFETCH(QString, l2);
        QFETCH(QString, l3);
        QFETCH(int, masque);
        QFETCH(int, defaut);
        QFETCH(QList<double>, gauches);
        const DispositionDialogue d = disposer_dialogue(mesures_fixes(), u"Texte"_s, l1, l2, l3);
        QCOMPARE(d.masque, masque);
        QCOMPARE(d.bouton_defaut, defaut);
        QList<double> vus;
        for (int i = 0; i < 3; ++i) {
            if (!(d.masque & (1 << i)))
                continue;
            vus << d.boutons[i].left();
            QCOMPARE(d.boutons[i].width(), 950.0); // même largeur pour tous
        }
        QCOMPARE(vus.size(), gauches.size());
        for (int i = 0; i < vus.size(); ++i)
            QVERIFY2(qAbs(vus[i] - gauches[i]) < 1e-6, qPrintable(QString::number(vus[i])));
    }

    void legendes_et_hauteurs() {
        const DispositionDialogue d =
            disposer_dialogue(mesures_fixes(), u"Court"_s, u"&OUI"_s, u"&NON"_s, {});
        QCOMPARE(d.legendes[0], u" &OUI"_s);
        QCOMPARE(d.legendes[1], u" &NON"_s);
        QVERIFY(d.legendes[2].isEmpty());
        QCOMPARE(d.hauteur_message, 3 * 240.0); // au moins trois lignes
        QCOMPARE(d.boutons[0].top(), 240 + 720 + 200.0);
        QCOMPARE(d.boutons[1].top(), d.boutons[0].top());
        QCOMPARE(d.hauteur_dialogue, d.boutons[0].top() + 375 + 700);
        // 200 caractères : 20000 / 5400 + 1 = 4,7 -> 5 lignes.
        const DispositionDialogue long_ =
            disposer_dialogue(mesures_fixes(), QString(200, u'x'), u"&OK"_s, {}, {});
        QCOMPARE(long_.hauteur_message, 5 * 240.0);
    }

    void sans_legende_un_bouton_ok() {
        const DispositionDialogue d = disposer_dialogue(mesures_fixes(), u"Texte"_s, {}, {}, {});
        QCOMPARE(d.masque, 1);
        QCOMPARE(d.legendes[0], u" &OK"_s);
        // "    OK   " mesure 900 -> 950 ; centré.
        QCOMPARE(d.boutons[0].width(), 950.0);
        QCOMPARE(d.boutons[0].left(), (6600 - 1100) / 2.0);
    }

    // La vraie fenêtre : clic, Échap, icône, bouton par défaut.
    void reponses_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("attendu");
        QTest::newRow("clic 2") << u"clic2"_s << 2;
        QTest::newRow("échap") << u"echap"_s << 3;
        QTest::newRow("entrée = défaut") << u"entree"_s << 2;
    }
    void reponses() {
        QFETCH(QString, action);
        QFETCH(int, attendu);
        Dialogue& d = Dialogue::instance();
        QTimer::singleShot(0, &d, [&d, action] {
            if (action == u"clic2"_s)
                d.Bouton2->click();
            else if (action == u"echap"_s)
                QTest::keyClick(&d, Qt::Key_Escape);
            else
                QTest::keyClick(d.focusWidget(), Qt::Key_Return);
        });
        // Seuls les boutons 2 et 3 : le 2 est le bouton par défaut.
        const int r = d.poser(u"Question ?"_s, {}, u"&GLOBAL"_s, u"&ANNULER"_s, u""_s, u"T"_s);
        QCOMPARE(r, attendu);
        QVERIFY(!d.isVisible());
        QVERIFY(!d.Icône->isVisibleTo(&d));
        QVERIFY(!d.Bouton1->isVisibleTo(&d));
        QCOMPARE(d.windowTitle(), u"T"_s);
    }

    void icone_fichier_absent_leve_une_erreur() {
        Dialogue& d = Dialogue::instance();
        QVERIFY_THROWS_EXCEPTION(
            plateforme::ErreurExecution,
            d.poser(u"x"_s, u"&OK"_s, {}, {}, u"/nulle/part/image.bmp"_s, u"T"_s));
    }
};

QTEST_MAIN(TestMessageDialogue)
#include "test_message_dialogue.moc"
