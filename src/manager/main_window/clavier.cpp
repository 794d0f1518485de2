// Clavier de la fenêtre principale : touches de fonction des commandes,
// Entrée et Retour arrière dans les listes, passage d'une liste à l'autre,
// relecture des cadres, et bulles des boutons qui montrent leur touche.
#include "manager/common/etat_commande.h"
#include "manager/main_window/gestion_fichiers.h"
#include "platform/chemins.h"
#include "platform/dialogues.h"
#include "platform/erreurs.h"
#include <QHelpEvent>
#include <QKeyEvent>
#include <QShortcut>
#include <QToolTip>

using namespace Qt::StringLiterals;
using plateforme::ErreurExecution;

namespace {

// Touches de fonction des commandes.
constexpr int TOUCHES[] = {Qt::Key_F2, Qt::Key_F3, Qt::Key_F4, Qt::Key_F5,
                           Qt::Key_F6, Qt::Key_F7, Qt::Key_F8};

// Événements des listes et des boutons utiles au clavier.
class FiltreClavier : public QObject {
public:
    explicit FiltreClavier(Gestion_Fichiers* f) : QObject(f), m_f(f) {
        setObjectName(u"filtre_clavier"_s);
    }

    bool eventFilter(QObject* objet, QEvent* e) override {
        if (e->type() == QEvent::ToolTip)
            return bulle(objet, static_cast<QHelpEvent*>(e));
        if (e->type() != QEvent::KeyPress)
            return false;
        const auto* k = static_cast<QKeyEvent*>(e);
        if (k->modifiers() != Qt::NoModifier && k->modifiers() != Qt::KeypadModifier)
            return false;
        if (k->key() == Qt::Key_Backspace) {
            if (objet == m_f->Répertoire_srce || objet == m_f->Fichier_srce)
                m_f->Remonter_cadre(true);
            else if (objet == m_f->Répertoire_dest || objet == m_f->Fichier_dest)
                m_f->Remonter_cadre(false);
            else
                return false;
            return true;
        }
        if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) &&
            (objet == m_f->Fichier_srce || objet == m_f->Fichier_sél)) {
            // Tenue enfoncée, la touche ne relance pas le fichier à chaque répétition.
            if (!k->isAutoRepeat())
                m_f->Entree_fichier(static_cast<QListWidget*>(objet));
            return true;
        }
        return false;
    }

private:
    bool bulle(QObject* objet, QHelpEvent* e) {
        auto* b = qobject_cast<QPushButton*>(objet);
        if (!b)
            return false;
        const QString texte = m_f->bulle_avec_touche(b);
        if (texte == b->toolTip())
            return false; // bouton sans touche : la bulle ordinaire
        QToolTip::showText(e->globalPos(), texte, b);
        return true;
    }

    Gestion_Fichiers* m_f;
};

QString nom_repertoire(bool source) {
    return source ? u"REPERT. SOURCE"_s : u"REPERT. DESTINATION"_s;
}

} // namespace

void Gestion_Fichiers::connecter_clavier() {
    // Les touches valent pour toute la fenêtre, pas pour ses fenêtres
    // secondaires : une boîte ouverte ne les reçoit pas.
    for (const int cle : TOUCHES) {
        auto* raccourci = new QShortcut(QKeySequence(cle), this);
        raccourci->setAutoRepeat(false);
        connect(raccourci, &QShortcut::activated, this, [this, cle] { Touche_commande(cle); });
    }
    auto* relire = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this);
    relire->setAutoRepeat(false);
    connect(relire, &QShortcut::activated, this, [this] { Relire_cadres(); });
    // Tab suit l'ordre des contrôles ; Ctrl+Tab va droit à l'autre liste.
    auto* basculer = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    connect(basculer, &QShortcut::activated, this, [this] { Basculer_listes(); });

    auto* filtre = new FiltreClavier(this);
    for (QWidget* w : {static_cast<QWidget*>(Fichier_srce), static_cast<QWidget*>(Fichier_dest),
                       static_cast<QWidget*>(Fichier_sél), static_cast<QWidget*>(Répertoire_srce),
                       static_cast<QWidget*>(Répertoire_dest)})
        w->installEventFilter(filtre);
    for (QPushButton* b :
         {Renommer, Visualiser, Editer, Copier, Déplacer, Créer, Effacer, Supprimer})
        b->installEventFilter(filtre);
}

// F5 et F6 n'ont pas de bouton en mode répertoire (COPIER est caché,
// DEPLACER éteint : Touche_commande les prend) ; F8 y supprime le
// répertoire, toujours après question.
QPushButton* Gestion_Fichiers::bouton_de_touche(int cle) const {
    const bool repertoire = etat_commande().mode_répertoire;
    switch (cle) {
    case Qt::Key_F2:
        return Renommer;
    case Qt::Key_F3:
        return Visualiser;
    case Qt::Key_F4:
        return Editer;
    case Qt::Key_F5:
        return repertoire ? nullptr : Copier;
    case Qt::Key_F6:
        return repertoire ? nullptr : Déplacer;
    case Qt::Key_F7:
        return Créer;
    case Qt::Key_F8:
        return repertoire ? Supprimer : Effacer;
    default:
        return nullptr;
    }
}

void Gestion_Fichiers::Touche_commande(int cle) {
    // En mode répertoire, F5 et F6 copient ou déplacent le répertoire choisi.
    if (etat_commande().mode_répertoire && (cle == Qt::Key_F5 || cle == Qt::Key_F6)) {
        if (etat_commande().commande_en_cours) {
            plateforme::dialogues().bip();
            return;
        }
        Tip->hide();
        if (cle == Qt::Key_F5)
            Copier_repertoire();
        else
            Deplacer_repertoire();
        return;
    }
    QPushButton* b = bouton_de_touche(cle);
    // Le clic du bouton, et lui seul : confirmation, erreurs et sélection
    // globale restent ceux de la commande.
    if (b && !b->isHidden() && b->isEnabled()) {
        Tip->hide();
        b->click();
        return;
    }
    plateforme::dialogues().bip();
}

QString Gestion_Fichiers::bulle_avec_touche(const QPushButton* b) const {
    const std::pair<const QPushButton*, const char16_t*> touches[] = {
        {Renommer, u"F2"}, {Visualiser, u"F3"}, {Editer, u"F4"},  {Copier, u"F5"},
        {Déplacer, u"F6"}, {Créer, u"F7"},      {Effacer, u"F8"}, {Supprimer, u"F8"},
    };
    for (const auto& [bouton, touche] : touches) {
        if (bouton != b)
            continue;
        if (b->toolTip().isEmpty())
            return u"touche "_s + QString::fromUtf16(touche);
        return b->toolTip() + u"  ("_s + QString::fromUtf16(touche) + u')';
    }
    return b->toolTip();
}

void Gestion_Fichiers::Relire_cadres() {
    EtatCommande& etat = etat_commande();
    if (etat.commande_en_cours) {
        plateforme::dialogues().bip();
        return;
    }
    for (const bool source : {true, false}) {
        const Cadre c = cadre(source);
        const QString chemin = c.repertoire->path();
        if (chemin.isEmpty())
            continue;
        // Un répertoire disparu derrière le programme n'est pas une faute :
        // le cadre remonte au plus proche parent qui existe.
        try {
            c.repertoire->setPath(chemin);
            c.fichier->setPath(c.repertoire->path());
        } catch (const ErreurExecution&) {
            replier(c);
        }
        c.chemin->setText(plateforme::chemin_montre(c.repertoire->path()));
    }
    // Des répertoires ont pu naître ou disparaître ailleurs sur le disque.
    liste_rep_périmée[0] = liste_rep_périmée[1] = true;
    recompter_selection(false);
    montrer_espace_libre(nom_repertoire(false));
}

void Gestion_Fichiers::Remonter_cadre(bool source) {
    EtatCommande& etat = etat_commande();
    const Cadre c = cadre(source);
    const QString chemin = c.repertoire->path();
    if (etat.commande_en_cours || chemin.size() <= 3) {
        plateforme::dialogues().bip(); // pendant une commande, ou déjà à la racine
        return;
    }
    const QString parent = plateforme::repertoire_parent(chemin);
    const QString commande = nom_repertoire(source);
    // Le changement de la liste des répertoires fait suivre tout le cadre,
    // comme un double clic sur le parent.
    if (!plateforme::executer_avec_reprise(
            [&] { c.repertoire->setPath(parent); },
            [&](const ErreurExecution& e) { return signaler_erreur(commande, parent, e); }))
        replier(c);
}

void Gestion_Fichiers::Basculer_listes() {
    const QWidget* focalise = focusWidget();
    QListWidget* source =
        Fichier_sél->isHidden() ? static_cast<QListWidget*>(Fichier_srce) : Fichier_sél;
    QListWidget* cible = focalise && Cadre_srce->isAncestorOf(focalise)
                             ? static_cast<QListWidget*>(Fichier_dest)
                             : source;
    cible->setFocus(Qt::ShortcutFocusReason);
}

// Un double clic choisit d'abord l'entrée seule, comme son premier clic.
void Gestion_Fichiers::Entree_fichier(QListWidget* liste) {
    EtatCommande& etat = etat_commande();
    const int rangee = liste->currentRow();
    if (rangee < 0 || etat.commande_en_cours)
        return;
    if (liste == Fichier_srce && etat.mode_répertoire) {
        Fichier_srce_MouseDown(); // refus expliqué, comme pour la souris
        return;
    }
    liste->setCurrentRow(rangee, QItemSelectionModel::ClearAndSelect);
    if (liste == Fichier_srce)
        Fichier_srce_Click();
    else
        Fichier_sél_Click();
    Fichier_srce_DblClick();
}
