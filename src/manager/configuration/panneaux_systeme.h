#pragma once
// Pages de réglage du système (bureau, couleurs, date et heure, imprimantes)
// ouvertes par l'outil du bureau Linux installé, faute de panneau de
// configuration.
#include <QString>
#include <QStringList>

namespace panneaux {

// Lignes de commande candidates pour une page ("Desktop", "Color",
// "Date/Time", "Printers"), celles du bureau en cours d'abord
// (XDG_CURRENT_DESKTOP), puis les outils de tout bureau, puis ceux des
// autres bureaux, chaque groupe dans l'ordre de la table.
QStringList candidats(const QString& page);

// Première candidate dont le programme est installé ; vide sinon.
QString commande(const QString& page);

// Lance la page sans attendre ; ne fait rien si aucun outil n'existe.
void lancer(const QString& page);

} // namespace panneaux
