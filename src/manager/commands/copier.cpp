// Copie et déplacement des fichiers choisis vers la DESTINATION.
#include "manager/main_window/gestion_fichiers.h"

void Gestion_Fichiers::connecter_copie() {}
