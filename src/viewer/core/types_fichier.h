#pragma once
// Choix de l'affichage d'un fichier d'après son type (l'extension, ou le
// type imposé par la bascule de format).
#include <QString>

namespace morvine {

enum class Affichage { Texte, Vidage, Dbase, Word, Write, Image };

// Type comparé en majuscules ; tout type inconnu donne le vidage.
Affichage affichage_pour(const QString& type);
// Affichage d'un fichier dont le type n'est pas dans la table (vidage) :
// une image que les modules d'images installés savent lire, d'après
// l'extension puis d'après le contenu ; un texte d'après son premier bloc ;
// le vidage sinon (et pour un fichier vide ou illisible).
Affichage affichage_selon_contenu(const QString& extension, const QString& hote);
// Genre d'image d'un type : 0 pas une image, 1 icône ("ICO"), 2 autre image.
int genre_image_pour(const QString& type);
// Caractères après le dernier "." du nom (tel que tapé) ; le nom entier quand
// il n'en a pas. Un "." d'un répertoire ne compte pas (C:\A.B\NOTES => le nom).
QString extension_de(const QString& nom);
// Texte après le dernier "\" (ou "/", chemins de l'hôte) ; le nom entier sinon.
QString titre_de(const QString& nom);

} // namespace morvine
