#include "viewer/ui/configuration.h"

#include "platform/formats.h"
#include "platform/profil.h"
#include "platform/programme.h"

using namespace Qt::StringLiterals;

namespace morvine {

namespace {

const QString NON_UTILISE = u"Not Used"_s;
// Tampon des chemins récents : un chemin DOS complet y tient.
constexpr unsigned TAMPON_RECENT = 256;

QString cle_recent(int i) {
    return u"Fichier"_s + QString::number(i);
}

} // namespace

QString chemin_ini_programme() {
    return plateforme::repertoire_programme() + u"\\MORVINE.INI"_s;
}

std::optional<double> lire_geometrie(const QString& cle, const QString& chemin_ini) {
    const QString valeur = plateforme::lire_profil(u"Options"_s, cle, {}, 10, chemin_ini).trimmed();
    if (valeur.isEmpty())
        return std::nullopt;
    return plateforme::val(valeur);
}

QString texte_geometrie(double valeur) {
    const QString texte = QString::number(static_cast<float>(valeur), 'g', 7);
    return valeur >= 0 ? u" "_s + texte : texte;
}

bool est_oui(const QString& texte) {
    return texte.toLower().left(3) == u"oui"_s;
}

QString lire_police_de_base(const QString& chemin_ini) {
    return plateforme::lire_profil(u"Options"_s, u"Police de base"_s, u"System"_s, 20, chemin_ini);
}

QStringList lire_recents(const QString& chemin_ini) {
    QStringList valeurs;
    for (int i = 1; i <= NOMBRE_RECENTS; ++i)
        valeurs << plateforme::lire_profil(u"Fichiers"_s, cle_recent(i), NON_UTILISE, TAMPON_RECENT,
                                           chemin_ini);
    return valeurs;
}

bool entree_utilisee(const QString& valeur) {
    return !valeur.startsWith(NON_UTILISE);
}

void ajouter_recent(const QString& nom, const QString& chemin_ini) {
    const QStringList valeurs = lire_recents(chemin_ini);
    // Les chemins DOS se comparent sans égard à la casse.
    if (valeurs.contains(nom, Qt::CaseInsensitive))
        return;
    for (int i = NOMBRE_RECENTS - 1; i >= 1; --i) {
        if (entree_utilisee(valeurs[i - 1]))
            plateforme::ecrire_profil(u"Fichiers"_s, cle_recent(i + 1), valeurs[i - 1], chemin_ini);
    }
    plateforme::ecrire_profil(u"Fichiers"_s, cle_recent(1), nom, chemin_ini);
}

} // namespace morvine
