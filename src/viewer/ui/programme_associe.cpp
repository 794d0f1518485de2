// Programme associé : WIN.INI [Associations], puis MORVINE.INI, sinon le
// programme que l'utilisateur choisit (retenu dans MORVINE.INI). Le
// programme part détaché, ses arguments en liste : aucun shell.
#include "viewer/ui/programme_associe.h"

#include "platform/chemins.h"
#include "platform/dialogues.h"
#include "platform/erreurs.h"
#include "platform/profil.h"
#include "viewer/ui/editeur.h"
#include "viewer/ui/fenetre.h"
#include "viewer/ui/ligne_commande.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace morvine {

namespace {

constexpr unsigned TAMPON_ASSOCIATION = 200;

bool ressemble_dos(const QString& texte) {
    return texte.size() >= 3 && texte.at(1) == u':' && texte.at(2) == u'\\' &&
           texte.at(0).isLetter();
}

// Un argument écrit en chemin DOS devient le chemin de l'hôte.
QString argument_hote(const QString& argument) {
    if (!ressemble_dos(argument))
        return argument;
    const QString hote = chemin_hote(argument);
    return hote.isEmpty() ? argument : hote;
}

// Nom de programme cherché dans le répertoire de l'exécutable puis le PATH,
// tel quel, en minuscules, sans son suffixe .EXE/.COM/.BAT.
QString chercher_programme(const QString& nom) {
    QStringList essais{nom, nom.toLower()};
    for (const QString& suffixe : {u".exe"_s, u".com"_s, u".bat"_s}) {
        if (nom.endsWith(suffixe, Qt::CaseInsensitive))
            essais << nom.left(nom.size() - 4) << nom.left(nom.size() - 4).toLower();
    }
    const QStringList chemins{QCoreApplication::applicationDirPath()};
    for (const QString& essai : essais) {
        QString trouve = QStandardPaths::findExecutable(essai, chemins);
        if (trouve.isEmpty())
            trouve = QStandardPaths::findExecutable(essai);
        if (!trouve.isEmpty())
            return trouve;
    }
    return {};
}

QString programme_hote(const QString& programme) {
    if (programme.startsWith(u'/'))
        return programme;
    if (ressemble_dos(programme) || programme.contains(u'\\'))
        return chemin_hote(programme);
    return chercher_programme(programme);
}

} // namespace

bool lancer_commande(const Commande& commande) {
    const QStringList morceaux = lire_liste_fichiers(commande.programme.trimmed());
    if (morceaux.isEmpty())
        return false;
    const QString programme = programme_hote(morceaux.first());
    if (programme.isEmpty() || !QFileInfo(programme).isExecutable() || QFileInfo(programme).isDir())
        return false;
    QStringList arguments;
    for (const QString& a : morceaux.mid(1))
        arguments << argument_hote(a);
    if (!commande.fichier.isEmpty())
        arguments << argument_hote(commande.fichier);
    const QString hote_fichier = chemin_hote(commande.fichier);
    const QString repertoire =
        hote_fichier.isEmpty() ? QDir::homePath() : QFileInfo(hote_fichier).absolutePath();
    return QProcess::startDetached(programme, arguments, repertoire);
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
    if (!morvine::lancer_commande(*commande))
        signaler(*this, u"Le programme ou le chemin n'existe pas."_s);
}
