// Fenêtre de document : contrôles, activation, fermeture et redimensionnement.
#include "viewer/ui/fenetre.h"

#include "platform/formats.h"
#include "viewer/core/dbase.h"
#include "viewer/core/vidage.h"
#include "viewer/ui/bouton_image.h"
#include "viewer/ui/configuration.h"
#include "viewer/ui/editeur.h"
#include "viewer/ui/icones.h"
#include "viewer/ui/ligne_commande.h"
#include "viewer/ui/recherche_dialogue.h"
#include "viewer/ui/vue_table.h"
#include "viewer/ui/vue_vidage.h"

#include <QCloseEvent>
#include <QEvent>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
// Type complet : sans lui, qDeleteAll des menus libère sans détruire.
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QVBoxLayout>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QString LEGENDE_CONCEPTION = u"SansTitre"_s;

// Le texte reçoit le focus : événement GotFocus d'origine.
class FiltreFocus : public QObject {
public:
    FiltreFocus(Fenêtre& f, QObject* parent) : QObject(parent), m_fenetre(f) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::FocusIn)
            m_fenetre.Text1_GotFocus();
        return false;
    }

private:
    Fenêtre& m_fenetre;
};

} // namespace

Fenêtre::Fenêtre(Editeur& e, QWidget* parent)
    : QWidget(parent), editeur(e), IconeVue(morvine::icone_vue()),
      IconeTexte(morvine::icone_texte()), IconeImage(morvine::icone_image()), fin_ligne(u"\r\n"_s) {
    setWindowTitle(LEGENDE_CONCEPTION);
    construire_controles();
    construire_menu_fichier();
    construire_menu_edition();
    construire_menu_recherche();
    construire_menu_options();
    construire_menu_fenetres();
}

Fenêtre::~Fenêtre() {
    qDeleteAll(menus());
}

void Fenêtre::construire_controles() {
    // Noms d'origine des contrôles : la sonde des essais et l'aide s'y ancrent.
    setObjectName(u"Fenêtre"_s);
    auto* disposition = new QVBoxLayout(this);
    disposition->setContentsMargins(0, 0, 0, 0);
    disposition->setSpacing(0);
    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(u"Text1"_s);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->installEventFilter(new FiltreFocus(*this, this));
    connect(Text1, &QPlainTextEdit::textChanged, this, [this] { Text1_Change(); });
    // Des millions de lignes : seules les visibles sont formées et dessinées.
    Dump = new morvine::VueVidage(this);
    Dump->setObjectName(u"Dump"_s);
    modele_vidage = new morvine::ModeleVidage(this);
    Dump->setModel(modele_vidage);
    // Noms des champs et numéros de ligne dans les en-têtes de la vue : ils
    // restent visibles quand la table défile. Un million de fiches : seules
    // les lignes visibles sont lues et dessinées.
    Grille1 = new morvine::VueTable(this);
    Grille1->setObjectName(u"Grille1"_s);
    modele_table = new morvine::ModeleTableDbase(this);
    Grille1->setModel(modele_table);
    Grille1->horizontalHeader()->setTextElideMode(Qt::ElideNone);
    // Alignés comme les textes des cellules.
    for (QHeaderView* entete :
         {Grille1->horizontalHeader(), static_cast<QHeaderView*>(Grille1->numeros())})
        entete->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Grille1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    cadre_image = new QScrollArea(this);
    Image1 = new QLabel;
    Image1->setObjectName(u"Image1"_s);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    cadre_image->setWidget(Image1);
    cadre_image->setFrameShape(QFrame::NoFrame);
    for (QWidget* w : {static_cast<QWidget*>(Text1), static_cast<QWidget*>(Dump),
                       static_cast<QWidget*>(Grille1), static_cast<QWidget*>(cadre_image)})
        disposition->addWidget(w);
    cacher_affichages();
    Text1->show();
}

morvine::EtatDocument& Fenêtre::etat() const {
    return editeur.etat(indice());
}

QMdiSubWindow* Fenêtre::sous_fenetre() const {
    return qobject_cast<QMdiSubWindow*>(parentWidget());
}

bool Fenêtre::enregistrable() const {
    return mnuFSave->isEnabled();
}

QList<QMenu*> Fenêtre::menus() const {
    return {mnuFile, mnuEdit, mnuSearch, mnuOptions, mnuWindow};
}

void Fenêtre::Form_Load() {
    // Ctrl+W est à Fichier, Fermer : le menu de la sous-fenêtre ne le garde
    // pas, car une touche tenue par deux actions n'en déclenche aucune.
    if (QMdiSubWindow* s = sous_fenetre(); s && s->systemMenu()) {
        for (QAction* a : s->systemMenu()->actions()) {
            QList<QKeySequence> touches = a->shortcuts();
            if (touches.removeAll(mnuFClose->shortcut()) > 0)
                a->setShortcuts(touches);
        }
    }
    remplir_polices();
    editeur.Police_de_base = morvine::lire_police_de_base(editeur.Chemin_ini);
    QFont police = Text1->font();
    police.setFamily(editeur.Police_de_base);
    Text1->setFont(police);
}

void Fenêtre::Form_Activate() {
    editeur.bouton_enregistrer(enregistrable());
    editeur.boutons_edition(etat().texte_editable);
}

void Fenêtre::Form_GotFocus() {
    mnuOToolbar->setChecked(editeur.mnuOToolbar->isChecked());
}

bool Fenêtre::Form_QueryUnload() {
    morvine::EtatDocument& e = etat();
    // Un texte modifié n'est pas perdu : la fermeture attend qu'il soit
    // enregistré, et l'abandon du dialogue garde la fenêtre ouverte.
    if (e.modifie) {
        editeur.activer(this);
        editeur.Enregistrer_fichier(e.chemin, this);
        if (e.modifie)
            return false;
    }
    if (!e.fichier_vidage.isEmpty()) {
        // L'écriture du vidage s'arrête avant que son fichier parte.
        delete std::exchange(producteur_vidage, nullptr);
        modele_vidage->fermer();
        editeur.vidages.supprimer(e.fichier_vidage);
        e.fichier_vidage.clear();
    }
    return true;
}

void Fenêtre::Form_Unload() {
    const int i = indice();
    if (i >= 1 && i <= editeur.tables.borne()) {
        editeur.tables.Etat_document[i].supprime = true;
        editeur.tables.Documents[i] = nullptr;
    }
    if (!editeur.Reste_des_documents())
        editeur.barre_sans_document();
}

void Fenêtre::closeEvent(QCloseEvent* e) {
    if (m_fermeture_acceptee) {
        e->accept();
        return;
    }
    if (!Form_QueryUnload()) {
        e->ignore();
        return;
    }
    m_fermeture_acceptee = true;
    e->accept();
    Form_Unload();
}

void Fenêtre::Text1_Change() {
    if (enregistrable())
        etat().modifie = true;
}

void Fenêtre::Text1_GotFocus() {
    if (editeur.recherche && editeur.recherche->isVisible())
        editeur.recherche->raise();
}

void Fenêtre::choisir_icone() {
    QMdiSubWindow* s = sous_fenetre();
    const morvine::EtatDocument& e = etat();
    if (e.image == morvine::IMAGE_ICONE)
        s->setWindowIcon(QIcon(morvine::chemin_hote(e.chemin)));
    else if (e.image == morvine::IMAGE_AUTRE)
        s->setWindowIcon(IconeImage);
    else
        s->setWindowIcon(enregistrable() ? IconeTexte : IconeVue);
}

// Une fenêtre de vidage garde sa taille : ni agrandie, ni étirée.
void Fenêtre::garder_taille_vidage() {
    QMdiSubWindow* s = sous_fenetre();
    if (s->isMaximized())
        s->showNormal();
    if (s->isMinimized())
        return;
    // La liste garde sa largeur et 4000 twips de haut ; la fenêtre l'entoure
    // juste (cadre et barre de titre de la plate-forme).
    Dump->setFixedHeight(plateforme::twips_vers_pixels_y(4000));
    s->resize(s->sizeHint());
}

void Fenêtre::Form_Resize() {
    QMdiSubWindow* s = sous_fenetre();
    if (!s || legende() == LEGENDE_CONCEPTION || indice() < 1 || m_redimensionnement)
        return;
    m_redimensionnement = true;
    if (!s->isMinimized())
        choisir_icone();
    if (!etat().fichier_vidage.isEmpty())
        garder_taille_vidage();
    // Text1 et Grille1 suivent la fenêtre par la disposition.
    m_redimensionnement = false;
}

bool Fenêtre::eventFilter(QObject* objet, QEvent* e) {
    if (objet == sous_fenetre() &&
        (e->type() == QEvent::Resize || e->type() == QEvent::WindowStateChange))
        Form_Resize();
    return QWidget::eventFilter(objet, e);
}
