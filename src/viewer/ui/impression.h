#pragma once
// Impression d'un document : l'imprimante ou le fichier PDF que la
// plate-forme impose (platform/impression.h) ; sans imprimante, le dialogue
// d'enregistrement choisit le fichier PDF.
#include <QFont>
#include <QPixmap>
#include <QString>

class QPrinter;
class QWidget;

namespace morvine {

// Prépare l'imprimante (dialogue d'impression, ou fichier PDF) ; faux si
// l'utilisateur annule.
bool preparer_imprimante(QPrinter& imprimante, const QString& titre, QWidget* parent);
// Ligne de titre, ligne vide, puis le texte, en pages successives.
bool imprimer_texte(QPrinter& imprimante, const QString& titre, const QString& texte,
                    const QFont& police);
// L'image, réduite au besoin à la largeur de la page.
bool imprimer_image(QPrinter& imprimante, const QPixmap& image);

} // namespace morvine
