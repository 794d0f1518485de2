// Retour à l'état de repos, couleurs, taille fixe et sortie du programme.
#include "manager/common/etat_commande.h"
#include "manager/common/rapport_erreur.h"
#include "manager/configuration/couleurs_vga.h"
#include "manager/configuration/reglages.h"
#include "manager/main_window/gestion_fichiers.h"
#include "platform/dialogues.h"
#include "platform/fichiers.h"
#include "platform/formats.h"
#include "platform/titre_application.h"
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QScreen>

using namespace Qt::StringLiterals;

namespace {
// Palette standard à 16 couleurs du mode texte.
QColor couleur_palette(int n) {
    return couleur_vga(n);
}

void fond(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}
} // namespace

void Gestion_Fichiers::Rafraichir_affichage() {
    poser_titre_application(u"KALDRON"_s);
    EtatCommande& etat = etat_commande();
    etat.demande_d_arrêt = false;
    etat.mode_de_confirmation = 0;
    etat.commande_en_cours = false;
    etat.mode_recherche = false;
    etat.fichier_trouvé = false;
    etat.liste_parcourue = Fichier_srce;
    drapeau_tip = true;

    Croiser->setEnabled(true);
    Croiser->setVisible(true);
    Tip->hide();
    Jauge->hide();
    Arret->hide();
    En_cours->hide();
    for (Ligne* l : lignes_jauge)
        l->hide();
    Ligne11->show();
    Titre_dest->setVisible(true);
    Fichier_sél->hide();

    // La liste SOURCE est relue du disque en gardant sa position.
    const int index = Fichier_srce->listIndex();
    const QString nom_courant = index >= 0 ? Fichier_srce->list(index) : QString();
    try {
        // Une seule lecture : le motif n'est reposé que s'il a changé.
        const QString motif = Sélection_fichiers->currentText();
        if (motif == Fichier_srce->pattern())
            Fichier_srce->rafraichir();
        else
            Fichier_srce->setPattern(motif);
    } catch (const plateforme::ErreurExecution& e) {
        // Répertoire disparu ou motif refusé : la fenêtre doit rester utilisable.
        Rapport_erreur(Fichier_srce->path(), e);
    }
    if (résultats_recherche)
        Sélecte_Click();
    // La relecture garde la sélection : la commande suivante la parcourt depuis le début.
    etat.curseur = 0;
    if (Fichier_srce->listCount() > 0) {
        // La position suit le nom : une entrée apparue avant ne la décale pas.
        const int ligne = nom_courant.isEmpty() ? -1 : Fichier_srce->indexDe(nom_courant);
        const int garde = ligne >= 0 ? ligne : qBound(0, index, Fichier_srce->listCount() - 1);
        Fichier_srce->setListIndex(garde);
        // Le choix de l'usager qui a survécu à la relecture reste seul choisi.
        if (!Fichier_srce->selectionModel()->hasSelection())
            Fichier_srce->setSelected(garde, true);
        // La commande a pu changer la sélection et les fichiers : la ligne
        // lue par la commande suivante vient de la liste telle qu'elle est.
        recompter_selection(false);
        etat.fichier_courant = Fichier_srce->list(garde);
        Chemin_fichier_courant();
    } else {
        etat.fichier_courant.clear();
        Sélecte->setEnabled(false);
        Ligne_message->clear();
    }
    etat.commande_courante.clear();
    etat.éléments_pas_à_pas = 0;
    etat.fermer_fichiers();
}

// Le titre passe par la légende normale, que Form_Resize remet hors de
// l'icône : iconiser et restaurer pendant l'impression garde le titre, et
// la fin de la commande rend la légende même à une fenêtre iconisée.
void Gestion_Fichiers::poser_titre_application(const QString& titre) {
    plateforme::poser_titre_application(titre);
    if (titre == u"KALDRON"_s) {
        if (légende_hors_titre.isEmpty())
            return;
        légende_sauvée = légende_hors_titre;
        légende_hors_titre.clear();
    } else {
        if (légende_hors_titre.isEmpty())
            légende_hors_titre = légende_sauvée.isEmpty() ? windowTitle() : légende_sauvée;
        légende_sauvée = titre;
    }
    if (!(windowState() & Qt::WindowMinimized))
        setWindowTitle(légende_sauvée);
}

void Gestion_Fichiers::Chemin_fichier_courant() {
    QString chemin = Fichier_srce->path();
    if (!chemin.endsWith(u'\\'))
        chemin += u'\\';
    etat_commande().chemin_source = chemin + etat_commande().fichier_courant;
}

void Gestion_Fichiers::Appliquer_couleurs(int& schema) {
    QWidget* fonds[] = {this,       Cadre_srce, Cadre_dest,   Titre_srce,
                        Titre_dest, En_cours,   Ligne_message};
    int couleur_fond = 8, couleur_traits = 7;
    if (schema != 0) {
        QPalette p = Jauge->palette();
        p.setColor(QPalette::Highlight, couleur_palette(schema == 1 ? 8 : 9));
        Jauge->setPalette(p);
        if (schema < 0 || schema > 7)
            schema = 7;
        couleur_fond = schema;
        couleur_traits = schema + 8;
    }
    for (QWidget* w : fonds)
        fond(w, couleur_palette(couleur_fond));
    for (Ligne* l : lignes_cadres)
        l->setBorderColor(couleur_palette(couleur_traits));
}

void Gestion_Fichiers::Form_Resize() {
    if (windowState() & Qt::WindowMinimized) {
        if (windowTitle() != u"KALDRON"_s)
            légende_sauvée = windowTitle();
        setWindowTitle(u"KALDRON"_s);
        return;
    }
    if (!légende_sauvée.isEmpty())
        setWindowTitle(légende_sauvée);
    const QScreen* ecran = screen();
    const int largeur_ecran = ecran ? ecran->geometry().width() : 1024;
    const QPoint voulu((largeur_ecran - width()) / 2 + plateforme::twips_vers_pixels_x(8),
                       plateforme::twips_vers_pixels_y(100));
    if (largeur_fixe > 0)
        setFixedSize(plateforme::twips_vers_pixels_x(largeur_fixe),
                     plateforme::twips_vers_pixels_y(hauteur_fixe));
    if (pos() != voulu)
        move(voulu);
}

void Gestion_Fichiers::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void Gestion_Fichiers::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    if (isVisible() && largeur_fixe > 0)
        Form_Resize();
}

void Gestion_Fichiers::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (isVisible() && largeur_fixe > 0)
        Form_Resize();
}

void Gestion_Fichiers::Arret_Click() {
    etat_commande().demande_d_arrêt = true;
}

void Gestion_Fichiers::Quitter_Click() {
    EtatCommande& etat = etat_commande();
    if (etat.commande_en_cours)
        return;
    if (etat.mode_recherche) {
        Rafraichir_affichage();
        return;
    }
    plateforme::dialogues().bip();
    const QString texte =
        u"Voulez-vous QUITTER"_s + QChar(13) + u"le "_s + u"Gestionnaire de fichiers"_s + u" ?"_s;
    etat.réponse_de_commande = plateforme::dialogues().message(
        texte, plateforme::MB_OUI_NON + plateforme::MB_QUESTION + plateforme::MB_DEFAUT_2,
        u"Gestionnaire de fichiers"_s);
    if (etat.réponse_de_commande == plateforme::REP_OUI) {
        m_quitter_accepte = true;
        close();
        QCoreApplication::quit();
    }
}

void Gestion_Fichiers::closeEvent(QCloseEvent* e) {
    // Seul un Oui explicite ferme la fenêtre : ni une commande en cours ni
    // l'affichage d'une recherche ne laissent partir sans question. La fin de
    // session ferme sans rien demander.
    if (m_fin_de_session)
        m_quitter_accepte = true;
    if (!m_quitter_accepte)
        Quitter_Click();
    if (m_quitter_accepte)
        e->accept();
    else
        e->ignore();
}
