// Titre de l'application : nom de l'application et nom affiché du bureau.
#include "platform/titre_application.h"

#include <QGuiApplication>

namespace plateforme {

namespace {

bool application_graphique() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

} // namespace

void poser_titre_application(const QString& titre) {
    QCoreApplication::setApplicationName(titre);
    if (application_graphique())
        QGuiApplication::setApplicationDisplayName(titre);
}

void rendre_titre_application(const QString& titre) {
    QCoreApplication::setApplicationName(titre);
    // Un nom affiché vide n'ajoute rien au titre des fenêtres.
    if (application_graphique() && !QGuiApplication::applicationDisplayName().isEmpty() &&
        QGuiApplication::applicationDisplayName() != titre)
        QGuiApplication::setApplicationDisplayName(QString());
}

} // namespace plateforme
