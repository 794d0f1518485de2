#pragma once
// Lance 'action' dès que 'condition' est vraie, depuis la boucle d'événements
// (les fenêtres modales en ont une à elles).
#include <QObject>
#include <QTimer>
#include <functional>

namespace essai {

inline void quand(QObject* contexte, const std::function<bool()>& condition,
                  const std::function<void()>& action) {
    auto* minuterie = new QTimer(contexte);
    minuterie->setInterval(5);
    QObject::connect(minuterie, &QTimer::timeout, contexte, [=] {
        if (!condition())
            return;
        minuterie->stop();
        minuterie->deleteLater();
        action();
    });
    minuterie->start();
}

} // namespace essai
