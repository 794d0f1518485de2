#include "manager/common/etat_commande.h"

void EtatCommande::fermer_fichiers() {
    fichier_source.reset();
    fichier_destination.reset();
}

void EtatCommande::reinitialiser() {
    fermer_fichiers();
    *this = EtatCommande{};
}

EtatCommande& etat_commande() {
    static EtatCommande etat;
    return etat;
}
