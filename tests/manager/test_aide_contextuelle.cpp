// Aide commune à toutes les fenêtres : déclencheurs, fond qui vide la
// ligne, F1, bulle d'une liste, et les pages d'aide (liens et ancres).
#include "manager/common/aide_contextuelle.h"
#include "manager/common/visionneuse_aide.h"
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTextBrowser>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

void entrer(QWidget* w, QPoint p = {5, 5}) {
    const QPointF local(p);
    QEnterEvent e(local, local, QPointF(w->mapToGlobal(p)));
    QCoreApplication::sendEvent(w, &e);
}

void bouger(QWidget* w, QPoint p) {
    QMouseEvent e(QEvent::MouseMove, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::NoButton,
                  Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

void presser(QWidget* w, QPoint p, Qt::KeyboardModifiers touches = {}) {
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::LeftButton,
                  Qt::LeftButton, touches);
    QCoreApplication::sendEvent(w, &e);
}

QString lire(const QString& page) {
    QFile f(aide::repertoire_pages() + u'/' + page);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

class TestAideContextuelle : public QObject {
    Q_OBJECT

    bool m_actif = false;
    QStringList m_affiches;
    QList<QWidget*> m_f1;

    void brancher() {
        aide::Branchement b;
        b.mode_actif = [this] { return m_actif; };
        b.afficher = [this](const QString& t) { m_affiches << t; };
        b.touche_f1 = [this](QWidget* w) { m_f1 << w; };
        aide::brancher(std::move(b));
    }

private slots:
    void init() {
        m_actif = false;
        m_affiches.clear();
        m_f1.clear();
        brancher();
    }
    void cleanup() { aide::debrancher(); }

    // Chaque contrôle ne parle qu'à son déclencheur, et seulement en mode d'aide.
    void declencheurs() {
        QWidget fenetre;
        auto* survol = new QPushButton(u"a"_s, &fenetre);
        survol->setMouseTracking(true); // sinon Qt ne lui passe pas les mouvements
        auto* focus = new QLineEdit(&fenetre);
        auto* clic = new QLabel(u"c"_s, &fenetre);
        aide::attacher(survol, u"  survol"_s);
        aide::attacher(focus, u"  focus"_s, aide::Declencheur::Focus);
        aide::attacher(clic, u"  clic"_s, aide::Declencheur::Clic);
        QCOMPARE(aide::texte_de(focus), u"  focus"_s);
        QCOMPARE(focus->property("texte_aide").toString(), u"  focus"_s);
        QCOMPARE(aide::texte_de(nullptr), QString());

        entrer(survol);
        QVERIFY(m_affiches.isEmpty()); // mode d'aide éteint
        m_actif = true;
        entrer(survol);
        bouger(survol, {3, 3});
        QCOMPARE(m_affiches, QStringList({u"  survol"_s, u"  survol"_s}));
        m_affiches.clear();
        entrer(focus);
        entrer(clic);
        QVERIFY(m_affiches.isEmpty()); // ni le focus ni le clic n'écoutent le survol

        QFocusEvent gagne(QEvent::FocusIn);
        QCoreApplication::sendEvent(focus, &gagne);
        QCoreApplication::sendEvent(survol, &gagne);
        QCOMPARE(m_affiches, QStringList({u"  focus"_s}));
        m_affiches.clear();
        presser(clic, {2, 2});
        presser(survol, {2, 2});
        QCOMPARE(m_affiches, QStringList({u"  clic"_s}));
    }

    // Une liste reçoit souris et survol par sa zone d'affichage.
    void liste_par_sa_zone_d_affichage() {
        m_actif = true;
        QListWidget liste;
        liste.addItem(u"x"_s);
        aide::attacher(&liste, u"  liste"_s);
        entrer(liste.viewport());
        QCOMPARE(m_affiches, QStringList({u"  liste"_s}));
    }

    // Le fond vide la ligne, sauf au-dessus d'un contrôle qui a un texte.
    void fond_qui_vide_la_ligne() {
        m_actif = true;
        QWidget fond;
        fond.resize(200, 100);
        auto* etiquette = new QLabel(u"avec aide"_s, &fond);
        etiquette->setGeometry(0, 0, 100, 30);
        auto* muet = new QLabel(u"sans aide"_s, &fond);
        muet->setGeometry(0, 50, 100, 30);
        aide::attacher(etiquette, u"  étiquette"_s);
        aide::vider_au_survol(&fond);
        QVERIFY(fond.hasMouseTracking());
        bouger(&fond, {150, 10});
        bouger(&fond, {10, 10}); // au-dessus de l'étiquette : rien
        bouger(&fond, {10, 60}); // au-dessus d'un contrôle muet : vidée
        QCOMPARE(m_affiches, QStringList({QString(), QString()}));
        m_actif = false;
        bouger(&fond, {150, 10});
        QCOMPARE(m_affiches.size(), 2);
    }

    // F1 va au contrôle focalisé d'une fenêtre qui l'a demandé, et à lui seul.
    void touche_f1() {
        QWidget fenetre;
        auto* champ = new QLineEdit(&fenetre);
        QWidget autre;
        auto* champ_autre = new QLineEdit(&autre);
        aide::installer_f1(&fenetre);
        QSignalSpy edite(champ, &QLineEdit::textEdited);
        QTest::keyClick(champ, Qt::Key_F1);
        QCOMPARE(m_f1, QList<QWidget*>({champ}));
        QTest::keyClick(champ, Qt::Key_A);
        QCOMPARE(m_f1.size(), 1);
        QCOMPARE(edite.count(), 1); // les autres touches passent
        QTest::keyClick(champ_autre, Qt::Key_F1);
        QCOMPARE(m_f1.size(), 1); // fenêtre sans F1
        // F1 tenu enfoncé : les répétitions ne rebasculent pas l'aide.
        QKeyEvent repetition(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier, QString(), true);
        QCoreApplication::sendEvent(champ, &repetition);
        QCOMPARE(m_f1.size(), 1);
        // Débranchée, l'aide laisse passer F1 sans rien appeler.
        aide::debrancher();
        QTest::keyClick(champ, Qt::Key_F1);
        QCOMPARE(m_f1.size(), 1);
    }

    // Texte de repos à la fermeture, seulement en mode d'aide.
    void fermeture_d_une_fenetre() {
        aide::fenetre_fermee();
        QVERIFY(m_affiches.isEmpty());
        m_actif = true;
        QVERIFY(aide::mode_actif());
        aide::fenetre_fermee();
        QCOMPARE(m_affiches, QStringList({aide::texte_de_repos()}));
        QVERIFY(aide::texte_de_repos().startsWith(u"  Cliquez sur un élément"_s));
        aide::debrancher();
        QVERIFY(!aide::mode_actif());
        aide::afficher(u"rien"_s); // sans branchement : sans effet ni plantage
    }

    // Bulle d'une liste : l'entrée trop large en entier, cachée au défilement,
    // et un clic sur elle choisit l'entrée recouverte.
    void bulle_d_une_liste() {
        QWidget fenetre;
        fenetre.resize(600, 300);
        auto* liste = new QListWidget(&fenetre);
        liste->setGeometry(10, 10, 120, 120);
        const QString long_ = u"c:\\un\\chemin\\de\\fichier\\beaucoup\\trop\\long.txt"_s;
        for (int i = 0; i < 30; ++i)
            liste->addItem(u"court%1"_s.arg(i));
        liste->insertItem(1, long_);
        aide::tip_sur_liste(liste);
        aide::tip_sur_liste(liste); // une seule bulle même appelée deux fois
        fenetre.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fenetre));

        QWidget* vp = liste->viewport();
        const QRect r1 = liste->visualItemRect(liste->item(1));
        bouger(vp, {r1.left() + 5, r1.center().y()});
        const QList<QLineEdit*> bulles = fenetre.findChildren<QLineEdit*>(u"Tip"_s);
        QCOMPARE(bulles.size(), 1);
        QLineEdit* tip = bulles.first();
        QVERIFY(tip->isVisible());
        QVERIFY(tip->isReadOnly());
        QCOMPARE(tip->text(), long_);
        QVERIFY(tip->width() > vp->width());

        const QRect r0 = liste->visualItemRect(liste->item(0));
        bouger(vp, {r0.left() + 5, r0.center().y()});
        QVERIFY(!tip->isVisible()); // une entrée qui tient n'a pas de bulle

        bouger(vp, {r1.left() + 5, r1.center().y()});
        QVERIFY(tip->isVisible());
        presser(tip, {3, 3});
        QCOMPARE(liste->currentRow(), 1);
        QVERIFY(liste->item(1)->isSelected());

        bouger(vp, {r1.left() + 5, r1.center().y()});
        QVERIFY(tip->isVisible());
        liste->verticalScrollBar()->setValue(5);
        QVERIFY(!tip->isVisible());

        // Plus large que la fenêtre : la ligne entière, sans coupure à son bord.
        const QFontMetrics m(tip->font());
        QString tres_long = u"c:"_s;
        while (m.horizontalAdvance(tres_long) < fenetre.width() + 100)
            tres_long += u"\\dossier"_s;
        tres_long += u"\\fin.txt"_s;
        const QRect ecran = fenetre.screen()->availableGeometry();
        QVERIFY(m.horizontalAdvance(tres_long) < ecran.width() - 40);
        liste->item(8)->setText(tres_long);
        const QRect r8 = liste->visualItemRect(liste->item(8));
        bouger(vp, {r8.left() + 5, r8.center().y()});
        QVERIFY(tip->isVisible());
        QCOMPARE(tip->text(), tres_long);
        const QRect place(tip->mapToGlobal(QPoint(0, 0)), tip->size());
        QVERIFY(place.width() > m.horizontalAdvance(tres_long));
        QVERIFY(ecran.contains(place));
        // Rien n'en est caché par la fenêtre de la liste.
        QCOMPARE(tip->visibleRegion().boundingRect(), tip->rect());
        // Le curseur au bout, le début reste en vue : la ligne n'a pas défilé.
        tip->setCursorPosition(int(tres_long.size()));
        QCOMPARE(tip->cursorPositionAt({0, tip->height() / 2}), 0);

        // Une ligne ajoutée au-dessus déplace l'entrée : la bulle s'en va.
        liste->insertItem(0, u"nouvelle"_s);
        QVERIFY(!tip->isVisible());
    }

    // Page et ancre d'un contrôle ; le champ d'une liste modifiable donne la liste.
    void page_et_ancre() {
        QCOMPARE(aide::page_de_fenetre(u"Gestion_Fichiers"_s), u"principale.html"_s);
        QCOMPARE(aide::page_de_fenetre(u"Corbeille"_s), u"corbeille.html"_s);
        QCOMPARE(aide::page_de_fenetre(u"Inconnue"_s), u"index.html"_s);
        QWidget fenetre;
        fenetre.setObjectName(u"Choix_Options"_s);
        auto* combo = new QComboBox(&fenetre);
        combo->setObjectName(u"Sélection_fichiers"_s);
        combo->setEditable(true);
        QCOMPARE(aide::ancre_de(combo->lineEdit()), u"Sélection_fichiers"_s);
        QCOMPARE(aide::ancre_de(&fenetre), QString());
        QCOMPARE(aide::ancre_de(nullptr), QString());
        auto* anonyme = new QWidget(&fenetre);
        QCOMPARE(aide::ancre_de(anonyme), QString());
    }

    // Installées à côté de l'exécutable (<préfixe>/share/kaldron/aide), les
    // pages passent avant celles de l'arbre source.
    void pages_installees_d_abord() {
        const QString source = aide::repertoire_pages();
        QVERIFY(!source.isEmpty());
        const QString installe =
            QDir::cleanPath(QCoreApplication::applicationDirPath() + u"/../share/kaldron/aide"_s);
        QCOMPARE(aide::repertoires_candidats().value(0), installe);
        QVERIFY(!QFileInfo::exists(installe));
        QVERIFY(QDir().mkpath(installe));
        QFile sommaire(installe + u"/index.html"_s);
        QVERIFY(sommaire.open(QIODevice::WriteOnly));
        sommaire.close();
        const QString trouve = aide::repertoire_pages();
        // Seuls les répertoires vides (ceux de l'essai) s'en vont.
        QDir(installe).removeRecursively();
        QDir().rmpath(QFileInfo(installe).path());
        QCOMPARE(trouve, installe);
        QCOMPARE(aide::repertoire_pages(), source);
    }

    // Chaque lien des pages mène à une page et à une ancre qui existent ;
    // aucune ancre n'est en double dans sa page.
    void liens_des_pages() {
        const QString dir = aide::repertoire_pages();
        QVERIFY(!dir.isEmpty());
        const QStringList pages = QDir(dir).entryList({u"*.html"_s}, QDir::Files);
        QCOMPARE(pages.size(), 10);
        static const QRegularExpression nom(u"<a\\s+name=\"([^\"]+)\""_s);
        static const QRegularExpression lien(u"href=\"([^\"#]*)(?:#([^\"]*))?\""_s);
        QHash<QString, QSet<QString>> ancres;
        for (const QString& page : pages) {
            const QString html = lire(page);
            QVERIFY2(html.contains(u"charset=utf-8"_s), qPrintable(page));
            for (auto it = nom.globalMatch(html); it.hasNext();) {
                const QString a = it.next().captured(1);
                QVERIFY2(!ancres[page].contains(a), qPrintable(page + u'#' + a));
                ancres[page].insert(a);
            }
        }
        for (const QString& page : pages) {
            const QString html = lire(page);
            for (auto it = lien.globalMatch(html); it.hasNext();) {
                const auto m = it.next();
                const QString cible = m.captured(1).isEmpty() ? page : m.captured(1);
                QVERIFY2(ancres.contains(cible), qPrintable(page + u" -> "_s + cible));
                if (!m.captured(2).isEmpty())
                    QVERIFY2(ancres[cible].contains(m.captured(2)),
                             qPrintable(page + u" -> "_s + cible + u'#' + m.captured(2)));
            }
        }
    }

    // La visionneuse ouvre la page sur l'ancre, et le sommaire d'un clic.
    void visionneuse() {
        aide::Visionneuse_aide v;
        v.ouvrir(u"corbeille.html"_s, u"Récupérer"_s);
        QCOMPARE(v.source().fileName(), u"corbeille.html"_s);
        QCOMPARE(v.source().fragment(), u"Récupérer"_s);
        QVERIFY(v.Texte->toPlainText().contains(u"nom de remplacement"_s));
        QTest::mouseClick(v.Sommaire, Qt::LeftButton);
        QCOMPARE(v.source().fileName(), u"index.html"_s);
        QVERIFY(v.Précédent->isEnabled());
        QTest::mouseClick(v.Précédent, Qt::LeftButton);
        QCOMPARE(v.source().fileName(), u"corbeille.html"_s);
    }
};

QTEST_MAIN(TestAideContextuelle)
#include "test_aide_contextuelle.moc"
