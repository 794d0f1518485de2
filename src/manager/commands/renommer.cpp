// Renommer les fichiers choisis, ou le répertoire SOURCE en mode répertoire.
#include "manager/common/etat_commande.h"
#include "manager/configuration/reglages.h"
#include "manager/main_window/gestion_fichiers.h"
#include "platform/chemins.h"
#include "platform/dialogues.h"
#include "platform/erreurs.h"
#include "platform/fichiers.h"
#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QString CR = QString(QChar(13));

QString avec_barre(const QString& chemin) {
    return chemin.endsWith(u'\\') ? chemin : chemin + u'\\';
}

} // namespace

void Gestion_Fichiers::connecter_repertoires() {
    const std::pair<QPushButton*, QString> boutons[] = {
        {Renommer, u"renommer les fichiers sélectionnés ou le répertoire"_s},
        {Créer, u"créer un réperoire sous le répertoire actuel"_s},
        {Supprimer, u"supprimer le répertoire SOURCE sélectionné"_s},
    };
    for (const auto& [b, aide] : boutons) {
        b->setToolTip(aide);
        commandes_construites.insert(b);
        activer_commande(b, true);
    }
    connect(Renommer, &QPushButton::clicked, this, [this] { Renommer_Click(); });
    connect(Créer, &QPushButton::clicked, this, [this] { Créer_Click(); });
    connect(Supprimer, &QPushButton::clicked, this, [this] { Supprimer_Click(); });
}

void Gestion_Fichiers::Renommer_Click() {
    if (!Debut_commande())
        return;
    EtatCommande& etat = etat_commande();
    etat.commande_courante = u"RENOMMER"_s;
    etat.répertoire_source = Répertoire_srce->path();
    if (etat.mode_répertoire)
        renommer_repertoire();
    else if (Ligne_message->text().isEmpty())
        Signaler_aucune_selection();
    else
        renommer_fichiers();
    Rafraichir_affichage();
}

// Non ou Annuler à la confirmation, ou une saisie vide, arrête toute la commande.
void Gestion_Fichiers::renommer_fichiers() {
    EtatCommande& etat = etat_commande();
    for (Fichier_suivant(1); etat.fichier_trouvé && !etat.demande_d_arrêt; Fichier_suivant(1)) {
        if (reglages().confirme) {
            Confirmer_commande();
            if (etat.réponse_de_commande != plateforme::REP_OUI)
                return;
        }
        const QString nom = plateforme::dialogues().saisie(
            u"Entrez le nouveau nom du fichier "_s + etat.fichier_courant, etat.commande_courante,
            etat.fichier_courant);
        if (nom.isEmpty())
            return;
        // Le répertoire du fichier trouvé : celui d'un résultat de recherche
        // n'est pas forcément le répertoire SOURCE.
        const QString ancien = etat.chemin_source;
        const QString nouveau = avec_barre(etat.répertoire_source) + nom;
        if (!etape_disque([&] { plateforme::renommer(ancien, nouveau); }, ancien))
            return;
        const bool meme =
            Répertoire_srce->path().compare(Répertoire_dest->path(), Qt::CaseInsensitive) == 0;
        if (meme || etat.mode_recherche)
            Fichier_dest->rafraichir();
    }
}

void Gestion_Fichiers::renommer_repertoire() {
    EtatCommande& etat = etat_commande();
    if (reglages().confirme && !confirmer_repertoire(u"le répertoire "_s, 2650))
        return;
    const QString chemin = Répertoire_srce->path();
    const QString affiche = source_raccourcie(4840);
    const QString nom = chemin.mid(chemin.lastIndexOf(u'\\') + 1);
    if (nom.isEmpty())
        return; // la racine d'une unité n'a pas de nom
    const QString reponse = plateforme::dialogues().saisie(
        u"Entrez le nouveau nom du répertoire :"_s + CR + affiche, etat.commande_courante, nom);
    if (reponse.isEmpty())
        return;
    const QString parent = plateforme::repertoire_parent(chemin);
    const QString nouveau = avec_barre(parent) + reponse;
    const auto etape = [&] {
        plateforme::changer_repertoire(parent);
        plateforme::renommer(chemin, nouveau);
    };
    if (etape_disque(etape, chemin))
        repertoires_changes(chemin, parent);
}

QString Gestion_Fichiers::source_raccourcie(double largeur) {
    texte_partagé = etat_commande().répertoire_source;
    Raccourcir_chemin(this, largeur);
    return texte_partagé;
}

bool Gestion_Fichiers::confirmer_repertoire(const QString& objet, double largeur) {
    EtatCommande& etat = etat_commande();
    const QString affiche = source_raccourcie(largeur);
    plateforme::dialogues().bip();
    etat.réponse_de_commande = plateforme::dialogues().message(
        u"Vous allez "_s + etat.commande_courante + CR + objet + affiche + CR + CR +
            u"Confirmez-vous cette commande ?"_s,
        plateforme::MB_OUI_NON + plateforme::MB_QUESTION + plateforme::MB_DEFAUT_2,
        u"Gestionnaire de fichiers"_s);
    return etat.réponse_de_commande == plateforme::REP_OUI;
}

bool Gestion_Fichiers::etape_disque(const std::function<void()>& etape, const QString& objet) {
    const QString commande = etat_commande().commande_courante;
    return plateforme::executer_avec_reprise(etape, [&](const plateforme::ErreurExecution& e) {
        return signaler_erreur(commande, objet, e);
    });
}
