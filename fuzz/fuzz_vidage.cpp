// Vidage hexadécimal de MORVINE : le vidage d'un fichier quelconque se relit
// ligne pour ligne, et un fichier de vidage hostile ne fait que se refuser.
#include "commun_fuzz.h"
#include "viewer/core/vidage.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    fuzz::initialiser_qt();
    const QByteArray entree = fuzz::octets(donnees, taille);
    const QString source = fuzz::ecrire_fichier(QStringLiteral("SOURCE.BIN"), entree);
    const QString vidage = fuzz::repertoire_jetable() + QStringLiteral("/VIDAGE.TMP");
    const qint64 lignes = morvine::produire_vidage(source, vidage);
    const qint64 attendues = (static_cast<qint64>(taille) + 15) / 16;
    if (lignes != attendues) {
        (void)std::fprintf(stderr, "%lld lignes pour %zu octets\n", static_cast<long long>(lignes),
                           taille);
        std::abort();
    }
    {
        morvine::ModeleVidage modele;
        if (taille > 0 && !modele.ouvrir(vidage))
            std::abort();
        if (modele.nombre_lignes() != (taille > 0 ? lignes : 0))
            std::abort();
        for (qint64 n = 0; n < modele.nombre_lignes(); ++n) {
            const int k =
                static_cast<int>(std::min<qint64>(16, static_cast<qint64>(taille) - n * 16));
            const QByteArray attendue = morvine::formater_ligne_hex(
                n * 16, reinterpret_cast<const uchar*>(donnees) + n * 16, k);
            if (modele.ligne(n) != attendue) {
                (void)std::fprintf(stderr, "ligne %lld relue autrement\n",
                                   static_cast<long long>(n));
                std::abort();
            }
        }
    }
    // Les octets eux-mêmes pris pour un fichier de vidage.
    morvine::ModeleVidage hostile;
    if (hostile.ouvrir(source)) {
        for (qint64 n = -1; n <= hostile.nombre_lignes(); ++n)
            (void)hostile.ligne(n);
        (void)hostile.data(hostile.index(0), Qt::DisplayRole);
    }
    return 0;
}
