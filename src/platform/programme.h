#pragma once
// Répertoire du programme : celui de l'exécutable s'il est inscriptible ainsi
// que la racine de son unité (installation portable), sinon le répertoire
// Windows. KALDRON.INI, MORVINE.INI et l'index de la corbeille en découlent.
#include <QString>

namespace plateforme {

// Chemin DOS du répertoire du programme ($KALDRON_PROGRAMME, chemin de
// l'hôte, le remplace pour les tests).
QString repertoire_programme();

} // namespace plateforme
