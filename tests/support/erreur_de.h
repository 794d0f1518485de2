#pragma once
// Numéro de l'erreur d'exécution levée par une opération (0 si aucune).
#include "platform/erreurs.h"
#include <functional>

namespace essai {

// L'erreur elle-même, pour lire sa description (numéro 0 si aucune).
inline plateforme::ErreurExecution erreur_levee(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const plateforme::ErreurExecution& e) {
        return e;
    }
    return plateforme::ErreurExecution(0);
}

inline int erreur_de(const std::function<void()>& operation) {
    return erreur_levee(operation).numero();
}

} // namespace essai
