#pragma once
// Trait décoratif de la fenêtre : une couleur de bordure et une épaisseur.
#include <QColor>
#include <QWidget>

class Ligne : public QWidget {
public:
    explicit Ligne(QWidget* parent = nullptr) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    void setBorderColor(const QColor& c) {
        m_couleur = c;
        update();
    }
    QColor borderColor() const { return m_couleur; }
    void setBorderWidth(int w) {
        m_epaisseur = w;
        update();
    }
    int borderWidth() const { return m_epaisseur; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor m_couleur = Qt::lightGray;
    int m_epaisseur = 1;
};
