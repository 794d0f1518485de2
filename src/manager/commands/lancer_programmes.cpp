// VISUALISER, EDITER, EXECUTER et le double clic sur un fichier SOURCE :
// chaque programme part détaché, le répertoire SOURCE pour répertoire de
// travail, sans que KALDRON l'attende.
#include "manager/common/etat_commande.h"
#include "manager/common/message_dialogue.h"
#include "manager/configuration/fichier_configuration.h"
#include "manager/configuration/reglages.h"
#include "manager/main_window/gestion_fichiers.h"
#include "platform/applications_bureau.h"
#include "platform/chemins.h"
#include "platform/dialogues.h"
#include "platform/erreurs.h"
#include "platform/genre_programme.h"
#include "platform/lancement.h"
#include "platform/profil.h"
#include <QCoreApplication>
#include <QFile>
#include <QMimeDatabase>
#include <unistd.h>

using namespace Qt::StringLiterals;
using plateforme::dialogues;

namespace {

const QString CR = QString(QChar(13));
const QString TITRE = u"Gestionnaire de fichiers"_s;
const QString VISUALISEUR_MAISON = u"MORVINE.EXE"_s;
// Une ligne de commande d'origine reste sous cette longueur.
constexpr qsizetype LONGUEUR_LIGNE = 126;

QString entre_guillemets_si_blanc(const QString& texte) {
    return texte.contains(u' ') ? u'"' + texte + u'"' : texte;
}

bool extension_executable(const QString& extension) {
    return extension == u"EXE"_s || extension == u"COM"_s || extension == u"BAT"_s ||
           extension == u"PIF"_s;
}

// Sur Linux, un fichier que l'on a le droit d'exécuter et qui est un vrai
// programme (ELF ou script "#!") se lance, quelle que soit son extension ;
// un texte marqué exécutable par erreur (clé FAT) ne l'est pas.
plateforme::GenreProgramme genre_executable(const QString& chemin_dos) {
    try {
        const QString hote = plateforme::dos_vers_hote(chemin_dos);
        if (::access(QFile::encodeName(hote).constData(), X_OK) != 0)
            return plateforme::GenreProgramme::Inconnu;
        return plateforme::genre_programme(hote);
    } catch (const plateforme::ErreurExecution&) {
        return plateforme::GenreProgramme::Inconnu;
    }
}

bool programme_de_l_hote(const QString& chemin_dos) {
    return genre_executable(chemin_dos) != plateforme::GenreProgramme::Inconnu;
}

bool annulee(int reponse) {
    return reponse == plateforme::REP_NON || reponse == plateforme::REP_ANNULER;
}

// Programme d'une association de WIN.INI : "notepad.exe ^.txt" donne
// "notepad.exe " ; une valeur sans " ^" est prise entière, plus un blanc.
QString programme_associe(const QString& entree) {
    const qsizetype marque = entree.indexOf(u" ^"_s);
    return marque >= 0 ? entree.left(marque + 1) : entree + u' ';
}

// Nom passé à l'éditeur, relatif au répertoire de travail (la SOURCE) ; le
// chemin complet quand le fichier est ailleurs (résultat d'une recherche)
// ou que son nom, commençant par '-', serait pris pour une option.
QString nom_a_editer(const EtatCommande& etat) {
    if (etat.mode_recherche || etat.fichier_courant.startsWith(u'-'))
        return etat.chemin_source;
    return etat.fichier_courant;
}

} // namespace

void Gestion_Fichiers::connecter_lancements() {
    const std::pair<QPushButton*, QString> bulles[] = {
        {Visualiser, u"appel du visualiseur pour les fichiers sélectionnés"_s},
        {Editer, u"appel de l'éditeur de texte pour les fichiers sélectionnés"_s},
        {Exécuter, u"exécuter le programme sélectionné"_s},
    };
    for (const auto& [b, bulle] : bulles) {
        b->setToolTip(bulle);
        commandes_construites.insert(b);
        activer_commande(b, true);
    }
    connect(Visualiser, &QPushButton::clicked, this, [this] { Visualiser_Click(); });
    connect(Editer, &QPushButton::clicked, this, [this] { Editer_Click(); });
    connect(Exécuter, &QPushButton::clicked, this, [this] { Exécuter_Click(); });
    connect(Fichier_srce, &QListWidget::itemDoubleClicked, this,
            [this] { Fichier_srce_DblClick(); });
}

// -------------------------------------------------------------- VISUALISER

void Gestion_Fichiers::Visualiser_Click() {
    if (!Debut_commande())
        return;
    etat_commande().commande_courante = u"VISUALISER"_s;
    if (Ligne_message->text().isEmpty()) {
        Signaler_aucune_selection();
    } else {
        // Le visualiseur maison reconnaît sa liste à la marque "ovl".
        const QString& visualiseur = reglages().visualiseur;
        lancer_par_lots(
            visualiseur == VISUALISEUR_MAISON ? visualiseur + u" ovl"_s : visualiseur + u' ', true);
    }
    Rafraichir_affichage();
}

// ------------------------------------------------------------------ EDITER

void Gestion_Fichiers::Editer_Click() {
    if (!Debut_commande())
        return;
    etat_commande().commande_courante = u"EDITER"_s;
    const QString& editeur = reglages().éditeur;
    if (Ligne_message->text().isEmpty())
        Signaler_aucune_selection();
    else if (editeur == VISUALISEUR_MAISON)
        // Le commutateur fait ouvrir chaque fichier en texte modifiable.
        lancer_par_lots(editeur + u" --editer"_s, false);
    else
        lancer_un_par_fichier(editeur);
    Rafraichir_affichage();
}

void Gestion_Fichiers::lancer_un_par_fichier(const QString& programme) {
    for (int reponse; (reponse = fichier_a_lancer()) != 0 && reponse != plateforme::REP_ANNULER;) {
        const QString nom = nom_a_editer(etat_commande());
        if (reponse == plateforme::REP_OUI &&
            !lancer_dans_source(programme + u' ' + entre_guillemets_si_blanc(nom)))
            return;
    }
}

// ------------------------------------------------------------ lots et départ

int Gestion_Fichiers::fichier_a_lancer() {
    EtatCommande& etat = etat_commande();
    sélection_totale ? Fichier_suivant_pas_a_pas(1) : Fichier_suivant(1);
    if (!etat.fichier_trouvé || etat.demande_d_arrêt)
        return 0;
    if (!reglages().confirme)
        return plateforme::REP_OUI;
    Confirmer_commande();
    return etat.réponse_de_commande;
}

void Gestion_Fichiers::lancer_par_lots(const QString& programme, bool chemins_complets) {
    EtatCommande& etat = etat_commande();
    QString liste;
    int reponse;
    while ((reponse = fichier_a_lancer()) == plateforme::REP_OUI) {
        const QString nom = chemins_complets ? etat.chemin_source : nom_a_editer(etat);
        const QString argument = u' ' + entre_guillemets_si_blanc(nom);
        // Un premier nom trop long part quand même seul, jamais une liste vide.
        if (liste.isEmpty() || liste.size() + nom.size() < LONGUEUR_LIGNE) {
            liste += argument;
            continue;
        }
        if (!lancer_dans_source(programme + liste))
            return;
        liste = argument;
    }
    // Un refus arrête tout : les noms déjà retenus ne partent pas.
    if (reponse == 0 && !liste.isEmpty())
        lancer_dans_source(programme + liste);
}

bool Gestion_Fichiers::lancer_dans_source(const QString& ligne) {
    EtatCommande& etat = etat_commande();
    const QString repertoire = Répertoire_srce->path();
    const bool pose = etape_disque(
        [&] {
            plateforme::changer_unite(repertoire.at(0));
            plateforme::changer_repertoire(repertoire);
        },
        repertoire);
    if (!pose)
        return false;
    try {
        plateforme::lancer(ligne);
        return true;
    } catch (const plateforme::ErreurExecution& e) {
        // Le rapport nomme le programme introuvable, pas le fichier choisi.
        // Ce nom vient d'une ligne écrite (association, bouton), pas du
        // disque : il reste en capitales.
        const QString programme = plateforme::decouper_ligne_commande(ligne).value(0);
        etat.fichier_courant = programme.toUpper();
        signaler_erreur(etat.commande_courante, programme, e);
        return false;
    }
}

// ---------------------------------------------------------------- EXECUTER

void Gestion_Fichiers::Exécuter_Click() {
    if (Debut_commande())
        Executer_fichier();
}

void Gestion_Fichiers::Executer_fichier() {
    EtatCommande& etat = etat_commande();
    etat.commande_courante = u"EXECUTER"_s;
    if (Ligne_message->text().isEmpty()) {
        Signaler_aucune_selection();
    } else {
        Fichier_suivant(1);
        const bool confirme = reglages().confirme;
        if (etat.fichier_trouvé && confirme)
            Confirmer_commande();
        const bool pris = etat.fichier_trouvé && !(confirme && annulee(etat.réponse_de_commande));
        const bool hote = pris && programme_de_l_hote(etat.chemin_source);
        if (pris && !hote && etat.extension_courante == u"BAT"_s) {
            dialogues().bip();
            dialogues().message(plateforme::texte_fichier_de_commandes(etat.fichier_courant),
                                plateforme::MB_OK + plateforme::MB_EXCLAMATION, TITRE);
        } else if (pris && (hote || extension_executable(etat.extension_courante))) {
            executer_avec_parametres();
        } else if (pris) {
            dialogues().bip();
            dialogues().message(u"Fichier non exécutable."_s,
                                plateforme::MB_OK + plateforme::MB_EXCLAMATION, TITRE);
        }
    }
    Rafraichir_affichage();
}

void Gestion_Fichiers::executer_avec_parametres() {
    EtatCommande& etat = etat_commande();
    texte_partagé = Répertoire_srce->path();
    Raccourcir_chemin(this, 4840);
    // Le blanc proposé distingue une réponse vide acceptée de Annuler.
    const QString reponse = dialogues().saisie(
        u"Entrez le(s) paramètre(s) (si nécessaire) pour "_s + etat.fichier_courant + CR + CR +
            u"Répertoire actuel :"_s + CR + texte_partagé,
        etat.commande_courante, u" "_s);
    if (reponse.isEmpty())
        return;
    etat.commande_en_cours = false;
    const QString parametres = reponse.trimmed();
    // Un chemin de programme à blanc reste un seul morceau ; des paramètres
    // déjà entre guillemets gardent le groupement voulu par l'usager.
    QString ligne = entre_guillemets_si_blanc(etat.chemin_source);
    if (!parametres.isEmpty())
        ligne +=
            u' ' + (parametres.contains(u'"') ? parametres : entre_guillemets_si_blanc(parametres));
    lancer_dans_source(ligne);
}

// ------------------------------------------------------------ double clic

void Gestion_Fichiers::Fichier_srce_DblClick() {
    EtatCommande& etat = etat_commande();
    if (etat.commande_courante == u"CHERCHER"_s || !Debut_commande())
        return;
    // Les commandes appelées prennent elles-mêmes la fenêtre.
    etat.commande_en_cours = false;
    Fichier_suivant(1);
    if (!etat.fichier_trouvé) {
        Rafraichir_affichage();
        return;
    }
    --etat.curseur; // la commande appelée retrouve le même fichier
    const QString& extension = etat.extension_courante;
    const plateforme::GenreProgramme genre = genre_executable(etat.chemin_source);
    // Un fichier de commandes, DOS ou script de l'hôte, se lit aussi bien qu'il s'exécute.
    if (extension == u"BAT"_s || genre == plateforme::GenreProgramme::Script) {
        const int choix = Message_dialogue(
            u"Voulez-vous EDITER ou EXECUTER le fichier '"_s + etat.fichier_courant + u"' ?"_s,
            u"&EDITER"_s, u"E&XECUTER"_s, u"&ANNULER"_s, u"32"_s, TITRE);
        if (choix == 1)
            Editer_Click();
        else if (choix == 2)
            Executer_fichier();
        else
            Rafraichir_affichage();
    } else if (extension_executable(extension) || genre != plateforme::GenreProgramme::Inconnu) {
        Executer_fichier();
    } else {
        ouvrir_par_association();
    }
}

void Gestion_Fichiers::ouvrir_par_association() {
    EtatCommande& etat = etat_commande();
    QCoreApplication::processEvents();
    const QString& chemin = etat.chemin_source;
    const qsizetype point = chemin.lastIndexOf(u'.');
    const QString extension = point < 0 ? QString() : chemin.mid(point + 1);
    // Un point d'un répertoire n'annonce aucune extension.
    const QString entree = extension.isEmpty() || extension.contains(u'\\')
                               ? QString()
                               : plateforme::lire_win_ini(u"Extensions"_s, extension, QString(),
                                                          configuration::TAMPON_PROGRAMME);
    if (entree.isEmpty()) {
        if (!ouvrir_par_le_bureau())
            Editer_Click();
        return;
    }
    const bool aide = extension.compare(u"HLP"_s, Qt::CaseInsensitive) == 0;
    const QString& document = etat.chemin_source;
    const QString ligne =
        programme_associe(entree) + (aide ? document : entre_guillemets_si_blanc(document));
    // Le rapport d'un échec montre toute la ligne.
    etat.commande_courante = ligne;
    lancer_dans_source(ligne);
    etat.curseur = 0;
    Croiser->setEnabled(true);
}

// Sans association de WIN.INI, un document qui n'est pas du texte (PDF,
// ODT, image…) va à l'application que le bureau lui donne par défaut.
bool Gestion_Fichiers::ouvrir_par_le_bureau() {
    EtatCommande& etat = etat_commande();
    QString hote;
    try {
        hote = plateforme::dos_vers_hote(etat.chemin_source);
    } catch (const plateforme::ErreurExecution&) {
        return false;
    }
    if (QMimeDatabase().mimeTypeForFile(hote).inherits(u"text/plain"_s))
        return false;
    const auto application = plateforme::application_par_defaut(hote);
    if (!application)
        return false;
    const QString repertoire = Répertoire_srce->path();
    if (!etape_disque(
            [&] {
                plateforme::changer_unite(repertoire.at(0));
                plateforme::changer_repertoire(repertoire);
            },
            repertoire))
        return true;
    // Le rapport d'un échec montre toute la commande, comme pour une association.
    etat.commande_courante = application->commande.join(u' ');
    try {
        plateforme::lancer_commande_hote(application->commande, application->terminal);
    } catch (const plateforme::ErreurExecution& e) {
        const QString programme = application->commande.value(0);
        etat.fichier_courant = programme;
        signaler_erreur(etat.commande_courante, programme, e);
    }
    etat.curseur = 0;
    Croiser->setEnabled(true);
    return true;
}
