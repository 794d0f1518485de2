#pragma once
// Texte des documents de traitement de texte : Word (en-tête de 384 octets)
// et Write (en-tête de 128 octets). Toute longueur lue dans un en-tête est
// bornée par la taille du fichier.
#include <QIODevice>
#include <QString>

namespace morvine {

// Texte d'un document Word, codes de champ retirés.
QString lire_word(QIODevice& fichier);
// Texte d'un document Write, blocs incorporés (caractère 228) traités.
QString lire_write(QIODevice& fichier);

// Retrait des codes de champ : 19 début, 20 séparateur, 21 fin. Un champ
// avec séparateur garde son résultat ; sans séparateur, il disparaît ; un
// début sans fin ne perd que ses marques (et son code s'il a un séparateur).
QByteArray retirer_champs(const QByteArray& texte);

} // namespace morvine
