#pragma once
// Lancement de programmes : une ligne de commande d'origine est découpée en
// programme et arguments sans aucun shell, puis le programme part détaché.
#include <QString>
#include <QStringList>
#include <functional>

namespace plateforme {

// Morceaux d'une ligne de commande : les blancs séparent, les guillemets
// groupent (ils ne font pas partie du morceau) ; rien d'autre n'est spécial.
QStringList decouper_ligne_commande(const QString& ligne);

// Chemin de l'hôte du programme désigné par un nom d'origine (NOTEPAD.EXE,
// C:\OUTILS\ZIP.EXE, nom de l'hôte) : chemin DOS résolu, sinon cherché dans
// le répertoire des exécutables, le répertoire du programme, le répertoire
// Windows et le PATH, sans égard à la casse, avec ou sans son suffixe
// .EXE/.COM/.BAT. NOTEPAD.EXE introuvable est servi par MORVINE. Vide si
// rien ne convient.
QString trouver_programme(const QString& nom);

// Ce qui part vraiment : exécutable de l'hôte, arguments (les chemins DOS
// devenus chemins de l'hôte) et répertoire de travail de l'hôte.
struct Lancement {
    QString programme;
    QStringList arguments;
    QString repertoire;
};

// Prépare le lancement d'une ligne de commande dans le répertoire courant de
// l'unité courante ; MORVINE qui sert le bloc-notes absent reçoit d'abord
// "--editer" (chaque fichier en texte modifiable). Lève 53 si le programme est introuvable, 64 si
// un argument en chemin DOS désigne un nom invalide (une unité inconnue laisse l'argument tel
// quel).
Lancement preparer_lancement(const QString& ligne);

// Message d'un fichier .BAT qu'on voudrait exécuter : Linux ne le peut pas.
QString texte_fichier_de_commandes(const QString& nom);

// Lance la ligne détachée, sans attendre. Lève 53 si le programme est
// introuvable, 64 comme ci-dessus, 5 s'il ne peut pas démarrer (fichier non exécutable),
// 1001 (expliqué) pour un .BAT ou un programme en mode texte sans terminal installé.
// Un programme en mode texte ou un script part dans l'émulateur de terminal.
void lancer(const QString& ligne);

// Lance une commande de l'hôte déjà découpée (programme cherché dans le PATH
// s'il n'a pas de '/'), détachée, dans le répertoire courant de l'unité
// courante ; dans un terminal si demandé. Lève 53 si le programme manque.
void lancer_commande_hote(const QStringList& commande, bool terminal);

// Les essais remplacent le démarrage : la fonction reçoit la ligne
// d'origine telle que la commande l'a composée, avant toute recherche du
// programme ; elle rend faux pour simuler un programme introuvable (53).
// Une commande de l'hôte lui arrive jointe par des blancs, chaque argument
// qui en contient entre guillemets. Une fonction vide rétablit le démarrage réel.
using Demarreur = std::function<bool(const QString& ligne)>;
void installer_demarreur(Demarreur demarreur);

} // namespace plateforme
