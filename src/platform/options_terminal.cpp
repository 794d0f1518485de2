#include "platform/options_terminal.h"

#include <cstdio>
#include <cstring>

namespace plateforme {

QString version() {
    return QStringLiteral(KALDRON_VERSION_TEXTE);
}

std::optional<int> repondre_option_terminal(int argc, char** argv, const AideTerminal& aide) {
    if (argc < 2)
        return std::nullopt;
    QString texte;
    if (std::strcmp(argv[1], "--version") == 0) {
        texte = aide.programme + u' ' + version() + u'\n';
    } else if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        texte = QStringLiteral("Usage : ") + aide.programme + u' ' + aide.usage + u'\n' +
                aide.description + QStringLiteral("\n\n") + aide.options +
                QStringLiteral("  --self-test  contrôle l'installation et dit ce qui manque\n"
                               "  --help       affiche cette aide\n"
                               "  --version    affiche la version\n");
    } else {
        return std::nullopt;
    }
    const QByteArray octets = texte.toUtf8();
    std::fwrite(octets.constData(), 1, size_t(octets.size()), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace plateforme
