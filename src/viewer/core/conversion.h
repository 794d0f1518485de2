#pragma once
// Conversion DOS (page 437, « ASCII ») <=> Windows (1252, « ANSI ») des 31
// caractères accentués usuels ; tout autre caractère reste tel quel. Le texte
// est celui de la fenêtre : chaque octet d'un fichier Windows-1252 y est un
// caractère 1252. Un texte UTF-8 est converti de même, caractère par
// caractère, comme s'il venait d'un fichier DOS lu en 1252 (« ‚ » y devient
// « é », le contrôle 21 « § ») ; il reste en UTF-8 à l'enregistrement.
#include <QString>

namespace morvine {

// Vrai : ASCII => ANSI ; faux : ANSI => ASCII.
QString convertir_jeu_caracteres(bool vers_ansi, const QString& texte);

} // namespace morvine
