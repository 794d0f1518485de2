#pragma once
// Journal des fichiers provisoires. Un arrêt brutal pendant une copie laisse
// son provisoire caché. Chaque processus note, dans son propre journal et
// avant de le créer, le chemin complet de chaque provisoire ; un démarrage
// n'efface ensuite que ces noms-là, et seulement ceux des processus disparus :
// le processus vivant tient un verrou (flock) sur son journal.
#include <QByteArray>
#include <QString>
#include <functional>

namespace plateforme {

// Garde-fou : un journal abîmé ne doit désigner qu'un nom de provisoire.
using NomAdmis = std::function<bool(const QString& nom)>;

// Les journaux sont "<prefixe_hote><pid>.CPY" (prefixe_hote : ".../KALDRON.").
// Vide : rien n'est noté.
void definir_journal_provisoires(const QString& prefixe_hote, NomAdmis admis);
// Journal de ce processus, vide tant que rien n'est noté.
QString journal_provisoires();

// Avant de créer le provisoire 'chemin' (hôte, absolu) : son entrée est
// écrite en entier avant que le fichier existe. Un journal impossible à
// écrire n'empêche pas la copie.
void noter_provisoire(const QByteArray& chemin);
// Le provisoire ne porte plus ce nom : renommé, effacé, ou jamais créé ici.
void provisoire_fini(const QByteArray& chemin);
// Crée, noté d'abord, un provisoire "<repertoire>/<tete>XXXXXX" (six lettres
// ou chiffres tirés) ; descripteur ouvert en écriture, -1 et errno en cas
// d'échec (l'entrée est alors close).
int creer_provisoire(const QByteArray& repertoire, const QByteArray& tete, QByteArray& chemin);

// Efface les provisoires notés par les processus disparus (fichiers
// ordinaires aux noms admis, rien d'autre), puis leurs journaux. L'ancien
// journal commun ("<prefixe_hote>CPY"), qui ne notait que des répertoires,
// est effacé seul. Rend le nombre de fichiers effacés ; ne lève rien.
int nettoyer_provisoires();

} // namespace plateforme
