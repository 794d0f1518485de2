// Lecteur de texte de MORVINE : chaque octet devient un caractère et
// l'enregistrement rend exactement les octets lus.
#include "commun_fuzz.h"
#include "viewer/core/conversion.h"
#include "viewer/core/texte.h"

#include <QFile>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    fuzz::initialiser_qt();
    const QByteArray entree = fuzz::octets(donnees, taille);
    const QString source = fuzz::ecrire_fichier(QStringLiteral("SOURCE.TXT"), entree);
    const auto texte = morvine::lire_texte(source);
    if (!texte || texte->size() != entree.size()) {
        (void)std::fprintf(stderr, "lecture : %lld caractères pour %zu octets\n",
                           texte ? static_cast<long long>(texte->size()) : -1LL, taille);
        std::abort();
    }
    const QString copie = fuzz::repertoire_jetable() + QStringLiteral("/COPIE.TXT");
    if (!morvine::enregistrer_texte(copie, *texte))
        std::abort();
    QFile relu(copie);
    if (!relu.open(QIODevice::ReadOnly) || relu.readAll() != entree) {
        (void)std::fprintf(stderr, "l'enregistrement ne rend pas les octets lus\n");
        std::abort();
    }
    // La conversion des jeux de caractères ne change jamais la longueur.
    for (const bool vers_ansi : {true, false}) {
        if (morvine::convertir_jeu_caracteres(vers_ansi, *texte).size() != texte->size())
            std::abort();
    }
    return 0;
}
