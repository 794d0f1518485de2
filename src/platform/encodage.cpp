// Détection de l'UTF-8 et passage octets <=> texte.
#include "platform/encodage.h"

#include "platform/windows1252.h"

namespace plateforme {

namespace {

constexpr QByteArrayView k_marque("\xEF\xBB\xBF", 3);

bool continuation(uchar c) {
    return (c & 0xC0) == 0x80;
}

} // namespace

bool est_utf8(QByteArrayView octets, bool fin_coupee) {
    const auto* p = reinterpret_cast<const uchar*>(octets.data());
    const qsizetype n = octets.size();
    for (qsizetype i = 0; i < n;) {
        const uchar c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int suite;
        uchar min2 = 0x80, max2 = 0xBF; // bornes du deuxième octet
        if (c >= 0xC2 && c <= 0xDF) {
            suite = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            suite = 2;
            if (c == 0xE0)
                min2 = 0xA0; // forme trop longue
            else if (c == 0xED)
                max2 = 0x9F; // moitiés de paire
        } else if (c >= 0xF0 && c <= 0xF4) {
            suite = 3;
            if (c == 0xF0)
                min2 = 0x90;
            else if (c == 0xF4)
                max2 = 0x8F; // au-delà de U+10FFFF
        } else {
            return false;
        }
        for (int k = 1; k <= suite; ++k) {
            if (i + k >= n)
                return fin_coupee;
            const uchar o = p[i + k];
            if (k == 1 ? (o < min2 || o > max2) : !continuation(o))
                return false;
        }
        i += suite + 1;
    }
    return true;
}

Encodage detecter_encodage(QByteArrayView octets) {
    if (octets.startsWith(k_marque) && est_utf8(octets.sliced(3)))
        return Encodage::Utf8Marque;
    return est_utf8(octets) ? Encodage::Utf8 : Encodage::Windows1252;
}

QString decoder_texte(QByteArrayView octets, Encodage encodage) {
    switch (encodage) {
    case Encodage::Windows1252:
        return depuis_1252(octets.data(), octets.size());
    case Encodage::Utf8Marque:
        if (octets.startsWith(k_marque))
            octets = octets.sliced(3);
        [[fallthrough]];
    case Encodage::Utf8:
        break;
    }
    return QString::fromUtf8(octets);
}

QByteArray encoder_texte(QStringView texte, Encodage encodage) {
    switch (encodage) {
    case Encodage::Windows1252:
        return vers_1252(texte);
    case Encodage::Utf8Marque:
        return k_marque.toByteArray() + texte.toUtf8();
    case Encodage::Utf8:
        break;
    }
    return texte.toUtf8();
}

bool ecrivable(QStringView texte, Encodage encodage) {
    if (encodage != Encodage::Windows1252)
        return true;
    char octet;
    for (const QChar c : texte) {
        if (!octet_1252(c, &octet))
            return false;
    }
    return true;
}

bool ressemble_a_du_texte(QByteArrayView debut) {
    bool octet_non_attribue = false;
    for (const char o : debut) {
        const uchar c = uchar(o);
        // Blancs, saut de page, fin de fichier DOS et échappement (couleurs
        // d'un journal) ; tout autre contrôle, le nul d'abord, dit un binaire.
        const bool blanc =
            c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == 0x1A || c == 0x1B;
        if ((c < 0x20 && !blanc) || c == 0x7F)
            return false;
        octet_non_attribue |= c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
    }
    return !octet_non_attribue || est_utf8(debut, true);
}

} // namespace plateforme
