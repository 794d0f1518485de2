#pragma once
// Fenêtres d'aide des deux programmes : boutons en haut (ceux de tête, puis
// Précédent et Suivant, Fermer à droite), le texte dessous ; les liens
// restent dans la fenêtre, aucun ne part vers un navigateur.
#include <QList>

class QPushButton;
class QTextBrowser;
class QWidget;

namespace plateforme {

void disposer_fenetre_aide(QWidget* fenetre, QTextBrowser* texte,
                           const QList<QPushButton*>& en_tete, QPushButton* precedent,
                           QPushButton* suivant, QPushButton* fermer);

} // namespace plateforme
