#pragma once
// Lecture de KALDRON.INI et de WIN.INI au démarrage, avec les tampons
// d'origine (une valeur trop longue est coupée).
#include "manager/configuration/reglages.h"
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace configuration {

// Tailles des tampons de lecture (caractères gardés + 1).
inline constexpr unsigned TAMPON_PROGRAMME = 250;
inline constexpr unsigned TAMPON_REPERTOIRE = 128;
inline constexpr unsigned TAMPON_VALEUR_LISTEE = 80;
inline constexpr unsigned TAMPON_OUI_NON = 4;
inline constexpr unsigned TAMPON_COULEUR = 2;
// Taille et Temps sont lus plus larges que leurs 4 et 3 chiffres : une
// valeur trop longue, coupée, deviendrait une limite plus petite.
inline constexpr unsigned TAMPON_TAILLE = 21;
inline constexpr unsigned TAMPON_TEMPS = 21;
inline constexpr unsigned TAMPON_BORDURE = 3;
inline constexpr unsigned TAMPON_LISTE_CLES = 250;

// Valeur de [section] clé dans KALDRON.INI.
QString lire(const QString& section, const QString& cle, const QString& defaut, unsigned tampon);
// Noms des clés d'une section de KALDRON.INI, dans la limite de 250 caractères.
QStringList cles(const QString& section);

// WIN.INI [Windows] BorderWidth, défaut 3.
int lire_largeur_bordure();
// Répertoire du programme, unité, KALDRON.INI et préfixe des fichiers.
void etablir_chemins(Reglages& r, const QString& repertoire_programme);
// [Options] Iconisé (lu avant la fenêtre principale).
void lire_iconise(Reglages& r);
// [Options] Editeur, Visualiseur, Confirme, Remplace, Aide en ligne.
void lire_options(Reglages& r);
// [Corbeille] Taille, sinon Temps ; rend vrai si la corbeille est active.
// Une valeur hors de ses bornes laisse la corbeille hors service et se
// retrouve dans limite_corbeille_refusee.
bool lire_criteres_corbeille(Reglages& r);
// [Options] Couleur : valeur numérique du premier caractère.
int lire_couleur();
// [Options] Répertoire, défaut "Racine".
QString lire_repertoire_initial();
// [Sélections] : couples (nom, motif) jusqu'à la première valeur vide incluse.
QList<QPair<QString, QString>> lire_selections();
// [Boutons] : noms des clés (légendes des boutons), dans l'ordre.
QStringList lire_boutons();

} // namespace configuration
