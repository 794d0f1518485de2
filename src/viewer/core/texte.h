#pragma once
// Fichiers de texte : chaque octet est un caractère Windows-1252, à la
// lecture comme à l'écriture.
#include <QString>
#include <optional>

namespace morvine {

// Vide si le fichier peut être ouvert en lecture seule, sinon le texte du
// système pour l'erreur. Ne crée jamais de fichier.
QString erreur_ouverture(const QString& hote);
// Tout le fichier, un caractère par octet ; absent s'il ne peut être lu.
std::optional<QString> lire_texte(const QString& hote);
// Écrit le texte octet pour octet, sans ajouter de fin de ligne, par un
// fichier temporaire renommé sur la cible (droits gardés) ; faux en cas
// d'échec, la cible est alors intacte.
bool enregistrer_texte(const QString& hote, const QString& texte);

} // namespace morvine
