#include "manager/configuration/panneaux_systeme.h"
#include "platform/erreurs.h"
#include "platform/lancement.h"

using namespace Qt::StringLiterals;

namespace panneaux {

namespace {

struct Candidat {
    const char16_t* page;
    const char16_t* bureau; // nom dans XDG_CURRENT_DESKTOP ; vide : tout bureau
    const char16_t* ligne;
};

// Outils courants des bureaux Linux, page par page.
constexpr Candidat TABLE[] = {
    {u"Desktop", u"GNOME", u"gnome-control-center background"},
    {u"Desktop", u"KDE", u"systemsettings kcm_wallpaper"},
    {u"Desktop", u"KDE", u"kcmshell6 kcm_wallpaper"},
    {u"Desktop", u"KDE", u"kcmshell5 kcm_lookandfeel"},
    {u"Desktop", u"XFCE", u"xfce4-desktop-settings"},
    {u"Desktop", u"MATE", u"mate-appearance-properties --show-page=background"},
    {u"Desktop", u"Cinnamon", u"cinnamon-settings backgrounds"},
    {u"Desktop", u"LXQt", u"pcmanfm-qt --desktop-pref"},
    {u"Desktop", u"LXDE", u"pcmanfm --desktop-pref"},

    {u"Color", u"GNOME", u"gnome-control-center background"},
    {u"Color", u"KDE", u"systemsettings kcm_colors"},
    {u"Color", u"KDE", u"kcmshell6 kcm_colors"},
    {u"Color", u"KDE", u"kcmshell5 kcm_colors"},
    {u"Color", u"XFCE", u"xfce4-appearance-settings"},
    {u"Color", u"MATE", u"mate-appearance-properties --show-page=theme"},
    {u"Color", u"Cinnamon", u"cinnamon-settings themes"},
    {u"Color", u"LXQt", u"lxqt-config-appearance"},
    {u"Color", u"", u"lxappearance"},

    {u"Date/Time", u"GNOME", u"gnome-control-center datetime"},
    {u"Date/Time", u"KDE", u"systemsettings kcm_clock"},
    {u"Date/Time", u"KDE", u"kcmshell6 kcm_clock"},
    {u"Date/Time", u"KDE", u"kcmshell5 kcm_clock"},
    {u"Date/Time", u"Cinnamon", u"cinnamon-settings calendar"},
    {u"Date/Time", u"MATE", u"mate-time-admin"},
    {u"Date/Time", u"", u"time-admin"},

    {u"Printers", u"GNOME", u"gnome-control-center printers"},
    {u"Printers", u"KDE", u"systemsettings kcm_printer_manager"},
    {u"Printers", u"KDE", u"kcmshell6 kcm_printer_manager"},
    {u"Printers", u"KDE", u"kcmshell5 kcm_printer_manager"},
    {u"Printers", u"", u"system-config-printer"},
};

// Cinnamon s'annonce "X-Cinnamon" ; la casse varie d'une distribution à l'autre.
bool bureau_en_cours(const QString& bureau) {
    if (bureau.isEmpty())
        return false;
    const QStringList en_cours =
        qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts);
    for (const QString& nom : en_cours) {
        if (nom.compare(bureau, Qt::CaseInsensitive) == 0 ||
            nom.compare(u"X-"_s + bureau, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

QStringList candidats(const QString& page) {
    // Un outil d'un autre bureau marche mal hors de sa session : les outils
    // sans bureau passent avant lui.
    QStringList du_bureau, generiques, autres;
    for (const Candidat& c : TABLE) {
        if (page != QStringView(c.page))
            continue;
        const QString ligne = QString::fromUtf16(c.ligne);
        const QString bureau = QString::fromUtf16(c.bureau);
        if (bureau_en_cours(bureau))
            du_bureau << ligne;
        else if (bureau.isEmpty())
            generiques << ligne;
        else
            autres << ligne;
    }
    return du_bureau + generiques + autres;
}

QString commande(const QString& page) {
    for (const QString& ligne : candidats(page)) {
        const QString programme = plateforme::decouper_ligne_commande(ligne).value(0);
        if (!plateforme::trouver_programme(programme).isEmpty())
            return ligne;
    }
    return {};
}

void lancer(const QString& page) {
    const QString ligne = commande(page);
    if (ligne.isEmpty())
        return;
    try {
        plateforme::lancer(ligne);
    } catch (const plateforme::ErreurExecution&) {
        // Comme à l'origine, le résultat du lancement n'est pas vérifié.
    }
}

} // namespace panneaux
