#pragma once

#include <QAbstractItemView>

namespace morvine {

// Première ligne à montrer pour que `ligne` soit vue comme le demande
// `indice`, la vue montrant `visibles` lignes à partir de `haut`.
inline int haut_pour(int ligne, int haut, int visibles, QAbstractItemView::ScrollHint indice) {
    switch (indice) {
    case QAbstractItemView::PositionAtTop:
        return ligne;
    case QAbstractItemView::PositionAtBottom:
        return ligne - visibles + 1;
    case QAbstractItemView::PositionAtCenter:
        return ligne - visibles / 2;
    case QAbstractItemView::EnsureVisible:
        if (ligne < haut)
            return ligne;
        if (ligne >= haut + visibles)
            return ligne - visibles + 1;
        return haut;
    }
    return haut;
}

} // namespace morvine
