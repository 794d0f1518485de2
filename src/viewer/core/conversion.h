#pragma once
// Conversion DOS (page 437, « ASCII ») <=> Windows (1252, « ANSI ») des 31
// caractères accentués usuels ; tout autre caractère reste tel quel. Le texte
// est celui de la fenêtre : chaque octet du fichier y est un caractère 1252.
#include <QString>

namespace morvine {

// Vrai : ASCII => ANSI ; faux : ANSI => ASCII.
QString convertir_jeu_caracteres(bool vers_ansi, const QString& texte);

} // namespace morvine
