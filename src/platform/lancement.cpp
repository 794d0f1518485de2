// Lancement de programmes sans shell : la ligne est découpée ici, le
// programme cherché comme le faisait la plate-forme d'origine (sans égard à
// la casse, suffixe .EXE facultatif) et les arguments passés en liste.
#include "platform/lancement.h"

#include "platform/chemins.h"
#include "platform/erreurs.h"
#include "platform/genre_programme.h"
#include "platform/profil.h"
#include "platform/programme.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace plateforme {

namespace {

Demarreur& demarreur_installe() {
    static Demarreur d;
    return d;
}

bool chemin_dos(const QString& texte) {
    return texte.size() >= 3 && texte.at(0).isLetter() && texte.at(0).unicode() < 0x80 &&
           texte.at(1) == u':' && texte.at(2) == u'\\';
}

bool executable(const QString& chemin) {
    const QFileInfo info(chemin);
    return info.isFile() && info.isExecutable();
}

// Noms acceptés pour un programme : tel quel, et sans son suffixe d'origine.
QStringList variantes(const QString& nom) {
    QStringList noms{nom};
    for (const QString& suffixe : {u".exe"_s, u".com"_s, u".bat"_s}) {
        if (nom.size() > suffixe.size() && nom.endsWith(suffixe, Qt::CaseInsensitive))
            noms << nom.left(nom.size() - suffixe.size());
    }
    return noms;
}

// Programme d'un répertoire de l'hôte : nom exact, en minuscules, puis tout
// nom du répertoire qui n'en diffère que par la casse.
QString chercher_dans(const QString& repertoire, const QStringList& noms) {
    if (repertoire.isEmpty())
        return {};
    for (const QString& nom : noms) {
        for (const QString& essai : {nom, nom.toLower()}) {
            QString chemin = joindre_hote(repertoire, essai);
            if (executable(chemin))
                return chemin;
        }
    }
    const QStringList presents = noms_hote(repertoire);
    for (const QString& nom : noms) {
        for (const QString& present : presents) {
            if (present.compare(nom, Qt::CaseInsensitive) == 0 &&
                executable(joindre_hote(repertoire, present)))
                return joindre_hote(repertoire, present);
        }
    }
    return {};
}

QString hote_ou_vide(const QString& dos) {
    try {
        return dos_vers_hote(dos);
    } catch (const ErreurExecution&) {
        return {};
    }
}

// Répertoires où un nom nu est cherché, dans l'ordre.
QStringList repertoires_de_recherche() {
    QStringList repertoires;
    if (QCoreApplication::instance())
        repertoires << QCoreApplication::applicationDirPath();
    try {
        repertoires << dos_vers_hote(repertoire_programme());
    } catch (const ErreurExecution&) {
        // Aucune unité ne couvre le programme : on cherche ailleurs.
    }
    repertoires << repertoire_windows();
    // Un élément vide du PATH désignerait le répertoire courant : ignoré.
    repertoires << qEnvironmentVariable("PATH").split(u':', Qt::SkipEmptyParts);
    return repertoires;
}

// Programme désigné par un chemin (DOS, de l'hôte absolu ou relatif au
// répertoire courant) : le nom final est cherché dans son répertoire.
QString chercher_chemin(const QString& nom) {
    QString hote;
    if (nom.startsWith(u'/'))
        hote = nom;
    else if (nom.contains(u'/') && !nom.contains(u'\\'))
        hote = joindre_hote(hote_ou_vide(repertoire_courant()), nom);
    else
        hote = hote_ou_vide(nom);
    if (hote.isEmpty())
        return {};
    const QFileInfo info(hote);
    return chercher_dans(info.absolutePath(), variantes(info.fileName()));
}

QString chercher_sans_substitut(const QString& nom) {
    if (nom.contains(u'\\') || nom.contains(u'/') || (nom.size() >= 2 && nom.at(1) == u':'))
        return chercher_chemin(nom);
    const QStringList noms = variantes(nom);
    for (const QString& repertoire : repertoires_de_recherche()) {
        QString trouve = chercher_dans(repertoire, noms);
        if (!trouve.isEmpty())
            return trouve;
    }
    return {};
}

// Un chemin qui désigne un fichier présent mais pas un programme (un
// exécutable d'une autre plate-forme, un document) : "non exécutable"
// plutôt qu'"introuvable".
bool fichier_non_executable(const QString& nom) {
    if (!nom.contains(u'\\') && !nom.contains(u'/'))
        return false;
    const QString hote = nom.startsWith(u'/') ? nom : hote_ou_vide(nom);
    return !hote.isEmpty() && QFileInfo(hote).isFile();
}

bool est_bloc_notes(const QString& nom) {
    const QString fin = nom.section(u'\\', -1).section(u'/', -1);
    return fin.compare(u"NOTEPAD.EXE"_s, Qt::CaseInsensitive) == 0 ||
           fin.compare(u"NOTEPAD"_s, Qt::CaseInsensitive) == 0;
}

// Un argument écrit en chemin DOS devient le chemin de l'hôte ; une unité
// inconnue laisse le texte tel quel, un nom invalide est refusé (64).
QString argument_hote(const QString& argument) {
    if (!chemin_dos(argument))
        return argument;
    try {
        return dos_vers_hote(argument);
    } catch (const ErreurExecution& e) {
        if (e.numero() == ERR_PERIPHERIQUE_ABSENT)
            return argument;
        throw;
    }
}

} // namespace

QString texte_fichier_de_commandes(const QString& nom) {
    return u"Le fichier "_s + nom + u" est un fichier de commandes DOS :"_s + QChar(13) +
           u"Linux ne sait pas l'exécuter. EDITER permet de le lire."_s;
}

QStringList decouper_ligne_commande(const QString& ligne) {
    QStringList morceaux;
    QString courant;
    bool dans_morceau = false;
    bool entre_guillemets = false;
    for (const QChar c : ligne) {
        if (c == u'"') {
            entre_guillemets = !entre_guillemets;
            dans_morceau = true; // "" est un argument vide
        } else if (!entre_guillemets && (c == u' ' || c == u'\t')) {
            if (dans_morceau)
                morceaux << courant;
            courant.clear();
            dans_morceau = false;
        } else {
            courant += c;
            dans_morceau = true;
        }
    }
    if (dans_morceau)
        morceaux << courant;
    return morceaux;
}

QString trouver_programme(const QString& nom) {
    if (nom.isEmpty())
        return {};
    QString trouve = chercher_sans_substitut(nom);
    if (!trouve.isEmpty() || !est_bloc_notes(nom))
        return trouve;
    // Le bloc-notes absent : MORVINE sait aussi éditer un texte.
    return chercher_sans_substitut(u"MORVINE.EXE"_s);
}

Lancement preparer_lancement(const QString& ligne) {
    const QStringList morceaux = decouper_ligne_commande(ligne);
    Lancement l;
    if (!morceaux.isEmpty())
        l.programme = trouver_programme(morceaux.first());
    if (l.programme.isEmpty() && !morceaux.isEmpty() && fichier_non_executable(morceaux.first())) {
        // Le message nomme le fichier tel qu'il est sur le disque, pas tel qu'il est tapé.
        if (morceaux.first().endsWith(u".bat"_s, Qt::CaseInsensitive))
            throw ErreurExecution(
                ERR_LANCEMENT_IMPOSSIBLE,
                texte_fichier_de_commandes(QFileInfo(argument_hote(morceaux.first())).fileName()));
        lever(ERR_APPEL_INCORRECT);
    }
    if (l.programme.isEmpty())
        lever(ERR_FICHIER_INTROUVABLE);
    // MORVINE qui remplace le bloc-notes absent ouvre chaque fichier en texte
    // modifiable, comme EDITER avec MORVINE.EXE pour éditeur : une table ou
    // une image ne s'y montrerait pas en texte.
    if (est_bloc_notes(morceaux.first()) && chercher_sans_substitut(morceaux.first()).isEmpty())
        l.arguments << u"--editer"_s;
    for (qsizetype i = 1; i < morceaux.size(); ++i)
        l.arguments << argument_hote(morceaux.at(i));
    l.repertoire = dos_vers_hote(repertoire_courant(unite_courante()));
    return l;
}

namespace {

// Départ détaché ; dans un terminal si le programme en demande un.
void demarrer(const QString& programme_hote, const QStringList& arguments_hote,
              const QString& repertoire, bool terminal) {
    QString programme = programme_hote;
    QStringList arguments = arguments_hote;
    if (terminal) {
        const QString emulateur = trouver_terminal();
        if (emulateur.isEmpty())
            throw ErreurExecution(
                ERR_LANCEMENT_IMPOSSIBLE,
                u"Le programme "_s + QFileInfo(programme_hote).fileName() +
                    u" s'utilise dans un terminal, et aucun terminal n'est installé :"_s +
                    QChar(13) +
                    u"installez-en un (x-terminal-emulator, xterm…) ou nommez le vôtre dans "
                    u"la variable KALDRON_TERMINAL."_s);
        arguments = ligne_dans_terminal(emulateur, repertoire, programme_hote, arguments_hote);
        programme = arguments.takeFirst();
    }
    if (!QProcess::startDetached(programme, arguments, repertoire))
        throw ErreurExecution(ERR_APPEL_INCORRECT, u"Impossible de démarrer le programme "_s +
                                                       QFileInfo(programme).fileName() +
                                                       u" dans "_s + repertoire);
}

} // namespace

void lancer(const QString& ligne) {
    if (const Demarreur& d = demarreur_installe()) {
        if (!d(ligne))
            lever(ERR_FICHIER_INTROUVABLE);
        return;
    }
    const Lancement l = preparer_lancement(ligne);
    demarrer(l.programme, l.arguments, l.repertoire, demande_un_terminal(l.programme));
}

void lancer_commande_hote(const QStringList& commande, bool terminal) {
    if (commande.isEmpty())
        lever(ERR_FICHIER_INTROUVABLE);
    if (const Demarreur& d = demarreur_installe()) {
        QStringList cites;
        for (const QString& a : commande)
            cites << (a.contains(u' ') ? u'"' + a + u'"' : a);
        if (!d(cites.join(u' ')))
            lever(ERR_FICHIER_INTROUVABLE);
        return;
    }
    const QString programme = commande.first().contains(u'/')
                                  ? commande.first()
                                  : QStandardPaths::findExecutable(commande.first());
    if (programme.isEmpty())
        throw ErreurExecution(ERR_FICHIER_INTROUVABLE, description_erreur(ERR_FICHIER_INTROUVABLE) +
                                                           u" : "_s + commande.first());
    demarrer(programme, commande.mid(1), dos_vers_hote(repertoire_courant(unite_courante())),
             terminal);
}

void installer_demarreur(Demarreur demarreur) {
    demarreur_installe() = std::move(demarreur);
}

} // namespace plateforme
