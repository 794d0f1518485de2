#pragma once
// Traduction d'une erreur d'exécution en message français pour l'utilisateur.
#include "platform/erreurs.h"
#include <QString>

// Montre le message de l'erreur et, pour les erreurs qu'on peut corriger
// (disquette, support absent), enregistre la réponse dans l'état partagé.
// 'objet' : l'unité ou le chemin concerné.
void Rapport_erreur(const QString& objet, const plateforme::ErreurExecution& erreur);

// Texte du rapport général (erreur inconnue), pour les tests.
QString texte_rapport_general(const plateforme::ErreurExecution& erreur);

// Erreur qu'aucune étape n'a traitée (filet de l'application) : le rapport
// général, puis, si aucun traitement ne tourne encore en dessous
// ('imbriquee' faux), la commande interrompue est close (fichiers fermés).
void Rapport_erreur_non_traitee(const plateforme::ErreurExecution& erreur, bool imbriquee);
