#pragma once
// Numéro de l'erreur d'exécution levée par une opération (0 si aucune).
#include "platform/erreurs.h"
#include <functional>

namespace essai {

inline int erreur_de(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const plateforme::ErreurExecution& e) {
        return e.numero();
    }
    return 0;
}

} // namespace essai
