// Cadres SOURCE et DESTINATION : unités, répertoires, listes de fichiers.
#include "manager/common/etat_commande.h"
#include "manager/common/rapport_erreur.h"
#include "manager/main_window/gestion_fichiers.h"
#include "platform/chemins.h"
#include "platform/dialogues.h"
#include "platform/erreurs.h"
#include "platform/fichiers.h"
#include <QSignalBlocker>

using namespace Qt::StringLiterals;
using plateforme::ErreurExecution;

namespace {
const QChar CR = QChar(13);

QString nom_unite(bool source) {
    return source ? u"UNITE SOURCE"_s : u"UNITE DESTINATION"_s;
}

QString nom_repertoire(bool source) {
    return source ? u"REPERT. SOURCE"_s : u"REPERT. DESTINATION"_s;
}
} // namespace

void Gestion_Fichiers::connecter_panneaux() {
    using plateforme::ListeFichiers, plateforme::ListeRepertoires, plateforme::ListeUnites;
    connect(Unité_srce, &ListeUnites::driveChanged, this, [this] { Unité_srce_Change(); });
    connect(Unité_dest, &ListeUnites::driveChanged, this, [this] { Unité_dest_Change(); });
    connect(Unité_srce, &ListeUnites::enterPressed, this, [this] { Unité_srce_KeyPress(13); });
    connect(Unité_dest, &ListeUnites::enterPressed, this, [this] { Unité_dest_KeyPress(13); });
    connect(Répertoire_srce, &ListeRepertoires::clicked, this, [this] { Répertoire_srce_Click(); });
    connect(Répertoire_dest, &ListeRepertoires::clicked, this, [this] { Répertoire_dest_Click(); });
    connect(Répertoire_srce, &ListeRepertoires::pathChanged, this,
            [this] { Répertoire_srce_Change(); });
    connect(Répertoire_dest, &ListeRepertoires::pathChanged, this,
            [this] { Répertoire_dest_Change(); });
    connect(Répertoire_srce, &ListeRepertoires::errorRaised, this,
            [this](int n, const QString& d) { repertoire_inaccessible(cadre(true), n, d); });
    connect(Répertoire_dest, &ListeRepertoires::errorRaised, this,
            [this](int n, const QString& d) { repertoire_inaccessible(cadre(false), n, d); });
    connect(Fichier_srce, &ListeFichiers::pathChanged, this, [this] { Fichier_srce_PathChange(); });
    connect(Fichier_srce, &ListeFichiers::mousePressed, this, [this] { Fichier_srce_MouseDown(); });
    connect(Fichier_dest, &ListeFichiers::clicked, this, [this] { Fichier_dest_Click(); });
    connect(Mode, &QPushButton::clicked, this, [this] { Mode_Click(); });
    connect(Croiser, &QPushButton::clicked, this, [this] { Croiser_Click(); });
    connecter_chemins();
}

Gestion_Fichiers::Cadre Gestion_Fichiers::cadre(bool source) const {
    if (source)
        return {true, Unité_srce, Répertoire_srce, Fichier_srce, Chemin_srce};
    return {false, Unité_dest, Répertoire_dest, Fichier_dest, Chemin_dest};
}

int Gestion_Fichiers::signaler_erreur(const QString& commande, const QString& objet,
                                      const ErreurExecution& erreur) {
    EtatCommande& etat = etat_commande();
    // Une réponse ancienne ne doit pas passer pour un « Réessayer ».
    etat.réponse_de_commande = 0;
    etat.commande_courante = commande;
    Rapport_erreur(objet, erreur);
    return etat.réponse_de_commande;
}

// ------------------------------------------------------------------ unités

void Gestion_Fichiers::Unité_srce_Change() {
    changer_unite(cadre(true));
    Rafraichir_affichage();
}

void Gestion_Fichiers::Unité_dest_Change() {
    changer_unite(cadre(false));
    montrer_espace_libre(nom_unite(false));
}

void Gestion_Fichiers::montrer_espace_libre(const QString& commande) {
    try {
        Afficher_espace_libre();
    } catch (const ErreurExecution& e) {
        signaler_erreur(commande, Unité_dest->drive().left(2), e);
    }
}

// La liste des répertoires va au répertoire courant de l'unité, ou à sa
// racine quand ce répertoire a disparu. Sur abandon, la liste des unités
// revient à l'unité de la liste des répertoires, restée en place.
void Gestion_Fichiers::changer_unite(const Cadre& c) {
    const QString commande = nom_unite(c.source);
    etat_commande().commande_courante = commande;
    const QString unite = c.unite->drive().left(2);
    if (unite.isEmpty())
        return;
    const auto etape = [&] {
        QString cible = plateforme::repertoire_courant(unite.at(0));
        if (!plateforme::est_repertoire(cible))
            cible = unite.toUpper() + u"\\"_s;
        c.repertoire->setPath(cible);
    };
    if (plateforme::executer_avec_reprise(
            etape, [&](const ErreurExecution& e) { return signaler_erreur(commande, unite, e); }))
        return;
    try {
        const QSignalBlocker blocage(c.unite);
        c.unite->setDrive(c.repertoire->path());
    } catch (const ErreurExecution&) {
        // La liste des répertoires n'a jamais eu de chemin : rien à rétablir.
    }
}

void Gestion_Fichiers::Unité_srce_KeyPress(int touche) {
    if (etat_commande().commande_en_cours || touche != 13)
        return;
    Unité_srce_Change();
}

void Gestion_Fichiers::Unité_dest_KeyPress(int touche) {
    if (etat_commande().commande_en_cours || touche != 13)
        return;
    Unité_dest_Change();
}

// ------------------------------------------------------------- répertoires

void Gestion_Fichiers::Répertoire_srce_Click() {
    cliquer_repertoire(cadre(true));
}

void Gestion_Fichiers::Répertoire_dest_Click() {
    cliquer_repertoire(cadre(false));
}

void Gestion_Fichiers::Répertoire_srce_Change() {
    suivre_repertoire(cadre(true));
}

void Gestion_Fichiers::Répertoire_dest_Change() {
    suivre_repertoire(cadre(false));
    Chemin_destination();
}

// Le motif est changé puis remis pour que la liste des fichiers soit relue
// avec lui ; le marqueur dit quelle liste suit.
void Gestion_Fichiers::relire_avec_motif(int marqueur) {
    marqueur_changement_répertoire = marqueur;
    texte_partagé = Sélection_fichiers->currentText();
    Sélection_fichiers->setEditText(u"."_s);
    Sélection_fichiers->setEditText(texte_partagé);
}

void Gestion_Fichiers::cliquer_repertoire(const Cadre& c) {
    EtatCommande& etat = etat_commande();
    if (etat.commande_en_cours)
        return;
    etat.commande_en_cours = true;
    const QString commande = nom_repertoire(c.source);
    etat.commande_courante = commande;
    const QString cible = c.repertoire->cheminSousCurseur();
    // Relu même s'il n'a pas changé : une nouvelle disquette devient visible.
    if (!aller_vers(c, cible.isEmpty() ? c.repertoire->path() : cible, commande))
        replier(c);
    // Le motif n'est remis qu'une fois la liste des fichiers dans un
    // répertoire qui existe : l'ancien a pu disparaître.
    relire_avec_motif(c.source ? 1 : 2);
    c.chemin->setText(plateforme::chemin_montre(c.repertoire->path()));
    marqueur_changement_répertoire = 0;
    etat.commande_en_cours = false;
    // La relecture par le motif "." vide la liste : le choix de l'usager est
    // perdu, même dans le même répertoire, et la première entrée est prise.
    if (c.source && Fichier_srce->listCount() > 0 && !etat.mode_répertoire &&
        Fichier_srce->selectedItems().isEmpty()) {
        Fichier_srce->setListIndex(0);
        Fichier_srce->setSelected(0, true);
    }
    // Les changements faits pendant la commande n'ont pas été comptés.
    if (c.source)
        recompter_selection(false);
    if (!c.source)
        montrer_espace_libre(nom_repertoire(false));
}

bool Gestion_Fichiers::aller_vers(const Cadre& c, const QString& chemin, const QString& commande) {
    return plateforme::executer_avec_reprise(
        [&] {
            c.repertoire->setPath(chemin);
            c.fichier->setPath(c.repertoire->path());
        },
        [&](const ErreurExecution& e) { return signaler_erreur(commande, chemin, e); });
}

// Une entrée disparue derrière le programme : la liste est relue et, si son
// propre répertoire n'existe plus, remonte au plus proche parent.
void Gestion_Fichiers::replier(const Cadre& c) {
    QString chemin = c.repertoire->path();
    try {
        if (chemin.isEmpty() || plateforme::est_repertoire(chemin)) {
            c.repertoire->rafraichir();
            return;
        }
    } catch (const ErreurExecution&) {
        // unité retirée de la table : on remonte quand même
    }
    while (chemin.size() > 3) {
        chemin = plateforme::repertoire_parent(chemin);
        try {
            c.repertoire->setPath(chemin);
            c.fichier->setPath(c.repertoire->path());
            c.chemin->setText(plateforme::chemin_montre(c.repertoire->path()));
            return;
        } catch (const ErreurExecution&) {
            // ce parent a disparu aussi
        }
    }
}

void Gestion_Fichiers::relire_fichiers(const Cadre& c) {
    try {
        c.fichier->rafraichir();
    } catch (const ErreurExecution&) {
        replier(c);
    }
}

// Un chemin tapé peut changer d'unité : la liste des unités suit sans
// relancer son propre changement (qui ramènerait au répertoire courant).
void Gestion_Fichiers::suivre_unite(const Cadre& c) {
    const QString unite = c.repertoire->path().left(2);
    if (c.unite->drive().left(2).compare(unite, Qt::CaseInsensitive) == 0)
        return;
    {
        const QSignalBlocker blocage(c.unite);
        c.unite->setDrive(unite);
    }
    if (!c.source)
        montrer_espace_libre(nom_repertoire(false));
}

void Gestion_Fichiers::suivre_repertoire(const Cadre& c) {
    if (Tip->isVisible())
        Tip->hide();
    cliquer_repertoire(c);
    const QString chemin = c.repertoire->path();
    const auto etape = [&] {
        c.fichier->setPath(chemin);
        c.chemin->setText(plateforme::chemin_montre(chemin));
        suivre_unite(c);
        if (!c.source)
            return;
        plateforme::changer_repertoire(chemin);
        plateforme::changer_unite(chemin.at(0));
    };
    plateforme::executer_avec_reprise(etape, [&](const ErreurExecution& e) {
        return signaler_erreur(nom_repertoire(c.source), chemin, e);
    });
}

// Entrée ou double clic vers un répertoire qu'on ne peut plus ouvrir.
void Gestion_Fichiers::repertoire_inaccessible(const Cadre& c, int numero,
                                               const QString& description) {
    const QString commande = nom_repertoire(c.source);
    const QString cible = c.repertoire->cheminSousCurseur();
    const bool reprise = signaler_erreur(commande, cible, ErreurExecution(numero, description)) ==
                         plateforme::REP_REESSAYER;
    if (!reprise || !aller_vers(c, cible, commande))
        replier(c);
}

// ------------------------------------------------------------------ fichiers

void Gestion_Fichiers::Fichier_srce_MouseDown() {
    if (!etat_commande().mode_répertoire)
        return;
    plateforme::dialogues().bip();
    plateforme::dialogues().message(u"Sélection non autorisée en mode répertoire :"_s + CR +
                                        u"cliquez sur le bouton 'Mode fichier'."_s,
                                    plateforme::MB_INFORMATION, u"Gestionnaire de fichiers"_s);
    Fichier_srce->clearSelection();
    relire_fichiers(cadre(true));
}

void Gestion_Fichiers::Fichier_dest_Click() {
    plateforme::dialogues().bip();
    plateforme::dialogues().message(u"Sélectionnez le fichier dans la liste 'SOURCE'"_s + CR +
                                        u"ou bien cliquez sur le bouton de permutation :"_s + CR +
                                        u"cette liste sert uniquement de contrôle visuel."_s,
                                    plateforme::MB_INFORMATION, u"Gestionnaire de fichiers"_s);
    Fichier_dest->clearSelection();
    relire_fichiers(cadre(false));
    Chemin_dest->deselect();
}
