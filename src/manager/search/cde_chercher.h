#pragma once
// Fenêtre Cde_Chercher : fichiers cherchés et fichiers exclus. Cachée, jamais
// détruite, entre deux recherches : les deux champs gardent leur texte.
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

class Gestion_Fichiers;
class Cherche_Fichier;

class Cde_Chercher : public QDialog {
public:
    explicit Cde_Chercher(Gestion_Fichiers* principale);

    void Form_Activate();
    void OK_Click();
    void Annule_Click();

    QLabel *Label_Message, *Label_Chercher, *Label_Exclure;
    QLineEdit *Fichiers_cherchés, *Fichiers_exclus;
    QPushButton *Ok, *Annule;
    Cherche_Fichier* résultats;

protected:
    void showEvent(QShowEvent* evenement) override;
    // Échap et la case de fermeture passent par Annule.
    void reject() override;

private:
    void construire();
    void attacher_aide();
    // Normalise le champ et le valide ; faux après le message d'erreur.
    bool accepter(QLineEdit* champ, bool exclusion);
    void signaler_nom_incorrect(QLineEdit* champ);
    void reprendre_resultats(int nombre);

    Gestion_Fichiers* m_principale;
};
