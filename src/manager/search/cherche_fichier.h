#pragma once
// Fenêtre Cherche_Fichier : parcourt l'unité SOURCE, montre les fichiers
// trouvés et rend ceux que l'usager choisit. Cachée entre deux recherches.
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <utility>
#include <vector>

class Gestion_Fichiers;
namespace plateforme {
class ErreurExecution;
}

class Cherche_Fichier : public QDialog {
public:
    explicit Cherche_Fichier(Gestion_Fichiers* principale, QWidget* parent);

    static QString légende_attente();

    // Montre la fenêtre en modal et cherche 'motif' ; rend le nombre de
    // fichiers remis à Fichier_sél (0 sans choix). 'exclus' : le champ des
    // fichiers exclus.
    int executer(const QString& motif, const QString& exclus);

    void Form_Activate();
    // La recherche elle-même ; ne fait rien sans recherche demandée.
    void Rechercher();
    void Liste_sél_Click();
    void OK_Click();
    void Annule_Click();

    QLabel *Libellé1, *Recherche, *Mess_infos;
    QListWidget* Liste_sél;
    QPushButton *Ok, *Annule;

    // Demande posée par Cde_Chercher, effacée quand la recherche part.
    bool recherche_demandée = false;
    QString motif;
    QString exclus;
    int nombre_rendu = 0;

protected:
    void showEvent(QShowEvent* evenement) override;
    void reject() override;

private:
    void construire();
    bool arbre_a_refaire(const QString& unite) const;
    // Faux quand la recherche doit s'arrêter là (arrêt ou erreur sans reprise).
    bool construire_arbre(const QString& unite);
    bool balayer(const QString& unite);
    void ranger(const QStringList& trouves, qsizetype depuis);
    void montrer_repertoire(const QString& repertoire);
    void montrer_compte(qsizetype nombre);
    // Erreur passée au rapport : vrai si l'usager veut réessayer.
    bool reessayer(const QString& unite, const plateforme::ErreurExecution& erreur);
    void finir_sur_erreur();
    void fermer();

    Gestion_Fichiers* m_principale;
    // Clés de rangement des lignes de Liste_sél (minuscules, chemin réel).
    using Cle = std::pair<QString, QString>;
    std::vector<Cle> m_cles;
};
