#pragma once
// La boucle d'événements pendant une commande qui traite fichier après
// fichier : elle tourne au plus à la cadence de l'écran. La fenêtre suit
// chaque fichier (listes, jauge, légende) et Arret répond, sans que chaque
// petit fichier paie un dessin complet de la fenêtre.
#include <QCoreApplication>
#include <QElapsedTimer>

inline void ceder_a_la_fenetre() {
    static QElapsedTimer depuis;
    if (depuis.isValid() && depuis.elapsed() < 15)
        return;
    QCoreApplication::processEvents();
    depuis.start();
}
