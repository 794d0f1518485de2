#pragma once
// Sablier le temps d'un travail : rendu au pointeur normal en sortant.
#include <QApplication>

namespace morvine {

class CurseurSablier {
public:
    CurseurSablier() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CurseurSablier() { QApplication::restoreOverrideCursor(); }
    CurseurSablier(const CurseurSablier&) = delete;
    CurseurSablier& operator=(const CurseurSablier&) = delete;
};

} // namespace morvine
