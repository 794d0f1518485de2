// Liste du vidage : défilement par lignes, dessin des seules lignes visibles.
#include "viewer/ui/vue_vidage.h"
#include "viewer/ui/defilement.h"

#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <limits>

namespace morvine {

namespace {

// Saisie au clavier : la ligne suivante qui commence par le texte tapé est
// cherchée dans une fenêtre bornée, pour ne pas former des millions de
// lignes à chaque touche.
constexpr int k_recherche_max = 65536;

} // namespace

VueVidage::VueVidage(QWidget* parent) : QAbstractItemView(parent) {
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectRows);
    setVerticalScrollMode(ScrollPerItem);
    setHorizontalScrollMode(ScrollPerPixel);
    setEditTriggers(NoEditTriggers);
}

int VueVidage::nombre() const {
    return model() ? model()->rowCount(rootIndex()) : 0;
}

int VueVidage::hauteur_ligne() const {
    int h = 0;
    if (model() && nombre() > 0) {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        const QModelIndex premier = model()->index(0, 0, rootIndex());
        h = itemDelegateForIndex(premier)->sizeHint(option, premier).height();
    }
    return std::max(h, std::max(fontMetrics().height(), 1));
}

// La ligne la plus large est la dernière (décalage le plus long).
int VueVidage::largeur_ligne() const {
    const int n = nombre();
    if (n == 0)
        return 0;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QModelIndex dernier = model()->index(n - 1, 0, rootIndex());
    const QModelIndex premier = model()->index(0, 0, rootIndex());
    return std::max(itemDelegateForIndex(dernier)->sizeHint(option, dernier).width(),
                    itemDelegateForIndex(premier)->sizeHint(option, premier).width());
}

int VueVidage::lignes_visibles() const {
    return std::max(1, viewport()->height() / hauteur_ligne());
}

int VueVidage::premiere_ligne() const {
    return verticalScrollBar()->value();
}

QRect VueVidage::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != model() || index.row() >= nombre())
        return {};
    const qint64 y = qint64(index.row() - premiere_ligne()) * hauteur_ligne();
    // Loin de la vue : une position hors des entiers n'a pas de sens.
    if (y < -(qint64(1) << 30) || y > (qint64(1) << 30))
        return {};
    return QRect(-horizontalOffset(), int(y),
                 horizontalScrollBar()->maximum() + viewport()->width(), hauteur_ligne());
}

void VueVidage::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid() || index.row() >= nombre())
        return;
    verticalScrollBar()->setValue(
        haut_pour(index.row(), premiere_ligne(), lignes_visibles(), hint));
}

QModelIndex VueVidage::indexAt(const QPoint& point) const {
    if (point.y() < 0 || !model())
        return {};
    const qint64 ligne = qint64(premiere_ligne()) + point.y() / hauteur_ligne();
    if (ligne >= nombre())
        return {};
    return model()->index(int(ligne), 0, rootIndex());
}

void VueVidage::keyboardSearch(const QString& recherche) {
    const int n = nombre();
    if (recherche.isEmpty() || n == 0)
        return;
    const int depart = currentIndex().isValid() ? currentIndex().row() + 1 : 0;
    const int fin = int(std::min<qint64>(n, qint64(depart) + k_recherche_max));
    for (int ligne = depart; ligne < fin; ++ligne) {
        const QModelIndex i = model()->index(ligne, 0, rootIndex());
        if (i.data().toString().startsWith(recherche, Qt::CaseInsensitive)) {
            setCurrentIndex(i);
            return;
        }
    }
}

QModelIndex VueVidage::moveCursor(CursorAction action, Qt::KeyboardModifiers) {
    const int n = nombre();
    if (n == 0)
        return {};
    // Sans ligne courante, on part d'avant la première (ctrl+Fin va au bout).
    const QModelIndex courant = currentIndex();
    qint64 ligne = courant.isValid() ? courant.row() : -1;
    switch (action) {
    case MoveUp:
    case MovePrevious:
        --ligne;
        break;
    case MoveDown:
    case MoveNext:
        ++ligne;
        break;
    case MovePageUp:
        ligne -= lignes_visibles();
        break;
    case MovePageDown:
        ligne += lignes_visibles();
        break;
    case MoveHome:
        ligne = 0;
        break;
    case MoveEnd:
        ligne = n - 1;
        break;
    case MoveLeft:
    case MoveRight:
        break;
    }
    return model()->index(int(std::clamp<qint64>(ligne, 0, n - 1)), 0, rootIndex());
}

int VueVidage::horizontalOffset() const {
    return horizontalScrollBar()->value();
}

int VueVidage::verticalOffset() const {
    return int(std::min<qint64>(qint64(premiere_ligne()) * hauteur_ligne(),
                                std::numeric_limits<int>::max()));
}

bool VueVidage::isIndexHidden(const QModelIndex&) const {
    return false;
}

void VueVidage::setSelection(const QRect& zone, QItemSelectionModel::SelectionFlags drapeaux) {
    const int n = nombre();
    if (n == 0)
        return;
    const QRect z = zone.normalized();
    const int h = hauteur_ligne();
    const auto ligne_de = [&](int y) {
        return int(std::clamp<qint64>(qint64(premiere_ligne()) + std::max(y, 0) / h, 0, n - 1));
    };
    const QItemSelection choix(model()->index(ligne_de(z.top()), 0, rootIndex()),
                               model()->index(ligne_de(z.bottom()), 0, rootIndex()));
    selectionModel()->select(choix, drapeaux);
}

QRegion VueVidage::visualRegionForSelection(const QItemSelection& selection) const {
    QRegion region;
    const int haut = premiere_ligne();
    const int bas = haut + lignes_visibles();
    for (const QItemSelectionRange& plage : selection) {
        const int debut = std::max(plage.top(), haut);
        const int fin = std::min(plage.bottom(), bas);
        for (int ligne = debut; ligne <= fin; ++ligne)
            region += visualRect(model()->index(ligne, 0, rootIndex()));
    }
    return region;
}

void VueVidage::updateGeometries() {
    const int n = nombre();
    const int visibles = lignes_visibles();
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setPageStep(visibles);
    verticalScrollBar()->setRange(0, std::max(0, n - visibles));
    const int largeur = largeur_ligne();
    horizontalScrollBar()->setSingleStep(std::max(1, fontMetrics().averageCharWidth()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, std::max(0, largeur - viewport()->width()));
    QAbstractItemView::updateGeometries();
}

void VueVidage::scrollContentsBy(int, int) {
    // Le défilement est compté en lignes : tout est redessiné.
    viewport()->update();
}

void VueVidage::paintEvent(QPaintEvent*) {
    if (!model())
        return;
    QPainter peintre(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QStyle::State etat = option.state;
    const int n = nombre();
    const int h = hauteur_ligne();
    const int haut = premiere_ligne();
    const QModelIndex courant = currentIndex();
    for (int i = 0; haut + i < n && i * h < viewport()->height(); ++i) {
        const QModelIndex index = model()->index(haut + i, 0, rootIndex());
        option.rect = visualRect(index);
        option.state = etat;
        if (selectionModel() && selectionModel()->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (index == courant && hasFocus())
            option.state |= QStyle::State_HasFocus;
        itemDelegateForIndex(index)->paint(&peintre, option, index);
    }
}

} // namespace morvine
