#pragma once
// Pointeur de souris : sablier pendant un travail, normal ensuite.
#include <QApplication>

inline void curseur_sablier() {
    if (!QApplication::overrideCursor())
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

inline void curseur_normal() {
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}
