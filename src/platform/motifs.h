#pragma once
// Motifs : jokers DOS des listes de fichiers, et langage des exclusions.
#include <QString>

namespace plateforme {

// Sans égard à la casse : '*' toute suite, '?' un caractère, "*.*" tout nom,
// ".*" final peut ne rien reconnaître, '.' final = nom sans point ; plusieurs
// motifs séparés par ';'. Lève 380 pour un caractère impossible dans un nom.
bool motif_dos_correspond(const QString& nom, const QString& motif);
// Vérifie un motif DOS sans rien comparer ; lève 380 s'il est invalide.
void verifier_motif_dos(const QString& motif);

// '?' un caractère, '*' toute suite, '#' un chiffre, [abc], [a-z], [!abc].
bool motif_like_correspond(const QString& texte, const QString& motif, Qt::CaseSensitivity casse);

} // namespace plateforme
