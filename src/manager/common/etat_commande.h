#pragma once
// État partagé des commandes de la fenêtre principale : une seule structure,
// remise à zéro par Rafraichir_affichage (et par les tests).
#include "platform/fichiers.h"
#include <QListWidget>
#include <QString>
#include <memory>

struct EtatCommande {
    QString commande_courante;    // nom de la commande en capitales
    int réponse_de_commande = 0;  // 1 OK, 2 Annuler, 4 Réessayer, 6 Oui, 7 Non
    int mode_de_confirmation = 0; // 0 demander, 1 sélectif, -1 global
    bool demande_d_arrêt = false;
    bool commande_en_cours = false;
    bool mode_recherche = false;
    bool fichier_trouvé = false;
    bool mode_répertoire = false;

    QString fichier_courant;    // nom choisi dans la liste SOURCE
    QString chemin_source;      // son chemin complet
    QString répertoire_source;  // son répertoire
    QString extension_courante; // trois derniers caractères, en capitales
    QString chemin_destination; // fichier qu'une copie écrit
    QString titre_de_confirmation;
    // Liste que parcourent les commandes : Fichier_srce, ou les résultats
    // d'une recherche (chemins complets) en mode recherche.
    QListWidget* liste_parcourue = nullptr;
    // Fichiers que les commandes gardent ouverts.
    std::unique_ptr<plateforme::FichierOuvert> fichier_source;
    std::unique_ptr<plateforme::FichierOuvert> fichier_destination;

    QString préfixe_rapport;
    int curseur = 0;            // index d'où repart la recherche d'un fichier choisi
    int éléments_pas_à_pas = 0; // nombre d'entrées vu au dernier pas

    // Ferme les fichiers ouverts par une commande.
    void fermer_fichiers();
    // Tout remettre à l'état du démarrage.
    void reinitialiser();
};

EtatCommande& etat_commande();
