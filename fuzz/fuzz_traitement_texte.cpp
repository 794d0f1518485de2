// Lecteurs Word et Write de MORVINE sur les mêmes octets, et le retrait des
// codes de champ (qui ne peut qu'ôter des octets).
#include "commun_fuzz.h"
#include "viewer/core/traitement_texte.h"

#include <QBuffer>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    fuzz::initialiser_qt();
    QByteArray entree = fuzz::octets(donnees, taille);
    const auto n = static_cast<qsizetype>(taille);
    {
        QBuffer tampon(&entree);
        tampon.open(QIODevice::ReadOnly);
        if (morvine::lire_word(tampon).size() > n)
            std::abort();
    }
    {
        QBuffer tampon(&entree);
        tampon.open(QIODevice::ReadOnly);
        if (morvine::lire_write(tampon).size() > n)
            std::abort();
    }
    const QByteArray sans_champs = morvine::retirer_champs(entree);
    if (sans_champs.size() > n || sans_champs.contains('\x13'))
        std::abort();
    return 0;
}
