#pragma once
// Place et taille des fenêtres de document dans la zone du cadre.
#include <QSize>

class QMdiArea;
class QMdiSubWindow;

namespace morvine {

// En cascade d'après l'indice : 355 twips par cran (l'indice 2 est à 355).
void placer(QMdiSubWindow* s, int indice);
// Texte ou table : placée, sur les trois quarts de la zone.
void taille_ordinaire(QMdiSubWindow* s, const QMdiArea* zone, int indice);
// La fenêtre entoure juste son contenu (cadre de la plate-forme compris).
void entourer(QMdiSubWindow* s, QSize interieur);

} // namespace morvine
