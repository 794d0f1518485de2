#pragma once
// MORVINE.INI : géométrie du cadre, barre d'outils, police de base et
// fichiers récents, lus et écrits par les opérations de profil.
#include <QString>
#include <QStringList>
#include <optional>

namespace morvine {

inline constexpr int NOMBRE_RECENTS = 8;

// Répertoire du programme + "\MORVINE.INI".
QString chemin_ini_programme();

// Valeur de géométrie lue dans un tampon de 10 caractères (9 utiles), puis
// convertie par la lecture décimale habituelle ; rien si la clé est absente.
std::optional<double> lire_geometrie(const QString& cle, const QString& chemin_ini);
// Texte d'un nombre simple précision, blanc de tête s'il est positif.
QString texte_geometrie(double valeur);

// Vrai quand les trois premiers caractères, en minuscules, sont "oui".
bool est_oui(const QString& texte);
// [Options] "Police de base", tampon de 20 caractères, "System" par défaut.
QString lire_police_de_base(const QString& chemin_ini);

// [Fichiers] Fichier1 à Fichier8 ("Not Used" quand la clé manque).
QStringList lire_recents(const QString& chemin_ini);
bool entree_utilisee(const QString& valeur);
// Ajoute en tête, sauf si le nom y est déjà ; l'entrée 8 est perdue.
void ajouter_recent(const QString& nom, const QString& chemin_ini);

} // namespace morvine
