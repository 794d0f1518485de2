// Programme associé : WIN.INI [Associations], puis MORVINE.INI, sinon le
// programme que l'utilisateur choisit (retenu dans MORVINE.INI). Le
// programme part détaché, ses arguments en liste : aucun shell.
#include "viewer/ui/programme_associe.h"

#include "platform/dialogues.h"
#include "platform/erreurs.h"
#include "platform/lancement.h"
#include "platform/profil.h"
#include "viewer/ui/editeur.h"
#include "viewer/ui/fenetre.h"
#include "viewer/ui/ligne_commande.h"

using namespace Qt::StringLiterals;

namespace morvine {

namespace {

constexpr unsigned TAMPON_ASSOCIATION = 200;

} // namespace

bool lancer_commande(const Commande& commande, QString* explication) {
    QString ligne = commande.programme.trimmed();
    if (!commande.fichier.isEmpty()) {
        // Un guillemet ne se groupe pas : un tel nom serait coupé.
        if (commande.fichier.contains(u'"'))
            return false;
        ligne += u" \""_s + commande.fichier + u'"';
    }
    try {
        plateforme::lancer(ligne);
        return true;
    } catch (const plateforme::ErreurExecution& e) {
        // Ce que Linux empêche (un .BAT, un terminal absent) se dit tel quel.
        if (explication && e.numero() == plateforme::ERR_LANCEMENT_IMPOSSIBLE)
            *explication = e.description();
        return false;
    }
}

std::optional<Commande> commande_associee(const QString& extension, const QString& fichier,
                                          const QString& chemin_ini) {
    const QString ext = extension.toLower();
    if (ext == u"exe" || ext == u"com" || ext == u"bat")
        return Commande{u"\""_s + fichier + u"\""_s, {}};
    const QString systeme =
        plateforme::lire_win_ini(u"Associations"_s, ext, {}, TAMPON_ASSOCIATION);
    if (!systeme.isEmpty()) {
        // "programme ^.ext" : la marque de l'extension n'est pas du programme.
        const qsizetype marque = systeme.lastIndexOf(u'^');
        return Commande{marque >= 0 ? systeme.left(marque) : systeme, fichier};
    }
    const QString propre =
        plateforme::lire_profil(u"Associations"_s, ext, {}, TAMPON_ASSOCIATION, chemin_ini);
    if (!propre.isEmpty())
        return Commande{propre, fichier};
    return std::nullopt;
}

QString programme_pour_profil(const QString& programme_hote_choisi) {
    const QString nom = nom_document(programme_hote_choisi);
    return nom.contains(u' ') ? u"\""_s + nom + u"\""_s : nom;
}

} // namespace morvine

namespace {

void signaler(const Editeur& e, const QString& texte) {
    plateforme::dialogues().bip();
    plateforme::dialogues().message(texte, plateforme::MB_EXCLAMATION, e.titre_application);
}

} // namespace

void Editeur::Programme_associe(const QString& fichier) {
    Fenêtre* f = fenetre_active();
    if (!f)
        return;
    const morvine::EtatDocument& e = f->etat();
    const QString ext = e.extension.toLower();
    auto commande = morvine::commande_associee(ext, fichier, Chemin_ini);
    if (!commande) {
        plateforme::dialogues().bip();
        const int reponse = plateforme::dialogues().message(
            u"Programme associé non trouvé;"_s + QChar(13) +
                u"sélectionnez le programme qui traite ce fichier."_s,
            plateforme::MB_OK_ANNULER | plateforme::MB_EXCLAMATION, titre_application);
        if (reponse != plateforme::REP_OK)
            return;
        const QString choisi = plateforme::dialogues().ouvrir_fichier(
            u"Programme associé pour "_s + e.titre.toUpper(),
            u"Programmes (*.exe;*.com;*.bat;*.pif)|*.exe;*.com;*.bat;*.pif|Tous les fichiers (*.*)|*.*"_s,
            fichier.left(3));
        if (choisi.isEmpty())
            return;
        const QString programme = morvine::programme_pour_profil(choisi);
        plateforme::ecrire_profil(u"Associations"_s, ext, programme, Chemin_ini);
        commande = morvine::Commande{programme, fichier};
    }
    QString explication;
    if (!morvine::lancer_commande(*commande, &explication))
        signaler(*this, explication.isEmpty() ? u"Le programme ou le chemin n'existe pas."_s
                                              : explication);
}
