// Lecteur dBase de MORVINE : un fichier abîmé ne donne jamais plus de lignes
// ni de champs qu'il n'a d'octets.
#include "commun_fuzz.h"
#include "viewer/core/dbase.h"

#include <QBuffer>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    fuzz::initialiser_qt();
    QByteArray entree = fuzz::octets(donnees, taille);
    QBuffer tampon(&entree);
    tampon.open(QIODevice::ReadOnly);
    const morvine::TableDbase table = morvine::lire_dbase(tampon);
    const auto n = static_cast<qsizetype>(taille);
    if (table.lignes.size() > n || table.noms.size() > n)
        std::abort();
    if (table.types.size() != table.noms.size() || table.longueurs.size() != table.noms.size())
        std::abort();
    for (const QStringList& ligne : table.lignes) {
        if (ligne.size() != table.noms.size() + 1)
            std::abort();
    }
    return 0;
}
