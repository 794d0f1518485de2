// Boutons programmables : chaque bouton lance le programme ou ouvre le
// document que [Boutons] de KALDRON.INI associe à sa légende.
#include "manager/common/etat_commande.h"
#include "manager/configuration/fichier_configuration.h"
#include "manager/main_window/gestion_fichiers.h"
#include "platform/chemins.h"
#include "platform/dialogues.h"
#include "platform/erreurs.h"
#include "platform/lancement.h"
#include "platform/profil.h"
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

const QString CR = QString(QChar(13));

// Valeur d'un bouton décomposée : chemin, extension, reste (" ?").
struct ValeurBouton {
    QString cible;      // la valeur en capitales
    qsizetype point;    // le point de l'extension, -1 s'il n'y en a pas
    qsizetype fin;      // fin du chemin du programme ou du document
    QString extension;  // au plus 3 caractères, en capitales
    QString repertoire; // vide : le répertoire SOURCE
};

// Premier point qui appartient au nom du fichier : un point suivi d'une
// barre avant le prochain blanc est dans un nom de répertoire (C:\V1.2\A.TXT).
qsizetype point_du_nom(const QString& v) {
    for (qsizetype i = v.indexOf(u'.'); i >= 0; i = v.indexOf(u'.', i + 1)) {
        const qsizetype blanc = v.indexOf(u' ', i);
        if (!v.mid(i, blanc < 0 ? -1 : blanc - i).contains(u'\\'))
            return i;
    }
    return -1;
}

ValeurBouton decomposer(const QString& valeur) {
    ValeurBouton v;
    v.cible = valeur.toUpper();
    v.point = point_du_nom(v.cible);
    const qsizetype blanc = v.point < 0 ? -1 : v.cible.indexOf(u' ', v.point);
    v.fin = blanc < 0 ? v.cible.size() : blanc;
    if (v.point < 0)
        return v;
    v.extension = v.cible.mid(v.point + 1, 3).section(u' ', 0, 0).trimmed();
    const qsizetype barre = v.cible.lastIndexOf(u'\\', v.point);
    if (barre >= 0) {
        v.repertoire = v.cible.left(barre).remove(u'"').trimmed();
        // Programme à la racine (C:\ZIP.EXE) : "C:" seul désignerait le
        // répertoire courant de l'unité, pas sa racine.
        if (v.repertoire.size() == 2 && v.repertoire.at(1) == u':')
            v.repertoire += u'\\';
    }
    return v;
}

bool extension_executable(const QString& extension) {
    return extension == u"EXE"_s || extension == u"COM"_s || extension == u"BAT"_s ||
           extension == u"PIF"_s;
}

// Programme d'une entrée de [Extensions] : le texte jusqu'au blanc qui
// précède " ^" compris, sinon toute l'entrée suivie d'un blanc.
QString programme_associe(const QString& entree) {
    const qsizetype chapeau = entree.indexOf(u" ^"_s);
    return chapeau >= 0 ? entree.left(chapeau + 1) : entree + u' ';
}

QString entre_guillemets_si_blanc(const QString& texte) {
    return texte.contains(u' ') ? u'"' + texte + u'"' : texte;
}

// La valeur passe en capitales ; sur un disque qui distingue la casse, ce
// chemin peut désigner un homonyme (A.TXT pour a.txt) : on garde alors le
// chemin tel qu'il est écrit.
QString chemin_du_document(const QString& valeur, const ValeurBouton& v) {
    QString capitales = v.cible.left(v.fin);
    if (valeur.size() != v.cible.size())
        return capitales;
    QString ecrit = valeur.left(v.fin);
    try {
        const QString hote = plateforme::dos_vers_hote(ecrit);
        if (QFileInfo::exists(hote) && plateforme::dos_vers_hote(capitales) != hote)
            return ecrit;
    } catch (const plateforme::ErreurExecution&) {
        // Chemin incorrect : le lancement le signalera.
    }
    return capitales;
}

void message_critique(const QString& texte) {
    plateforme::dialogues().bip();
    plateforme::dialogues().message(texte, plateforme::MB_OK + plateforme::MB_STOP,
                                    etat_commande().commande_courante);
}

} // namespace

void Gestion_Fichiers::connecter_boutons() {
    for (int i = 1; i <= 7; ++i) {
        commandes_construites.insert(Bouton[i]);
        activer_commande(Bouton[i], true);
        connect(Bouton[i], &QPushButton::clicked, this, [this, i] { Bouton_Click(i); });
    }
    Bouton_suite->setToolTip(u"faire défiler les boutons suivants"_s);
    commandes_construites.insert(Bouton_suite);
    activer_commande(Bouton_suite, true);
    connect(Bouton_suite, &QPushButton::clicked, this, [this] { Bouton_suite_Click(); });

    Prompt->setToolTip(u"ouverture d'une ligne de commande DOS"_s);
    commandes_construites.insert(Prompt);
    activer_commande(Prompt, true);
    connect(Prompt, &QPushButton::clicked, this, [this] { Prompt_Click(); });
    connecter_ligne_commande();
}

void Gestion_Fichiers::Bouton_Click(int Index) {
    if (Index < 1 || Index > 7 || !Debut_commande())
        return;
    EtatCommande& etat = etat_commande();
    const QString legende = Bouton[Index]->text();
    QString nom = legende;
    if (const qsizetype et = nom.indexOf(u'&'); et >= 0)
        nom.remove(et, 1);
    etat.commande_courante = u"BOUTON '"_s + nom + u"'"_s;
    const QString valeur =
        configuration::lire(u"Boutons"_s, legende, QString(), configuration::TAMPON_REPERTOIRE);
    const ValeurBouton v = decomposer(valeur);
    if (valeur.isEmpty())
        message_critique(u"Bouton déprogrammé, reprogrammez-le (commande 'Configurer', option "
                         "'Boutons') ou relancez KALDRON pour supprimer le bouton."_s);
    else if (v.point < 0)
        message_critique(u"Il manque l'extension du programme ou du fichier paramètré : modifiez "
                         "avec la commande 'Configurer', option 'Boutons'."_s);
    else {
        const QString repertoire = v.repertoire.isEmpty() ? Répertoire_srce->path() : v.repertoire;
        if (aller_au_repertoire_de_travail(repertoire)) {
            if (extension_executable(v.extension))
                lancer_programme(v.cible, repertoire);
            else // un " ?" n'a pas de sens pour un document : seul son chemin part
                lancer_document(chemin_du_document(valeur, v), v.extension);
        }
    }
    finir_commande_sans_rafraichir();
}

void Gestion_Fichiers::lancer_document(const QString& document, const QString& extension) {
    const QString entree = plateforme::lire_win_ini(u"Extensions"_s, extension, QString(),
                                                    configuration::TAMPON_REPERTOIRE);
    if (entree.isEmpty()) {
        message_critique(
            u"Pas de programme associé aux fichiers"_s + CR + u"ayant l'extension '"_s + extension +
            u"' :"_s + CR +
            u"utilisez la commande 'Configurer', option 'Associer' pour le définir."_s);
        return;
    }
    const QString programme = programme_associe(entree);
    lancer_ligne(programme + entre_guillemets_si_blanc(document), programme.trimmed());
}

void Gestion_Fichiers::lancer_programme(const QString& cible, const QString& repertoire) {
    const ValeurBouton v = decomposer(cible);
    // Un chemin de programme avec un blanc doit rester un seul morceau.
    QString chemin = v.cible.left(v.fin);
    if (!chemin.startsWith(u'"'))
        chemin = entre_guillemets_si_blanc(chemin);
    QString ligne = chemin + v.cible.mid(v.fin);
    if (cible.contains(u" ?"_s)) {
        texte_partagé = cible.left(cible.indexOf(u" ?"_s)).trimmed();
        Raccourcir_chemin(this, 4840);
        const QString programme = texte_partagé;
        texte_partagé = repertoire.trimmed();
        Raccourcir_chemin(this, 4840);
        const QString reponse = plateforme::dialogues().saisie(
            u"Entrez le(s) paramètre(s) de la commande "_s + programme + CR + CR +
                u"Répertoire de travail :"_s + CR + texte_partagé,
            etat_commande().commande_courante, u" "_s);
        if (reponse.isEmpty())
            return;
        // Le blanc proposé par défaut, accepté, ne doit pas devenir un paramètre.
        const qsizetype question = ligne.lastIndexOf(u'?');
        const QString parametres = reponse.trimmed();
        // Des guillemets de l'usager disent déjà où ses paramètres commencent
        // et finissent : les envelopper encore les mêlerait.
        ligne.replace(question, 1,
                      parametres.contains(u'"') ? parametres
                                                : entre_guillemets_si_blanc(parametres));
    }
    lancer_ligne(ligne, chemin);
}

bool Gestion_Fichiers::aller_au_repertoire_de_travail(const QString& repertoire) {
    const QString chemin = repertoire.trimmed();
    return etape_disque(
        [&] {
            plateforme::changer_unite(chemin.at(0));
            plateforme::changer_repertoire(chemin);
        },
        chemin);
}

bool Gestion_Fichiers::lancer_ligne(const QString& ligne, const QString& programme,
                                    bool* introuvable) {
    EtatCommande& etat = etat_commande();
    const QString commande = etat.commande_courante;
    // Le rapport d'un programme introuvable nomme ce programme, pas le
    // fichier choisi dans la liste SOURCE.
    const QString garde = etat.fichier_courant;
    etat.fichier_courant = programme;
    const bool lance = plateforme::executer_avec_reprise(
        [&] { plateforme::lancer(ligne); },
        [&](const plateforme::ErreurExecution& e) {
            if (introuvable && e.numero() == plateforme::ERR_FICHIER_INTROUVABLE) {
                *introuvable = true;
                return 0;
            }
            return signaler_erreur(commande, ligne, e);
        });
    etat.fichier_courant = garde;
    return lance;
}

void Gestion_Fichiers::finir_commande_sans_rafraichir() {
    etat_commande().commande_en_cours = false;
    Croiser->setEnabled(true);
}

void Gestion_Fichiers::Bouton_suite_Click() {
    // Pendant une commande, son nom reste celui de ses messages.
    if (!etat_commande().commande_en_cours)
        etat_commande().commande_courante = u"BOUTON SUITE"_s;
    const QStringList noms = configuration::cles(u"Boutons"_s);
    if (noms.isEmpty())
        return;
    const int dernier = taille_du_dernier_groupe != 0 ? taille_du_dernier_groupe : 7;
    taille_du_dernier_groupe = 0;
    qsizetype suivant = noms.indexOf(Bouton[dernier]->text()) + 1;
    if (suivant <= 0 || suivant >= noms.size())
        suivant = 0; // défilement cyclique
    int remplis = 0;
    while (remplis < 7 && suivant < noms.size())
        Bouton[++remplis]->setText(noms.at(suivant++));
    if (remplis < 7)
        taille_du_dernier_groupe = static_cast<qint16>(remplis);
}
