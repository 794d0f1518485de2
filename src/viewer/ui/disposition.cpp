#include "viewer/ui/disposition.h"

#include "platform/formats.h"

#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <algorithm>

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

QRect dans_le_cadre(QRect r, const QRect& cadre) {
    r.setWidth(std::min(r.width(), cadre.width()));
    r.setHeight(std::min(r.height(), cadre.height()));
    r.moveLeft(std::clamp(r.left(), cadre.left(), cadre.left() + cadre.width() - r.width()));
    r.moveTop(std::clamp(r.top(), cadre.top(), cadre.top() + cadre.height() - r.height()));
    return r;
}

void mosaique(QMdiArea* zone) {
    zone->tileSubWindows();
    const QRect cadre = zone->viewport()->rect();
    for (QMdiSubWindow* s : zone->subWindowList()) {
        if (s->isHidden() || s->isMinimized() || s->isMaximized())
            continue;
        const QRect r = dans_le_cadre(s->geometry(), cadre);
        if (r == s->geometry())
            continue;
        s->setGeometry(r);
        // Un vidage a repris sa taille : il est seulement déplacé.
        s->move(dans_le_cadre(s->geometry(), cadre).topLeft());
    }
}

void garder_dans_l_ecran(QWidget* fenetre) {
    const QRect g = fenetre->geometry();
    const QRect tout = fenetre->frameGeometry();
    QScreen* ecran = QGuiApplication::screenAt(tout.center());
    if (!ecran)
        ecran = fenetre->screen();
    if (!ecran)
        return;
    // Bordure et barre de titre du gestionnaire de fenêtres, quand il les a déjà posées.
    const QMargins bord(g.left() - tout.left(), g.top() - tout.top(), tout.right() - g.right(),
                        tout.bottom() - g.bottom());
    const QRect r = dans_le_cadre(tout, ecran->availableGeometry());
    if (r == tout)
        return;
    fenetre->move(r.topLeft());
    fenetre->resize(r.size().shrunkBy(bord));
}

} // namespace morvine
