#include "platform/navigation_aide.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace plateforme {

void disposer_fenetre_aide(QWidget* fenetre, QTextBrowser* texte,
                           const QList<QPushButton*>& en_tete, QPushButton* precedent,
                           QPushButton* suivant, QPushButton* fermer) {
    fenetre->resize(640, 520);
    texte->setOpenExternalLinks(false);
    texte->setOpenLinks(true);
    auto* boutons = new QHBoxLayout;
    for (QPushButton* b : en_tete + QList<QPushButton*>{precedent, suivant})
        boutons->addWidget(b);
    boutons->addStretch();
    boutons->addWidget(fermer);
    auto* colonne = new QVBoxLayout(fenetre);
    colonne->addLayout(boutons);
    colonne->addWidget(texte);
    precedent->setEnabled(false);
    suivant->setEnabled(false);
    QObject::connect(texte, &QTextBrowser::backwardAvailable, precedent, &QPushButton::setEnabled);
    QObject::connect(texte, &QTextBrowser::forwardAvailable, suivant, &QPushButton::setEnabled);
    QObject::connect(precedent, &QPushButton::clicked, texte, &QTextBrowser::backward);
    QObject::connect(suivant, &QPushButton::clicked, texte, &QTextBrowser::forward);
    QObject::connect(fermer, &QPushButton::clicked, fenetre, &QWidget::close);
}

} // namespace plateforme
