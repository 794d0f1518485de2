#pragma once
// Page d'aide de MORVINE (morvine.html, parmi les pages de KALDRON), montrée
// dans une fenêtre du programme : ni navigateur ni autre programme.
#include <QString>
#include <QStringList>
#include <QWidget>

class QPushButton;
class QTextBrowser;

namespace morvine {

// Répertoires où chercher les pages, dans l'ordre : installé
// (<exécutable>/../share/kaldron/aide), puis l'arbre source.
QStringList repertoires_aide();

class FenetreAide : public QWidget {
public:
    explicit FenetreAide(QWidget* parent = nullptr);
    // Ouvre la page de MORVINE (ou dit où elle manque) et montre la fenêtre.
    void ouvrir();

    QTextBrowser* Texte;
    QPushButton *Précédent, *Suivant, *Fermer;
};

} // namespace morvine
