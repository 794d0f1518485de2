// Chargement de la fenêtre principale : lecture de la configuration et mise
// en place des cadres, dans l'ordre d'origine.
#include "manager/commands/moteur_copie.h"
#include "manager/common/curseur.h"
#include "manager/common/etat_commande.h"
#include "manager/common/rapport_erreur.h"
#include "manager/configuration/fichier_configuration.h"
#include "manager/main_window/apropos.h"
#include "manager/main_window/gestion_fichiers.h"
#include "manager/recycle_bin/corbeille.h"
#include "platform/chemins.h"
#include "platform/dialogues.h"
#include "platform/formats.h"
#include "platform/programme.h"
#include <QDir>
#include <QEventLoop>
#include <QScreen>
#include <QTimer>
#include <optional>

using namespace Qt::StringLiterals;
using plateforme::ErreurExecution;

namespace {
// Étapes de l'initialisation ; RACINE reprend l'étape du répertoire initial.
enum Etape {
    E_DEBUT = 1,
    E_LIGNES,
    E_BORDURE,
    E_POSITION,
    E_TAILLE,
    E_ICONISE,
    E_CHEMINS,
    E_OPTIONS,
    E_CORBEILLE,
    E_COULEUR,
    E_REPERTOIRE,
    E_PATHCHANGE,
    E_SELECTIONS,
    E_BOUTONS,
    E_LEGENDE,
    E_PERIMES,
    E_AFFICHAGE,
    E_ATTENTE,
    E_FIN,
};
} // namespace

void Gestion_Fichiers::Form_Load(bool premiere_copie) {
    if (!premiere_copie) {
        close();
        return;
    }
    int etape = E_DEBUT;
    bool racine = false;
    // Du répertoire initial au premier affichage, rien n'est changé sur le
    // disque : chaque liste n'est lue qu'une fois, quelles que soient les
    // étapes (répertoire, suivi des listes, motif, relecture) qui la redemandent.
    struct LecturesUniques {
        explicit LecturesUniques(const Gestion_Fichiers& f)
            : fichiers_srce(f.Fichier_srce), fichiers_dest(f.Fichier_dest),
              repertoires_srce(f.Répertoire_srce), repertoires_dest(f.Répertoire_dest) {}
        plateforme::ListeFichiers::LectureUnique fichiers_srce, fichiers_dest;
        plateforme::ListeRepertoires::LectureUnique repertoires_srce, repertoires_dest;
    };
    std::optional<LecturesUniques> lectures;
    while (etape <= E_FIN) {
        if (etape == E_REPERTOIRE && !lectures)
            lectures.emplace(*this);
        else if (etape > E_AFFICHAGE)
            lectures.reset();
        try {
            executer_etape(etape == E_REPERTOIRE && racine ? -E_REPERTOIRE : etape);
            ++etape;
            racine = false;
        } catch (const ErreurExecution& e) {
            const int n = e.numero();
            if (n == 68 || n == 76) {
                plateforme::dialogues().bip();
                plateforme::dialogues().message(
                    u"Unité, Chemin ou Nom de répertoire incorrect :"_s + QChar(13) +
                        u" Modifiez l'option 'Répertoire initial'."_s,
                    plateforme::MB_EXCLAMATION, u"Gestionnaire de fichiers"_s);
            } else {
                Rapport_erreur(reglages().unité_programme, e);
                if (etat_commande().réponse_de_commande == plateforme::REP_REESSAYER)
                    continue;
            }
            // Reprise au cas RACINE ; une étape postérieure, ou RACINE elle-même,
            // qui échoue laisse place à la suivante (pas de boucle sans fin).
            if (etape <= E_REPERTOIRE && !racine) {
                etape = E_REPERTOIRE;
                racine = true;
            } else {
                ++etape;
                racine = false;
            }
        }
    }
}

bool Gestion_Fichiers::executer_etape(int etape) {
    Reglages& r = reglages();
    switch (etape) {
    case E_DEBUT:
        curseur_sablier();
        etat_commande().commande_courante = u"INIT KALDRON"_s;
        break;
    case E_LIGNES:
        for (int i = 0; i < 3; ++i)
            lignes_cadres[i]->setBorderWidth(3);
        break;
    case E_BORDURE:
        r.largeur_bordure = configuration::lire_largeur_bordure();
        break;
    case E_POSITION:
        etape_positionner();
        break;
    case E_TAILLE:
        hauteur_fixe = static_cast<qint16>(HAUTEUR + r.largeur_bordure);
        largeur_fixe = static_cast<qint16>(LARGEUR + r.largeur_bordure);
        break;
    case E_ICONISE:
        if (est_oui(r.iconisé))
            setWindowState(windowState() | Qt::WindowMinimized);
        break;
    case E_CHEMINS:
        etape_chemins();
        break;
    case E_OPTIONS:
        configuration::lire_options(r);
        break;
    case E_CORBEILLE:
        etape_corbeille();
        break;
    case E_COULEUR: {
        int schema = configuration::lire_couleur();
        Appliquer_couleurs(schema);
        r.couleur = schema;
        break;
    }
    case E_REPERTOIRE:
        etape_repertoire(false);
        break;
    case -E_REPERTOIRE:
        etape_repertoire(true);
        break;
    case E_PATHCHANGE:
        Fichier_srce_PathChange();
        break;
    case E_SELECTIONS:
        etape_selections();
        break;
    case E_BOUTONS:
        etape_boutons();
        break;
    case E_LEGENDE:
        // Iconisée au départ, la fenêtre porte déjà « KALDRON » : sa vraie
        // légende a été gardée en l'iconisant.
        if (windowTitle() != u"KALDRON"_s)
            légende_sauvée = windowTitle();
        break;
    case E_PERIMES:
        liste_rep_périmée[0] = liste_rep_périmée[1] = true;
        break;
    case E_AFFICHAGE:
        Afficher_espace_libre();
        Rafraichir_affichage();
        break;
    case E_ATTENTE:
        attendre_apropos();
        break;
    case E_FIN:
        curseur_normal();
        if (apropos)
            apropos->close();
        break;
    }
    return true;
}

void Gestion_Fichiers::etape_positionner() {
    const QScreen* ecran = screen();
    const int largeur_ecran = ecran ? ecran->geometry().width() : 1024;
    move((largeur_ecran - width()) / 2, plateforme::twips_vers_pixels_y(100));
}

void Gestion_Fichiers::etape_chemins() {
    configuration::etablir_chemins(reglages(), plateforme::repertoire_programme());
    // Provisoires d'une copie coupée par un arrêt brutal (de ce programme ou d'un autre
    // processus disparu) ; ceux d'un processus vivant restent.
    copie::nettoyer_provisoires(reglages().préfixe_fichiers);
}

void Gestion_Fichiers::etape_corbeille() {
    if (!configuration::lire_criteres_corbeille(reglages())) {
        const QString& refusee = reglages().limite_corbeille_refusee;
        if (!refusee.isEmpty())
            plateforme::dialogues().message(
                u"La valeur "_s + refusee +
                    u" de la section [Corbeille] de KALDRON.INI est hors des bornes "
                    u"(Taille de 1 à 9999 Ko, Temps de 1 à 999 jours) :"_s +
                    QChar(13) +
                    u"la corbeille est hors service et aucun fichier n'en est retiré ; "
                    u"saisissez une limite dans la fenêtre Corbeille."_s,
                plateforme::MB_OK + plateforme::MB_EXCLAMATION, u"Gestionnaire de fichiers"_s);
        return;
    }
    Ouvrir_corbeille();
    Purger_corbeille();
    signaler_lignes_douteuses();
}

void Gestion_Fichiers::etape_repertoire(bool racine) {
    const QString valeur = racine ? u"Racine"_s : configuration::lire_repertoire_initial();
    reglages().répertoire_initial = valeur;
    const QString choix = ouvrir_au_repertoire_courant && !racine ? u"COURANT"_s : valeur.toUpper();
    if (racine || choix == u"RACINE"_s) {
        aller_racine();
    } else if (choix == u"COURANT"_s) {
        // Les listes sont restées au répertoire du processus ; s'il n'est sur
        // aucune unité, les champs montrent où elles sont.
        const auto courant = plateforme::hote_vers_dos(QDir::currentPath());
        Chemin_srce->setText(plateforme::chemin_montre(courant.value_or(Répertoire_srce->path())));
        Chemin_dest->setText(plateforme::chemin_montre(courant.value_or(Répertoire_dest->path())));
    } else {
        aller_repertoire(valeur.toLower());
    }
}

void Gestion_Fichiers::aller_racine() {
    const QString racine = Unité_srce->drive().left(2) + u"\\"_s;
    Répertoire_srce->setPath(racine);
    Fichier_srce->setPath(Répertoire_srce->path());
    Répertoire_dest->setPath(racine);
    Fichier_dest->setPath(Répertoire_dest->path());
    afficher_chemins();
}

void Gestion_Fichiers::aller_repertoire(const QString& valeur) {
    Répertoire_srce->setPath(valeur);
    Fichier_srce->setPath(Répertoire_srce->path());
    Répertoire_dest->setPath(Répertoire_srce->path());
    Fichier_dest->setPath(Répertoire_dest->path());
    afficher_chemins();
    if (valeur.size() >= 2 && valeur.at(1) == u':') {
        Unité_srce->setDrive(valeur);
        Unité_dest->setDrive(valeur);
    }
}

void Gestion_Fichiers::afficher_chemins() {
    Chemin_srce->setText(plateforme::chemin_montre(Répertoire_srce->path()));
    Chemin_dest->setText(plateforme::chemin_montre(Répertoire_dest->path()));
}

void Gestion_Fichiers::etape_selections() {
    for (const auto& [nom, motif] : configuration::lire_selections()) {
        Sélection_fichiers->addItem(nom);
        Liste_sel.append(motif);
    }
    Sélection_fichiers->setEditText(motif_mémorisé);
}

void Gestion_Fichiers::etape_boutons() {
    compteur_boutons = 1;
    for (const QString& nom : configuration::lire_boutons()) {
        if (compteur_boutons == 8) {
            Bouton_suite->setVisible(true);
            break;
        }
        Bouton[compteur_boutons]->setText(nom);
        Bouton[compteur_boutons]->setVisible(true);
        ++compteur_boutons;
    }
}

void Gestion_Fichiers::attendre_apropos() {
    // L'écran d'accueil reste au moins 3 secondes (horloge monotone).
    if (heure_depart <= 0 || est_oui(reglages().iconisé))
        return;
    while (plateforme::secondes_monotones() < heure_depart + 3) {
        QEventLoop boucle;
        QTimer::singleShot(20, &boucle, &QEventLoop::quit);
        boucle.exec();
    }
}
