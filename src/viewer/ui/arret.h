#pragma once
// Arrêt par un signal (SIGTERM, SIGINT, SIGHUP) : au lieu de mourir sur le
// coup, le programme nettoie (ses fichiers de vidage) et quitte sa boucle.
#include <functional>

namespace morvine {

// À appeler une fois, avec l'application construite.
void arreter_sur_signal(std::function<void()> nettoyage);
// Vrai dès qu'un signal d'arrêt est reçu : un long chargement, qui fait
// tourner les événements, s'interrompt au lieu de finir pour rien.
bool arret_demande();

} // namespace morvine
