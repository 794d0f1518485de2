#pragma once
// Titre de l'application : celui des boîtes de message sans titre. Le bureau
// ne montre que le titre des fenêtres : la fenêtre principale le reprend dans
// sa légende.
#include <QString>

namespace plateforme {

void poser_titre_application(const QString& titre);

} // namespace plateforme
