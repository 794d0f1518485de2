#pragma once
// Fenêtre « A propos », qui sert aussi d'écran d'accueil au démarrage.
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "platform/instance.h"

class Apropos : public QWidget {
public:
    // 'montrer_principale' crée et charge la fenêtre principale au démarrage.
    explicit Apropos(std::function<void()> montrer_principale = {}, QWidget* parent = nullptr);

    void Form_Load();
    void Attente_Timer();
    void OK_Click();

    QTimer* Attente;
    QPushButton* OK;
    QLabel* Titre;

protected:
    // Entrée et Échap valent OK quand il est montré (pas à l'accueil).
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void poser_titre();

    std::function<void()> m_montrer_principale;
};

// Texte d'une copie refusée, et vrai si une autre copie tourne.
bool refuser_seconde_copie(bool autre_copie);
// Vrai si cette copie doit s'arrêter, après l'avoir expliqué : une autre
// copie tourne, ou le verrou n'a pu être pris ('erreur' dit pourquoi).
bool refuser_demarrage(plateforme::InstanceUnique::Acquisition prise, const QString& erreur);
