#include "manager/configuration/fichier_configuration.h"
#include "platform/formats.h"
#include "platform/profil.h"

#include <algorithm>

using namespace Qt::StringLiterals;

Reglages& reglages() {
    static Reglages r;
    return r;
}

bool est_oui(const QString& valeur) {
    return valeur.left(3).toUpper() == u"OUI"_s;
}

bool limite_corbeille_valide(const QString& texte, int maximum) {
    const int chiffres = QString::number(maximum).size();
    if (texte.isEmpty() || texte.size() > chiffres ||
        !std::all_of(texte.begin(), texte.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return false;
    const int valeur = texte.toInt();
    return valeur >= 1 && valeur <= maximum;
}

namespace configuration {

QString lire(const QString& section, const QString& cle, const QString& defaut, unsigned tampon) {
    return plateforme::lire_profil(section, cle, defaut, tampon, reglages().chemin_configuration);
}

QStringList cles(const QString& section) {
    return plateforme::cles_profil(section, TAMPON_LISTE_CLES, reglages().chemin_configuration);
}

int lire_largeur_bordure() {
    const QString texte =
        plateforme::lire_win_ini(u"Windows"_s, u"BorderWidth"_s, u"3"_s, TAMPON_BORDURE);
    return static_cast<int>(plateforme::val(texte));
}

void etablir_chemins(Reglages& r, const QString& repertoire_programme) {
    r.répertoire_programme = repertoire_programme;
    r.unité_programme = repertoire_programme.left(2);
    // Une racine finit déjà par "\" : ne pas le doubler.
    QString base = repertoire_programme;
    if (!base.endsWith(u'\\'))
        base += u'\\';
    r.chemin_configuration = base + u"KALDRON.INI"_s;
    r.préfixe_fichiers = base + u"KALDRON."_s;
}

void lire_iconise(Reglages& r) {
    r.iconisé = lire(u"Options"_s, u"Iconisé"_s, u"Non"_s, TAMPON_OUI_NON);
}

void lire_options(Reglages& r) {
    r.éditeur = lire(u"Options"_s, u"Editeur"_s, u"NOTEPAD.EXE"_s, TAMPON_PROGRAMME).toUpper();
    r.visualiseur =
        lire(u"Options"_s, u"Visualiseur"_s, u"MORVINE.EXE"_s, TAMPON_PROGRAMME).toUpper();
    r.confirme = est_oui(lire(u"Options"_s, u"Confirme"_s, u"Non"_s, TAMPON_OUI_NON));
    r.remplace = est_oui(lire(u"Options"_s, u"Remplace"_s, u"Oui"_s, TAMPON_OUI_NON));
    r.aide_en_ligne = lire(u"Options"_s, u"Aide en ligne"_s, u"Non"_s, TAMPON_OUI_NON);
}

bool lire_criteres_corbeille(Reglages& r) {
    r.corbeille_active = false;
    r.limite_corbeille_refusee.clear();
    // Une limite hors de ses bornes ne doit jamais faire purger : la
    // corbeille reste telle quelle, hors service.
    const QString taille = lire(u"Corbeille"_s, u"Taille"_s, {}, TAMPON_TAILLE);
    if (!taille.isEmpty()) {
        if (!limite_corbeille_valide(taille, TAILLE_CORBEILLE_MAX)) {
            r.limite_corbeille_refusee = u"Taille="_s + taille;
            return false;
        }
        r.taille_corbeille_texte = taille;
        r.taille_corbeille = taille.toInt();
        r.corbeille_active = true;
        return true;
    }
    // Temps n'est lu qu'en l'absence de Taille.
    const QString temps = lire(u"Corbeille"_s, u"Temps"_s, {}, TAMPON_TEMPS);
    if (temps.isEmpty())
        return false;
    if (!limite_corbeille_valide(temps, TEMPS_CORBEILLE_MAX)) {
        r.limite_corbeille_refusee = u"Temps="_s + temps;
        return false;
    }
    r.temps_corbeille_texte = temps;
    r.temps_corbeille = static_cast<qint16>(temps.toInt());
    r.corbeille_active = true;
    return true;
}

int lire_couleur() {
    return static_cast<int>(
        plateforme::val(lire(u"Options"_s, u"Couleur"_s, u"0"_s, TAMPON_COULEUR)));
}

QString lire_repertoire_initial() {
    return lire(u"Options"_s, u"Répertoire"_s, u"Racine"_s, TAMPON_REPERTOIRE);
}

QList<QPair<QString, QString>> lire_selections() {
    QList<QPair<QString, QString>> resultat;
    for (const QString& nom : cles(u"Sélections"_s)) {
        const QString motif = lire(u"Sélections"_s, nom, {}, TAMPON_VALEUR_LISTEE);
        resultat.append({nom, motif});
        // Une valeur vide arrête la lecture (elle-même est gardée).
        if (motif.isEmpty())
            break;
    }
    return resultat;
}

QStringList lire_boutons() {
    return cles(u"Boutons"_s);
}

} // namespace configuration
