// Commande CHERCHER : critères de la recherche, puis remise des fichiers
// choisis à la fenêtre principale, où les commandes agissent sur eux.
#include "manager/search/cde_chercher.h"
#include "manager/common/aide_contextuelle.h"
#include "manager/common/curseur.h"
#include "manager/common/etat_commande.h"
#include "manager/common/fenetre_principale.h"
#include "manager/common/rapport_erreur.h"
#include "manager/main_window/gestion_fichiers.h"
#include "manager/main_window/placement.h"
#include "manager/search/cherche_fichier.h"
#include "manager/search/moteur_recherche.h"
#include "platform/dialogues.h"
#include "platform/erreurs.h"
#include "platform/motifs.h"
#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace {
constexpr double LARGEUR = 5760;
constexpr double HAUTEUR = 2520;
constexpr double GAUCHE = 240;
constexpr double GAUCHE_CHAMPS = 2760;
constexpr double LARGEUR_CHAMPS = 2700;
} // namespace

Cde_Chercher::Cde_Chercher(Gestion_Fichiers* principale)
    : QDialog(principale), m_principale(principale) {
    setObjectName(u"Cde_Chercher"_s);
    setWindowTitle(u"CHERCHER"_s);
    construire();
    attacher_aide();
    setFixedSize(plateforme::twips_vers_pixels_x(LARGEUR),
                 plateforme::twips_vers_pixels_y(HAUTEUR));
    résultats = new Cherche_Fichier(principale, this);
}

void Cde_Chercher::construire() {
    const auto etiquette = [this](const QString& nom, const QString& texte, double haut,
                                  double largeur) {
        auto* l = new QLabel(texte, this);
        l->setObjectName(nom);
        placer(l, GAUCHE, haut, largeur, 300);
        return l;
    };
    const auto champ = [this](const QString& nom, const QString& bulle, double haut) {
        auto* c = new QLineEdit(this);
        c->setObjectName(nom);
        c->setToolTip(bulle);
        placer(c, GAUCHE_CHAMPS, haut, LARGEUR_CHAMPS, 300);
        return c;
    };
    Label_Message = etiquette(u"Label_Message"_s, QString(), 180, LARGEUR - 2 * GAUCHE);
    Label_Chercher = etiquette(u"Label_Chercher"_s, u"Chercher le(s) fichier(s) :"_s, 720, 2400);
    Fichiers_cherchés =
        champ(u"Fichiers_cherchés"_s, u"fichiers recherchés (ex : '.bat' ou 'ms*')"_s, 720);
    Label_Exclure = etiquette(u"Label_Exclure"_s, u"Et exclure les fichiers :"_s, 1200, 2400);
    Fichiers_exclus = champ(u"Fichiers_exclus"_s,
                            u"fichiers exclus de la recherche (ex : '.exe' ou rien)"_s, 1200);
    const auto bouton = [this](const QString& nom, const QString& texte, const QString& bulle,
                               double gauche) {
        auto* b = new QPushButton(texte, this);
        b->setObjectName(nom);
        b->setToolTip(bulle);
        b->setAutoDefault(false);
        placer(b, gauche, 1800, 1500, 360);
        return b;
    };
    Ok = bouton(u"Ok"_s, u"&OK"_s, u"lance la recherche"_s, 1200);
    Annule = bouton(u"Annule"_s, u"&Annuler"_s, u"annule la commande"_s, 3060);
    Ok->setDefault(true);
    connect(Ok, &QPushButton::clicked, this, [this] { OK_Click(); });
    connect(Annule, &QPushButton::clicked, this, [this] { Annule_Click(); });
}

void Cde_Chercher::attacher_aide() {
    aide::attacher(
        Fichiers_cherchés,
        u"  Ce champ permet de saisir le modèle ou le type de fichiers recherchés. Vous pouvez "
        "utiliser les caractères '*' et '?' et omettre '*' s'il est seul devant le point ou "
        "omettre '.*' à la suite du nom de fichier. Exemples : '.bat' est équivalent à '*.bat' "
        "ou '*.BAT',  'ms*' est équivalent à 'ms*.*'."_s +
            QChar(13) +
            u"Pour rechercher des fichiers sans extension, saisissez par exemple '*.' ou plus "
            "simplement '.'"_s);
    aide::attacher(Fichiers_exclus,
                   u"  Ce champ permet de saisir le modèle ou le type de fichiers qui ne doivent "
                   "pas apparaître dans le résultat de la recherche. Voir l'aide sur 'Chercher "
                   "le(s) fichier(s)' pour l'utilisation des caractères génériques."_s);
    for (QWidget* w :
         {static_cast<QWidget*>(this), static_cast<QWidget*>(Ok), static_cast<QWidget*>(Annule)})
        aide::vider_au_survol(w);
    aide::installer_f1(this);
}

void Cde_Chercher::showEvent(QShowEvent* evenement) {
    QDialog::showEvent(evenement);
    Form_Activate();
}

void Cde_Chercher::reject() {
    Annule_Click();
}

void Cde_Chercher::Form_Activate() {
    move(position_dialogue(2220, 1100));
    Label_Message->setText(u"Entrez le modèle ou le type de fichiers à rechercher sur "_s +
                           m_principale->Unité_srce->drive().left(2).toUpper());
    Fichiers_cherchés->selectAll();
    Fichiers_cherchés->setFocus();
}

void Cde_Chercher::Annule_Click() {
    aide::fenetre_fermee();
    hide();
}

void Cde_Chercher::signaler_nom_incorrect(QLineEdit* champ) {
    champ->clear();
    champ->setFocus();
    plateforme::dialogues().bip();
    plateforme::dialogues().message(u"Nom ou extension de fichier incorrect."_s,
                                    plateforme::MB_EXCLAMATION, etat_commande().commande_courante);
}

// "*." (fichiers sans extension) échappe à la validation, qui le refuserait.
bool Cde_Chercher::accepter(QLineEdit* champ, bool exclusion) {
    const QString texte = recherche::normaliser(champ->text());
    champ->setText(texte);
    bool bon = texte == u"*."_s || recherche::valide(texte);
    if (bon && !exclusion) {
        // Un caractère qu'aucun nom ne peut porter : le nom est incorrect.
        try {
            plateforme::verifier_motif_dos(texte);
        } catch (const plateforme::ErreurExecution&) {
            bon = false;
        }
    }
    if (!bon)
        signaler_nom_incorrect(champ);
    return bon;
}

void Cde_Chercher::OK_Click() {
    if (Fichiers_cherchés->text().isEmpty()) {
        Annule_Click();
        return;
    }
    if (!Fichiers_exclus->text().isEmpty() && !accepter(Fichiers_exclus, true))
        return;
    if (!accepter(Fichiers_cherchés, false))
        return;
    EtatCommande& etat = etat_commande();
    if (recherche::en_conflit(Fichiers_cherchés->text(), Fichiers_exclus->text())) {
        plateforme::dialogues().bip();
        plateforme::dialogues().message(u"Les fichiers exclus annulent les fichiers recherchés."_s,
                                        plateforme::MB_EXCLAMATION, etat.commande_courante);
        return;
    }
    hide();
    const int nombre = résultats->executer(Fichiers_cherchés->text(), Fichiers_exclus->text());
    m_principale->résultats_recherche = false;
    reprendre_resultats(nombre);
    etat.commande_courante.clear();
    m_principale->Croiser->setEnabled(true);
    curseur_normal();
}

// Les commandes parcourent désormais les fichiers trouvés, tous choisis.
void Cde_Chercher::reprendre_resultats(int nombre) {
    EtatCommande& etat = etat_commande();
    QListWidget* sel = m_principale->Fichier_sél;
    if (nombre == 0) {
        etat.mode_recherche = false;
        etat.liste_parcourue = m_principale->Fichier_srce;
        return;
    }
    etat.mode_recherche = true;
    etat.liste_parcourue = sel;
    sel->selectAll();
    sel->setCurrentRow(sel->count() - 1, QItemSelectionModel::Select);
    sel->show();
    sel->raise();
}

// ------------------------------------------------------- fenêtre principale

void Gestion_Fichiers::connecter_recherche() {
    commandes_construites.insert(Chercher);
    activer_commande(Chercher, true);
    connect(Chercher, &QPushButton::clicked, this, [this] { Chercher_Click(); });
}

void Gestion_Fichiers::Chercher_Click() {
    if (!Debut_commande())
        return;
    etat_commande().commande_courante = u"CHERCHER"_s;
    if (!cde_chercher)
        cde_chercher = new Cde_Chercher(this);
    cde_chercher->exec();
    etat_commande().commande_en_cours = false;
    // Annuler a posé la demande d'arrêt pour la recherche ; laissée, elle
    // couperait la commande suivante après son premier fichier.
    etat_commande().demande_d_arrêt = false;
    // Annuler des critères ne passe pas par la fin d'OK : le nom de la
    // commande ne doit pas rester (il bloquerait le double-clic).
    etat_commande().commande_courante.clear();
    Croiser->setEnabled(true);
    Croiser->setVisible(true);
    // La ligne d'état compte les fichiers trouvés : les commandes la lisent.
    // Tous choisis, leurs tailles lues pendant la recherche suffisent ; sans
    // elles, chacun est revu sur le disque.
    if (!etat_commande().mode_recherche)
        return;
    const qint64 taille = cde_chercher->résultats->taille_rendue;
    const std::vector<bool> choisis = lignes_choisies(Fichier_sél);
    if (taille < 0 || std::find(choisis.begin(), choisis.end(), false) != choisis.end()) {
        Fichier_sél_Click();
        return;
    }
    etat_commande().curseur = 0;
    taille_sélectionnée = taille;
    nombre_sélectionnés = Fichier_sél->count();
    afficher_ligne_etat();
}
