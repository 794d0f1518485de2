// Motifs du langage des exclusions ('?', '*', '#', [..]) : ce qui correspond
// en tenant compte de la casse correspond aussi sans en tenir compte (hors
// classes niées).
#include "commun_fuzz.h"
#include "platform/motifs.h"

#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    FuzzedDataProvider fournisseur(donnees, taille);
    const QString motif = QString::fromUtf8(fournisseur.ConsumeRandomLengthString(64));
    const QString texte = QString::fromUtf8(fournisseur.ConsumeRemainingBytesAsString());
    const bool sensible = plateforme::motif_like_correspond(texte, motif, Qt::CaseSensitive);
    const bool insensible = plateforme::motif_like_correspond(texte, motif, Qt::CaseInsensitive);
    // Sauf dans une classe niée : sans égard à la casse, [!A] refuse aussi 'a'.
    if (sensible && !insensible && !motif.contains(QStringLiteral("[!")))
        std::abort();
    // Un motif sans aucun caractère spécial ne reconnaît que lui-même.
    static const QString speciaux = QStringLiteral("?*#[");
    bool litteral = true;
    for (const QChar c : motif)
        litteral = litteral && !speciaux.contains(c);
    if (litteral && plateforme::motif_like_correspond(motif, motif, Qt::CaseSensitive) != true)
        std::abort();
    return 0;
}
