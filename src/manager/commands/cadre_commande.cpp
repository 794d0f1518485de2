// Cadre commun des commandes : prise de la fenêtre, parcours des fichiers
// choisis et confirmation fichier par fichier.
#include "manager/common/etat_commande.h"
#include "manager/common/message_dialogue.h"
#include "manager/configuration/reglages.h"
#include "manager/main_window/gestion_fichiers.h"
#include "platform/dialogues.h"
#include "platform/formats.h"

using namespace Qt::StringLiterals;

namespace {

const QString CR = QString(QChar(13));

QString avec_barre(const QString& chemin) {
    return chemin.endsWith(u'\\') ? chemin : chemin + u'\\';
}

// Le texte d'une entrée n'est pas toujours son chemin : on prend le nom réel.
QString texte_entree(const QListWidget* liste, int i) {
    if (const auto* fichiers = qobject_cast<const plateforme::ListeFichiers*>(liste))
        return fichiers->list(i);
    return chemin_entree(liste->item(i));
}

// Première entrée choisie à partir de 'depart', dans le sens voulu ; -1 sinon.
int entree_choisie(const QListWidget* liste, int depart, int direction) {
    const int pas = direction == 1 ? 1 : -1;
    for (int i = depart; i >= 0 && i < liste->count(); i += pas)
        if (liste->item(i)->isSelected())
            return i;
    return -1;
}

// La ligne d'état commence par le nombre de fichiers choisis.
bool plusieurs_fichiers(const QLabel* ligne_message) {
    return plateforme::val(ligne_message->text().left(5)) > 1;
}

} // namespace

bool Gestion_Fichiers::Debut_commande() {
    EtatCommande& etat = etat_commande();
    if (etat.commande_en_cours) {
        plateforme::dialogues().bip();
        return false;
    }
    etat.commande_en_cours = true;
    Croiser->setEnabled(false);
    return true;
}

void Gestion_Fichiers::Signaler_aucune_selection() {
    plateforme::dialogues().bip();
    plateforme::dialogues().message(u"Pas de fichier(s) 'SOURCE' sélectionné(s)."_s,
                                    plateforme::MB_OK + plateforme::MB_EXCLAMATION,
                                    etat_commande().commande_courante);
}

void Gestion_Fichiers::Fichier_suivant(int direction) {
    EtatCommande& etat = etat_commande();
    const QListWidget* liste = etat.liste_parcourue ? etat.liste_parcourue : Fichier_srce;
    etat.fichier_trouvé = false;
    const int i = etat.curseur < 0 ? -1 : entree_choisie(liste, etat.curseur, direction);
    if (i < 0) {
        etat.fichier_courant.clear();
        return;
    }
    etat.curseur = direction == 1 ? i + 1 : i - 1;
    etat.fichier_trouvé = true;
    const QString entree = texte_entree(liste, i);
    if (etat.mode_recherche) {
        // Les résultats d'une recherche sont des chemins complets.
        const qsizetype barre = entree.lastIndexOf(u'\\');
        etat.chemin_source = entree;
        etat.fichier_courant = entree.mid(barre + 1);
        etat.répertoire_source = entree.left(qMax<qsizetype>(barre, 0));
    } else {
        const auto* fichiers = qobject_cast<const plateforme::ListeFichiers*>(liste);
        etat.fichier_courant = entree;
        etat.répertoire_source = (fichiers ? fichiers : Fichier_srce)->path();
        etat.chemin_source = avec_barre(etat.répertoire_source) + entree;
    }
    completer_chemins_courants();
}

// Le compte d'entrées retenu au pas précédent dit si l'entrée courante a
// disparu (déplacée ou effacée) : l'entrée suivante a pris sa place.
void Gestion_Fichiers::Fichier_suivant_pas_a_pas(int direction) {
    EtatCommande& etat = etat_commande();
    etat.fichier_trouvé = false;
    const int nombre = Fichier_srce->listCount();
    const bool premier_pas = etat.éléments_pas_à_pas == 0;
    const bool disparue = direction == 1 && nombre < etat.éléments_pas_à_pas;
    const int i = premier_pas || disparue ? etat.curseur : etat.curseur + (direction == 1 ? 1 : -1);
    etat.éléments_pas_à_pas = nombre;
    // La borne porte sur l'entrée à prendre : la dernière n'est jamais sautée.
    if (i < 0 || i >= nombre) {
        etat.fichier_courant.clear();
        return;
    }
    etat.curseur = i;
    Fichier_srce->setSelected(i, true);
    Fichier_srce->setListIndex(i);
    etat.fichier_trouvé = true;
    etat.fichier_courant = Fichier_srce->list(i);
    etat.répertoire_source = Fichier_srce->path();
    Chemin_fichier_courant();
    completer_chemins_courants();
}

void Gestion_Fichiers::completer_chemins_courants() {
    EtatCommande& etat = etat_commande();
    etat.extension_courante = etat.fichier_courant.right(3).toUpper();
    etat.chemin_destination = avec_barre(Répertoire_dest->path()) + etat.fichier_courant;
}

void Gestion_Fichiers::Confirmer_commande() {
    EtatCommande& etat = etat_commande();
    if (etat.mode_de_confirmation == -1) {
        etat.réponse_de_commande = plateforme::REP_OUI;
        return;
    }
    const bool plusieurs = plusieurs_fichiers(Ligne_message);
    if (etat.mode_de_confirmation == 0) {
        const bool effacer = etat.commande_courante == u"EFFACER"_s;
        etat.titre_de_confirmation = effacer && !reglages().corbeille_active
                                         ? u"Attention !  Corbeille absente"_s
                                         : u"Gestionnaire de fichiers"_s;
        if (effacer && plusieurs && !choisir_mode_effacement())
            return;
    }
    plateforme::dialogues().bip();
    const int boutons = plusieurs ? plateforme::MB_OUI_NON_ANNULER : plateforme::MB_OUI_NON;
    etat.réponse_de_commande = plateforme::dialogues().message(
        texte_confirmation(), boutons + plateforme::MB_QUESTION + plateforme::MB_DEFAUT_2,
        etat.titre_de_confirmation);
}

// SELECTIF, GLOBAL ou ANNULER ; vrai quand chaque fichier reste à confirmer.
bool Gestion_Fichiers::choisir_mode_effacement() {
    EtatCommande& etat = etat_commande();
    plateforme::dialogues().bip();
    const int choix = Message_dialogue(
        u"Voulez-vous EFFACER sélectivement ou globalement les fichiers sélectionnés ?"_s,
        u"&SELECTIF"_s, u"&GLOBAL"_s, u"&ANNULER"_s, u"32"_s, etat.titre_de_confirmation);
    if (choix == 1) {
        etat.mode_de_confirmation = 1;
        return true;
    }
    if (choix == 2) {
        etat.réponse_de_commande = plateforme::REP_OUI;
        etat.mode_de_confirmation = -1;
    } else {
        etat.réponse_de_commande = plateforme::REP_ANNULER;
    }
    return false;
}

QString Gestion_Fichiers::texte_confirmation() const {
    const EtatCommande& etat = etat_commande();
    const QString& commande = etat.commande_courante;
    QString fin = CR + CR + u"Confirmez-vous cette commande ?"_s;
    if (commande == u"COPIER"_s || commande == u"DEPLACER"_s)
        fin = CR + u"vers le répertoire"_s + CR + Fichier_dest->path() + fin;
    const QString source = etat.mode_recherche ? etat.répertoire_source : Fichier_srce->path();
    return u"Vous allez "_s + commande + CR + u"le fichier '"_s + etat.fichier_courant +
           u"' du répertoire"_s + CR + source + fin;
}
