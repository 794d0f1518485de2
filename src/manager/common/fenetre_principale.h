#pragma once
// Fenêtre principale en cours : les dialogues se placent par rapport à elle.
#include <QWidget>

QWidget* fenetre_principale();
void definir_fenetre_principale(QWidget* fenetre);

// Coin haut-gauche d'un dialogue : celui de la fenêtre principale décalé de
// (gauche, haut) twips plus 15 twips par unité de BorderWidth.
QPoint position_dialogue(double decalage_gauche_twips, double decalage_haut_twips);
