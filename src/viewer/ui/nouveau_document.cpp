// Nouveau document : une fenêtre de texte vide "SansTitre" + indice.
#include "viewer/ui/bouton_image.h"
#include "viewer/ui/disposition.h"
#include "viewer/ui/editeur.h"
#include "viewer/ui/fenetre.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>

using namespace Qt::StringLiterals;

void Editeur::Nouveau_document() {
    const int i = Trouver_indice_libre();
    // Une case reprise ne garde rien de son document précédent (pas même
    // son fichier de vidage, qui ferait d'un texte une fenêtre de vidage).
    morvine::EtatDocument& e = etat(i);
    e = morvine::EtatDocument{};
    Fenêtre* f = fenetre_pour(i);
    f->definir_legende(u"SansTitre"_s + QString::number(i));
    e.titre = f->legende();
    e.chemin = e.titre.toUpper();
    f->cacher_affichages();
    f->montrer_texte({}, true);
    f->menus_texte();
    // Un texte neuf se cherche et se coupe comme un texte chargé ; il n'a
    // pas de fichier à rouvrir dans un autre format.
    e.texte_editable = true;
    f->mnuEFormat->setEnabled(false);
    e.modifie = false;
    bouton_enregistrer(true);
    for (morvine::BoutonImage* b : {Imprimer, Couper, Copier, Coller, Appel})
        b->show();
    QMdiSubWindow* s = f->sous_fenetre();
    morvine::taille_ordinaire(s, zone, i);
    s->show();
    activer(f);
}
