#include "viewer/ui/disposition.h"

#include "platform/formats.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace morvine {

namespace {
constexpr int CRAN = 355;    // twips
constexpr int CRANS_MAX = 8; // au-delà, la cascade repart du coin
} // namespace

void placer(QMdiSubWindow* s, int indice) {
    const int decalage = CRAN * ((indice - 1) % CRANS_MAX);
    s->move(plateforme::twips_vers_pixels_x(decalage), plateforme::twips_vers_pixels_y(decalage));
}

void taille_ordinaire(QMdiSubWindow* s, const QMdiArea* zone, int indice) {
    placer(s, indice);
    s->resize(zone->viewport()->width() * 3 / 4, zone->viewport()->height() * 3 / 4);
}

void entourer(QMdiSubWindow* s, QSize interieur) {
    const QSize cadre = s->size() - s->contentsRect().size();
    s->resize(interieur + cadre);
}

} // namespace morvine
