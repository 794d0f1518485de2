#pragma once
// Programmes de l'hôte : un programme en mode texte (sans bibliothèque
// graphique) ou un script part dans l'émulateur de terminal du bureau, dans
// une fenêtre qui reste ouverte jusqu'à Entrée ; un programme graphique part
// seul. Les arguments passent toujours un par un, sans shell.
#include <QString>
#include <QStringList>

namespace plateforme {

enum class GenreProgramme {
    Graphique, // lié à une bibliothèque graphique (X11, Wayland, Qt Gui, GTK…)
    Texte,     // exécutable sans bibliothèque graphique : demande un terminal
    Script,    // "#!" en tête : demande un terminal (sauf interpréteur graphique)
    Inconnu,   // illisible ou d'un autre format : lancé seul, comme avant
};

// Lit l'en-tête du fichier (ELF : bibliothèques liées ; script : première ligne).
GenreProgramme genre_programme(const QString& chemin_hote);
bool demande_un_terminal(const QString& chemin_hote);

// Émulateur de terminal : $KALDRON_TERMINAL, sinon x-terminal-emulator,
// puis les terminaux courants, cherchés dans le PATH. Vide si aucun.
QString trouver_terminal();

// Ligne complète (programme puis arguments) qui ouvre 'programme' et ses
// arguments dans 'terminal', répertoire de travail 'repertoire' ; le
// terminal reste ouvert à la fin en disant le code de sortie.
QStringList ligne_dans_terminal(const QString& terminal, const QString& repertoire,
                                const QString& programme, const QStringList& arguments);

} // namespace plateforme
