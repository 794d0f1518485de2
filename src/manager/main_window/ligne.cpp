#include "manager/main_window/ligne.h"
#include <QPainter>

void Ligne::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), m_couleur);
}
