// Cadre du visualiseur : zone multi-documents, barre d'outils, menus du cadre.
#include "viewer/ui/editeur.h"

#include "platform/formats.h"
#include "viewer/ui/aide.h"
#include "viewer/ui/bouton_image.h"
#include "viewer/ui/configuration.h"
#include "viewer/ui/fenetre.h"
#include "viewer/ui/icones.h"
#include "viewer/ui/recherche_dialogue.h"

#include <QCloseEvent>
#include <QFrame>
#include <QKeySequence>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

using namespace Qt::StringLiterals;
using morvine::BoutonImage;
using morvine::Dessin;

namespace {

// Taille de conception du cadre, en twips.
constexpr int LARGEUR_CADRE = 12000;
constexpr int HAUTEUR_CADRE = 9000;

} // namespace

Editeur::Editeur(QWidget* parent)
    : QMainWindow(parent), titre_application(u"Visualiseur"_s),
      EnregistrerGd(morvine::image_enregistrer_grise()) {
    setWindowTitle(u"Editeur"_s);
    // Noms d'origine des contrôles : la sonde des essais et l'aide s'y ancrent.
    setObjectName(u"Editeur"_s);
    resize(plateforme::twips_vers_pixels_x(LARGEUR_CADRE),
           plateforme::twips_vers_pixels_y(HAUTEUR_CADRE));
    construire_zone();
    construire_barre_outils();
    construire_menus();
    brancher_boutons();
    barre_sans_document();
    actualiser_menus();
}

Editeur::~Editeur() {
    // Les fenêtres de document renvoient au cadre : elles partent avant lui.
    for (QMdiSubWindow* s : zone->subWindowList())
        delete s;
    delete recherche;
    delete aide;
    qDeleteAll(QList<QMenu*>{mnuFile, mnuOptions, mnuHelp});
}

void Editeur::construire_zone() {
    auto* centre = new QWidget(this);
    auto* disposition = new QVBoxLayout(centre);
    disposition->setContentsMargins(0, 0, 0, 0);
    disposition->setSpacing(0);
    picToolbar = new QFrame(centre);
    static_cast<QFrame*>(picToolbar)->setFrameShape(QFrame::StyledPanel);
    picToolbar->setFixedHeight(30);
    picToolbar->setObjectName(u"picToolbar"_s);
    zone = new QMdiArea(centre);
    zone->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    zone->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(zone, &QMdiArea::subWindowActivated, this,
            [this](QMdiSubWindow* s) { sous_fenetre_activee(s); });
    disposition->addWidget(picToolbar);
    disposition->addWidget(zone);
    setCentralWidget(centre);
}

BoutonImage* Editeur::bouton_barre(int dessin, const QString& info) {
    const auto d = static_cast<Dessin>(dessin);
    return new BoutonImage(morvine::image_bouton(d, false), morvine::image_bouton(d, true), info,
                           picToolbar);
}

void Editeur::construire_barre_outils() {
    FileNew = bouton_barre(int(Dessin::Nouveau), u"Nouveau"_s);
    FileOpen = bouton_barre(int(Dessin::Ouvrir), u"Ouvrir"_s);
    Enregistrer = bouton_barre(int(Dessin::Enregistrer), u"Enregistrer"_s);
    Imprimer = bouton_barre(int(Dessin::Imprimer), u"Imprimer"_s);
    Couper = bouton_barre(int(Dessin::Couper), u"Couper"_s);
    Copier = bouton_barre(int(Dessin::Copier), u"Copier"_s);
    Coller = bouton_barre(int(Dessin::Coller), u"Coller"_s);
    Appel = bouton_barre(int(Dessin::Appel), u"Programme associé"_s);
    FileNew->setObjectName(u"FileNew"_s);
    FileOpen->setObjectName(u"FileOpen"_s);
    Enregistrer->setObjectName(u"Enregistrer"_s);
    Imprimer->setObjectName(u"Imprimer"_s);
    Couper->setObjectName(u"Couper"_s);
    Copier->setObjectName(u"Copier"_s);
    Coller->setObjectName(u"Coller"_s);
    Appel->setObjectName(u"Appel"_s);
    // Places fixes : un bouton caché laisse sa place vide.
    int x = 4;
    const BoutonImage* groupes_fin[] = {Enregistrer, Imprimer, Coller};
    for (BoutonImage* b :
         {FileNew, FileOpen, Enregistrer, Imprimer, Couper, Copier, Coller, Appel}) {
        b->move(x, 4);
        x += b->width();
        if (std::find(std::begin(groupes_fin), std::end(groupes_fin), b) != std::end(groupes_fin))
            x += 8;
    }
}

void Editeur::construire_menus() {
    mnuFile = new QMenu(u"&Fichier"_s);
    mnuFNew = mnuFile->addAction(u"&Nouveau"_s, [this] { Nouveau_document(); });
    mnuFOpen = mnuFile->addAction(u"&Ouvrir..."_s, [this] { Ouvrir_fichier_dialogue(); });
    mnuFile->addSeparator();
    mnuFExit = mnuFile->addAction(u"&Quitter"_s, [this] { close(); });
    morvine::raccourcis_fichier(mnuFNew, mnuFOpen);
    mnuRecentFile[0] = mnuFile->addSeparator();
    mnuRecentFile[0]->setVisible(false);
    for (int i = 1; i <= 8; ++i) {
        mnuRecentFile[i] = mnuFile->addAction(u"RecentFile"_s + QString::number(i));
        mnuRecentFile[i]->setVisible(false);
        connect(mnuRecentFile[i], &QAction::triggered, this, [this, i] { mnuRecentFile_Click(i); });
    }
    mnuOptions = new QMenu(u"&Options"_s);
    connect(mnuOptions, &QMenu::aboutToShow, this, [this] { mnuOptions_Click(); });
    mnuOToolbar = mnuOptions->addAction(u"&Barre d'outils"_s);
    mnuOToolbar->setCheckable(true);
    mnuOToolbar->setChecked(true);
    connect(mnuOToolbar, &QAction::triggered, this, [this] { mnuOToolbar_Click(); });
    mnuOConf = mnuOptions->addAction(u"&Enregistrer la configuration"_s,
                                     [this] { Enregistrer_configuration(); });
    mnuHelp = new QMenu(u"&Aide"_s);
    mnuHAide = mnuHelp->addAction(u"&Aide de MORVINE"_s, [this] { mnuHAide_Click(); });
    mnuHAide->setShortcut(QKeySequence(Qt::Key_F1));
}

void Editeur::mnuHAide_Click() {
    // Une seule fenêtre d'aide, fermée avec le cadre.
    if (!aide) {
        aide = new morvine::FenetreAide(this);
        aide->setAttribute(Qt::WA_DeleteOnClose);
    }
    aide->ouvrir();
}

void Editeur::brancher_boutons() {
    FileNew->action = [this] { Nouveau_document(); };
    FileOpen->action = [this] { Ouvrir_fichier_dialogue(); };
    Enregistrer->action = [this] {
        if (fenetre_active())
            Enregistrer_fichier(legende_active());
    };
    Imprimer->action = [this] { Imprimer_document(); };
    Couper->action = [this] { Couper_texte(); };
    Copier->action = [this] { Copier_texte(); };
    Coller->action = [this] { Coller_texte(); };
    Appel->action = [this] {
        if (fenetre_active())
            Programme_associe(legende_active());
    };
}

// ---- Fenêtres de document ----

Fenêtre* Editeur::fenetre(int indice) const {
    if (indice < 1 || indice > tables.borne())
        return nullptr;
    return tables.Documents[indice].data();
}

QList<Fenêtre*> Editeur::fenetres_ouvertes() const {
    QList<Fenêtre*> liste;
    for (int i = 1; i <= tables.borne(); ++i) {
        if (!tables.Etat_document[i].supprime && fenetre(i))
            liste << fenetre(i);
    }
    return liste;
}

Fenêtre* Editeur::fenetre_active() const {
    // Sous-fenêtre courante, même quand l'application n'a pas le focus.
    if (QMdiSubWindow* s = zone->currentSubWindow()) {
        auto* f = dynamic_cast<Fenêtre*>(s->widget());
        if (f && fenetres_ouvertes().contains(f))
            return f;
    }
    return nullptr;
}

QString Editeur::legende_active() const {
    const Fenêtre* f = fenetre_active();
    return f ? f->legende() : QString();
}

void Editeur::activer(Fenêtre* f) {
    QMdiSubWindow* s = f->sous_fenetre();
    if (s->isMinimized())
        s->showNormal();
    zone->setActiveSubWindow(s);
    // Sans focus d'application, le signal d'activation peut manquer.
    sous_fenetre_activee(s);
    m_a_activer = isActiveWindow() ? nullptr : s;
}

void Editeur::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    if (e->type() != QEvent::ActivationChange || !isActiveWindow() || !m_a_activer)
        return;
    // Après la zone, qui rend d'abord la main à son ancien document actif.
    QTimer::singleShot(0, this, [this] {
        if (m_a_activer)
            zone->setActiveSubWindow(m_a_activer);
        m_a_activer = nullptr;
    });
}

void Editeur::sous_fenetre_activee(QMdiSubWindow* s) {
    if (s) {
        if (auto* f = dynamic_cast<Fenêtre*>(s->widget()); f && fenetres_ouvertes().contains(f)) {
            f->Form_Activate();
            f->Form_GotFocus();
        }
    }
    actualiser_menus();
}

void Editeur::actualiser_menus() {
    const Fenêtre* f = fenetre_active();
    QList<QMenu*> voulus = f ? f->menus() : QList<QMenu*>{mnuFile, mnuOptions};
    voulus << mnuHelp;
    QList<QMenu*> presents;
    for (QAction* a : menuBar()->actions())
        presents << a->menu();
    if (presents == voulus)
        return;
    menuBar()->clear();
    for (QMenu* m : voulus)
        menuBar()->addMenu(m);
}

void Editeur::ranger_icones() {
    int x = 0;
    for (QMdiSubWindow* s : zone->subWindowList()) {
        if (!s->isMinimized())
            continue;
        s->move(x, zone->viewport()->height() - s->height());
        x += s->width();
    }
}

// ---- Barre d'outils ----

void Editeur::bouton_enregistrer(bool actif) {
    Enregistrer->montrer(actif ? Enregistrer->image_haut : EnregistrerGd);
    Enregistrer->setEnabled(actif);
}

void Editeur::boutons_edition(bool visibles) {
    for (BoutonImage* b : {Couper, Copier, Coller})
        b->setVisible(visibles);
}

void Editeur::barre_sans_document() {
    bouton_enregistrer(false);
    for (BoutonImage* b : {Imprimer, Couper, Copier, Coller, Appel})
        b->hide();
    titre_application = u"Visualiseur"_s;
    setWindowTitle(titre_application);
}

void Editeur::Afficher_barre_outils(const QString& texte) {
    const bool montree = morvine::est_oui(texte);
    picToolbar->setVisible(montree);
    mnuOToolbar->setChecked(montree);
}

void Editeur::mnuOptions_Click() {
    const bool montree = !picToolbar->isHidden();
    mnuOToolbar->setChecked(montree);
    for (Fenêtre* f : fenetres_ouvertes())
        f->mnuOToolbar->setChecked(montree);
}

void Editeur::mnuOToolbar_Click() {
    // L'élément s'est déjà coché ou décoché : l'état d'avant est la barre.
    Afficher_barre_outils(picToolbar->isHidden() ? u"oui"_s : u"non"_s);
    mnuOptions_Click();
}

// ---- Fin du programme ----

void Editeur::closeEvent(QCloseEvent* e) {
    for (Fenêtre* f : fenetres_ouvertes()) {
        if (!f->sous_fenetre()->close()) {
            e->ignore();
            return;
        }
    }
    if (!Reste_des_documents())
        vidages.supprimer_tous();
    if (recherche)
        recherche->close();
    e->accept();
}
