#pragma once
// Place et taille des fenêtres de document dans la zone du cadre.
#include <QRect>
#include <QSize>

class QMdiArea;
class QMdiSubWindow;
class QWidget;

namespace morvine {

// En cascade d'après l'indice : 355 twips par cran (l'indice 2 est à 355).
void placer(QMdiSubWindow* s, int indice);
// Texte ou table : placée, sur les trois quarts de la zone.
void taille_ordinaire(QMdiSubWindow* s, const QMdiArea* zone, int indice);
// La fenêtre entoure juste son contenu (cadre de la plate-forme compris).
void entourer(QMdiSubWindow* s, QSize interieur);
// Le rectangle ramené dans le cadre, réduit d'abord s'il est plus grand.
QRect dans_le_cadre(QRect r, const QRect& cadre);
// Mosaïque de la zone ; une fenêtre qui garde sa taille (vidage) ou que sa
// taille minimale agrandit y est ramenée dedans.
void mosaique(QMdiArea* zone);
// La fenêtre, bordure comprise, tient dans la partie utile de son écran.
void garder_dans_l_ecran(QWidget* fenetre);

} // namespace morvine
