#pragma once
// Fenêtre Dialogue : trois boutons libellés, une image, un texte.
#include "manager/common/message_dialogue.h"
#include <QDialog>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

class Dialogue : public QDialog {
public:
    // Créée au premier usage puis gardée cachée entre deux appels.
    static Dialogue& instance();

    // Dispose la fenêtre, l'affiche en modal et rend le bouton pressé.
    int poser(const QString& texte, const QString& legende1, const QString& legende2,
              const QString& legende3, const QString& icone, const QString& titre);

    // Largeur fixe de la fenêtre et du texte, en twips.
    static constexpr double LARGEUR = 6600;
    static constexpr double LARGEUR_MESSAGE = 5400;

    QPushButton* Bouton1;
    QPushButton* Bouton2;
    QPushButton* Bouton3;
    QLabel* Icône;
    QLabel* Message;
    QString tag; // numéro du bouton par défaut, puis du bouton pressé

    MesuresDialogue mesures() const;
    void appliquer(const DispositionDialogue& d);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    Dialogue();
    void Bouton_Click(int numero);
    void Form_Paint();
    void montrer_icone(const QString& icone);
    QPixmap IcôneInformation, IcôneExclamation, IcôneInterrogation, IcôneStop;
};
