#pragma once
// Impression par l'imprimante de la plate-forme ; sans imprimante, ou quand
// l'environnement nomme un fichier de sortie (KALDRON_IMPRESSION_PDF), un
// fichier PDF est écrit à la place.
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
