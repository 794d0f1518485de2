#include "viewer/ui/auto_controle.h"

#include "platform/erreurs.h"
#include "platform/profil.h"
#include "platform/programme.h"
#include "platform/unites.h"
#include "viewer/core/vidage.h"

#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QTemporaryFile>

using namespace Qt::StringLiterals;

namespace morvine {

namespace {

struct Controle {
    explicit Controle(QString l) : libelle(std::move(l)) {}
    QString libelle;
    bool reussi = false;
    QString detail;
};

Controle controler_unites() {
    Controle c(u"Table des unités"_s);
    try {
        auto& table = plateforme::TableUnites::instance();
        if (!table.charge())
            table.charger();
        c.reussi = !table.unites().isEmpty();
        c.detail =
            c.reussi ? QString::number(table.unites().size()) + u" unités"_s : u"aucune unité"_s;
    } catch (const plateforme::ErreurExecution& e) {
        c.detail = e.description();
    }
    return c;
}

Controle controler_repertoire_windows() {
    Controle c(u"Répertoire Windows inscriptible"_s);
    const QString rep = plateforme::repertoire_windows();
    QTemporaryFile essai(rep + u"/controle-XXXXXX"_s);
    c.reussi = essai.open();
    c.detail = rep;
    return c;
}

Controle controler_profil() {
    Controle c(u"Lecture et écriture d'un profil"_s);
    const QString fichier = u"MORVINE-CONTROLE.INI"_s;
    const QString valeur = u"Police éàü"_s;
    const bool ecrit = plateforme::ecrire_profil(u"Contrôle"_s, u"Clé"_s, valeur, fichier);
    const QString lu = plateforme::lire_profil(u"Contrôle"_s, u"Clé"_s, {}, 80, fichier);
    QFile::remove(plateforme::chemin_profil(fichier));
    c.reussi = ecrit && lu == valeur;
    c.detail = c.reussi ? u"aller-retour exact"_s : u"relu : « "_s + lu + u" »"_s;
    return c;
}

Controle controler_plateforme_qt() {
    Controle c(u"Module graphique Qt"_s);
    c.detail = QGuiApplication::platformName();
    c.reussi = !c.detail.isEmpty();
    return c;
}

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

Controle controler_programme() {
    Controle c(u"Répertoire du programme"_s);
    try {
        c.detail = plateforme::repertoire_programme();
        c.reussi = !c.detail.isEmpty();
    } catch (const plateforme::ErreurExecution& e) {
        c.detail = e.description();
    }
    return c;
}

} // namespace

int auto_controle(QTextStream& sortie) {
    const Controle controles[] = {controler_unites(),   controler_repertoire_windows(),
                                  controler_profil(),   controler_plateforme_qt(),
                                  controler_images(),   controler_vidages(),
                                  controler_programme()};
    bool tout = true;
    for (const Controle& c : controles) {
        sortie << (c.reussi ? u"[ OK ]  "_s : u"[ÉCHEC] "_s) << c.libelle << u" : "_s << c.detail
               << '\n';
        tout = tout && c.reussi;
    }
    sortie << (tout ? u"MORVINE est correctement installé."_s
                    : u"MORVINE n'est pas utilisable en l'état : voir les échecs ci-dessus."_s)
           << '\n';
    sortie.flush();
    return tout ? 0 : 1;
}

} // namespace morvine
