#pragma once
// Parcours en largeur de tous les répertoires d'une unité : sans limite de
// nombre, sans boucle par les liens, sans entrer dans les systèmes de
// fichiers virtuels (/proc, /sys, /dev, /run) ; un répertoire illisible est
// sauté.
#include <QString>
#include <QStringList>
#include <functional>

namespace plateforme {

struct ResultatParcours {
    QStringList repertoires; // chemins DOS complets, la racine d'abord
    bool complet = true;     // faux si le parcours a été interrompu
};

// 'racine_dos' : "C:\" ou un répertoire. 'continuer' est appelée après chaque
// répertoire lu (elle peut rendre la main à la boucle d'événements) ; le
// parcours s'arrête quand elle rend faux.
// Les sous-répertoires d'un répertoire viennent triés sans égard à la casse ;
// les cachés (nom en '.') sont listés. Un lien vers un répertoire est listé
// mais jamais parcouru : le parcours reste dans l'arborescence réelle.
// Lève 68 si la racine de l'unité est absente, 76 pour un autre répertoire.
ResultatParcours parcourir_repertoires(const QString& racine_dos,
                                       const std::function<bool()>& continuer = {});

// Vrai pour un chemin de l'hôte situé dans un système de fichiers virtuel.
bool est_systeme_virtuel(const QString& chemin_hote);

} // namespace plateforme
