#pragma once
// Images de la barre d'outils et icônes des fenêtres, dessinées par le
// programme : aucune ressource extérieure à installer.
#include <QIcon>
#include <QPixmap>

namespace morvine {

enum class Dessin {
    Nouveau,
    Ouvrir,
    Enregistrer,
    Imprimer,
    Couper,
    Copier,
    Coller,
    Appel,
};

// Bouton relevé ("Up") ou enfoncé ("Dn").
QPixmap image_bouton(Dessin dessin, bool enfonce);
// Bouton Enregistrer grisé ("EnregistrerGd").
QPixmap image_enregistrer_grise();

// Icônes des fenêtres de document : IconeVue, IconeTexte, IconeImage.
QIcon icone_vue();
QIcon icone_texte();
QIcon icone_image();

} // namespace morvine
