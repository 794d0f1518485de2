// Découpeur de la ligne de commande du lanceur : aucun morceau ne garde de
// guillemet, et des morceaux remis entre guillemets se relisent à l'identique
// (c'est ainsi que les noms de fichiers lui sont passés).
#include "commun_fuzz.h"
#include "platform/lancement.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    const QString ligne = QString::fromUtf8(fuzz::octets(donnees, taille));
    const QStringList morceaux = plateforme::decouper_ligne_commande(ligne);
    QStringList entre_guillemets;
    for (const QString& morceau : morceaux) {
        if (morceau.contains(u'"'))
            std::abort();
        entre_guillemets << u'"' + morceau + u'"';
    }
    if (plateforme::decouper_ligne_commande(entre_guillemets.join(u' ')) != morceaux)
        std::abort();
    // Sans guillemet, les blancs seuls séparent.
    if (!ligne.contains(u'"')) {
        QString blancs = ligne;
        blancs.replace(u'\t', u' ');
        if (blancs.split(u' ', Qt::SkipEmptyParts) != morceaux)
            std::abort();
    }
    return 0;
}
