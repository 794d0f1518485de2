#pragma once
// Fenêtre Choix_Options : les huit valeurs de [Options] de KALDRON.INI, les
// fichiers cachés de la session et les pages de réglage du système.
#include <QCheckBox>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <array>
#include <functional>

class Gestion_Fichiers;
class Ligne;

class Choix_Options : public QDialog {
public:
    explicit Choix_Options(Gestion_Fichiers* principale);

    void Form_Load();
    void Nom_éditeur_Change();
    void Nom_visualiseur_Change();
    void Choix_couleur_Change();
    void Exemple_GotFocus();
    void Choisi_Click();
    void Cachés_Click();
    void Bureau_Click();
    void Couleurs_Click();
    void DateHeure_Click();
    void Imprimantes_Click();
    void OK_Click();
    void Annule_Click();

    // Noms gardés par la fenêtre : lus à l'ouverture, ou écrits par OK.
    QString nom_éditeur;
    QString nom_visualiseur;

    QLabel *Label_éditeur, *Label_visualiseur, *Label_confirme, *Label_remplace;
    QLabel *Label_icone, *Label_aide, *Label_lister, *Label_couleur, *Label_répertoire;
    QLineEdit *Nom_éditeur, *Nom_visualiseur;
    QCheckBox *Confirmation, *Remplacement, *Iconisé, *Aide, *Cachés;
    QScrollBar* Choix_couleur;
    QFrame* Exemple_fond;
    QLineEdit* Exemple;
    std::array<Ligne*, 10> Lignes{}; // Ligne1 à Ligne9 (indices 1 à 9)
    QFrame* Cadre_premier;
    QRadioButton *Courant, *Racine, *Choisi;
    QLineEdit* Répert_choisi;
    QPushButton *Bureau, *Couleurs, *DateHeure, *Imprimantes, *OK, *Annule;

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;
    // Échap et la case de fermeture valent Annuler.
    void reject() override;

private:
    void construire_noms();
    void construire_cases();
    void construire_couleur();
    void construire_lignes();
    void construire_repertoire();
    void construire_boutons();
    void attacher_aides();
    void connecter();
    QLabel* etiquette(QLabel*& label, const QString& nom, const QString& texte, double haut);
    QCheckBox* case_a_cocher(const QString& nom, const QString& bulle, double haut);

    void Lancer_panneau(const QString& page);
    // Étapes de Form_Load et de OK : une clé chacune, refaite tant que le
    // rapport d'erreur dit Réessayer ; faux quand l'usager abandonne.
    bool etape(const std::function<void()>& action);
    void lire_options();
    void ecrire_options();
    QString repertoire_choisi() const;
    void montrer_echantillon(int schema);
    void fermer();

    Gestion_Fichiers* m_principale;
    int m_couleur_avant = 0; // schéma en vigueur à l'ouverture, rendu par Annuler
};
