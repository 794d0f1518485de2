// Cadres SOURCE et DESTINATION : unités, répertoires, fichiers, chemins.
#include "manager/main_window/gestion_fichiers.h"

void Gestion_Fichiers::connecter_panneaux() {
    // Les listes de fichiers suivent leur répertoire.
    connect(Répertoire_srce, &plateforme::ListeRepertoires::pathChanged, this, [this] {
        Fichier_srce->setPath(Répertoire_srce->path());
        Chemin_srce->setText(Répertoire_srce->path().toLower());
    });
    connect(Répertoire_dest, &plateforme::ListeRepertoires::pathChanged, this, [this] {
        Fichier_dest->setPath(Répertoire_dest->path());
        Chemin_dest->setText(Répertoire_dest->path().toLower());
    });
}
