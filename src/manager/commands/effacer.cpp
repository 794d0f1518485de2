// Effacement des fichiers choisis, par la corbeille quand elle sert.
#include "manager/common/cession.h"
#include "manager/common/etat_commande.h"
#include "manager/common/rapport_erreur.h"
#include "manager/configuration/reglages.h"
#include "manager/main_window/gestion_fichiers.h"
#include "manager/recycle_bin/corbeille.h"
#include "platform/dialogues.h"
#include "platform/erreurs.h"
#include "platform/fichiers.h"
#include <QCoreApplication>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString CR = QString(QChar(13));

// Réponse au rapport d'une erreur : Réessayer (4) recommence l'étape.
int rapporter(const plateforme::ErreurExecution& erreur) {
    EtatCommande& etat = etat_commande();
    etat.réponse_de_commande = plateforme::REP_ANNULER;
    Rapport_erreur(etat.chemin_source, erreur);
    return etat.réponse_de_commande;
}

// Les unités A: et B: ne passent jamais par la corbeille.
bool unite_avec_corbeille(const QString& unite) {
    return reglages().corbeille_active && unite.left(1).toLower() > u"b"_s;
}

} // namespace

void Gestion_Fichiers::connecter_effacement() {
    commandes_construites.insert(Effacer);
    activer_commande(Effacer, true);
    connect(Effacer, &QPushButton::clicked, this, [this] { Effacer_Click(); });
    Corbeill->setToolTip(u"paramètrer la corbeille ou récupérer des fichiers"_s);
    commandes_construites.insert(Corbeill);
    activer_commande(Corbeill, true);
    connect(Corbeill, &QPushButton::clicked, this, [this] { Corbeill_Click(); });
}

void Gestion_Fichiers::Effacer_Click() {
    if (!Debut_commande())
        return;
    EtatCommande& etat = etat_commande();
    etat.commande_courante = u"EFFACER"_s;
    if (Ligne_message->text().isEmpty()) {
        Signaler_aucune_selection();
        Rafraichir_affichage();
        return;
    }
    {
        // L'index et son verrou restent ouverts d'un fichier à l'autre ; le
        // verrou, lui, est rendu après chaque fichier.
        std::optional<corbeille::Lot> lot;
        if (reglages().corbeille_active)
            lot.emplace();
        for (;;) {
            sélection_totale ? Fichier_suivant_pas_a_pas(1) : Fichier_suivant(1);
            if (!etat.fichier_trouvé)
                break;
            Confirmer_commande();
            if (etat.réponse_de_commande == plateforme::REP_OUI && !effacer_fichier_courant())
                break;
            if (etat.réponse_de_commande == plateforme::REP_ANNULER || etat.demande_d_arrêt)
                break;
        }
    }
    if (reglages().corbeille_active) {
        plateforme::executer_avec_reprise([] { Purger_corbeille(); }, rapporter);
        signaler_lignes_douteuses();
    }
    Rafraichir_affichage();
}

bool Gestion_Fichiers::effacer_fichier_courant() {
    EtatCommande& etat = etat_commande();
    if (etat.mode_de_confirmation != 0) {
        Arret->show();
        ceder_a_la_fenetre();
    }
    const bool fait =
        unite_avec_corbeille(Unité_srce->drive())
            ? ranger_fichier_courant()
            : plateforme::executer_avec_reprise(
                  [&] { plateforme::supprimer_fichier(etat.chemin_source); }, rapporter);
    if (!fait)
        return false;
    if (Unité_dest->drive().left(2) == Unité_srce->drive().left(2))
        Afficher_espace_libre();
    garder_parcours_effacement();
    // Seule l'entrée effacée est relue, si DESTINATION montre son répertoire.
    Fichier_dest->actualiserFichier(etat.chemin_source);
    return true;
}

bool Gestion_Fichiers::ranger_fichier_courant() {
    EtatCommande& etat = etat_commande();
    return plateforme::executer_avec_reprise(
               [&] {
                   if (plateforme::attributs(etat.chemin_source) & plateforme::ATTR_LECTURE_SEULE)
                       plateforme::lever(75);
                   // La taille se lit juste avant le rangement.
                   const qint64 taille = plateforme::longueur(etat.chemin_source);
                   if (refuser_fichier_trop_grand(taille)) {
                       etat.réponse_de_commande = plateforme::REP_ANNULER;
                       return;
                   }
                   Mettre_en_corbeille(etat.chemin_source, etat.fichier_courant,
                                       etat.répertoire_source, taille);
               },
               rapporter) &&
           etat.réponse_de_commande != plateforme::REP_ANNULER;
}

// Oui : l'utilisateur veut d'abord agrandir la corbeille.
bool Gestion_Fichiers::refuser_fichier_trop_grand(qint64 taille) {
    const CritereCorbeille critere = critere_corbeille();
    if (critere.mode != CritereCorbeille::Taille || taille <= critere.limite_octets)
        return false;
    plateforme::dialogues().bip();
    const QString texte = u"Attention ! La taille du fichier '"_s +
                          etat_commande().fichier_courant +
                          u"' est plus grande que celle de la corbeille; son effacement "
                          u"entrainera la perte des fichiers déjà présent dans celle-ci."_s +
                          CR + u"Voulez-vous agrandir la taille de la corbeille auparavant ?"_s;
    return plateforme::dialogues().message(texte, plateforme::MB_OUI_NON + plateforme::MB_QUESTION,
                                           etat_commande().commande_courante) ==
           plateforme::REP_OUI;
}

// L'entrée suivante prend la place de celle effacée : le parcours repart
// de là. Seul le mode pas à pas choisit l'entrée qui suit ; ailleurs, la
// choisir ferait effacer un fichier que l'utilisateur n'a pas retenu.
void Gestion_Fichiers::garder_parcours_effacement() {
    EtatCommande& etat = etat_commande();
    if (etat.mode_recherche)
        return;
    const int efface = Fichier_srce->indexDe(etat.fichier_courant);
    Fichier_srce->actualiserFichier(etat.chemin_source);
    const int nombre = Fichier_srce->listCount();
    if (nombre == 0) {
        etat.demande_d_arrêt = true;
        return;
    }
    if (!sélection_totale) {
        if (efface >= 0)
            etat.curseur = efface;
        return;
    }
    const int i = qBound(0, etat.curseur, nombre);
    Fichier_srce->setSelected(i == nombre ? i - 1 : i, true);
}
