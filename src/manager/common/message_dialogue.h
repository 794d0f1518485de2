#pragma once
// Question à boutons libellés, posée par la fenêtre Dialogue.
#include <QRectF>
#include <QString>
#include <functional>

// Rend 1, 2 ou 3 : le bouton pressé (Échap donne 3).
int Message_dialogue(const QString& texte, const QString& legende1, const QString& legende2,
                     const QString& legende3, const QString& icone, const QString& titre);

// Disposition calculée en twips, indépendante des widgets.
struct DispositionDialogue {
    double hauteur_message = 0;
    QString legendes[3]; // avec l'espace de tête ; vide = bouton caché
    QRectF boutons[3];   // gauche, haut, largeur, hauteur
    int masque = 0;      // 1, 2, 4 par bouton montré
    int bouton_defaut = 1;
    double hauteur_dialogue = 0;
};

struct MesuresDialogue {
    double largeur_dialogue = 0; // F
    double largeur_message = 0;  // L
    double haut_message = 0;
    double hauteur_bouton = 0;
    std::function<double(const QString&)> largeur_texte; // W(t)
    std::function<double(const QString&)> hauteur_texte; // H(t)
};

DispositionDialogue disposer_dialogue(const MesuresDialogue& m, const QString& texte,
                                      const QString& legende1, const QString& legende2,
                                      const QString& legende3);
