// Renommer un fichier ou un répertoire ; créer et supprimer un répertoire.
#include "manager/main_window/gestion_fichiers.h"

void Gestion_Fichiers::connecter_repertoires() {}
