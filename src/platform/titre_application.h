#pragma once
// Titre de l'application : celui des boîtes de message sans titre et, sur le
// bureau, celui que la barre des tâches montre avec le titre des fenêtres.
#include <QString>

namespace plateforme {

// Le titre s'ajoute au titre des fenêtres tant qu'il est posé.
void poser_titre_application(const QString& titre);
// Titre de repos : les fenêtres reprennent leur seul titre.
void rendre_titre_application(const QString& titre);

} // namespace plateforme
