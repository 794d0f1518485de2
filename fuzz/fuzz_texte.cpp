// Lecteur de texte de MORVINE : en Windows-1252 chaque octet devient un
// caractère ; dans tous les cas, l'enregistrement dans l'encodage lu rend
// exactement les octets lus.
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
    plateforme::Encodage encodage = plateforme::Encodage::Windows1252;
    const auto texte = morvine::lire_texte(source, qint64(1) << 30, nullptr, &encodage);
    const bool octet_par_caractere = encodage == plateforme::Encodage::Windows1252;
    if (!texte || (octet_par_caractere && texte->size() != entree.size())) {
        (void)std::fprintf(stderr, "lecture : %lld caractères pour %zu octets\n",
                           texte ? static_cast<long long>(texte->size()) : -1LL, taille);
        std::abort();
    }
    const QString copie = fuzz::repertoire_jetable() + QStringLiteral("/COPIE.TXT");
    if (!morvine::enregistrer_texte(copie, *texte, encodage))
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
