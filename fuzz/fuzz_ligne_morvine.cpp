// Ligne de commande de MORVINE : liste de fichiers de KALDRON ("ovl ...") et
// noms tapés à la main, puis leur traduction en noms de documents.
#include "commun_fuzz.h"
#include "viewer/ui/ligne_commande.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Les unités se lisent dans un répertoire Windows jetable.
    qputenv("KALDRON_WINDOWS", fuzz::repertoire_jetable().toLocal8Bit());
    fuzz::initialiser_qt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    const QString texte = QString::fromUtf8(fuzz::octets(donnees, taille));
    const QStringList noms = morvine::lire_liste_fichiers(texte);
    if (morvine::fichiers_ligne_commande({QStringLiteral("ovl ") + texte}) != noms)
        std::abort();
    // KALDRON passe chaque nom entre guillemets : la liste se relit telle quelle.
    QStringList guillemets;
    bool sans_guillemet = true;
    for (const QString& nom : noms) {
        if (nom.isEmpty())
            std::abort();
        sans_guillemet = sans_guillemet && !nom.contains(u'"');
        guillemets << u'"' + nom + u'"';
    }
    if (sans_guillemet && morvine::lire_liste_fichiers(guillemets.join(u' ')) != noms)
        std::abort();
    // Arguments séparés par le shell : chacun est un nom entier.
    const QStringList arguments = texte.split(u'\n');
    const QStringList fichiers = morvine::fichiers_ligne_commande(arguments);
    for (const QString& nom : noms + fichiers) {
        (void)morvine::nom_document(nom);
        (void)morvine::legende_document(nom);
        (void)morvine::chemin_hote(nom);
    }
    return 0;
}
