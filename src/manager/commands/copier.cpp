// Copie et déplacement des fichiers choisis vers la DESTINATION.
#include "manager/commands/moteur_copie.h"
#include "manager/common/cession.h"
#include "manager/common/etat_commande.h"
#include "manager/common/rapport_erreur.h"
#include "manager/configuration/reglages.h"
#include "manager/main_window/gestion_fichiers.h"
#include "platform/chemins.h"
#include "platform/dialogues.h"
#include "platform/erreurs.h"
#include <QCoreApplication>
#include <QScopeGuard>
#include <cmath>

using namespace Qt::StringLiterals;
using plateforme::dialogues;

namespace {

const QString CR = QString(QChar(13));

QString avec_barre(const QString& chemin) {
    return chemin.endsWith(u'\\') ? chemin : chemin + u'\\';
}

bool meme_chemin(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Vrai si le fichier trouvé pour 'destination' porte sur l'hôte un nom qui
// n'en diffère que par la casse : c'est un autre fichier que celui qu'on copie.
bool homonyme_de_casse(const QString& destination) {
    try {
        const QString hote = plateforme::dos_vers_hote(destination);
        return hote.mid(hote.lastIndexOf(u'/') + 1) != plateforme::dernier_composant(destination);
    } catch (const plateforme::ErreurExecution&) {
        return false;
    }
}

// Nombre de disquettes de 1,44 Mo, arrondi au pair pour les moitiés.
qint64 nombre_disquettes(qint64 taille) {
    return qint64(std::nearbyint(double(taille) / 1458000.0 + 0.5));
}

} // namespace

void Gestion_Fichiers::connecter_copie() {
    for (QPushButton* b : {Copier, Déplacer}) {
        commandes_construites.insert(b);
        activer_commande(b, true);
    }
    connect(Copier, &QPushButton::clicked, this, [this] { Copier_Click(); });
    connect(Déplacer, &QPushButton::clicked, this, [this] { Déplacer_Click(); });
}

// ------------------------------------------------------------------ COPIER

void Gestion_Fichiers::Copier_Click() {
    if (!Debut_commande())
        return;
    etat_commande().commande_courante = u"COPIER"_s;
    if (Ligne_message->text().isEmpty())
        Signaler_aucune_selection();
    else if (Verifier_place_destination())
        while (copier_fichier_choisi()) {
        }
    Rafraichir_affichage();
}

bool Gestion_Fichiers::copier_fichier_choisi() {
    EtatCommande& etat = etat_commande();
    sélection_totale ? Fichier_suivant_pas_a_pas(1) : Fichier_suivant(1);
    if (!etat.fichier_trouvé)
        return false;
    if (meme_chemin(etat.chemin_source, etat.chemin_destination) && !nom_de_copie_demande())
        return false;
    if (reglages().confirme) {
        Confirmer_commande();
        if (etat.réponse_de_commande == plateforme::REP_NON)
            return true;
        if (etat.réponse_de_commande == plateforme::REP_ANNULER)
            return false;
    }
    Copier_fichier();
    if (etat.demande_d_arrêt)
        etat.réponse_de_commande = plateforme::REP_ANNULER;
    return etat.réponse_de_commande != plateforme::REP_ANNULER;
}

// Copie dans son propre répertoire : il faut un autre nom.
bool Gestion_Fichiers::nom_de_copie_demande() {
    EtatCommande& etat = etat_commande();
    dialogues().bip();
    const QString nom =
        dialogues().saisie(u"Vous allez copier un fichier dans son propre répertoire,"_s + CR +
                               u"entrez le nom de copie du fichier "_s + etat.fichier_courant,
                           etat.commande_courante, QString());
    if (nom.isEmpty())
        return false;
    etat.fichier_courant = nom;
    etat.chemin_destination = avec_barre(Répertoire_dest->path()) + nom;
    return true;
}

// ---------------------------------------------------------------- DEPLACER

void Gestion_Fichiers::Déplacer_Click() {
    if (!Debut_commande())
        return;
    etat_commande().commande_courante = u"DEPLACER"_s;
    // Un Annuler laissé par la commande précédente (copie arrêtée) ne doit
    // pas finir le déplacement après le premier fichier : rien d'autre ne
    // le remet à Oui quand on déplace dans l'unité sans confirmation.
    etat_commande().réponse_de_commande = plateforme::REP_OUI;
    bool premier = true;
    plateforme::Renommages ouverts;
    renommages = &ouverts;
    const auto oublier = qScopeGuard([this] { renommages = nullptr; });
    if (Ligne_message->text().isEmpty())
        Signaler_aucune_selection();
    else
        while (deplacer_fichier_choisi(premier)) {
        }
    Rafraichir_affichage();
}

bool Gestion_Fichiers::deplacer_fichier_choisi(bool& premier) {
    EtatCommande& etat = etat_commande();
    sélection_totale ? Fichier_suivant_pas_a_pas(1) : Fichier_suivant(1);
    if (!etat.fichier_trouvé)
        return false;
    if (meme_chemin(etat.chemin_source, etat.chemin_destination)) {
        dialogues().bip();
        dialogues().message(u"Le répertoire 'DESTINATION' est le même que le répertoire "
                            u"'SOURCE' ; il est interdit de déplacer un fichier sur lui-même."_s,
                            plateforme::MB_OK + plateforme::MB_EXCLAMATION, etat.commande_courante);
        return false;
    }
    etat.éléments_pas_à_pas = Fichier_srce->listCount();
    if (reglages().confirme) {
        Confirmer_commande();
        if (etat.réponse_de_commande == plateforme::REP_NON)
            return !etat.demande_d_arrêt;
        if (etat.réponse_de_commande == plateforme::REP_ANNULER)
            return false;
    }
    Arret->show();
    ceder_a_la_fenetre();
    const bool autre_unite = !meme_chemin(Unité_srce->drive().left(2), Unité_dest->drive().left(2));
    if (autre_unite) {
        if (premier && !Verifier_place_destination())
            return false;
        premier = false;
        Copier_fichier(true);
        if (etat.réponse_de_commande == plateforme::REP_ANNULER)
            return false;
        // La source ne part qu'après une copie complète.
        if (copie_complete &&
            !etape_copie([&] { plateforme::supprimer_fichier(etat.chemin_source); }))
            return false;
    } else if (!renommer_dans_l_unite()) {
        return false;
    }
    // Seule l'entrée du fichier arrivé est relue : relire toute la liste à
    // chaque fichier rendrait la commande quadratique.
    Fichier_dest->actualiserFichier(etat.chemin_destination);
    return !etat.demande_d_arrêt && etat.réponse_de_commande != plateforme::REP_ANNULER;
}

// Même unité : simple changement d'entrée, qui ne remplace jamais (58).
bool Gestion_Fichiers::renommer_dans_l_unite() {
    EtatCommande& etat = etat_commande();
    const int index = Fichier_srce->listIndex();
    bool sur_place = true;
    if (!etape_copie([&] {
            sur_place =
                renommages
                    ? renommages->renommer_sur_place(etat.chemin_source, etat.chemin_destination)
                    : plateforme::renommer_sur_place(etat.chemin_source, etat.chemin_destination);
        }))
        return false;
    if (!sur_place && !deplacer_entre_systemes())
        return false;
    Fichier_srce->actualiserFichier(etat.chemin_source);
    const int nombre = Fichier_srce->listCount();
    if (nombre == 0) {
        etat.demande_d_arrêt = true;
        return true;
    }
    if (sélection_totale) {
        // L'entrée retirée laisse la liste à remettre en page : un choix
        // montré aussitôt la remettrait toute en page à chaque fichier. Elle
        // est redessinée d'un coup quand la fenêtre reprend la main.
        const int suivante = index == nombre ? index - 1 : index;
        if (!Fichier_srce->selected(suivante)) {
            Fichier_srce->setUpdatesEnabled(false);
            Fichier_srce->setSelected(suivante, true);
            Fichier_srce->setUpdatesEnabled(true);
        }
    } else if (etat.curseur > 0) {
        // L'entrée déplacée a disparu : la suivante a pris sa place.
        --etat.curseur;
    }
    return true;
}

// Deux systèmes de fichiers dans l'unité (un point de montage) : les octets
// passent par le moteur de copie, avec jauge et Arret. Vrai si le fichier est
// déplacé ; arrêté ou en erreur, la source reste entière.
bool Gestion_Fichiers::deplacer_entre_systemes() {
    EtatCommande& etat = etat_commande();
    const QString destination = etat.chemin_destination;
    Afficher_en_cours();
    copie::Issue issue = copie::Issue::Arretee;
    const bool fait = etape_copie([&] {
        try {
            issue = copie::deplacer_blocs(etat.chemin_source, destination, rappels_de_copie(),
                                          {&etat.chemin_destination});
        } catch (...) {
            etat.chemin_destination = destination;
            throw;
        }
    });
    etat.chemin_destination = destination;
    return fait && issue == copie::Issue::Copiee;
}

// ------------------------------------------------------------ la copie même

copie::Rappels Gestion_Fichiers::rappels_de_copie() {
    return {[this](bool visible) { montrer_jauge(visible); },
            [this](int valeur) {
                Jauge->setValue(valeur);
                Jauge->setFormat(QString::number(valeur) + u'%');
            },
            [] { return etat_commande().demande_d_arrêt; }, [] { ceder_a_la_fenetre(); }};
}

void Gestion_Fichiers::Copier_fichier(bool deplacement) {
    EtatCommande& etat = etat_commande();
    etat.réponse_de_commande = plateforme::REP_OUI;
    copie_complete = false;
    const QString destination = etat.chemin_destination;
    // Un nom de copie tapé peut être incorrect (64) : il va au rapport d'erreur.
    bool deja_la = false;
    bool homonyme = false;
    if (!etape_copie([&] {
            deja_la = plateforme::existe(destination) && !plateforme::est_repertoire(destination);
            homonyme = deja_la && homonyme_de_casse(destination);
        })) {
        etat.réponse_de_commande = plateforme::REP_ANNULER;
        return;
    }
    if (deja_la) {
        // Un homonyme de casse n'est pas remplacé en silence, même quand
        // l'usager ne veut pas de question pour les remplacements.
        Confirmer_remplacement(homonyme);
        if (etat.réponse_de_commande != plateforme::REP_OUI)
            return;
    }
    Arret->show();
    Afficher_en_cours();
    const copie::Rappels rappels = rappels_de_copie();
    copie::Issue issue = copie::Issue::Arretee;
    const bool faite = etape_copie([&] {
        try {
            issue = copie::copier_blocs(
                etat.chemin_source, destination, rappels, {&etat.chemin_destination},
                deplacement ? copie::Source::Effacee : copie::Source::Gardee);
        } catch (...) {
            // Le provisoire est déjà effacé ; le rapport nomme la vraie destination.
            etat.chemin_destination = destination;
            throw;
        }
    });
    etat.chemin_destination = destination;
    copie_complete = faite && issue == copie::Issue::Copiee;
    if (!faite)
        etat.réponse_de_commande = plateforme::REP_ANNULER;
    rafraichir_apres_copie();
}

void Gestion_Fichiers::montrer_jauge(bool visible) {
    if (visible) {
        Jauge->setValue(0);
        Jauge->setFormat(u"0%"_s);
    }
    for (Ligne* l : lignes_jauge)
        l->setVisible(visible);
    Jauge->setVisible(visible);
}

// Les listes suivent chaque fichier par sa seule entrée.
void Gestion_Fichiers::rafraichir_apres_copie() {
    const QString destination = etat_commande().chemin_destination;
    Fichier_dest->actualiserFichier(destination);
    if (meme_chemin(Répertoire_srce->path(), Répertoire_dest->path())) {
        Fichier_srce->actualiserFichier(destination);
        recaler_parcours();
    }
    Afficher_espace_libre();
}

// La copie ajoutée au répertoire SOURCE décale les entrées : le parcours
// repart du fichier copié, à sa nouvelle place, sans le reprendre.
void Gestion_Fichiers::recaler_parcours() {
    EtatCommande& etat = etat_commande();
    if (etat.mode_recherche)
        return;
    const int i = Fichier_srce->indexDe(plateforme::dernier_composant(etat.chemin_source));
    if (i >= 0) {
        etat.curseur = sélection_totale ? i : i + 1;
        etat.éléments_pas_à_pas = Fichier_srce->listCount();
    }
}

bool Gestion_Fichiers::etape_copie(const std::function<void()>& etape) {
    const QString objet = Unité_dest->drive().left(2).toUpper();
    return plateforme::executer_avec_reprise(etape, [&](const plateforme::ErreurExecution& e) {
        EtatCommande& etat = etat_commande();
        etat.réponse_de_commande = 0;
        Rapport_erreur(objet, e);
        return etat.réponse_de_commande;
    });
}

void Gestion_Fichiers::Confirmer_remplacement(bool toujours, const QString& repertoire) {
    EtatCommande& etat = etat_commande();
    etat.réponse_de_commande = plateforme::REP_OUI;
    if (!reglages().remplace && !toujours)
        return;
    dialogues().bip();
    const QString texte = u"Le fichier "_s + etat.fichier_courant + CR +
                          u"existe déjà dans le répertoire"_s + CR +
                          (repertoire.isEmpty() ? Répertoire_dest->path() : repertoire) + CR +
                          u"voulez-vous le remplacer ?"_s;
    etat.réponse_de_commande = dialogues().message(
        texte, plateforme::MB_OUI_NON_ANNULER + plateforme::MB_QUESTION + plateforme::MB_DEFAUT_2,
        etat.commande_courante);
}

void Gestion_Fichiers::Afficher_en_cours() {
    const EtatCommande& etat = etat_commande();
    Titre_dest->hide();
    Croiser->hide();
    En_cours->setText(u" "_s + etat.commande_courante.chopped(1) + u" le fichier "_s +
                      etat.fichier_courant + u" "_s);
    En_cours->show();
    ceder_a_la_fenetre();
}

bool Gestion_Fichiers::Verifier_place_destination() {
    EtatCommande& etat = etat_commande();
    Afficher_espace_libre();
    const QString unite = Unité_dest->drive().left(2);
    const qint64 libres = espace_libre_de(lieu_espace_libre()) / 1000;
    if (libres >= taille_sélectionnée / 1000)
        return true;
    const qint64 n = nombre_disquettes(taille_sélectionnée);
    dialogues().bip();
    const bool disquette = unite == u"a:"_s || unite == u"b:"_s;
    const QString texte =
        (n >= 2 && disquette
             ? u"L'ensemble des fichiers sélectionnés vont être copiés sur"_s + u" "_s +
                   QString::number(n) + u" disquettes de 1,44 Mo."_s
             : u"L'ensemble des fichiers sélectionnés ne peut être copiés sur "_s +
                   unite.toUpper() + u" , à moins qu'il y ait des fichiers en remplacement."_s) +
        CR + u"Voulez-vous continuer ?"_s;
    etat.réponse_de_commande = dialogues().message(
        texte, plateforme::MB_OUI_NON + plateforme::MB_QUESTION + plateforme::MB_DEFAUT_2,
        etat.commande_courante);
    if (etat.réponse_de_commande != plateforme::REP_NON)
        return true;
    etat.commande_en_cours = false;
    return false;
}
