// Service de dialogues : lecture des styles, boîtes Qt pilotées par minuterie,
// et dialogues scriptés des tests.
#include "platform/dialogues.h"
#include "support/dialogues_scriptes.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <utility>

using namespace plateforme;
using essai::DialoguesScriptes;

namespace {

// Agit sur la prochaine boîte modale dès qu'elle paraît.
void quand_modale(std::function<void(QWidget*)> action) {
    auto* minuterie = new QTimer;
    minuterie->setInterval(10);
    QObject::connect(minuterie, &QTimer::timeout, [minuterie, action = std::move(action)] {
        QWidget* modale = QApplication::activeModalWidget();
        if (!modale || !modale->isVisible())
            return;
        minuterie->stop();
        minuterie->deleteLater();
        action(modale);
    });
    minuterie->start();
}

QAbstractButton* bouton(QMessageBox* boite, const QString& texte) {
    for (QAbstractButton* b : boite->buttons())
        if (b->text() == texte)
            return b;
    return nullptr;
}

QStringList textes_visibles(QMessageBox* boite) {
    QStringList textes;
    for (QAbstractButton* b : boite->buttons())
        if (!b->isHidden())
            textes << b->text();
    textes.sort();
    return textes;
}

void echap(QWidget* w) {
    QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_Escape);
}

bool g_restee_ouverte = false;

// Fait les gestes "Echap" ou "clic:<texte>" dans l'ordre, tant que la boîte est
// ouverte ; une boîte restée ouverte est fermée plus tard et notée.
void jouer(QMessageBox* boite, const QStringList& gestes) {
    g_restee_ouverte = false;
    for (const QString& g : gestes) {
        if (!boite->isVisible())
            return;
        if (g == QLatin1String("Echap"))
            echap(boite);
        else if (QAbstractButton* b = bouton(boite, g.mid(5)))
            b->click();
    }
    QTimer::singleShot(500, boite, [boite] {
        g_restee_ouverte = boite->isVisible();
        boite->reject();
    });
}

} // namespace

class TestDialogues : public QObject {
    Q_OBJECT
private slots:
    void style_data();
    void style();
    void texte_affichable_data();
    void texte_affichable();
    void filtre_data();
    void filtre();
    void service_installe();
    void script_en_ordre();
    void question_inattendue_data();
    void question_inattendue();
    void reponse_restante();
    void reponse_sans_bouton_data();
    void reponse_sans_bouton();
    void boite_qt_data();
    void boite_qt();
    void boite_qt_titre_et_texte();
    void message_dialogue_qt_data();
    void message_dialogue_qt();
    void saisie_qt();
};

void TestDialogues::style_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<QList<int>>("boutons");
    QTest::addColumn<int>("icone");
    QTest::addColumn<int>("defaut");
    QTest::addColumn<int>("echappement");
    QTest::newRow("OK seul") << 0 << QList<int>{1} << 0 << 1 << 1;
    QTest::newRow("OK Annuler") << 1 << QList<int>{1, 2} << 0 << 1 << 2;
    QTest::newRow("ARI exclamation") << 2 + 48 << QList<int>{3, 4, 5} << 48 << 3 << 0;
    QTest::newRow("35 Non par défaut") << 35 + 256 << QList<int>{6, 7, 2} << 32 << 7 << 2;
    QTest::newRow("Oui Non sans Échap") << 4 + 32 + 256 << QList<int>{6, 7} << 32 << 7 << 0;
    QTest::newRow("Réessayer Annuler stop") << 5 + 16 << QList<int>{4, 2} << 16 << 4 << 2;
    QTest::newRow("troisième par défaut") << 3 + 512 << QList<int>{6, 7, 2} << 0 << 2 << 2;
    QTest::newRow("troisième absent") << 4 + 512 << QList<int>{6, 7} << 0 << 6 << 0;
    QTest::newRow("information") << 64 << QList<int>{1} << 64 << 1 << 1;
    QTest::newRow("icône inconnue") << 80 << QList<int>{1} << 0 << 1 << 1;
    QTest::newRow("boutons inconnus") << 6 << QList<int>{1} << 0 << 1 << 1;
    QTest::newRow("bit modal ignoré") << 4096 + 4 << QList<int>{6, 7} << 0 << 6 << 0;
}

void TestDialogues::style() {
    QFETCH(int, style);
    const DescriptionStyle d = decrire_style(style);
    QTEST(d.boutons, "boutons");
    QTEST(d.icone, "icone");
    QTEST(d.defaut, "defaut");
    QTEST(d.echappement, "echappement");
}

void TestDialogues::texte_affichable_data() {
    QTest::addColumn<QString>("texte");
    QTest::addColumn<QString>("attendu");
    QTest::newRow("CR") << "a\rb"
                        << "a\nb";
    QTest::newRow("CR LF") << "a\r\nb"
                           << "a\nb";
    QTest::newRow("deux CR") << "a\r\rb"
                             << "a\n\nb";
    QTest::newRow("sans saut") << "abc"
                               << "abc";
}

void TestDialogues::texte_affichable() {
    QFETCH(QString, texte);
    QTEST(plateforme::texte_affichable(texte), "attendu");
}

void TestDialogues::filtre_data() {
    QTest::addColumn<QString>("filtre");
    QTest::addColumn<QString>("attendu");
    QTest::newRow("vide") << ""
                          << "";
    QTest::newRow("programmes puis tous")
        << "Programmes|*.exe; *.com; *.bat; *.pif|Tous les fichiers (*.*)|*.*"
        << "Programmes (*.exe *.com *.bat *.pif);;Tous les fichiers (*)";
    QTest::newRow("description déjà entre parenthèses") << "Programmes (*.exe;*.com)|*.exe;*.com"
                                                        << "Programmes (*.exe *.com)";
    QTest::newRow("morceau orphelin ignoré") << "Texte|*.txt|Seul"
                                             << "Texte (*.txt)";
}

void TestDialogues::filtre() {
    QFETCH(QString, filtre);
    QTEST(filtre_qt(filtre), "attendu");
}

void TestDialogues::service_installe() {
    QVERIFY(dynamic_cast<DialoguesQt*>(&dialogues()));
    {
        DialoguesScriptes d;
        QCOMPARE(&dialogues(), static_cast<ServiceDialogues*>(&d));
    }
    QVERIFY(dynamic_cast<DialoguesQt*>(&dialogues()));
}

void TestDialogues::script_en_ordre() {
    DialoguesScriptes d;
    d.repondre(REP_NON);
    d.repondre_saisie(QStringLiteral("nouveau nom"));
    d.repondre(2);
    d.repondre_fichier(QStringLiteral("/tmp/x.exe"));
    dialogues().bip();
    QCOMPARE(dialogues().message(QStringLiteral("a\rb"), 35 + 256, QStringLiteral("COPIER")),
             int(REP_NON));
    QCOMPARE(dialogues().saisie(QStringLiteral("Nom ?"), QStringLiteral("T"), QStringLiteral("x")),
             QStringLiteral("nouveau nom"));
    QCOMPARE(dialogues().message_dialogue(QStringLiteral("Q"), QStringLiteral("&SELECTIF"),
                                          QStringLiteral("&GLOBAL"), QStringLiteral("&ANNULER"),
                                          QStringLiteral("32"), QStringLiteral("G")),
             2);
    QCOMPARE(dialogues().ouvrir_fichier(QStringLiteral("P"), QStringLiteral("Tous|*.*"),
                                        QStringLiteral("C:\\")),
             QStringLiteral("/tmp/x.exe"));
    dialogues().bip();
    QVERIFY(d.verifier());
    QCOMPARE(d.bips(), 2);
    QCOMPARE(d.questions().size(), 4);
    const essai::Question m = d.questions().first();
    QCOMPARE(m.genre, QStringLiteral("message"));
    QCOMPARE(m.texte, QStringLiteral("a\rb"));
    QCOMPARE(m.titre, QStringLiteral("COPIER"));
    QCOMPARE(m.boutons, (QStringList{"Oui", "Non", "Annuler"}));
    QCOMPARE(m.icone, QStringLiteral("32"));
    QCOMPARE(d.questions()[1].defaut, QStringLiteral("x"));
    QCOMPARE(d.questions()[2].boutons[2], QStringLiteral("&ANNULER"));
    QCOMPARE(d.dernier().genre, QStringLiteral("ouvrir_fichier"));
    QCOMPARE(d.dernier().defaut, QStringLiteral("C:\\"));
}

void TestDialogues::question_inattendue_data() {
    QTest::addColumn<bool>("avec_saisie"); // une réponse d'un autre genre attend
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("prudente");
    QTest::newRow("file vide, Oui Non") << false << 4 << int(REP_NON);
    QTest::newRow("file vide, OK Annuler") << false << 1 << int(REP_ANNULER);
    QTest::newRow("file vide, ARI") << false << 2 << int(REP_ABANDON);
    QTest::newRow("mauvais genre") << true << 35 << int(REP_ANNULER);
}

void TestDialogues::question_inattendue() {
    QFETCH(bool, avec_saisie);
    QFETCH(int, style);
    DialoguesScriptes d;
    if (avec_saisie)
        d.repondre_saisie(QStringLiteral("x"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("question inattendue"));
    QTEST(dialogues().message(QStringLiteral("?"), style, QString()), "prudente");
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("question inattendue"));
    if (avec_saisie)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("inutilisée"));
    QVERIFY(!d.verifier());
    QCOMPARE(d.questions().size(), 1);
    if (avec_saisie) {
        // La réponse attendue reste en file : la suite du script ne glisse pas.
        QCOMPARE(d.saisie(QStringLiteral("n"), QString()), QStringLiteral("x"));
    }
}

void TestDialogues::reponse_restante() {
    DialoguesScriptes d;
    d.repondre(REP_OK);
    QCOMPARE(d.reponses_restantes(), 1);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("inutilisée : 1"));
    QVERIFY(!d.verifier());
    QCOMPARE(d.message(QStringLiteral("m"), MB_OK, QString()), int(REP_OK));
    QVERIFY(d.verifier());
}

void TestDialogues::reponse_sans_bouton_data() {
    QTest::addColumn<QStringList>("libelles");
    QTest::addColumn<int>("reponse");
    QTest::addColumn<bool>("admise");
    QTest::newRow("Échap toujours") << QStringList{"&A", "", ""} << 3 << true;
    QTest::newRow("premier absent") << QStringList{"", "&B", "&C"} << 1 << false;
    QTest::newRow("deuxième présent") << QStringList{"", "&B", "&C"} << 2 << true;
    QTest::newRow("OK implicite") << QStringList{"", "", ""} << 1 << true;
    QTest::newRow("hors plage") << QStringList{"&A", "&B", "&C"} << 4 << false;
}

void TestDialogues::reponse_sans_bouton() {
    QFETCH(QStringList, libelles);
    QFETCH(int, reponse);
    QFETCH(bool, admise);
    DialoguesScriptes d;
    d.repondre(reponse);
    if (!admise) {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("sans bouton"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("sans bouton"));
    }
    QCOMPARE(d.message_dialogue(QStringLiteral("t"), libelles[0], libelles[1], libelles[2],
                                QString(), QString()),
             reponse);
    QCOMPARE(d.verifier(), admise);
}

void TestDialogues::boite_qt_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<QStringList>("gestes");
    QTest::addColumn<int>("attendu");
    QTest::addColumn<QString>("defaut");
    QTest::addColumn<int>("icone");
    QTest::newRow("Non cliqué") << 35 + 256 << QStringList{"clic:Non"} << 7 << "Non"
                                << int(QMessageBox::Question);
    QTest::newRow("Échap = Annuler")
        << 35 << QStringList{"Echap"} << 2 << "Oui" << int(QMessageBox::Question);
    QTest::newRow("Échap sans effet sur Oui Non")
        << 4 + 48 << QStringList{"Echap", "clic:Oui"} << 6 << "Oui" << int(QMessageBox::Warning);
    QTest::newRow("Échap sans effet sur ARI")
        << 2 + 16 + 512 << QStringList{"Echap", "clic:Réessayer"} << 4 << "Ignorer"
        << int(QMessageBox::Critical);
    QTest::newRow("OK seul, Échap")
        << 64 << QStringList{"Echap"} << 1 << "OK" << int(QMessageBox::Information);
}

void TestDialogues::boite_qt() {
    QFETCH(int, style);
    QFETCH(QStringList, gestes);
    QString defaut;
    int icone = -1;
    QStringList boutons;
    quand_modale([&](QWidget* w) {
        auto* boite = qobject_cast<QMessageBox*>(w);
        QVERIFY(boite);
        defaut = boite->defaultButton() ? boite->defaultButton()->text() : QString();
        icone = boite->icon();
        boutons = textes_visibles(boite);
        jouer(boite, gestes);
    });
    DialoguesQt qt;
    QTEST(qt.message(QStringLiteral("Question"), style, QStringLiteral("T")), "attendu");
    QVERIFY(!g_restee_ouverte);
    QTEST(defaut, "defaut");
    QTEST(icone, "icone");
    QStringList attendus;
    for (int r : decrire_style(style).boutons)
        attendus << libelle_reponse(r);
    attendus.sort();
    QCOMPARE(boutons, attendus);
}

void TestDialogues::boite_qt_titre_et_texte() {
    QString titre, texte;
    quand_modale([&](QWidget* w) {
        auto* boite = qobject_cast<QMessageBox*>(w);
        titre = boite->windowTitle();
        texte = boite->text();
        boite->buttons().first()->click();
    });
    DialoguesQt().message(QStringLiteral("ligne 1\rligne 2"), MB_OK, QString());
    QCOMPARE(titre, QCoreApplication::applicationName());
    QCOMPARE(texte, QStringLiteral("ligne 1\nligne 2"));
}

void TestDialogues::message_dialogue_qt_data() {
    QTest::addColumn<QStringList>("libelles");
    QTest::addColumn<QString>("geste");
    QTest::addColumn<int>("attendu");
    QTest::addColumn<QStringList>("visibles");
    QTest::addColumn<QString>("defaut");
    const QStringList deux{"", "&GLOBAL", "&ANNULER"};
    QTest::newRow("deuxième cliqué")
        << deux << "clic:&GLOBAL" << 2 << QStringList{"&ANNULER", "&GLOBAL"} << "&GLOBAL";
    QTest::newRow("Échap sans troisième")
        << QStringList{"&A", "&B", ""} << "Echap" << 3 << QStringList{"&A", "&B"} << "&A";
    QTest::newRow("aucun libellé")
        << QStringList{"", "", ""} << "clic:&OK" << 1 << QStringList{"&OK"} << "&OK";
}

void TestDialogues::message_dialogue_qt() {
    QFETCH(QStringList, libelles);
    QFETCH(QString, geste);
    QStringList visibles;
    QString defaut;
    quand_modale([&](QWidget* w) {
        auto* boite = qobject_cast<QMessageBox*>(w);
        visibles = textes_visibles(boite);
        defaut = boite->defaultButton() ? boite->defaultButton()->text() : QString();
        jouer(boite, {geste});
    });
    DialoguesQt qt;
    QTEST(qt.message_dialogue(QStringLiteral("Texte"), libelles[0], libelles[1], libelles[2],
                              QStringLiteral("32"), QStringLiteral("Titre")),
          "attendu");
    QVERIFY(!g_restee_ouverte);
    QTEST(visibles, "visibles");
    QTEST(defaut, "defaut");
}

void TestDialogues::saisie_qt() {
    DialoguesQt qt;
    quand_modale([](QWidget* w) {
        auto* boite = qobject_cast<QInputDialog*>(w);
        QVERIFY(boite);
        QCOMPARE(boite->textValue(), QStringLiteral("défaut"));
        boite->setTextValue(QStringLiteral("a b.txt"));
        boite->accept();
    });
    QCOMPARE(qt.saisie(QStringLiteral("Nom"), QStringLiteral("T"), QStringLiteral("défaut")),
             QStringLiteral("a b.txt"));
    quand_modale([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    QCOMPARE(qt.saisie(QStringLiteral("Nom"), QStringLiteral("T"), QStringLiteral("x")), QString());
}

QTEST_MAIN(TestDialogues)
#include "test_dialogues.moc"
