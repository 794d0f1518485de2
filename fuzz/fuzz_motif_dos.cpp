// Jokers DOS : le motif préparé (MotifDos) et la comparaison directe
// s'accordent toujours, et un motif refusé l'est par les trois entrées.
#include "commun_fuzz.h"
#include "platform/erreurs.h"
#include "platform/motifs.h"

#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

// Vrai si l'appel lève l'erreur d'exécution attendue pour un motif invalide.
template <typename F> bool refuse(F&& f) {
    try {
        f();
        return false;
    } catch (const plateforme::ErreurExecution&) {
        return true;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    FuzzedDataProvider fournisseur(donnees, taille);
    const QString motif = QString::fromUtf8(fournisseur.ConsumeRandomLengthString(64));
    const QString nom = QString::fromUtf8(fournisseur.ConsumeRemainingBytesAsString());
    const bool invalide = refuse([&] { plateforme::verifier_motif_dos(motif); });
    bool direct = false;
    if (refuse([&] { direct = plateforme::motif_dos_correspond(nom, motif); }) != invalide)
        std::abort();
    if (invalide) {
        if (!refuse([&] { plateforme::MotifDos m(motif); }))
            std::abort();
        return 0;
    }
    const plateforme::MotifDos prepare(motif);
    if (prepare.correspond(nom) != direct) {
        (void)std::fprintf(stderr, "désaccord : motif « %s », nom « %s »\n", qPrintable(motif),
                           qPrintable(nom));
        std::abort();
    }
    return 0;
}
