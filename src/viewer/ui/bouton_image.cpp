#include "viewer/ui/bouton_image.h"

#include <QMouseEvent>

namespace morvine {

BoutonImage::BoutonImage(const QPixmap& haut, const QPixmap& bas, const QString& info,
                         QWidget* parent)
    : QLabel(parent), image_haut(haut), image_bas(bas) {
    setPixmap(haut);
    setToolTip(info);
    setFixedSize(haut.size());
}

void BoutonImage::cliquer() {
    setPixmap(image_haut);
    if (action)
        action();
}

void BoutonImage::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        setPixmap(image_bas);
}

void BoutonImage::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton)
        return;
    setPixmap(image_haut);
    // Relâché hors du bouton : pas de clic.
    if (rect().contains(e->position().toPoint()))
        cliquer();
}

} // namespace morvine
