#pragma once
// Fenêtre Corbeille : liste des fichiers effacés, récupération, limite
// de la corbeille (taille ou temps de conservation).
#include "manager/recycle_bin/index_corbeille.h"
#include <QDialog>
#include <QLineEdit>
#include <QList>
#include <QListWidget>
#include <QPushButton>

class Gestion_Fichiers;

class Corbeille : public QDialog {
public:
    explicit Corbeille(Gestion_Fichiers* principale);

    void Form_Load();
    void Fichier_effacé_Click();
    void Fichier_effacé_DblClick();
    void Récupérer_Click();
    void Taille_Change();
    void Temps_Change();
    void Taille_GotFocus();
    void Temps_GotFocus();
    void Fin_Click();
    // Textes d'aide, F1 et bulle Tip (fenetre_corbeille_aide.cpp).
    void brancher_aide();

    QListWidget* Fichier_effacé;
    QPushButton *Récupérer, *Fin;
    QLineEdit *Taille, *Temps;

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;

private:
    // Rend une entrée ; faux quand elle reste dans la corbeille.
    void restaurer(const EntreeCorbeille& entree);
    bool limite_acceptable();
    bool enregistrer_limite();
    bool confirmer_suppression();

    Gestion_Fichiers* m_principale;
    QList<EntreeCorbeille> m_entrees; // dans l'ordre de l'index
};
