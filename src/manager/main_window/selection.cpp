// Sélection des fichiers SOURCE, motifs et ligne d'état.
#include "manager/main_window/gestion_fichiers.h"

void Gestion_Fichiers::connecter_selection() {}
