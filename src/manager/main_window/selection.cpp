// Sélection des fichiers SOURCE, motifs et ligne d'état, espace libre.
#include "manager/common/cession.h"
#include "manager/common/curseur.h"
#include "manager/common/etat_commande.h"
#include "manager/common/rapport_erreur.h"
#include "manager/main_window/gestion_fichiers.h"
#include "platform/chemins.h"
#include "platform/deux_fils.h"
#include "platform/dialogues.h"
#include "platform/fichiers.h"
#include "platform/formats.h"
#include "platform/unites.h"
#include <QApplication>
#include <QFile>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <algorithm>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;
using plateforme::ErreurExecution;

namespace {

constexpr int TOUCHE_SUPPR = 46;

// Filtre d'événements porté par une fonction (pas de signal à déclarer).
class Filtre : public QObject {
public:
    using Fonction = std::function<bool(QEvent*)>;
    Filtre(QObject* parent, Fonction f) : QObject(parent), m_f(std::move(f)) {}

protected:
    bool eventFilter(QObject*, QEvent* e) override { return m_f(e); }

private:
    Fonction m_f;
};

// Code de touche d'origine : Suppr vaut 46.
int code_touche(int cle_qt) {
    return cle_qt == Qt::Key_Delete ? TOUCHE_SUPPR : cle_qt;
}

// Seuls les déplacements de la saisie comptent : ni l'ouverture de la liste
// déroulante ni une boîte de message qui prend la main.
bool changement_de_champ(const QEvent* e) {
    const auto raison = static_cast<const QFocusEvent*>(e)->reason();
    return raison != Qt::PopupFocusReason && raison != Qt::ActiveWindowFocusReason;
}

// Un trouvé garde son chemin avec la casse du disque : son chemin hôte se
// déduit sans relire chaque répertoire du chemin, ce qui coûtait plus que
// tout le reste pour des milliers de trouvés. Rien quand il ne se voit pas
// ainsi : le décompte ordinaire reprend (et signale l'erreur).
std::optional<qint64> taille_directe(const QString& chemin_reel) {
    if (chemin_reel.size() < 3 || chemin_reel.at(1) != u':' || chemin_reel.at(2) != u'\\')
        return std::nullopt;
    const auto racine = plateforme::TableUnites::instance().repertoire(chemin_reel.at(0));
    if (!racine)
        return std::nullopt;
    QString hote = *racine;
    if (!hote.endsWith(u'/'))
        hote += u'/';
    hote += QStringView(chemin_reel).mid(3).toString().replace(u'\\', u'/');
    struct stat st;
    if (::stat(QFile::encodeName(hote).constData(), &st) != 0)
        return std::nullopt;
    return S_ISDIR(st.st_mode) ? 0 : qint64(st.st_size);
}

// Le répertoire de la liste ouvert une fois : la taille de chacun de ses
// noms (nom exact sur le disque) est lue relativement à lui, sans refaire le
// chemin DOS ni celui de l'hôte. Rien pour un nom qui n'y est plus : le
// décompte ordinaire le reprend, et le signale.
class DossierOuvert {
public:
    explicit DossierOuvert(const QString& chemin_dos) {
        try {
            // O_PATH : le répertoire n'est pas lu, seulement tenu pour fstatat.
            m_fd = ::open(QFile::encodeName(plateforme::dos_vers_hote(chemin_dos)).constData(),
                          O_PATH | O_DIRECTORY | O_CLOEXEC);
        } catch (const ErreurExecution&) {
            m_fd = -1;
        }
    }
    ~DossierOuvert() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    DossierOuvert(const DossierOuvert&) = delete;
    DossierOuvert& operator=(const DossierOuvert&) = delete;

    std::optional<qint64> taille(const QString& nom) const {
        struct stat st;
        if (m_fd < 0 || nom.isEmpty() || nom.contains(u'\\') ||
            ::fstatat(m_fd, QFile::encodeName(nom).constData(), &st, 0) != 0)
            return std::nullopt;
        return S_ISDIR(st.st_mode) ? 0 : qint64(st.st_size);
    }

    // Les tailles de nombreux noms : un appel système chacun, qu'un second
    // fil se partage quand il y en a des milliers.
    std::vector<std::optional<qint64>> tailles(const QStringList& noms) const {
        std::vector<std::optional<qint64>> t(static_cast<size_t>(noms.size()));
        plateforme::en_deux_fils(t.size(), 4096, [&](size_t de, size_t a) {
            for (size_t i = de; i < a; ++i)
                t[i] = taille(noms[qsizetype(i)]);
        });
        return t;
    }

private:
    int m_fd = -1;
};

QString avec_barre(const QString& chemin) {
    return chemin.endsWith(u'\\') ? chemin : chemin + u'\\';
}

} // namespace

// Taille d'un fichier compté ; une erreur est signalée une fois par décompte
// et le fichier compte alors pour 0 octet.
qint64 Gestion_Fichiers::taille_comptée(const QString& chemin, bool& erreur_signalée) {
    EtatCommande& etat = etat_commande();
    for (;;) {
        try {
            return plateforme::longueur(chemin);
        } catch (const ErreurExecution& e) {
            if (erreur_signalée)
                return 0;
            // Le message nomme le fichier compté, pas le fichier courant.
            const QString courant = etat.fichier_courant;
            etat.fichier_courant = chemin.mid(chemin.lastIndexOf(u'\\') + 1);
            etat.réponse_de_commande = 0;
            Rapport_erreur(chemin, e);
            etat.fichier_courant = courant;
            if (etat.réponse_de_commande != plateforme::REP_REESSAYER) {
                erreur_signalée = true;
                return 0;
            }
        }
    }
}

void Gestion_Fichiers::afficher_ligne_etat() {
    if (nombre_sélectionnés <= 0) {
        Ligne_message->clear();
        return;
    }
    const QString s = nombre_sélectionnés >= 2 ? u"s"_s : QString();
    Ligne_message->setText(u"  "_s + plateforme::str_nombre(nombre_sélectionnés) + u" fichier"_s +
                           s + u" sélectionné"_s + s + u", total = "_s +
                           plateforme::format_milliers(taille_sélectionnée) + u" octets."_s);
}

// ---------------------------------------------------------------- motifs

void Gestion_Fichiers::Sélection_fichiers_Change() {
    const QString texte = Sélection_fichiers->currentText();
    try {
        if (marqueur_changement_répertoire == 1) {
            Fichier_srce->setPattern(texte);
            if (texte != u"."_s)
                Fichier_srce_PathChange();
        } else if (marqueur_changement_répertoire == 2) {
            Fichier_dest->setPattern(texte);
        } else if (Sélection_fichiers->findText(texte) < 0) {
            // Le nom d'une sélection vient d'être choisi dans la liste : son
            // motif suit, par Sélection_fichiers_Click.
            appliquer_motif(texte);
        }
    } catch (const ErreurExecution& e) {
        Rapport_erreur(texte, e);
    }
}

void Gestion_Fichiers::appliquer_motif(const QString& texte) {
    const QString motif = texte.isEmpty() ? u"*.*"_s : texte;
    Fichier_srce->setPattern(motif); // un motif refusé ne touche à rien
    Fichier_dest->setPattern(motif);
    motif_mémorisé = motif;
    // Pendant la saisie, le champ vidé garde la main : "*.*" y revient en
    // le quittant (motif mémorisé).
    if (texte.isEmpty() && !Sélection_fichiers->hasFocus()) {
        const QSignalBlocker bloque(Sélection_fichiers);
        Sélection_fichiers->setEditText(motif);
    }
    Fichier_srce_PathChange();
}

void Gestion_Fichiers::Sélection_fichiers_Click() {
    const int i = Sélection_fichiers->currentIndex();
    if (i < 0 || i >= Liste_sel.size())
        return;
    const QString motif = Liste_sel.at(i).isEmpty() ? u"*.*"_s : Liste_sel.at(i);
    {
        const QSignalBlocker bloque(Sélection_fichiers);
        Sélection_fichiers->setEditText(motif);
    }
    // Refusé, le motif n'est pas mémorisé : le quitter rend le précédent.
    try {
        appliquer_motif(motif);
    } catch (const ErreurExecution& e) {
        Rapport_erreur(motif, e);
    }
    Ligne_message->clear();
}

void Gestion_Fichiers::Sélection_fichiers_GotFocus() {
    motif_mémorisé = Sélection_fichiers->currentText();
}

void Gestion_Fichiers::Sélection_fichiers_KeyPress() {
    Ligne_message->clear();
}

void Gestion_Fichiers::Sélection_fichiers_LostFocus() {
    Sélection_fichiers->setEditText(motif_mémorisé);
}

// ------------------------------------------------------ sélection globale

void Gestion_Fichiers::Sélecte_Click() {
    EtatCommande& etat = etat_commande();
    if (etat.commande_en_cours)
        return;
    etat.commande_courante = u"SELECTE"_s;
    if (sélection_totale)
        selectionner_un();
    else
        selectionner_tout();
}

void Gestion_Fichiers::selectionner_tout() {
    sélection_totale = true;
    curseur_sablier();
    Sélecte->setText(u"&Sélectionner un"_s);
    QPalette p = Fichier_srce->palette();
    p.setColor(QPalette::Base, QApplication::palette().color(QPalette::Highlight));
    p.setColor(QPalette::Text, QApplication::palette().color(QPalette::HighlightedText));
    Fichier_srce->setPalette(p);
    {
        // Le compte de toute la liste suit : pas de recompte pour ce vidage.
        const QSignalBlocker bloque(Fichier_srce);
        Fichier_srce->clearSelection();
    }
    for (QPushButton* b : {Editer, Renommer, Exécuter})
        b->setEnabled(false);
    recompter_selection(true);
    etat_commande().curseur = 0; // le pas à pas part de la première entrée
    curseur_normal();
}

// Fin de la sélection globale : bouton, couleurs et commandes d'un fichier.
void Gestion_Fichiers::quitter_selection_totale() {
    sélection_totale = false;
    Sélecte->setText(u"&Sélectionner tout"_s);
    Fichier_srce->setPalette(QApplication::palette());
    // Seules les commandes construites se réactivent, et en mode fichier :
    // le mode répertoire garde les siennes.
    if (!etat_commande().mode_répertoire) {
        for (QPushButton* b : {Editer, Renommer, Exécuter})
            activer_commande(b, true);
    }
}

void Gestion_Fichiers::selectionner_un() {
    quitter_selection_totale();
    EtatCommande& etat = etat_commande();
    if (Fichier_srce->listCount() == 0) {
        Sélecte->setEnabled(false);
        etat.fichier_courant.clear();
        Ligne_message->clear();
        return;
    }
    // Rien de choisi : la première entrée le devient, plutôt que de laisser
    // Sélecte désactivé devant une liste pleine.
    if (Fichier_srce->selectedItems().isEmpty())
        Fichier_srce->setSelected(0, true);
    etat.curseur = 0;
    Fichier_suivant(1);
    bool erreur = false;
    taille_sélectionnée = taille_comptée(etat.chemin_source, erreur);
    nombre_sélectionnés = 1;
    etat.curseur = 0;
    afficher_ligne_etat();
}

// ------------------------------------------------------- listes de fichiers

void Gestion_Fichiers::Fichier_srce_Click() {
    EtatCommande& etat = etat_commande();
    if (etat.commande_en_cours)
        return;
    if (sélection_totale)
        Sélecte_Click();
    etat.commande_courante = u"FICHIER SOURCE"_s;
    taille_sélectionnée = 0;
    nombre_sélectionnés = 0;
    etat.curseur = 0;
    bool erreur = false;
    for (Fichier_suivant(1); etat.fichier_trouvé; Fichier_suivant(1)) {
        taille_sélectionnée += taille_comptée(etat.chemin_source, erreur);
        if (nombre_sélectionnés++ == 0)
            premier_nom = etat.fichier_courant;
    }
    etat.curseur = 0; // la prochaine commande parcourt la sélection depuis le début
    if (nombre_sélectionnés > 0) {
        etat.fichier_courant = premier_nom;
        Chemin_fichier_courant();
    }
    afficher_ligne_etat();
}

// Les commandes ne lisent que la ligne d'état : elle est refaite depuis la
// sélection réelle de la liste, en sélection globale depuis toute la liste.
// Seul le compte change : le parcours en cours (curseur, fichier courant)
// n'est pas touché. Refait par le programme (signaler faux), un fichier
// disparu compte pour 0 octet sans boîte de message.
void Gestion_Fichiers::recompter_selection(bool signaler) {
    taille_sélectionnée = 0;
    nombre_sélectionnés = 0;
    // En mode répertoire, aucun fichier n'est à la disposition des commandes.
    if (etat_commande().mode_répertoire) {
        Ligne_message->clear();
        return;
    }
    bool erreur = !signaler;
    // Le répertoire de la liste, non le champ Chemin_srce que l'usager a pu
    // modifier sans le valider.
    const QString repertoire = avec_barre(Fichier_srce->path());
    QList<int> lignes;
    if (sélection_totale) {
        lignes.reserve(Fichier_srce->listCount());
        for (int i = 0; i < Fichier_srce->listCount(); ++i)
            lignes.append(i);
    } else {
        // Les plages choisies, dans l'ordre des lignes : demander chaque
        // ligne au modèle de sélection le parcourrait en entier chaque fois.
        for (const QItemSelectionRange& plage : Fichier_srce->selectionModel()->selection())
            for (int i = plage.top(); i <= plage.bottom(); ++i)
                lignes.append(i);
        std::sort(lignes.begin(), lignes.end());
        lignes.erase(std::unique(lignes.begin(), lignes.end()), lignes.end());
    }
    QStringList noms;
    noms.reserve(lignes.size());
    for (const int i : lignes)
        noms.append(Fichier_srce->list(i));
    const std::vector<std::optional<qint64>> tailles =
        DossierOuvert(Fichier_srce->path()).tailles(noms);
    // Dans l'ordre des lignes : un nom disparu est signalé à son tour.
    for (qsizetype i = 0; i < noms.size(); ++i) {
        const std::optional<qint64>& taille = tailles[static_cast<size_t>(i)];
        taille_sélectionnée += taille ? *taille : taille_comptée(repertoire + noms[i], erreur);
        ++nombre_sélectionnés;
    }
    afficher_ligne_etat();
}

// Sélection changée par l'usager ou par le programme. Pendant une commande,
// le pas à pas choisit lui-même les entrées et la ligne lue au départ doit
// rester : Rafraichir_affichage refait le compte à la fin. Pendant une
// recherche, la ligne compte les résultats.
void Gestion_Fichiers::suivre_selection_source() {
    const EtatCommande& etat = etat_commande();
    if (etat.commande_en_cours || etat.mode_recherche)
        return;
    recompter_selection(false);
}

QString chemin_entree(const QListWidgetItem* entree) {
    const QVariant reel = entree->data(ROLE_CHEMIN_REEL);
    return reel.isValid() ? reel.toString() : entree->text();
}

void Gestion_Fichiers::Fichier_sél_Click() {
    EtatCommande& etat = etat_commande();
    if (etat.commande_en_cours)
        return;
    taille_sélectionnée = 0;
    nombre_sélectionnés = 0;
    etat.curseur = 0;
    bool erreur = false;
    for (int i = 0; i < Fichier_sél->count(); ++i) {
        if (!Fichier_sél->item(i)->isSelected())
            continue;
        const QListWidgetItem* entree = Fichier_sél->item(i);
        const QString chemin = chemin_entree(entree);
        const std::optional<qint64> directe =
            entree->data(ROLE_CHEMIN_REEL).isValid() ? taille_directe(chemin) : std::nullopt;
        taille_sélectionnée += directe ? *directe : taille_comptée(chemin, erreur);
        ++nombre_sélectionnés;
    }
    afficher_ligne_etat();
}

// Suppr lance EFFACER par son bouton : rien tant que la commande n'est pas
// branchée et activée.
void Gestion_Fichiers::Fichier_srce_KeyDown(int touche) {
    if (touche == TOUCHE_SUPPR)
        Effacer->click();
}

void Gestion_Fichiers::Fichier_sél_KeyDown(int touche) {
    Fichier_srce_KeyDown(touche);
}

void Gestion_Fichiers::Fichier_srce_PathChange() {
    if (Fichier_srce->listCount() > 0 && !etat_commande().mode_répertoire) {
        Sélecte->setEnabled(true);
    } else {
        Sélecte->setEnabled(false);
        Fichier_srce->setPalette(QApplication::palette());
        Ligne_message->clear();
        // Plus rien ne paraît choisi : la sélection globale cesse aussi, sans
        // quoi la liste suivante compterait tout sans le montrer, et le
        // bouton dirait encore « Sélectionner un ». Après une recherche,
        // Sélecte_Click ci-dessous s'en charge.
        if (sélection_totale && !résultats_recherche)
            quitter_selection_totale();
    }
    if (résultats_recherche)
        Sélecte_Click();
}

// --------------------------------------------------------------- espace libre

void Gestion_Fichiers::Afficher_espace_libre() {
    const qint64 libres = espace_libre_de(lieu_espace_libre());
    Espace_libre->setText(plateforme::format_milliers(libres / 1000) + u" Ko libres "_s);
    ceder_a_la_fenetre();
}

// Le répertoire DESTINATION, où iront les fichiers : un répertoire de l'unité
// peut être sur un autre système de fichiers que sa racine (point de montage,
// lien). La racine sert quand la liste n'est pas (encore) sur cette unité.
QString Gestion_Fichiers::lieu_espace_libre() const {
    const QString unite = Unité_dest->drive().left(2);
    const QString repertoire = Répertoire_dest->path();
    return repertoire.left(2).compare(unite, Qt::CaseInsensitive) == 0 ? repertoire
                                                                       : unite + u"\\"_s;
}

// ------------------------------------------------------------- branchements

void Gestion_Fichiers::connecter_selection() {
    // Le champ des motifs n'ajoute rien à sa liste et ne complète pas la
    // saisie avec les noms des sélections.
    Sélection_fichiers->setInsertPolicy(QComboBox::NoInsert);
    Sélection_fichiers->setCompleter(nullptr);
    connect(Sélection_fichiers, &QComboBox::editTextChanged, this,
            [this] { Sélection_fichiers_Change(); });
    connect(Sélection_fichiers, &QComboBox::activated, this,
            [this] { Sélection_fichiers_Click(); });
    Sélection_fichiers->installEventFilter(new Filtre(this, [this](QEvent* e) {
        if (e->type() == QEvent::FocusIn && changement_de_champ(e))
            Sélection_fichiers_GotFocus();
        else if (e->type() == QEvent::FocusOut && changement_de_champ(e))
            Sélection_fichiers_LostFocus();
        else if (e->type() == QEvent::KeyPress)
            Sélection_fichiers_KeyPress();
        return false;
    }));
    connect(Sélecte, &QPushButton::clicked, this, [this] { Sélecte_Click(); });
    connect(Fichier_srce, &plateforme::ListeFichiers::clicked, this,
            [this] { Fichier_srce_Click(); });
    connect(Fichier_srce, &plateforme::ListeFichiers::selectionModifiee, this,
            [this] { suivre_selection_source(); });
    connect(Fichier_srce, &plateforme::ListeFichiers::keyPressed, this,
            [this](int cle) { Fichier_srce_KeyDown(code_touche(cle)); });
    // Une sélection changée par l'usager passe par la liste, qui a la main ;
    // le remplissage par la recherche ne recompte rien.
    connect(Fichier_sél, &QListWidget::itemSelectionChanged, this, [this] {
        if (Fichier_sél->hasFocus())
            Fichier_sél_Click();
    });
    Fichier_sél->installEventFilter(new Filtre(this, [this](QEvent* e) {
        if (e->type() == QEvent::KeyPress)
            Fichier_sél_KeyDown(code_touche(static_cast<QKeyEvent*>(e)->key()));
        return false;
    }));
}
