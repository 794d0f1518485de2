#include "manager/common/fenetre_principale.h"
#include "manager/configuration/reglages.h"
#include "platform/formats.h"
#include <QPointer>

namespace {
QPointer<QWidget>& principale() {
    static QPointer<QWidget> f;
    return f;
}
} // namespace

QWidget* fenetre_principale() {
    return principale().data();
}

void definir_fenetre_principale(QWidget* fenetre) {
    principale() = fenetre;
}

QPoint position_dialogue(double decalage_gauche_twips, double decalage_haut_twips) {
    const QWidget* f = fenetre_principale();
    const QPoint origine = f ? f->pos() : QPoint(0, 0);
    const double bordure = reglages().largeur_bordure * 15.0;
    return origine + QPoint(plateforme::twips_vers_pixels_x(decalage_gauche_twips + bordure),
                            plateforme::twips_vers_pixels_y(decalage_haut_twips + bordure));
}
