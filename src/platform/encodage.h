#pragma once
// Encodage des fichiers de texte : UTF-8 (avec ou sans marque d'ordre) quand
// les octets en sont, sinon Windows-1252. Une seule détection pour les deux
// programmes (impression de KALDRON, textes de MORVINE).
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace plateforme {

enum class Encodage { Windows1252, Utf8, Utf8Marque };

// Vrai si les octets sont de l'UTF-8 valide : formes les plus courtes, ni
// moitié de paire de substitution, rien au-delà de U+10FFFF. 'fin_coupee' :
// un caractère commencé mais coupé par la fin des octets (premier bloc d'un
// fichier, ligne tronquée) est admis.
bool est_utf8(QByteArrayView octets, bool fin_coupee = false);

// Encodage d'un texte entier. Un texte tout ASCII est pris pour de l'UTF-8 :
// c'est ce qu'écrit un système d'aujourd'hui, et les accents tapés ensuite
// y restent lisibles partout.
Encodage detecter_encodage(QByteArrayView octets);

// Octets -> texte selon l'encodage (la marque d'ordre n'est pas gardée dans
// le texte) et l'inverse (la marque remise). Un caractère que Windows-1252
// ne sait pas écrire devient '?'.
QString decoder_texte(QByteArrayView octets, Encodage encodage);
QByteArray encoder_texte(QStringView texte, Encodage encodage);

// Vrai si l'encodage sait écrire chaque caractère du texte (toujours en UTF-8).
bool ecrivable(QStringView texte, Encodage encodage);

// Premier bloc d'un fichier d'extension inconnue : est-ce du texte ? Aucun
// contrôle hors blancs (tabulation, fins de ligne, saut de page, fin de
// fichier DOS, échappement), et de l'UTF-8 valide ou des caractères
// Windows-1252 imprimables.
bool ressemble_a_du_texte(QByteArrayView debut);

} // namespace plateforme
