#pragma once
// Bouton de la barre d'outils : une image qui prend le dessin "Dn" quand on
// l'enfonce, le dessin "Up" quand on le relâche, puis lance son action.
#include <QLabel>
#include <QPixmap>
#include <functional>

namespace morvine {

class BoutonImage : public QLabel {
public:
    BoutonImage(const QPixmap& haut, const QPixmap& bas, const QString& info,
                QWidget* parent = nullptr);

    // Image relevée (Up) et enfoncée (Dn) ; l'image montrée suit l'état.
    QPixmap image_haut;
    QPixmap image_bas;
    std::function<void()> action;

    // Montre l'image donnée, comme l'affectation d'une Picture d'origine.
    void montrer(const QPixmap& image) { setPixmap(image); }
    // Clic : le bouton est redessiné relevé, puis l'action court.
    void cliquer();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
};

} // namespace morvine
