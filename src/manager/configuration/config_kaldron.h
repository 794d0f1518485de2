#pragma once
// Fenêtre Config_Kaldron : lignes clé=valeur des boutons programmables, des
// sélections (KALDRON.INI) et des associations (WIN.INI [Extensions]).
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QString>
#include <functional>
#include <optional>

class Gestion_Fichiers;

class Config_Kaldron : public QDialog {
public:
    explicit Config_Kaldron(Gestion_Fichiers* principale);

    void Form_Load();
    void Boutons_Click();
    void Sélections_Click();
    void Associer_Click();
    void Liste_conf_Click();
    void Ligne_conf_Change();
    void Parcourir_Click();
    void Enregistrer_Click();
    void Effacer_Click();
    void Fin_Click();

    QPushButton *Boutons, *Sélections, *Associer;
    QListWidget* Liste_conf;
    QLabel* Label_conf;
    QLineEdit* Ligne_conf;
    QPushButton *Parcourir, *Enregistrer, *Effacer, *Fin;

    // Liste affichée : section et fichier ("WIN.INI" pour le profil système).
    QString section_courante;
    QString fichier_courant;
    // Une ligne de KALDRON.INI a changé : relance demandée à la fermeture.
    bool modifié = false;

protected:
    // Échap et la case de fermeture passent par Fin.
    void reject() override;

private:
    void construire_listes();
    void construire_saisie();
    void construire_boutons();
    void attacher_aides();
    QPushButton* bouton(const QString& legende, const QString& bulle, double gauche, double haut);
    void choisir_liste(const QString& legende, const QString& label, const QString& section,
                       const QString& fichier);
    void Lire_section(const QString& section, const QString& fichier);
    void garder_valeur_coupee(int ligne, const QString& section, const QString& nom,
                              const QString& valeur, const QString& fichier);
    // Valeur à écrire : l'entière quand la ligne choisie, coupée, est gardée telle quelle.
    QString valeur_a_ecrire(const QString& valeur) const;
    bool liste_associations() const;
    int ligne_choisie() const;
    void oublier_choix();
    // Écrit (ou supprime, sans valeur) une clé de la section courante ;
    // faux quand l'usager renonce après le rapport d'erreur.
    bool ecrire_cle(const QString& cle, const std::optional<QString>& valeur);
    // Supprime du fichier puis de la liste la ligne choisie ; faux si l'écriture a échoué.
    bool supprimer_ligne_choisie();
    // Motif du refus d'une ligne qui abîmerait le fichier ; vide si elle s'écrit.
    QString refus(const QString& cle, const QString& valeur) const;
    // Bip et message, titré du nom de l'opération en cours.
    void refuser(const QString& texte);
    void noter_modification();

    Gestion_Fichiers* m_principale;
};
