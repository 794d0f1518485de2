// Titre de l'application.
#include "platform/titre_application.h"

#include <QCoreApplication>

namespace plateforme {

// Le nom affiché de Qt n'irait qu'aux titres posés après lui, et s'ajouterait
// à celui de chaque boîte : il n'est pas touché.
void poser_titre_application(const QString& titre) {
    QCoreApplication::setApplicationName(titre);
}

} // namespace plateforme
