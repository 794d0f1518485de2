#pragma once
// Placement des contrôles en twips, comme les fenêtres d'origine.
#include "platform/formats.h"
#include <QWidget>

inline void placer(QWidget* w, double gauche, double haut, double largeur, double hauteur) {
    w->setGeometry(plateforme::twips_vers_pixels_x(gauche), plateforme::twips_vers_pixels_y(haut),
                   plateforme::twips_vers_pixels_x(largeur),
                   plateforme::twips_vers_pixels_y(hauteur));
}
