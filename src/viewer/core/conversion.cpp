// Conversion des 31 caractères accentués entre les jeux DOS et Windows.
#include "viewer/core/conversion.h"

#include "platform/windows1252.h"

#include <array>
#include <memory>

using namespace Qt::StringLiterals;

namespace morvine {

namespace {

// Côté ASCII : codes de la page 437, lus comme octets (donc caractères 1252).
constexpr std::array<uchar, 31> k_codes_ascii = {
    21,  128, 129, 130, 131, 132, 133, 134, 135, 136, 137, 138, 139, 140, 141, 142,
    143, 144, 147, 148, 149, 150, 151, 152, 153, 154, 156, 174, 175, 225, 230};

const QString& cote_ansi() {
    static const QString ansi = u"§ÇüéâäàåçêëèïîìÄÅÉôöòûùÿÖÜ£«»ßµ"_s;
    return ansi;
}

// Table de correspondance d'un sens : tout caractère absent reste lui-même.
using Table = std::array<char16_t, 65536>;

std::unique_ptr<Table> construire(bool vers_ansi) {
    auto table = std::make_unique<Table>();
    for (int c = 0; c < 65536; ++c)
        (*table)[c] = char16_t(c);
    for (std::size_t i = 0; i < k_codes_ascii.size(); ++i) {
        const char16_t ascii = plateforme::caractere_1252(k_codes_ascii[i]).unicode();
        const char16_t ansi = cote_ansi()[qsizetype(i)].unicode();
        (*table)[vers_ansi ? ascii : ansi] = vers_ansi ? ansi : ascii;
    }
    return table;
}

} // namespace

QString convertir_jeu_caracteres(bool vers_ansi, const QString& texte) {
    static const std::unique_ptr<Table> vers_windows = construire(true);
    static const std::unique_ptr<Table> vers_dos = construire(false);
    const Table& table = vers_ansi ? *vers_windows : *vers_dos;
    QString resultat = texte;
    for (QChar& c : resultat)
        c = QChar(table[c.unicode()]);
    return resultat;
}

} // namespace morvine
