// Créer un sous-répertoire du répertoire SOURCE, ou supprimer celui-ci.
#include "manager/common/etat_commande.h"
#include "manager/configuration/reglages.h"
#include "manager/main_window/gestion_fichiers.h"
#include "platform/chemins.h"
#include "platform/dialogues.h"
#include "platform/erreurs.h"
#include "platform/fichiers.h"

using namespace Qt::StringLiterals;

namespace {

const QString CR = QString(QChar(13));

QString avec_barre(const QString& chemin) {
    return chemin.endsWith(u'\\') ? chemin : chemin + u'\\';
}

// Le répertoire lui-même ou l'un de ses descendants.
bool dans(const QString& chemin, const QString& repertoire) {
    return chemin.compare(repertoire, Qt::CaseInsensitive) == 0 ||
           chemin.startsWith(avec_barre(repertoire), Qt::CaseInsensitive);
}

int question(const QString& texte, const QString& titre) {
    plateforme::dialogues().bip();
    return plateforme::dialogues().message(
        texte, plateforme::MB_OUI_NON + plateforme::MB_QUESTION + plateforme::MB_DEFAUT_2, titre);
}

} // namespace

void Gestion_Fichiers::Créer_Click() {
    if (!Debut_commande())
        return;
    EtatCommande& etat = etat_commande();
    etat.commande_courante = u"CREER"_s;
    etat.répertoire_source = Répertoire_srce->path();
    if (!reglages().confirme || confirmer_repertoire(u"un répertoire sous "_s, 2300)) {
        const QString nom = plateforme::dialogues().saisie(
            u"Entrez le nom du répertoire à créer sous :"_s + CR + source_raccourcie(4840),
            etat.commande_courante, QString());
        const QString nouveau = avec_barre(etat.répertoire_source) + nom;
        // Un nom déjà pris est rapporté sous ce nom, pas sous celui du
        // fichier choisi dans la liste SOURCE.
        const QString garde = etat.fichier_courant;
        etat.fichier_courant = nom;
        const bool cree =
            !nom.isEmpty() && etape_disque([&] { plateforme::creer_repertoire(nouveau); }, nouveau);
        etat.fichier_courant = garde;
        if (cree) {
            repertoires_changes(QString(), QString());
            Afficher_espace_libre();
        }
    }
    Rafraichir_affichage();
}

void Gestion_Fichiers::Supprimer_Click() {
    if (!Debut_commande())
        return;
    EtatCommande& etat = etat_commande();
    etat.commande_courante = u"SUPPRIMER"_s;
    const QString chemin = Répertoire_srce->path();
    etat.répertoire_source = chemin;
    // La racine d'une unité ne se supprime jamais.
    if (chemin.size() > 3 && confirmer_repertoire(u"le répertoire "_s, 2650)) {
        const QString parent = plateforme::repertoire_parent(chemin);
        if (etape_disque([&] { plateforme::changer_repertoire(parent); }, parent) &&
            effacer_fichiers_du_repertoire(chemin))
            supprimer_repertoire_vide(chemin, parent);
    }
    Rafraichir_affichage();
}

// Fichiers effacés pour de bon, sans la corbeille, si l'usager le veut ;
// faux quand la commande s'arrête là.
bool Gestion_Fichiers::effacer_fichiers_du_repertoire(const QString& chemin) {
    EtatCommande& etat = etat_commande();
    // Le disque fait foi : un motif de sélection peut cacher des fichiers.
    QStringList noms;
    if (!etape_disque([&] { noms = plateforme::lister_noms_fichiers(chemin, u"*.*"_s); }, chemin))
        return false;
    if (noms.isEmpty() && Fichier_srce->listCount() == 0)
        return true;
    if (question(u"Le répertoire contient des fichiers,"_s + CR + u"voulez-vous les effacer ?"_s,
                 etat.commande_courante) != plateforme::REP_OUI)
        return false;
    for (const QString& nom : noms) {
        etat.fichier_courant = nom;
        const QString fichier = avec_barre(chemin) + nom;
        etat.chemin_source = fichier;
        if (!etape_disque([&] { plateforme::supprimer_fichier(fichier); }, fichier))
            return false;
    }
    // Un reste de fichiers cachés est signalé comme tel par le rapport.
    etat.fichier_courant.clear();
    return true;
}

void Gestion_Fichiers::supprimer_repertoire_vide(const QString& chemin, const QString& parent) {
    // Les sous-répertoires cachés comptent aussi : ils empêcheraient la suppression.
    qsizetype sous = 0;
    if (!etape_disque([&] { sous = plateforme::lister_repertoires(chemin, true).size(); }, chemin))
        return;
    if (sous > 0) {
        plateforme::dialogues().bip();
        plateforme::dialogues().message(
            u"Le répertoire contient "_s + u' ' + QString::number(sous) +
                u" sous-répertoire(s),"_s + CR + u"il faut d'abord le(s) supprimer."_s,
            plateforme::MB_OK + plateforme::MB_STOP, etat_commande().commande_courante);
        return;
    }
    if (!etape_disque([&] { plateforme::supprimer_repertoire(chemin); }, chemin))
        return;
    repertoires_changes(chemin, parent);
    Afficher_espace_libre();
}

void Gestion_Fichiers::repertoires_changes(const QString& disparu, const QString& parent) {
    liste_rep_périmée[0] = liste_rep_périmée[1] = true;
    if (!disparu.isEmpty()) {
        // DESTINATION ne doit pas rester dans un répertoire qui n'existe plus.
        if (dans(Répertoire_dest->path(), disparu))
            etape_disque([&] { Répertoire_dest->setPath(parent); }, parent);
        etape_disque([&] { Répertoire_srce->setPath(parent); }, parent);
    }
    Répertoire_srce->rafraichir();
    Répertoire_dest->rafraichir();
}
