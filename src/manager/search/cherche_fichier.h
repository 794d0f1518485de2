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

// Les lignes choisies d'une liste, d'après les plages de sa sélection :
// demander à chaque ligne si elle l'est coûte une recherche dans ces plages.
std::vector<bool> lignes_choisies(const QListWidget* liste);

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
    // Somme des tailles des fichiers rendus, lues pendant la recherche ; -1
    // quand l'une manque (la ligne d'état les recompte alors sur le disque).
    qint64 taille_rendue = -1;

protected:
    void showEvent(QShowEvent* evenement) override;
    void reject() override;

private:
    void construire();
    bool arbre_a_refaire(const QString& unite) const;
    // Faux quand la recherche doit s'arrêter là (arrêt ou erreur sans reprise).
    bool construire_arbre(const QString& unite);
    bool balayer(const QString& unite, bool arbre_neuf);
    void ranger(const QStringList& trouves, const std::vector<qint64>& tailles, qsizetype depuis);
    void montrer_repertoire(const QString& repertoire);
    void montrer_compte(qsizetype nombre);
    // Erreur passée au rapport : vrai si l'usager veut réessayer.
    bool reessayer(const QString& unite, const plateforme::ErreurExecution& erreur);
    void finir_sur_erreur();
    void fermer();

    Gestion_Fichiers* m_principale;
    // Une ligne de Liste_sél : clé de rangement (minuscules, puis chemin
    // réel) et taille lue pendant la recherche (-1 : inconnue).
    struct Cle {
        QString minuscules;
        QString reel;
        qint64 taille = -1;
        bool operator<(const Cle& autre) const {
            const int c = minuscules.compare(autre.minuscules);
            return c != 0 ? c < 0 : reel < autre.reel;
        }
    };
    std::vector<Cle> m_cles;
};
