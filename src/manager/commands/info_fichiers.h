#pragma once
// Fenêtre Info_Fichiers : taille, date, heure et attributs des fichiers
// choisis, un à la fois ; les quatre attributs se modifient.
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

class Gestion_Fichiers;

class Info_Fichiers : public QDialog {
public:
    explicit Info_Fichiers(Gestion_Fichiers* principale);

    void Form_Load();
    void Form_Activate();
    void Afficher_infos_fichier();
    void Enregistrer_attributs();
    void Précédent_Click();
    void Suivant_Click();
    void Fin_Click();
    void Caché_Click();
    void Système_Click();
    void Lecture_Click();
    void Modifié_Click();
    void Taille_GotFocus();
    void Date_fichier_GotFocus();
    void Heure_GotFocus();
    // Textes d'aide et F1 (info_fichiers_aide.cpp).
    void brancher_aide();

    QLineEdit *Taille, *Date_fichier, *Heure;
    QCheckBox *Caché, *Système, *Lecture, *Modifié;
    QPushButton *Précédent, *Suivant, *Fin;
    QLabel *Label_taille, *Label_octets, *Label_date, *Label_heure, *Label_attribut;
    QLabel *Label_caché, *Label_système, *Label_lecture, *Label_archive;

    // Posé par un clic sur une des quatre cases, jamais par le remplissage.
    bool attributs_modifiés = false;

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;
    void showEvent(QShowEvent* evenement) override;
    // Échap et la case de fermeture passent par Fin.
    void reject() override;

private:
    void construire_champs();
    void construire_attributs();
    void construire_boutons();
    QLabel* etiquette(const QString& texte, double gauche, double haut, double largeur);
    QLineEdit* champ(const QString& aide, double haut, double largeur);
    QCheckBox* case_attribut(const QString& aide, QLabel*& label, const QString& texte,
                             double gauche);
    void remplir(const QString& chemin);
    unsigned attributs_choisis() const;
    // Fichier choisi suivant dans le sens voulu, en repartant de l'autre
    // bout de la liste quand il n'y en a plus.
    void prendre_en_boucle(int direction);
    void prendre(int direction);
    int nombre_parcouru() const;

    Gestion_Fichiers* m_principale;
    int m_sens = 1; // sens du dernier parcours
};
