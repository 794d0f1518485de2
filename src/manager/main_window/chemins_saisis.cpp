// Champs de chemin des deux cadres : un chemin tapé est appliqué sur Entrée ;
// un simple nom de répertoire est cherché sur tout le disque.
#include "manager/common/curseur.h"
#include "manager/common/etat_commande.h"
#include "manager/main_window/gestion_fichiers.h"
#include "platform/chemins.h"
#include "platform/dialogues.h"
#include "platform/erreurs.h"
#include "platform/parcours.h"
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <functional>

using namespace Qt::StringLiterals;
using plateforme::ErreurExecution;

namespace {
const QChar CR = QChar(13);
// Premier drapeau : Liste_rép ; le second est celui de l'arbre de la recherche.
constexpr int LISTE_REP = 0;

QString nom_chemin(bool source) {
    return source ? u"CHEMIN SOURCE"_s : u"CHEMIN DESTINATION"_s;
}

// Passe la prise et la perte du focus et les touches d'un champ à ses
// gestionnaires ; Entrée est consommée.
class FiltreChemin : public QObject {
public:
    FiltreChemin(QObject* parent, std::function<void()> pris, std::function<void()> perdu,
                 std::function<void(int)> touche)
        : QObject(parent), m_pris(std::move(pris)), m_perdu(std::move(perdu)),
          m_touche(std::move(touche)) {}

    bool eventFilter(QObject* objet, QEvent* e) override {
        switch (e->type()) {
        case QEvent::FocusIn:
            m_pris();
            // Le champ pris d'un clic pose ensuite son curseur à l'appui et
            // perd la sélection : elle est refaite au relâché de ce clic.
            m_clic_de_prise = static_cast<QFocusEvent*>(e)->reason() == Qt::MouseFocusReason;
            break;
        case QEvent::FocusOut:
            m_clic_de_prise = false;
            m_perdu();
            break;
        case QEvent::MouseButtonRelease:
            if (m_clic_de_prise) {
                m_clic_de_prise = false;
                // Un glissé a choisi une partie du texte : elle reste.
                const auto* champ = qobject_cast<QLineEdit*>(objet);
                if (champ && !champ->hasSelectedText())
                    m_pris();
            }
            break;
        case QEvent::KeyPress:
            return touche(static_cast<QKeyEvent*>(e));
        default:
            break;
        }
        return QObject::eventFilter(objet, e);
    }

private:
    bool touche(const QKeyEvent* e) {
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
            m_touche(13);
            return true;
        }
        // Seules les touches qui donnent un caractère comptent, comme à l'origine.
        if (!e->text().isEmpty())
            m_touche(e->text().at(0).unicode());
        return false;
    }

    std::function<void()> m_pris, m_perdu;
    std::function<void(int)> m_touche;
    bool m_clic_de_prise = false; // le clic qui a donné le focus n'est pas relâché
};

// Pendant la recherche la boucle d'événements tourne : aucune autre
// commande ne doit partir, ni la fenêtre se fermer.
class Occupation {
public:
    Occupation() : m_avant(etat_commande().commande_en_cours) {
        etat_commande().commande_en_cours = true;
    }
    ~Occupation() { etat_commande().commande_en_cours = m_avant; }
    Occupation(const Occupation&) = delete;
    Occupation& operator=(const Occupation&) = delete;

private:
    bool m_avant;
};
} // namespace

void Gestion_Fichiers::connecter_chemins() {
    Chemin_srce->installEventFilter(new FiltreChemin(
        this, [this] { Chemin_srce_GotFocus(); }, [this] { Chemin_srce_LostFocus(); },
        [this](int t) { Chemin_srce_KeyPress(t); }));
    Chemin_dest->installEventFilter(new FiltreChemin(
        this, [this] { Chemin_dest_GotFocus(); }, [this] { Chemin_dest_LostFocus(); },
        [this](int t) { Chemin_dest_KeyPress(t); }));
}

void Gestion_Fichiers::Chemin_srce_GotFocus() {
    Chemin_srce->setSelection(0, int(Chemin_srce->text().size()));
}

void Gestion_Fichiers::Chemin_srce_LostFocus() {
    Chemin_srce->deselect();
}

void Gestion_Fichiers::Chemin_dest_GotFocus() {
    Chemin_dest->setSelection(0, int(Chemin_dest->text().size()));
}

void Gestion_Fichiers::Chemin_dest_LostFocus() {
    Chemin_dest->deselect();
}

void Gestion_Fichiers::Chemin_srce_KeyPress(int touche) {
    saisir_chemin(cadre(true), touche);
}

void Gestion_Fichiers::Chemin_dest_KeyPress(int touche) {
    saisir_chemin(cadre(false), touche);
}

// Un chemin refusé reste dans le champ, tout sélectionné, pour être corrigé.
void Gestion_Fichiers::saisir_chemin(const Cadre& c, int touche) {
    EtatCommande& etat = etat_commande();
    if (etat.commande_en_cours)
        return;
    const QString commande = nom_chemin(c.source);
    etat.commande_courante = commande;
    if (touche != 13)
        return;
    // Rien n'est changé sur le disque jusqu'au retour au repos : chaque
    // liste de fichiers n'est lue qu'une fois, quelles que soient les étapes
    // (répertoire, motif, relecture finale) qui la redemandent.
    const plateforme::ListeFichiers::LectureUnique lecture_srce(Fichier_srce);
    const plateforme::ListeFichiers::LectureUnique lecture_dest(Fichier_dest);
    const plateforme::ListeRepertoires::LectureUnique repertoires(c.repertoire);
    if (aller_au_chemin_saisi(c, commande)) {
        c.fichier->setFocus();
    } else {
        replier(c);
        c.chemin->selectAll();
    }
    Rafraichir_affichage();
}

bool Gestion_Fichiers::aller_au_chemin_saisi(const Cadre& c, const QString& commande) {
    for (;;) {
        try {
            c.repertoire->setPath(c.chemin->text());
            return true;
        } catch (const ErreurExecution& e) {
            if (e.numero() != plateforme::ERR_CHEMIN_INTROUVABLE) {
                if (signaler_erreur(commande, c.chemin->text(), e) != plateforme::REP_REESSAYER)
                    return false;
                continue;
            }
        }
        // Chemin introuvable : le texte est pris pour un nom de répertoire.
        QString trouve;
        if (!chercher_nom_saisi(c, commande, trouve))
            return false;
        c.chemin->setText(trouve);
    }
}

// Les répertoires du nom tapé sont proposés l'un après l'autre, en cercle.
bool Gestion_Fichiers::chercher_nom_saisi(const Cadre& c, const QString& commande,
                                          QString& trouve) {
    const Occupation occupation;
    tampon_nom = c.chemin->text();
    const QString unite = c.repertoire->path().left(2);
    bool continuer = false;
    for (;;) {
        bool present = false;
        try {
            Trouver_repertoire(unite, continuer, present);
        } catch (const ErreurExecution& e) {
            if (signaler_erreur(commande, unite, e) == plateforme::REP_REESSAYER)
                continue;
            return false;
        }
        if (present) {
            plateforme::dialogues().bip();
            const int reponse = plateforme::dialogues().message(
                Liste_rép.at(index_partagé) + CR + CR + u"Est-ce le chemin que vous désirez ?"_s,
                plateforme::MB_OUI_NON_ANNULER + plateforme::MB_QUESTION, commande);
            etat_commande().réponse_de_commande = reponse;
            if (reponse == plateforme::REP_OUI) {
                trouve = Liste_rép.at(index_partagé);
                return true;
            }
            if (reponse != plateforme::REP_NON)
                return false;
            continuer = true;
        } else if (continuer) {
            continuer = false;
        } else {
            plateforme::dialogues().bip();
            plateforme::dialogues().message(u"Chemin ou nom de répertoire incorrect."_s,
                                            plateforme::MB_EXCLAMATION,
                                            u"Gestionnaire de fichiers"_s);
            return false;
        }
    }
}

void Gestion_Fichiers::Trouver_repertoire(const QString& unite, bool continuer, bool& trouve) {
    curseur_sablier();
    trouve = false;
    if (!continuer) {
        if (liste_rep_périmée[LISTE_REP] || Liste_rép.isEmpty() ||
            !Liste_rép.first().startsWith(unite, Qt::CaseInsensitive))
            construire_liste_rep(unite);
        début_recherche = 0;
    }
    // Pas de tampon à longueur fixe ici : le nom tapé est pris tel quel.
    const QString nom = tampon_nom.toUpper();
    for (int i = début_recherche; i < Liste_rép.size(); ++i) {
        if (plateforme::dernier_composant(Liste_rép.at(i)).toUpper() == nom) {
            trouve = true;
            index_partagé = i;
            début_recherche = i + 1;
            break;
        }
    }
    curseur_normal();
}

// Tous les répertoires du disque, en largeur, la racine d'abord ; la boucle
// d'événements tourne après chaque répertoire.
void Gestion_Fichiers::construire_liste_rep(const QString& unite) {
    construire_arbre(unite, [](const QString&) {
        QCoreApplication::processEvents();
        return true;
    });
}

// Un seul arbre pour le nom tapé et pour CHERCHER : la même lecture garde
// aussi les fichiers de chaque répertoire. Interrompu, il reste périmé.
bool Gestion_Fichiers::construire_arbre(const QString& unite,
                                        const std::function<bool(const QString&)>& suivi) {
    Liste_rép.clear();
    contenus_rép.clear();
    liste_rep_périmée[0] = liste_rep_périmée[1] = true;
    plateforme::OptionsParcours options;
    options.avec_fichiers = true;
    options.continuer = suivi;
    plateforme::ResultatParcours r =
        plateforme::parcourir_repertoires(unite.left(2) + u"\\"_s, options);
    Liste_rép = std::move(r.repertoires);
    contenus_rép = std::move(r.contenus);
    liste_rep_périmée[0] = liste_rep_périmée[1] = !r.complet;
    return r.complet;
}
