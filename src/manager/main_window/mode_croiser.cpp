// Mode fichier ou répertoire, permutation des cadres, et les deux routines
// de chemin dont se servent les commandes.
#include "manager/common/etat_commande.h"
#include "manager/main_window/gestion_fichiers.h"
#include "platform/erreurs.h"
#include "platform/formats.h"
#include <QFontMetrics>
#include <functional>
#include <utility>

using namespace Qt::StringLiterals;
using plateforme::ErreurExecution;

// Les boutons dont la commande n'existe pas encore restent désactivés, quoi
// que demande le mode ; c'est le seul endroit qui le sait.
bool Gestion_Fichiers::commande_construite(const QPushButton* b) const {
    return commandes_construites.contains(b);
}

void Gestion_Fichiers::activer_commande(QPushButton* b, bool actif) {
    b->setEnabled(actif && commande_construite(b));
}

void Gestion_Fichiers::Mode_Click() {
    EtatCommande& etat = etat_commande();
    if (etat.commande_en_cours)
        return;
    const bool repertoire = !etat.mode_répertoire;
    etat.mode_répertoire = repertoire;
    Mode->setText(repertoire ? u" &Mode fichier"_s : u" &Mode répertoire"_s);
    setWindowTitle(repertoire ? u"Gestionnaire de fichiers  (Mode répertoire)"_s
                              : u"Gestionnaire de fichiers  (Mode fichier)   "_s);
    Copier->setVisible(!repertoire);
    Effacer->setVisible(!repertoire);
    Créer->setVisible(repertoire);
    Supprimer->setVisible(repertoire);
    for (QPushButton* b : {Déplacer, Imprimer, Editer, Exécuter, Chercher, Visualiser, Sélecte})
        activer_commande(b, !repertoire);
    if (repertoire) {
        activer_commande(Renommer, true);
        Ligne_message->clear();
        if (résultats_recherche)
            Sélecte_Click();
    }
    légende_sauvée = windowTitle();
    Rafraichir_affichage();
}

// Chaque cadre prend le répertoire et l'unité de l'autre. La liste des
// unités suit déjà son répertoire sans relancer son changement : celui de
// SOURCE est donc lancé ici, que les unités diffèrent ou non.
void Gestion_Fichiers::Croiser_Click() {
    const QString commande = u"CROISER"_s;
    etat_commande().commande_courante = commande;
    const QString source = Répertoire_srce->path();
    const QString destination = Répertoire_dest->path();
    const std::pair<QString, std::function<void()>> etapes[] = {
        {destination, [&] { Répertoire_srce->setPath(destination); }},
        {destination, [&] { Unité_srce->setDrive(destination); }},
        {source, [&] { Répertoire_dest->setPath(source); }},
        {source, [&] { Unité_dest->setDrive(source); }},
    };
    // Pas de liaison structurée ici : clang refuse de la capturer.
    for (const auto& paire : etapes) {
        const QString& objet = paire.first;
        const auto rapport = [&](const ErreurExecution& e) {
            return signaler_erreur(commande, objet, e);
        };
        if (!plateforme::executer_avec_reprise(paire.second, rapport))
            return;
    }
    Unité_srce_Change();
}

void Gestion_Fichiers::Chemin_destination() {
    QString chemin = Répertoire_dest->path();
    if (!chemin.endsWith(u'\\'))
        chemin += u'\\';
    etat_commande().chemin_destination = chemin + etat_commande().fichier_courant;
}

// Les premiers répertoires cèdent la place à " . . ." jusqu'à ce que le reste
// tienne ; la largeur est mesurée dans la police de la fenêtre, en twips.
void Gestion_Fichiers::Raccourcir_chemin(QWidget* fenetre, double largeur) {
    const QFontMetrics mesure((fenetre ? fenetre : this)->font());
    const auto twips = [&mesure](const QString& t) {
        return plateforme::pixels_vers_twips_x(mesure.horizontalAdvance(t));
    };
    if (twips(texte_partagé) <= largeur)
        return;
    QString unite = texte_partagé.left(2);
    QString reste = texte_partagé;
    const double limite = largeur - twips(u"W:\\ . . .\\"_s);
    while (twips(reste) > limite) {
        const qsizetype barre = reste.indexOf(u'\\');
        if (barre < 0)
            break;
        reste = reste.mid(barre + 1);
    }
    if (unite.size() < 2 || unite.at(1) != u':')
        unite = Unité_srce->drive().left(2);
    texte_partagé = unite + u"\\ . . .\\"_s + reste;
}
