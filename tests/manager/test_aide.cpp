// Aide contextuelle : F1 et "?", ligne d'aide Fenêtre, bulles Tip, "A
// propos", aide en ligne (pages HTML et visionneuse), fenêtres secondaires.
#include "essai_fenetre.h"
#include "manager/commands/info_fichiers.h"
#include "manager/common/aide_contextuelle.h"
#include "manager/common/visionneuse_aide.h"
#include "manager/configuration/choix_options.h"
#include "manager/configuration/config_kaldron.h"
#include "manager/main_window/apropos.h"
#include "manager/recycle_bin/fenetre_corbeille.h"
#include "manager/search/cde_chercher.h"
#include "manager/search/cherche_fichier.h"
#include "platform/formats.h"
#include <QFile>
#include <QMenu>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBrowser>
#include <QToolTip>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString COMMANDES = u"  Ces boutons exécutent les commandes indiquées sur ceux-ci avec une "
                          "demande préalable de confirmation si elle est paramètrée dans les "
                          "options."_s;
const QString ACTIVATION =
    u"  Vous avez activé l'aide du gestionnaire de fichiers en cliquant sur le point "
    "d'interrogation ou par appui sur la touche F1, il suffit de cliquer à nouveau sur ce point "
    "d'interrogation ou appuyer sur la touche F1 pour arrêter l'aide contextuelle. Les "
    "informations seront affichées en plaçant le pointeur de souris sur la liste, le champ ou le "
    "bouton dont vous désirez être informé."_s;
const QString REPOS = u"  Cliquez sur un élément de la fenêtre de KALDRON ou bien cliquez sur le "
                      "point d'interrogation ou appuyez sur la touche F1 pour arrêter l'aide."_s;
const QString NOM_LONG =
    u"un_nom_de_fichier_beaucoup_trop_long_pour_tenir_dans_la_liste_source.txt"_s;

// Ancres (name= ou id=) d'une page d'aide.
QSet<QString> ancres(const QString& page) {
    QFile f(aide::repertoire_pages() + u'/' + page);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QString html = QString::fromUtf8(f.readAll());
    QSet<QString> noms;
    static const QRegularExpression re(u"<a\\s+(?:name|id)=\"([^\"]+)\""_s);
    for (auto it = re.globalMatch(html); it.hasNext();)
        noms.insert(it.next().captured(1));
    return noms;
}

// Un point au début de l'entrée : sa place peut être plus large que la liste.
QPoint centre_entree(QListWidget* liste, int i) {
    const QRect r = liste->visualItemRect(liste->item(i));
    return {r.left() + 10, r.center().y()};
}

int rang(QListWidget* liste, const QString& texte) {
    for (int i = 0; i < liste->count(); ++i)
        if (liste->item(i)->text().trimmed() == texte)
            return i;
    return -1;
}

} // namespace

class TestAide : public EssaiFenetre {
    Q_OBJECT

    // SOURCE sur C:\doc : des noms courts, un nom long, un sous-répertoire long.
    void charger(int fichiers_courts = 3) {
        for (int i = 0; i < fichiers_courts; ++i)
            c->creer_fichier(u"doc/f%1.txt"_s.arg(i, 2, 10, QChar(u'0')), "x");
        c->creer_fichier(u"doc/"_s + NOM_LONG, "long");
        c->creer_repertoire(u"doc/un_sous_repertoire_au_nom_bien_trop_long_pour_la_liste"_s);
        f = std::make_unique<Gestion_Fichiers>();
        f->Form_Load(true);
        f->Répertoire_srce->setPath(c->dos(u"doc"_s));
        f->Fichier_srce->setPath(c->dos(u"doc"_s));
        f->Chemin_srce->setText(c->dos(u"doc"_s).toLower());
        f->Rafraichir_affichage();
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.get()));
        // La souris de l'essai précédent a pu rester là où l'essai va la
        // mener : un mouvement sur place ne serait pas transmis.
        QTest::mouseMove(f.get(), {1, 1});
    }

    void f1(QWidget* w) { QTest::keyClick(w, Qt::Key_F1); }

    // La souris passe sur le contrôle (entrée et mouvement).
    void survoler(QWidget* w, QPoint p = {}) {
        QTest::mouseMove(w, p.isNull() ? w->rect().center() : p);
        QCoreApplication::processEvents();
    }

    // Fenêtre secondaire : la plateforme hors écran envoie la souris à la
    // première fenêtre sous le point, la principale ; l'entrée et le
    // mouvement vont donc droit au contrôle.
    static void survoler_direct(QWidget* w, QPoint p = {}) {
        const QPointF local = p.isNull() ? QPointF(w->rect().center()) : QPointF(p);
        const QPointF global = w->mapToGlobal(local);
        QEnterEvent entree(local, local, global);
        QCoreApplication::sendEvent(w, &entree);
        QMouseEvent mouvement(QEvent::MouseMove, local, global, Qt::NoButton, Qt::NoButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(w, &mouvement);
    }

    // Un point du fond de la fenêtre, hors de tout contrôle.
    QPoint point_du_fond() const {
        const QPoint p(f->Cadre_srce->geometry().right() + 4,
                       f->Cadre_srce->geometry().center().y());
        return p;
    }

private slots:
    void init() { monter(); }
    void cleanup() {
        if (aide::visionneuse()->isVisible())
            aide::visionneuse()->close();
        QVERIFY(demonter());
    }

    // F1 deux fois : la fenêtre grandit puis revient, la ligne suit la souris.
    void f1_deux_fois_bascule_la_ligne_d_aide() {
        charger();
        const int hauteur = f->height();
        const int hauteur_fixe = f->hauteur_fixe;
        QVERIFY(f->Fenêtre->geometry().top() >= hauteur - 2); // hors de la hauteur normale

        QSignalSpy touches(f->Fichier_srce, &plateforme::ListeFichiers::keyPressed);
        f->Fichier_srce->setFocus();
        f1(f->Fichier_srce);
        QCOMPARE(touches.count(), 0); // F1 n'atteint pas la liste
        QVERIFY(f->mode_aide);
        QVERIFY(f->zone_aide >= Gestion_Fichiers::HAUTEUR_FENETRE_AIDE);
        QCOMPARE(f->hauteur_fixe, hauteur_fixe + f->zone_aide);
        QCOMPARE(f->height(), plateforme::twips_vers_pixels_y(f->hauteur_fixe));
        QVERIFY(f->Fenêtre->geometry().bottom() < f->height());
        QCOMPARE(f->Fenêtre->text(), ACTIVATION);

        survoler(f->Croiser);
        QVERIFY(f->Fenêtre->text().startsWith(u"  Ce bouton fera une permutation"_s));
        survoler(f->Titre_srce);
        QVERIFY(f->Fenêtre->text().startsWith(u"  Ce cadre 'SOURCE'"_s));
        survoler(f.get(), point_du_fond());
        QCOMPARE(f->Fenêtre->text(), QString());
        survoler(f->Espace_libre);
        QVERIFY(f->Fenêtre->text().contains(u"Kilo-octets"_s));

        f1(f->Fichier_srce);
        QVERIFY(!f->mode_aide);
        QCOMPARE(f->hauteur_fixe, hauteur_fixe);
        QCOMPARE(f->height(), hauteur);
        QCOMPARE(f->Fenêtre->text(), QString());
        survoler(f->Croiser);
        QCOMPARE(f->Fenêtre->text(), QString()); // hors du mode d'aide, rien ne s'écrit
        QCOMPARE(touches.count(), 0);
    }

    // Chaque texte se lit en entier dans la zone, mesuré avec la police de
    // la ligne d'aide à sa largeur ; un texte plus long encore l'agrandit.
    void chaque_texte_se_lit_en_entier() {
        charger();
        f1(f.get());
        const int hauteur = f->height();
        QStringList textes{ACTIVATION, REPOS};
        for (const QWidget* w : f->findChildren<QWidget*>())
            if (!aide::texte_de(w).isEmpty())
                textes << aide::texte_de(w);
        QVERIFY(textes.size() > 20);
        const auto lisible = [this](const QString& t) {
            aide::afficher(t);
            QLabel* l = f->Fenêtre;
            return l->text() == t && l->heightForWidth(l->width()) <= l->height() &&
                   l->geometry().bottom() < f->height();
        };
        for (const QString& t : std::as_const(textes))
            QVERIFY2(lisible(t), qPrintable(t.left(60)));
        QCOMPARE(f->height(), hauteur); // la zone ne saute pas d'un contrôle à l'autre

        const QString tres_long = ACTIVATION + u'\n' + ACTIVATION + u'\n' + ACTIVATION;
        QVERIFY(lisible(tres_long));
        QVERIFY(f->height() > hauteur);
        f1(f.get());
        QCOMPARE(f->height(), plateforme::twips_vers_pixels_y(f->hauteur_fixe));
        QVERIFY(f->height() < hauteur);
    }

    // "?" bascule comme F1 ; ses propres textes et ceux des champs au focus.
    void bouton_aide_et_textes_au_focus() {
        charger();
        QTest::mouseClick(f->Aide, Qt::LeftButton);
        QVERIFY(f->mode_aide);
        survoler(f->Aide);
        QVERIFY(f->Fenêtre->text().startsWith(u"  Vous avez activé l'aide"_s));
        // Les champs à focus ne réagissent pas au survol, mais au focus.
        survoler(f->Unité_dest);
        QVERIFY(!f->Fenêtre->text().contains(u"'DESTINATION' pour les copies"_s));
        f->Unité_dest->setFocus();
        QVERIFY(f->Fenêtre->text().contains(u"'DESTINATION' pour les copies"_s));
        f->Sélection_fichiers->setFocus();
        QVERIFY(f->Fenêtre->text().contains(u"caractères génériques"_s));
        f->Prompt_Click(); // montre la ligne de commande et lui donne le focus
        QVERIFY(f->Fenêtre->text().contains(u"30 dernières commandes"_s));
        QTest::mouseClick(f->Aide, Qt::LeftButton);
        QVERIFY(!f->mode_aide);
    }

    // Tous les boutons de commande ont le même texte, y compris au survol.
    void texte_des_boutons_de_commande() {
        charger();
        f1(f.get());
        const QList<QPushButton*> boutons = {
            f->Chercher, f->Configurer, f->Copier,   f->Corbeill,  f->Créer,     f->Déplacer,
            f->Editer,   f->Effacer,    f->Exécuter, f->Imprimer,  f->Info,      f->Mode,
            f->Options,  f->Quitter,    f->Renommer, f->Supprimer, f->Visualiser};
        for (QPushButton* b : boutons) {
            QCOMPARE(aide::texte_de(b), COMMANDES);
            if (!b->isVisible())
                continue;
            survoler(f.get(), point_du_fond());
            QCOMPARE(f->Fenêtre->text(), QString());
            survoler(b);
            QCOMPARE(f->Fenêtre->text(), COMMANDES);
        }
        // Les boutons programmables et les autres ont leur propre texte.
        QVERIFY(aide::texte_de(f->Bouton[3]).contains(u"'Configurer' option 'Boutons'"_s));
        QVERIFY(aide::texte_de(f->Sélecte) != COMMANDES);
        QVERIFY(aide::texte_de(f->Prompt).contains(u"'Entrée'"_s));
    }

    // Tip sur un nom long : montré en entier, caché par le fond et le défilement.
    void tip_sur_un_nom_long() {
        charger(40);
        QListWidget* liste = f->Fichier_srce;
        const int court = rang(liste, u"f00.txt"_s);
        const int long_ = rang(liste, NOM_LONG);
        QVERIFY(court >= 0 && long_ >= 0);
        liste->scrollToItem(liste->item(long_));
        QCoreApplication::processEvents();

        survoler(liste->viewport(), centre_entree(liste, long_));
        QVERIFY(f->Tip->isVisible());
        QCOMPARE(f->Tip->text(), NOM_LONG);
        QVERIFY(!f->drapeau_tip);
        QVERIFY(f->Tip->width() > liste->viewport()->width());
        QVERIFY(f->Tip->geometry().right() < f->width());
        const QFontMetrics m(f->Tip->font());
        QVERIFY(m.horizontalAdvance(NOM_LONG) < f->Tip->width());

        // Un nom qui tient dans la liste n'a pas de bulle.
        liste->scrollToItem(liste->item(court));
        QVERIFY(!f->Tip->isVisible()); // le défilement l'a cachée
        survoler(liste->viewport(), centre_entree(liste, court));
        QVERIFY(!f->Tip->isVisible());

        liste->scrollToItem(liste->item(long_));
        survoler(liste->viewport(), centre_entree(liste, long_));
        QVERIFY(f->Tip->isVisible());
        survoler(f.get(), point_du_fond());
        QVERIFY(!f->Tip->isVisible());
        QVERIFY(f->drapeau_tip);
    }

    // Les répertoires sont marqués "Rép" ; un chemin trop large aussi a sa bulle.
    void tip_des_repertoires_et_des_chemins() {
        charger();
        QListWidget* reps = f->Répertoire_srce;
        const int r = rang(reps, u"un_sous_repertoire_au_nom_bien_trop_long_pour_la_liste"_s);
        QVERIFY(r >= 0);
        survoler(reps->viewport(), centre_entree(reps, r));
        QVERIFY(f->Tip->isVisible());
        QCOMPARE(f->Tip->text(), u"Rép un_sous_repertoire_au_nom_bien_trop_long_pour_la_liste"_s);

        const QString chemin = u"c:\\un\\chemin\\assez\\long\\pour\\deborder\\du\\champ\\de\\chemin"
                               "\\de\\destination"_s;
        f->Chemin_dest->setText(chemin);
        survoler(f->Chemin_dest);
        QVERIFY(f->Tip->isVisible());
        QCOMPARE(f->Tip->text(), chemin);
        QCOMPARE(f->liste_tip, f->Chemin_dest);
        f->Chemin_dest->setText(u"c:\\"_s);
        survoler(f.get(), point_du_fond());
        survoler(f->Chemin_dest, {5, 5});
        QVERIFY(!f->Tip->isVisible());
    }

    // Plus large que la fenêtre : le milieu du chemin devient " ...\".
    void tip_raccourci_plus_large_que_la_fenetre() {
        charger();
        QString chemin = u"c:"_s;
        while (f->fontMetrics().horizontalAdvance(chemin) < 2 * f->width())
            chemin += u"\\repertoire"_s;
        chemin += u"\\fin.txt"_s;
        f->Chemin_srce->setText(chemin);
        survoler(f->Chemin_srce);
        QVERIFY(f->Tip->isVisible());
        QVERIFY(f->Tip->text().startsWith(u"c:\\ ...\\"_s));
        QVERIFY(f->Tip->text().endsWith(u"\\fin.txt"_s));
        QVERIFY(f->Tip->geometry().left() >= 0);
        QVERIFY(f->Tip->geometry().right() < f->width());
    }

    // Un clic sur la bulle choisit l'entrée ; avec Maj, la plage depuis l'ancre.
    void clic_sur_la_bulle() {
        charger(2);
        QListWidget* liste = f->Fichier_srce;
        const int long_ = rang(liste, NOM_LONG);
        QCOMPARE(long_, liste->count() - 1); // après f00.txt et f01.txt
        liste->clearSelection();
        liste->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);

        survoler(liste->viewport(), centre_entree(liste, long_));
        QVERIFY(f->Tip->isVisible());
        QTest::mouseClick(f->Tip, Qt::LeftButton, Qt::ShiftModifier, {4, 4});
        QCOMPARE(liste->selectedItems().size(), 3);
        QVERIFY(f->Ligne_message->text().contains(u'3')); // Fichier_srce_Click a compté

        survoler(liste->viewport(), centre_entree(liste, 0));
        survoler(liste->viewport(), centre_entree(liste, long_));
        QVERIFY(f->Tip->isVisible());
        QTest::mouseClick(f->Tip, Qt::LeftButton, {}, {4, 4});
        QCOMPARE(liste->selectedItems().size(), 1);
        QCOMPARE(liste->currentRow(), long_);

        // Le bouton droit ne choisit rien.
        liste->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
        survoler(liste->viewport(), centre_entree(liste, 0));
        survoler(liste->viewport(), centre_entree(liste, long_));
        QTest::mouseClick(f->Tip, Qt::RightButton, {}, {4, 4});
        QCOMPARE(liste->currentRow(), 0);
    }

    // Un vrai double clic sur la bulle (appui, relâché, appui) vaut un double
    // clic sur l'entrée : le premier appui ne doit pas cacher la bulle.
    void double_clic_sur_la_bulle() {
        const QString lot = u"un_lot_de_commandes_au_nom_bien_trop_long_pour_la_liste.bat"_s;
        c->creer_fichier(u"doc/"_s + lot, "@echo off");
        charger(1);
        QListWidget* liste = f->Fichier_srce;
        const int r = rang(liste, lot);
        QVERIFY(r >= 0);
        survoler(liste->viewport(), centre_entree(liste, r));
        QVERIFY(f->Tip->isVisible());
        d->repondre(3); // ANNULER
        const QPoint sur_la_bulle = f->Tip->geometry().center();
        QTest::mouseDClick(f->windowHandle(), Qt::LeftButton, {}, sur_la_bulle);
        QCOMPARE(d->questions().size(), 1);
        QCOMPARE(d->dernier().texte,
                 u"Voulez-vous EDITER ou EXECUTER le fichier '"_s + lot + u"' ?"_s);
        QCOMPARE(liste->currentRow(), r);
        QVERIFY(!f->Tip->isVisible());
    }

    // En mode répertoire, le clic sur la bulle de la liste SOURCE est refusé.
    void clic_sur_la_bulle_en_mode_repertoire() {
        charger(2);
        f->Mode_Click();
        QListWidget* liste = f->Fichier_srce;
        const int long_ = rang(liste, NOM_LONG);
        survoler(liste->viewport(), centre_entree(liste, long_));
        QVERIFY(f->Tip->isVisible());
        d->repondre(plateforme::REP_OK);
        QTest::mouseClick(f->Tip, Qt::LeftButton, {}, {4, 4});
        QVERIFY(d->dernier().texte.startsWith(u"Sélection non autorisée en mode répertoire :"_s));
        QCOMPARE(liste->selectedItems().size(), 0);
    }

    // Aide en ligne à Oui : la page s'ouvre sur le contrôle, la zone reste fermée.
    void aide_en_ligne_ouvre_la_page_du_controle() {
        charger();
        reglages().aide_en_ligne = u"Oui"_s;
        const int hauteur = f->height();
        f->Chemin_dest->setFocus();
        QTest::mouseClick(f->Aide, Qt::LeftButton);
        QVERIFY(!f->mode_aide);
        QCOMPARE(f->height(), hauteur);
        aide::Visionneuse_aide* v = aide::visionneuse();
        QVERIFY(v->isVisible());
        QCOMPARE(v->source().fileName(), u"principale.html"_s);
        QCOMPARE(v->source().fragment(), u"Chemin_dest"_s);
        QVERIFY(v->Texte->toPlainText().contains(u"DESTINATION"_s));

        // F1 sur la liste des unités (son champ interne a le focus).
        f->Unité_srce->setFocus();
        f1(QApplication::focusWidget() ? QApplication::focusWidget() : f->Unité_srce);
        QCOMPARE(v->source().fragment(), u"Unité_srce"_s);
        QVERIFY(!f->mode_aide);
        QCOMPARE(f->height(), hauteur);

        // Le mode d'aide ouvert avant le passage à Oui se ferme au premier F1.
        reglages().aide_en_ligne = u"Non"_s;
        f1(f->Fichier_srce);
        QVERIFY(f->mode_aide);
        reglages().aide_en_ligne = u"OUI"_s;
        f1(f->Fichier_srce);
        QVERIFY(!f->mode_aide);
        QCOMPARE(f->height(), hauteur);
        QCOMPARE(v->source().fragment(), u"Fichier_srce"_s);
    }

    // Chaque contrôle qui a un texte d'aide a son ancre dans la page de sa fenêtre.
    void chaque_texte_a_son_ancre() {
        charger();
        QVERIFY2(!aide::repertoire_pages().isEmpty(), "pages d'aide introuvables");
        f->Ligne_message->setText(u"   1 fichier sélectionné"_s);
        f->Fichier_srce->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
        etat_commande().liste_parcourue = f->Fichier_srce;
        Info_Fichiers infos(f.get());
        Corbeille corbeille(f.get());
        Config_Kaldron configuration(f.get());
        Choix_Options options(f.get());
        Cde_Chercher chercher(f.get());
        Cherche_Fichier resultats(f.get(), &chercher);
        QList<QWidget*> fenetres = {f.get(),  &infos,    &corbeille, &configuration,
                                    &options, &chercher, &resultats};
        QSet<QString> pages_vues;
        for (QWidget* fenetre : fenetres) {
            const QString page = aide::page_de_fenetre(fenetre->objectName());
            QVERIFY2(page != u"index.html"_s, qPrintable(fenetre->objectName()));
            pages_vues.insert(page);
            const QSet<QString> noms = ancres(page);
            int textes = 0;
            for (QWidget* w : fenetre->findChildren<QWidget*>()) {
                if (aide::texte_de(w).isEmpty() || w->window() != fenetre)
                    continue;
                ++textes;
                QVERIFY2(noms.contains(aide::ancre_de(w)),
                         qPrintable(page + u" : "_s + aide::ancre_de(w)));
            }
            QVERIFY2(textes >= 1, qPrintable(page));
        }
        // Le sommaire mène à chaque page, et chaque page existe.
        const QString sommaire = [] {
            QFile s(aide::repertoire_pages() + u"/index.html"_s);
            return s.open(QIODevice::ReadOnly) ? QString::fromUtf8(s.readAll()) : QString();
        }();
        for (const QString& fenetre :
             {u"Gestion_Fichiers"_s, u"Choix_Options"_s, u"Config_Kaldron"_s, u"Cde_Chercher"_s,
              u"Cherche_Fichier"_s, u"Corbeille"_s, u"Info_Fichiers"_s}) {
            const QString page = aide::page_de_fenetre(fenetre);
            QVERIFY2(QFile::exists(aide::repertoire_pages() + u'/' + page), qPrintable(page));
            QVERIFY2(sommaire.contains(u"href=\""_s + page), qPrintable(page));
        }
    }

    // Fenêtres secondaires : F1 bascule la ligne de la principale, la
    // fermeture y remet le texte de repos.
    void fenetres_secondaires() {
        charger();
        f->Ligne_message->setText(u"   1 fichier sélectionné"_s);
        f->Fichier_srce->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
        etat_commande().liste_parcourue = f->Fichier_srce;
        etat_commande().curseur = 0;
        auto infos = std::make_unique<Info_Fichiers>(f.get());
        infos->Form_Load();
        infos->show();
        QVERIFY(QTest::qWaitForWindowExposed(infos.get()));
        f1(infos->Fin);
        QVERIFY(f->mode_aide);
        survoler_direct(infos->Lecture);
        QVERIFY(f->Fenêtre->text().contains(u"lecture seule"_s));
        survoler_direct(infos.get(), {2, 2});
        QCOMPARE(f->Fenêtre->text(), QString());
        infos->Fin_Click();
        QCOMPARE(f->Fenêtre->text(), REPOS);
        infos.reset();

        auto corbeille = std::make_unique<Corbeille>(f.get());
        corbeille->show();
        QVERIFY(QTest::qWaitForWindowExposed(corbeille.get()));
        survoler_direct(corbeille->Récupérer);
        QVERIFY(f->Fenêtre->text().contains(u"répertoire d'origine"_s));
        f1(corbeille->Fin);
        QVERIFY(!f->mode_aide);
        corbeille->Fin_Click();
        QCOMPARE(f->Fenêtre->text(), QString()); // hors du mode d'aide, rien ne change
    }

    // "A propos" montre la fenêtre avec son bouton OK, qui la ferme.
    void a_propos() {
        charger();
        QVERIFY(f->A_propos->isEnabled());
        QTest::mouseClick(f->A_propos, Qt::LeftButton);
        QVERIFY(f->apropos);
        QVERIFY(f->apropos->isVisible());
        QVERIFY(f->apropos->OK->isVisible());
        QVERIFY(f->isVisible()); // la principale reste là
        QTest::mouseClick(f->apropos->OK, Qt::LeftButton);
        QTRY_VERIFY(!f->apropos);
        QVERIFY(f->isVisible());
        // Entrée et Échap valent OK ; à l'accueil (OK caché), Échap ne coupe
        // pas le démarrage.
        for (const Qt::Key touche : {Qt::Key_Escape, Qt::Key_Return}) {
            f->A_propos->click();
            QTest::keyClick(f->apropos->Titre, touche);
            QTRY_VERIFY_WITH_TIMEOUT(!f->apropos, 20000);
        }
        Apropos accueil;
        accueil.OK->hide();
        accueil.show();
        QTest::keyClick(&accueil, Qt::Key_Escape);
        QVERIFY(accueil.isVisible());
    }

    // La bulle montrée d'un bouton nomme sa touche, son texte reste tel quel ;
    // le menu du bouton droit a son texte d'aide et son ancre.
    void touches_dans_les_bulles_et_l_aide() {
        charger();
        const QString bulle = f->Renommer->toolTip();
        const QPoint centre = f->Renommer->rect().center();
        QHelpEvent e(QEvent::ToolTip, centre, f->Renommer->mapToGlobal(centre));
        QCoreApplication::sendEvent(f->Renommer, &e);
        QTRY_COMPARE(QToolTip::text(), bulle + u"  (F2)"_s);
        QCOMPARE(f->Renommer->toolTip(), bulle);
        QCOMPARE(f->bulle_avec_touche(f->Info), f->Info->toolTip());
        std::unique_ptr<QMenu> menu(f->construire_menu_contextuel(f->Fichier_srce));
        const QSet<QString> noms = ancres(u"principale.html"_s);
        QVERIFY(noms.contains(menu->objectName()) && noms.contains(u"Clavier"_s));
        QVERIFY(aide::texte_de(menu.get()).contains(u"bouton droit"_s));
    }
};

QTEST_MAIN(TestAide)
#include "test_aide.moc"
