#pragma once
// Lecture d'une table dBase en textes de cellules (les largeurs de colonnes
// dépendent de la police : c'est la fenêtre qui les mesure).
#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QStringList>

namespace morvine {

struct TableDbase {
    QStringList noms;     // nom de chaque champ (en-tête de colonne k = noms[k-1])
    QByteArray types;     // type de chaque champ ('C', 'D', 'L', 'M', 'N'...)
    QList<int> longueurs; // longueur de chaque champ, en octets
    // Ligne n = lignes[n-1] ; colonne 0 = numéro de ligne, puis un texte par champ.
    QList<QStringList> lignes;
};

// Lit la table depuis le début du périphérique. Un fichier abîmé donne ce
// qui peut être lu, jamais plus que la taille du fichier.
TableDbase lire_dbase(QIODevice& fichier);

// Texte d'une cellule d'après le type du champ et ses octets.
QString texte_cellule(char type, const QByteArray& octets);

} // namespace morvine
