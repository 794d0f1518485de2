#include "viewer/ui/auto_controle.h"

#include "platform/controle_installation.h"
#include "viewer/core/vidage.h"

#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QTemporaryFile>

using namespace Qt::StringLiterals;

namespace morvine {

namespace {

using plateforme::Controle;

Controle controler_images() {
    Controle c(u"Formats d'image"_s);
    const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    QStringList manquants;
    for (const char* f : {"bmp", "gif", "jpeg", "ico", "tiff"}) {
        if (!formats.contains(QByteArray(f)))
            manquants << QString::fromLatin1(f);
    }
    c.reussi = manquants.isEmpty();
    c.detail = c.reussi ? u"bmp, gif, jpeg, ico, tiff"_s
                        : u"manquent : "_s + manquants.join(u", "_s) +
                              u" (paquet qt6-image-formats-plugins)"_s;
    return c;
}

Controle controler_vidages() {
    Controle c(u"Répertoire des fichiers de vidage"_s);
    DossierVidages dossier;
    c.reussi = dossier.valide();
    c.detail = c.reussi ? dossier.chemin() : u"impossible à créer"_s;
    return c;
}

} // namespace

int auto_controle(QTextStream& sortie) {
    using namespace plateforme;
    const QList<Controle> controles = {controler_unites(),
                                       controler_repertoire_windows(),
                                       controler_profil(u"MORVINE-CONTROLE.INI"_s, u"Police éàü"_s),
                                       controler_plateforme_qt(),
                                       controler_traductions_qt(),
                                       controler_images(),
                                       controler_vidages(),
                                       controler_programme()};
    return rendre_verdict(controles, u"MORVINE"_s, sortie);
}

} // namespace morvine
