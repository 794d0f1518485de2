#pragma once
// Jeu de caractères Windows-1252 : un octet = un caractère, aller-retour
// exact des 256 octets (les cinq octets non attribués 0x81, 0x8D, 0x8F, 0x90
// et 0x9D gardent leur code de contrôle U+0081...).
#include <QByteArray>
#include <QString>
#include <QStringView>

namespace plateforme {

QString depuis_1252(const QByteArray& octets);
QString depuis_1252(const char* octets, qsizetype n);
// Décode 'n' octets dans 'sortie' (au moins n caractères), sans allocation.
void decoder_1252(const char* octets, qsizetype n, QChar* sortie);
// Un caractère que Windows-1252 ne sait pas écrire devient '?'.
QByteArray vers_1252(QStringView texte);
// Caractère d'un octet, octet d'un caractère (0 si hors du jeu).
QChar caractere_1252(uchar octet);
bool octet_1252(QChar c, char* octet);

} // namespace plateforme
