// Dessins des boutons : un relief gris clair à l'ancienne, le motif au centre
// (décalé d'un point quand le bouton est enfoncé).
#include "viewer/ui/icones.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

namespace morvine {

namespace {

constexpr int LARGEUR_BOUTON = 24;
constexpr int HAUTEUR_BOUTON = 22;

const QColor NOIR(0, 0, 0);
const QColor BLANC(255, 255, 255);
const QColor GRIS(192, 192, 192);
const QColor GRIS_FONCE(128, 128, 128);
const QColor JAUNE(255, 255, 0);
const QColor JAUNE_FONCE(128, 128, 0);
const QColor BLEU(0, 0, 128);
const QColor CYAN(0, 128, 128);

// Page blanche au coin corné, dans un carré de 16 points.
void page(QPainter& p, int x, int y, int largeur, int hauteur) {
    const QPolygon contour({QPoint(x, y), QPoint(x + largeur - 4, y), QPoint(x + largeur, y + 4),
                            QPoint(x + largeur, y + hauteur), QPoint(x, y + hauteur)});
    p.setPen(NOIR);
    p.setBrush(BLANC);
    p.drawPolygon(contour);
    p.drawPolyline(QPolygon(
        {QPoint(x + largeur - 4, y), QPoint(x + largeur - 4, y + 4), QPoint(x + largeur, y + 4)}));
}

void lignes_de_texte(QPainter& p, int x, int y, int longueur, int nombre) {
    p.setPen(GRIS_FONCE);
    for (int i = 0; i < nombre; ++i)
        p.drawLine(x, y + 2 * i, x + longueur - (i % 2) * 2, y + 2 * i);
}

void dessiner_nouveau(QPainter& p) {
    page(p, 3, 1, 10, 14);
}

void dessiner_ouvrir(QPainter& p) {
    p.setPen(NOIR);
    p.setBrush(JAUNE_FONCE);
    p.drawPolygon(QPolygon(
        {QPoint(1, 4), QPoint(5, 4), QPoint(6, 5), QPoint(12, 5), QPoint(12, 14), QPoint(1, 14)}));
    p.setBrush(JAUNE);
    p.drawPolygon(QPolygon({QPoint(4, 8), QPoint(15, 8), QPoint(12, 14), QPoint(1, 14)}));
    p.setPen(QPen(NOIR, 1));
    p.drawLine(10, 2, 13, 1);
    p.drawLine(13, 1, 15, 4);
    p.drawLine(15, 4, 13, 4);
}

void dessiner_disquette(QPainter& p, bool grise) {
    const QColor corps = grise ? GRIS_FONCE : BLEU;
    p.setPen(grise ? GRIS_FONCE : NOIR);
    p.setBrush(corps);
    p.drawPolygon(
        QPolygon({QPoint(1, 1), QPoint(14, 1), QPoint(15, 2), QPoint(15, 15), QPoint(1, 15)}));
    p.setBrush(grise ? GRIS : BLANC);
    p.drawRect(4, 2, 8, 5);
    p.setBrush(grise ? GRIS : QColor(160, 160, 160));
    p.drawRect(4, 10, 8, 5);
    p.setBrush(corps);
    p.drawRect(9, 11, 2, 3);
}

void dessiner_imprimer(QPainter& p) {
    page(p, 4, 1, 8, 7);
    p.setPen(NOIR);
    p.setBrush(GRIS);
    p.drawRect(1, 8, 14, 5);
    p.setBrush(BLANC);
    p.drawRect(4, 11, 8, 4);
    p.setPen(QColor(0, 160, 0));
    p.drawPoint(13, 10);
}

void dessiner_couper(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(NOIR, 1.5));
    p.drawLine(QPointF(5, 1), QPointF(10, 10));
    p.drawLine(QPointF(11, 1), QPointF(6, 10));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(BLEU, 1.5));
    p.drawEllipse(QRectF(2, 10, 4.5, 4.5));
    p.drawEllipse(QRectF(9.5, 10, 4.5, 4.5));
}

void dessiner_copier(QPainter& p) {
    page(p, 1, 1, 8, 10);
    lignes_de_texte(p, 3, 5, 4, 3);
    page(p, 6, 5, 8, 10);
    lignes_de_texte(p, 8, 9, 4, 3);
}

void dessiner_coller(QPainter& p) {
    p.setPen(NOIR);
    p.setBrush(JAUNE_FONCE);
    p.drawRect(1, 2, 10, 12);
    p.setBrush(GRIS);
    p.drawRect(4, 1, 4, 2);
    page(p, 6, 6, 8, 9);
    lignes_de_texte(p, 8, 10, 4, 2);
}

// Fenêtre de programme et flèche de lancement.
void dessiner_appel(QPainter& p) {
    p.setPen(NOIR);
    p.setBrush(BLANC);
    p.drawRect(1, 3, 11, 10);
    p.setBrush(BLEU);
    p.drawRect(1, 3, 11, 2);
    p.setPen(QPen(CYAN, 2));
    p.drawLine(8, 12, 14, 6);
    p.drawLine(14, 6, 10, 6);
    p.drawLine(14, 6, 14, 10);
}

void dessiner_motif(QPainter& p, Dessin dessin) {
    switch (dessin) {
    case Dessin::Nouveau:
        return dessiner_nouveau(p);
    case Dessin::Ouvrir:
        return dessiner_ouvrir(p);
    case Dessin::Enregistrer:
        return dessiner_disquette(p, false);
    case Dessin::Imprimer:
        return dessiner_imprimer(p);
    case Dessin::Couper:
        return dessiner_couper(p);
    case Dessin::Copier:
        return dessiner_copier(p);
    case Dessin::Coller:
        return dessiner_coller(p);
    case Dessin::Appel:
        return dessiner_appel(p);
    }
}

// Relief : clair en haut à gauche quand le bouton est relevé, inversé sinon.
void dessiner_relief(QPainter& p, bool enfonce) {
    const int d = LARGEUR_BOUTON - 1;
    const int b = HAUTEUR_BOUTON - 1;
    p.fillRect(0, 0, LARGEUR_BOUTON, HAUTEUR_BOUTON, GRIS);
    p.setPen(enfonce ? GRIS_FONCE : BLANC);
    p.drawLine(0, 0, d - 1, 0);
    p.drawLine(0, 0, 0, b - 1);
    p.setPen(enfonce ? BLANC : NOIR);
    p.drawLine(0, b, d, b);
    p.drawLine(d, 0, d, b);
    if (!enfonce) {
        p.setPen(GRIS_FONCE);
        p.drawLine(1, b - 1, d - 1, b - 1);
        p.drawLine(d - 1, 1, d - 1, b - 1);
    }
}

template <typename F> QPixmap bouton(bool enfonce, F motif) {
    QPixmap image(LARGEUR_BOUTON, HAUTEUR_BOUTON);
    QPainter p(&image);
    dessiner_relief(p, enfonce);
    const int decalage = enfonce ? 1 : 0;
    p.translate(QPoint((LARGEUR_BOUTON - 16) / 2 + decalage, (HAUTEUR_BOUTON - 16) / 2 + decalage));
    motif(p);
    return image;
}

template <typename F> QIcon icone(F motif) {
    QPixmap image(16, 16);
    image.fill(Qt::transparent);
    QPainter p(&image);
    motif(p);
    p.end();
    return QIcon(image);
}

} // namespace

QPixmap image_bouton(Dessin dessin, bool enfonce) {
    return bouton(enfonce, [dessin](QPainter& p) { dessiner_motif(p, dessin); });
}

QPixmap image_enregistrer_grise() {
    return bouton(false, [](QPainter& p) { dessiner_disquette(p, true); });
}

QIcon icone_vue() {
    return icone([](QPainter& p) {
        page(p, 1, 0, 11, 15);
        lignes_de_texte(p, 3, 4, 6, 3);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(NOIR, 1.5));
        p.setBrush(QColor(200, 230, 255));
        p.drawEllipse(QRectF(6, 7, 6, 6));
        p.drawLine(QPointF(11, 12), QPointF(15, 15));
    });
}

QIcon icone_texte() {
    return icone([](QPainter& p) {
        page(p, 2, 0, 11, 15);
        lignes_de_texte(p, 4, 4, 7, 5);
    });
}

QIcon icone_image() {
    return icone([](QPainter& p) {
        p.setPen(NOIR);
        p.setBrush(QColor(160, 210, 255));
        p.drawRect(0, 2, 15, 12);
        p.setBrush(QColor(0, 160, 0));
        p.drawPolygon(
            QPolygon({QPoint(1, 13), QPoint(6, 7), QPoint(9, 10), QPoint(11, 8), QPoint(14, 13)}));
        p.setBrush(JAUNE);
        p.drawEllipse(10, 3, 3, 3);
    });
}

} // namespace morvine
