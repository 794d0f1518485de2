#pragma once
// Palette standard à 16 couleurs du mode texte, numérotée de 0 à 15.
#include <QColor>
#include <QtGlobal>

inline QColor couleur_vga(int n) {
    static const QRgb palette[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                     0x808000, 0xC0C0C0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF,
                                     0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    return QColor(palette[qBound(0, n, 15)]);
}
