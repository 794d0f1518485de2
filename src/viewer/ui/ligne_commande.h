#pragma once
// Ligne de commande de MORVINE : "ovl" puis la liste des fichiers, telle que
// KALDRON la passe ; un nom tapé à la main dans un shell marche aussi.
#include <QString>
#include <QStringList>

namespace morvine {

// Liste de fichiers d'un texte (marque "ovl " déjà retirée) : un nom entre
// guillemets va jusqu'au guillemet suivant, sinon jusqu'au blanc suivant.
QStringList lire_liste_fichiers(const QString& texte);

// Noms des arguments du programme : la marque "ovl" est retirée quand elle y
// est ; un argument "ovl ..." d'un seul tenant est lu comme texte ; tout autre
// argument est un nom entier (blancs compris). Le commutateur d'édition, où
// qu'il soit, est rendu en tête.
QStringList fichiers_ligne_commande(const QStringList& arguments);

// Commutateur d'édition (EDITER de KALDRON) : chaque fichier s'ouvre en
// texte modifiable, quelle que soit son extension. Il reste en tête de la
// liste des noms, d'où on le retire au chargement.
inline constexpr char16_t MARQUE_EDITION[] = u"--editer";
// Vrai si la liste commence par le commutateur, qui en est alors retiré.
bool retirer_marque_edition(QStringList& noms);

// Nom tel que le visualiseur l'ouvre : un chemin DOS reste tel quel ; un
// chemin de l'hôte (absolu, ou relatif au répertoire de travail) devient le
// chemin DOS qui le désigne quand une unité le couvre.
QString nom_document(const QString& nom);

// Légende d'un document : le nom en capitales ; un chemin de l'hôte qu'aucune
// unité ne couvre garde sa casse (l'hôte distingue les capitales).
QString legende_document(const QString& nom);

// Chemin de l'hôte d'un nom de document (DOS ou de l'hôte) ; vide si son
// unité est inconnue ou le nom invalide.
QString chemin_hote(const QString& nom);

} // namespace morvine
