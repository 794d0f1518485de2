// Table Windows-1252 <=> Unicode.
#include "platform/windows1252.h"

#include <array>

namespace plateforme {

namespace {

// Caractères des octets 0x80 à 0x9F ; les cinq octets non attribués gardent
// leur code de contrôle, pour que l'aller-retour soit sans perte.
constexpr std::array<char16_t, 32> k_80_9f = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QChar caractere_1252(uchar octet) {
    return QChar(octet >= 0x80 && octet < 0xA0 ? k_80_9f[octet - 0x80] : char16_t(octet));
}

bool octet_1252(QChar c, char* octet) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
        *octet = static_cast<char>(u);
        return true;
    }
    for (std::size_t i = 0; i < k_80_9f.size(); ++i) {
        if (k_80_9f[i] == u) {
            *octet = static_cast<char>(0x80 + i);
            return true;
        }
    }
    return false;
}

void decoder_1252(const char* octets, qsizetype n, QChar* sortie) {
    for (qsizetype i = 0; i < n; ++i)
        sortie[i] = caractere_1252(static_cast<uchar>(octets[i]));
}

QString depuis_1252(const char* octets, qsizetype n) {
    QString texte(n, Qt::Uninitialized);
    decoder_1252(octets, n, texte.data());
    return texte;
}

QString depuis_1252(const QByteArray& octets) {
    return depuis_1252(octets.constData(), octets.size());
}

QByteArray vers_1252(QStringView texte) {
    QByteArray octets(texte.size(), Qt::Uninitialized);
    qsizetype n = 0;
    for (qsizetype i = 0; i < texte.size(); ++i) {
        // Une paire de substitution ne donne qu'un seul '?'.
        if (texte[i].isHighSurrogate() && i + 1 < texte.size() && texte[i + 1].isLowSurrogate())
            ++i;
        char octet = '?';
        octet_1252(texte[i], &octet);
        octets[n++] = octet;
    }
    octets.truncate(n);
    return octets;
}

} // namespace plateforme
