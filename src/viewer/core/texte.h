#pragma once
// Fichiers de texte : de l'UTF-8 quand les octets en sont, sinon un
// caractère Windows-1252 par octet ; réécrits dans l'encodage lu.
#include "platform/encodage.h"

#include <QString>
#include <optional>

class QFile;

namespace morvine {

// Ouvre un fichier ordinaire en lecture seule sans jamais attendre : un
// tube, une socket ou un périphérique est refusé avant l'ouverture et
// encore après (le nom a pu changer de nature entre les deux). Faux avec le
// texte de l'erreur si le fichier ne peut être ouvert. Ne crée rien.
bool ouvrir_en_lecture(QFile& fichier, const QString& hote, QString* erreur = nullptr);
// Vide si le fichier peut être ouvert en lecture seule, sinon le texte du
// système pour l'erreur. Ne crée jamais de fichier.
QString erreur_ouverture(const QString& hote);

// Plus grand texte (en octets) que l'on tient en mémoire : une part de la
// mémoire disponible, jamais plus que ce qu'un document peut indicer.
// KALDRON_TEXTE_MAX (en octets) l'impose, pour les essais.
qint64 limite_texte();
// Texte de l'erreur pour un fichier de 'taille' octets refusé à cette limite.
QString erreur_texte_trop_grand(qint64 taille, qint64 limite);

// Tout le fichier décodé ; absent s'il ne peut être lu.
std::optional<QString> lire_texte(const QString& hote);
// Idem, mais refuse (avant toute lecture quand la taille le dit déjà) un
// texte de plus de 'limite' octets ; 'erreur' reçoit alors le motif.
// 'encodage' reçoit celui du fichier, à garder pour l'enregistrement.
std::optional<QString> lire_texte(const QString& hote, qint64 limite, QString* erreur,
                                  plateforme::Encodage* encodage = nullptr);
// Écrit le texte dans l'encodage donné, sans ajouter de fin de ligne, par un
// fichier temporaire renommé sur la cible (droits gardés) ; faux en cas
// d'échec, la cible est alors intacte.
bool enregistrer_texte(const QString& hote, const QString& texte,
                       plateforme::Encodage encodage = plateforme::Encodage::Windows1252);

} // namespace morvine
