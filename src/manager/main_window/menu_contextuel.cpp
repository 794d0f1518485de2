// Menu du bouton droit sur les listes : les commandes qui s'appliquent à la
// sélection, chacune par le clic de son bouton.
#include "manager/common/aide_contextuelle.h"
#include "manager/common/etat_commande.h"
#include "manager/main_window/gestion_fichiers.h"
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>

using namespace Qt::StringLiterals;

namespace {

const QString TEXTE_AIDE_MENU =
    u"  Ce menu, ouvert par le bouton droit de la souris sur une liste, reprend les commandes "
    "qui s'appliquent à la sélection ou au répertoire, avec leur touche du clavier."_s;

// Le bouton droit ne change pas ce qui est choisi quand la liste entière
// compte (sélection globale), ni en mode répertoire (la liste des fichiers
// y refuse tout choix), ni dans une liste de répertoires (le menu porte sur
// le répertoire en cours, pas sur l'entrée visée).
class FiltreBoutonDroit : public QObject {
public:
    FiltreBoutonDroit(Gestion_Fichiers* f, QWidget* liste)
        : QObject(liste), m_f(f), m_liste(liste) {}

    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::MouseButtonPress && e->type() != QEvent::MouseButtonDblClick)
            return false;
        if (static_cast<QMouseEvent*>(e)->button() != Qt::RightButton)
            return false;
        if (m_liste == m_f->Fichier_srce)
            return m_f->sélection_totale || etat_commande().mode_répertoire;
        return m_liste != m_f->Fichier_sél;
    }

private:
    Gestion_Fichiers* m_f;
    QWidget* m_liste;
};

} // namespace

void Gestion_Fichiers::connecter_menu_contextuel() {
    for (QListWidget* liste :
         {static_cast<QListWidget*>(Fichier_srce), static_cast<QListWidget*>(Fichier_sél),
          static_cast<QListWidget*>(Fichier_dest), static_cast<QListWidget*>(Répertoire_srce),
          static_cast<QListWidget*>(Répertoire_dest)}) {
        liste->setContextMenuPolicy(Qt::CustomContextMenu);
        liste->viewport()->installEventFilter(new FiltreBoutonDroit(this, liste));
        connect(liste, &QWidget::customContextMenuRequested, this,
                [this, liste](QPoint p) { Menu_contextuel(liste, p); });
    }
}

void Gestion_Fichiers::Menu_contextuel(QWidget* liste, QPoint position) {
    if (etat_commande().commande_en_cours)
        return;
    Tip->hide();
    // Le bouton droit ne déplace pas le curseur d'une liste de répertoires :
    // le menu vise l'entrée sous la souris, sans l'ouvrir.
    répertoire_visé.clear();
    if (liste == Répertoire_srce) {
        répertoire_visé = Répertoire_srce->cheminEn(position);
        if (répertoire_visé.isEmpty())
            répertoire_visé = Répertoire_srce->path();
    }
    QMenu* menu = construire_menu_contextuel(liste);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const auto* vue = qobject_cast<QAbstractItemView*>(liste);
    menu->popup((vue ? vue->viewport() : liste)->mapToGlobal(position));
}

QMenu* Gestion_Fichiers::construire_menu_contextuel(QWidget* liste) {
    auto* menu = new QMenu(this);
    menu->setObjectName(u"Menu_contextuel"_s);
    ajouter_commandes_menu(menu, liste);
    répertoire_visé.clear(); // vaut pour ce menu seulement
    menu->addSeparator();
    // Entrées du cadre de la liste : remonter d'un répertoire, tout relire.
    const bool source = Cadre_srce->isAncestorOf(liste);
    QAction* parent = menu->addAction(u"Répert&oire parent\tRetour arrière"_s);
    parent->setEnabled(cadre(source).repertoire->path().size() > 3);
    connect(
        parent, &QAction::triggered, this, [this, source] { Remonter_cadre(source); },
        Qt::QueuedConnection);
    QAction* relire = menu->addAction(u"Re&lire les deux cadres\tCtrl+R"_s);
    connect(
        relire, &QAction::triggered, this, [this] { Relire_cadres(); }, Qt::QueuedConnection);
    aide::attacher(menu, TEXTE_AIDE_MENU);
    aide::installer_f1(menu);
    return menu;
}

// Chaque entrée clique son bouton : la commande garde ses règles
// (confirmation, erreurs, sélection globale). Un bouton caché n'a pas
// d'entrée, un bouton éteint une entrée éteinte. Le clic attend que le menu
// ait fini son événement : une commande fait tourner la boucle d'événements,
// qui détruirait le menu refermé sous ses pieds.
void Gestion_Fichiers::ajouter_au_menu(QMenu* menu, QPushButton* b, const QString& touche,
                                       const QString& legende) {
    if (b->isHidden())
        return;
    QString texte = legende.isEmpty() ? b->text().trimmed() : legende;
    if (!touche.isEmpty())
        texte += u'\t' + touche;
    QAction* action = menu->addAction(texte);
    action->setEnabled(b->isEnabled());
    QPointer<QPushButton> bouton = b;
    connect(
        action, &QAction::triggered, this,
        [bouton] {
            if (bouton && bouton->isEnabled() && !bouton->isHidden())
                bouton->click();
        },
        Qt::QueuedConnection);
}

// Copier ou déplacer tout le répertoire visé dans DESTINATION ; la racine
// d'une unité ne part pas.
void Gestion_Fichiers::ajouter_repertoire_entier(QMenu* menu, bool touches) {
    const QString chemin = répertoire_visé.isEmpty() ? Répertoire_srce->path() : répertoire_visé;
    const bool admis = chemin.size() > 3;
    menu->addSeparator();
    QAction* copier = menu->addAction(u"&Copier le répertoire dans 'DESTINATION'"_s +
                                      (touches ? u"\tF5"_s : QString()));
    copier->setEnabled(admis);
    connect(
        copier, &QAction::triggered, this, [this, chemin] { Copier_repertoire(chemin); },
        Qt::QueuedConnection);
    QAction* deplacer = menu->addAction(u"&Déplacer le répertoire dans 'DESTINATION'"_s +
                                        (touches ? u"\tF6"_s : QString()));
    deplacer->setEnabled(admis);
    connect(
        deplacer, &QAction::triggered, this, [this, chemin] { Deplacer_repertoire(chemin); },
        Qt::QueuedConnection);
}

void Gestion_Fichiers::ajouter_commandes_menu(QMenu* menu, QWidget* liste) {
    const bool repertoire = etat_commande().mode_répertoire;
    if (liste == Fichier_srce || liste == Fichier_sél || liste == Répertoire_srce) {
        if (repertoire) {
            // Le répertoire SOURCE lui-même.
            ajouter_au_menu(menu, Créer, u"F7"_s);
            ajouter_au_menu(menu, Renommer, u"F2"_s);
            ajouter_au_menu(menu, Supprimer, u"F8"_s);
            ajouter_au_menu(menu, Info, QString());
        } else if (liste != Répertoire_srce) {
            ajouter_au_menu(menu, Visualiser, u"F3"_s);
            ajouter_au_menu(menu, Editer, u"F4"_s);
            ajouter_au_menu(menu, Copier, u"F5"_s);
            ajouter_au_menu(menu, Déplacer, u"F6"_s);
            ajouter_au_menu(menu, Renommer, u"F2"_s);
            ajouter_au_menu(menu, Effacer, u"F8"_s);
            menu->addSeparator();
            ajouter_au_menu(menu, Exécuter, QString());
            ajouter_au_menu(menu, Imprimer, QString());
            ajouter_au_menu(menu, Info, QString());
        }
        if (liste == Répertoire_srce) {
            ajouter_repertoire_entier(menu, repertoire);
            ajouter_au_menu(menu, Mode, QString());
        }
        return;
    }
    // Cadre DESTINATION : il ne sert qu'à voir ; on peut l'échanger avec SOURCE.
    ajouter_au_menu(menu, Croiser, QString(), u"&Permuter les cadres"_s);
}
