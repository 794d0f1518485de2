// Index de la corbeille : les lignes se lisent sans planter, et une entrée lue
// puis réécrite se relit à l'identique (ligne(lire_ligne(x)) stable).
#include "commun_fuzz.h"
#include "manager/recycle_bin/index_corbeille.h"

#include <cstdio>
#include <cstdlib>

namespace {

bool memes(const EntreeCorbeille& a, const EntreeCorbeille& b) {
    return a.nom_stocke == b.nom_stocke && a.jour == b.jour && a.taille == b.taille &&
           a.nom == b.nom && a.repertoire == b.repertoire;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    QList<QByteArray> lignes;
    for (QByteArray l : fuzz::octets(donnees, taille).split('\n')) {
        if (l.endsWith('\r'))
            l.chop(1);
        lignes << l;
    }
    const QList<EntreeCorbeille> lues = corbeille::entrees(lignes);
    for (const EntreeCorbeille& entree : lues) {
        const QByteArray ecrite = corbeille::ligne(entree);
        const auto relue = corbeille::lire_ligne(ecrite);
        if (!relue || !memes(*relue, entree) || corbeille::ligne(*relue) != ecrite) {
            (void)std::fprintf(stderr, "entrée non stable : « %s »\n", ecrite.constData());
            std::abort();
        }
        if (corbeille::position(lignes, entree) < 0)
            std::abort();
    }
    return 0;
}
