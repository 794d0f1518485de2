// Effacement des fichiers choisis, par la corbeille quand elle sert.
#include "manager/main_window/gestion_fichiers.h"

void Gestion_Fichiers::connecter_effacement() {}
