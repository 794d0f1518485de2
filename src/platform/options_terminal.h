#pragma once
// --help et --version : réponse sur le terminal, avant toute fenêtre (et
// sans serveur graphique).
#include <QString>
#include <optional>

namespace plateforme {

// Version des deux programmes, celle du projet.
QString version();

struct AideTerminal {
    QString programme;   // nom de l'exécutable : "kaldron"
    QString usage;       // ce qui suit le nom dans la ligne d'usage
    QString description; // une ou deux lignes
    QString options;     // lignes d'options propres au programme
};

// Code de sortie si le premier argument est --help ou --version (texte
// écrit sur la sortie standard), rien sinon.
std::optional<int> repondre_option_terminal(int argc, char** argv, const AideTerminal& aide);

} // namespace plateforme
