// Fenêtre Cherche_Fichier : arbre des répertoires de l'unité SOURCE (fait
// une fois et gardé), balayage de leurs fichiers, choix des résultats.
#include "manager/search/cherche_fichier.h"
#include "manager/common/aide_contextuelle.h"
#include "manager/common/curseur.h"
#include "manager/common/etat_commande.h"
#include "manager/common/fenetre_principale.h"
#include "manager/common/rapport_erreur.h"
#include "manager/main_window/gestion_fichiers.h"
#include "manager/main_window/placement.h"
#include "manager/search/moteur_recherche.h"
#include "platform/chemins.h"
#include "platform/dialogues.h"
#include "platform/erreurs.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {
constexpr double LARGEUR = 5520;
constexpr double HAUTEUR = 4920;

// Rendre la main à la boucle d'événements à chaque répertoire coûterait plus
// que la lecture elle-même : au premier, puis toutes les 20 ms, ce qui
// garde la fenêtre aussi vive pour l'usager. Quand un passage par la boucle
// s'allonge (des dizaines de milliers de lignes à tenir à jour), les
// passages s'espacent : ils ne prennent jamais plus du cinquième du temps.
class Cadence {
public:
    bool maintenant() {
        if (m_premier || m_minuterie.elapsed() >= m_intervalle) {
            m_premier = false;
            m_minuterie.start();
            return true;
        }
        return false;
    }
    // À appeler au retour de la boucle d'événements.
    void rendu() { m_intervalle = std::max<qint64>(20, 4 * m_minuterie.elapsed()); }

private:
    bool m_premier = true;
    qint64 m_intervalle = 20;
    QElapsedTimer m_minuterie;
};
} // namespace

Cherche_Fichier::Cherche_Fichier(Gestion_Fichiers* principale, QWidget* parent)
    : QDialog(parent), m_principale(principale) {
    setObjectName(u"Cherche_Fichier"_s);
    setWindowTitle(légende_attente());
    construire();
    setFixedSize(plateforme::twips_vers_pixels_x(LARGEUR),
                 plateforme::twips_vers_pixels_y(HAUTEUR));
}

QString Cherche_Fichier::légende_attente() {
    return u"     Veuillez patienter . . ."_s;
}

void Cherche_Fichier::construire() {
    Libellé1 = new QLabel(u"Fichier(s) recherché(s) :"_s, this);
    Libellé1->setObjectName(u"Libellé1"_s);
    placer(Libellé1, 240, 180, 2160, 300);
    Recherche = new QLabel(this);
    Recherche->setObjectName(u"Recherche"_s);
    placer(Recherche, 2460, 180, 2820, 300);
    Mess_infos = new QLabel(this);
    Mess_infos->setObjectName(u"Mess_infos"_s);
    placer(Mess_infos, 240, 540, 3510, 300);
    Liste_sél = new QListWidget(this);
    Liste_sél->setObjectName(u"Liste_sél"_s);
    Liste_sél->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Liste_sél->setUniformItemSizes(true); // lignes de texte seul : mise en page à bas prix
    placer(Liste_sél, 240, 900, LARGEUR - 480, 3120);
    connect(Liste_sél, &QListWidget::itemSelectionChanged, this, [this] { Liste_sél_Click(); });
    const auto bouton = [this](const QString& nom, const QString& texte, const QString& bulle,
                               double gauche) {
        auto* b = new QPushButton(texte, this);
        b->setObjectName(nom);
        b->setToolTip(bulle);
        b->setAutoDefault(false);
        placer(b, gauche, 4200, 1500, 360);
        return b;
    };
    Ok = bouton(u"Ok"_s, u"&OK"_s, u"valide la sélection"_s, 1080);
    Annule = bouton(u"Annule"_s, u"&Annuler"_s, u"termine la commande"_s, 2940);
    connect(Ok, &QPushButton::clicked, this, [this] { OK_Click(); });
    connect(Annule, &QPushButton::clicked, this, [this] { Annule_Click(); });
    aide::attacher(Liste_sél,
                   u"  Cette fenêtre vous permet de sélectionner le(s) fichier(s) recherché(s) sur "
                   "le(la) disque(tte) 'SOURCE' pour lui(leur) appliquer une commande."_s
                   u" La première recherche sera plus longue que les suivantes pour mémoriser "
                   "l'arborescence du disque courant."_s);
    aide::vider_au_survol(this);
    aide::installer_f1(this);
    aide::tip_sur_liste(Liste_sél);
}

int Cherche_Fichier::executer(const QString& motif_cherche, const QString& motif_exclus) {
    motif = motif_cherche;
    exclus = motif_exclus;
    nombre_rendu = 0;
    taille_rendue = -1;
    recherche_demandée = true;
    exec();
    recherche_demandée = false;
    return nombre_rendu;
}

// La recherche part une fois la fenêtre affichée, pour qu'elle se voie.
void Cherche_Fichier::showEvent(QShowEvent* evenement) {
    QDialog::showEvent(evenement);
    QTimer::singleShot(0, this, [this] { Form_Activate(); });
}

void Cherche_Fichier::reject() {
    Annule_Click();
}

void Cherche_Fichier::Form_Activate() {
    m_principale->Croiser->hide();
    Rechercher();
}

void Cherche_Fichier::Rechercher() {
    if (!recherche_demandée)
        return;
    move(position_dialogue(4350, 430));
    EtatCommande& etat = etat_commande();
    recherche_demandée = false;
    etat.demande_d_arrêt = false;
    m_principale->résultats_recherche = false;
    taille_rendue = -1;
    Ok->hide();
    Ok->setEnabled(false);
    Liste_sél->clear(); // rien d'une recherche arrêtée en route
    Recherche->setText(motif.toUpper());
    const QString unite = m_principale->Unité_srce->drive().left(2);
    const bool arbre_neuf = arbre_a_refaire(unite);
    if (arbre_neuf && !construire_arbre(unite))
        return;
    Mess_infos->setText(u"0 fichier trouvé"_s);
    QCoreApplication::processEvents();
    if (!balayer(unite, arbre_neuf))
        return;
    plateforme::dialogues().bip();
    if (Liste_sél->count() == 0) {
        plateforme::dialogues().message(u"Pas de fichier correspondant à '"_s + motif + u"'"_s +
                                            QChar(13) + u"                  sur le disque "_s +
                                            unite.toUpper(),
                                        plateforme::MB_INFORMATION, etat.commande_courante);
        Annule_Click();
    } else {
        setWindowTitle(u"Sélectionnez le(s) fichier(s)"_s);
        Ok->show();
    }
    m_principale->résultats_recherche = true;
}

// Le même arbre sert au nom tapé dans un cadre : il n'est refait que périmé
// (démarrage, CREER, RENOMMER, SUPPRIMER, construction interrompue) ou
// pour une autre unité.
bool Cherche_Fichier::arbre_a_refaire(const QString& unite) const {
    const Gestion_Fichiers& p = *m_principale;
    return p.liste_rep_périmée[0] || p.liste_rep_périmée[1] || p.Liste_rép.isEmpty() ||
           size_t(p.Liste_rép.size()) != p.contenus_rép.size() ||
           p.Liste_rép.first().left(2).compare(unite, Qt::CaseInsensitive) != 0;
}

bool Cherche_Fichier::construire_arbre(const QString& unite) {
    Cadence cadence;
    const auto suivi = [&](const QString& repertoire) {
        if (cadence.maintenant()) {
            montrer_repertoire(repertoire);
            QCoreApplication::processEvents();
        }
        return !etat_commande().demande_d_arrêt;
    };
    for (;;) {
        try {
            return m_principale->construire_arbre(unite, suivi);
        } catch (const plateforme::ErreurExecution& e) {
            if (!reessayer(unite, e)) {
                finir_sur_erreur();
                return false;
            }
        }
    }
}

bool Cherche_Fichier::balayer(const QString& unite, bool arbre_neuf) {
    recherche::Criteres criteres{motif, exclus, m_principale->Fichier_srce->hiddenShown()};
    recherche::Balayage balayage(m_principale->Liste_rép, m_principale->contenus_rép, criteres,
                                 arbre_neuf);
    Cadence cadence;
    qsizetype montre = 0;
    for (;;) {
        if (etat_commande().demande_d_arrêt)
            return false;
        try {
            if (!balayage.suivant())
                break;
        } catch (const plateforme::ErreurExecution& e) {
            if (reessayer(unite, e))
                continue;
            finir_sur_erreur();
            return false;
        }
        // Les trouvés paraissent pendant la recherche, par lots : ceux
        // arrivés depuis le dernier tour de la boucle d'événements.
        if (cadence.maintenant()) {
            ranger(balayage.trouves(), balayage.tailles(), montre);
            montre = balayage.trouves().size();
            montrer_compte(montre);
            QCoreApplication::processEvents();
            cadence.rendu();
        }
    }
    if (montre != balayage.trouves().size()) {
        ranger(balayage.trouves(), balayage.tailles(), montre);
        montrer_compte(balayage.trouves().size());
    }
    return true;
}

// Place dans Liste_sél les trouvés à partir de 'depuis', montrés tels
// qu'ils sont sur le disque et rangés par leur forme en minuscules (puis par
// le chemin réel, pour deux noms qui ne diffèrent que par la casse).
// Les nouveaux qui vont au même endroit entrent d'un bloc : une insertion
// par trouvé ferait refaire la mise en page de la liste autant de fois.
void Cherche_Fichier::ranger(const QStringList& trouves, const std::vector<qint64>& tailles,
                             qsizetype depuis) {
    std::vector<Cle> nouveaux;
    nouveaux.reserve(size_t(trouves.size() - depuis));
    for (qsizetype i = depuis; i < trouves.size(); ++i)
        nouveaux.push_back({trouves.at(i).toLower(), trouves.at(i),
                            size_t(i) < tailles.size() ? tailles[size_t(i)] : -1});
    std::sort(nouveaux.begin(), nouveaux.end());
    // Les clés des lignes, gardées à côté : les recalculer à chaque
    // comparaison coûterait plus que le reste (liste vidée ailleurs : refaites).
    if (m_cles.size() != size_t(Liste_sél->count())) {
        m_cles.clear();
        for (int i = 0; i < Liste_sél->count(); ++i) {
            const QString reel = Liste_sél->item(i)->data(ROLE_CHEMIN_REEL).toString();
            m_cles.push_back({reel.toLower(), reel, -1});
        }
    }
    // Les nouveaux étant triés, chacun se cherche après la place du précédent.
    size_t debut = 0;
    for (size_t k = 0; k < nouveaux.size();) {
        debut =
            size_t(std::lower_bound(m_cles.begin() + qsizetype(debut), m_cles.end(), nouveaux[k]) -
                   m_cles.begin());
        // Le bloc : les suivants qui passent encore avant la ligne trouvée.
        size_t bout = k + 1;
        if (debut < m_cles.size()) {
            while (bout < nouveaux.size() && nouveaux[bout] < m_cles[debut])
                ++bout;
        } else {
            bout = nouveaux.size();
        }
        QStringList textes;
        textes.reserve(qsizetype(bout - k));
        for (size_t j = k; j < bout; ++j)
            textes.append(plateforme::chemin_montre(nouveaux[j].reel));
        Liste_sél->insertItems(int(debut), textes);
        {
            // Le chemin réel n'est pas montré : aucune vue n'a à l'apprendre.
            const QSignalBlocker silence(Liste_sél->model());
            for (size_t j = k; j < bout; ++j)
                Liste_sél->item(int(debut + j - k))->setData(ROLE_CHEMIN_REEL, nouveaux[j].reel);
        }
        m_cles.insert(m_cles.begin() + qsizetype(debut),
                      std::make_move_iterator(nouveaux.begin() + qsizetype(k)),
                      std::make_move_iterator(nouveaux.begin() + qsizetype(bout)));
        debut += bout - k;
        k = bout;
    }
}

void Cherche_Fichier::montrer_repertoire(const QString& repertoire) {
    m_principale->texte_partagé = repertoire;
    m_principale->Raccourcir_chemin(this, 3510);
    Mess_infos->setText(m_principale->texte_partagé);
}

// " 1 fichier trouvé", " 2 fichiers trouvés" ; rien de plus avant le premier.
void Cherche_Fichier::montrer_compte(qsizetype nombre) {
    if (nombre == 0)
        return;
    const QString s = nombre > 1 ? u"s"_s : QString();
    Mess_infos->setText(u" "_s + QString::number(nombre) + u" fichier"_s + s + u" trouvé"_s + s);
}

bool Cherche_Fichier::reessayer(const QString& unite, const plateforme::ErreurExecution& erreur) {
    EtatCommande& etat = etat_commande();
    etat.réponse_de_commande = 0;
    Rapport_erreur(unite, erreur);
    return etat.réponse_de_commande == plateforme::REP_REESSAYER;
}

// Sans reprise : rien n'est rendu, la recherche est finie.
void Cherche_Fichier::finir_sur_erreur() {
    nombre_rendu = 0;
    Liste_sél->clear();
    fermer();
    m_principale->résultats_recherche = true;
}

void Cherche_Fichier::Liste_sél_Click() {
    Ok->setEnabled(true);
}

std::vector<bool> lignes_choisies(const QListWidget* liste) {
    const int total = liste->count();
    std::vector<bool> choisie(size_t(total), false);
    for (const QItemSelectionRange& plage : liste->selectionModel()->selection())
        for (int i = std::max(plage.top(), 0); i <= plage.bottom() && i < total; ++i)
            choisie[size_t(i)] = true;
    return choisie;
}

void Cherche_Fichier::OK_Click() {
    curseur_sablier();
    nombre_rendu = 0;
    taille_rendue = 0;
    QListWidget* sel = m_principale->Fichier_sél;
    sel->clear();
    const int total = Liste_sél->count();
    const std::vector<bool> choisie = lignes_choisies(Liste_sél);
    const bool cles_a_jour = m_cles.size() == size_t(total);
    // D'un bloc, comme dans Liste_sél : des milliers de trouvés choisis.
    QStringList textes;
    QStringList reels;
    for (int i = 0; i < total; ++i) {
        if (!choisie[size_t(i)])
            continue;
        const QListWidgetItem* e = Liste_sél->item(i);
        textes.append(e->text());
        reels.append(cles_a_jour ? m_cles[size_t(i)].reel : e->data(ROLE_CHEMIN_REEL).toString());
        const qint64 taille = cles_a_jour ? m_cles[size_t(i)].taille : -1;
        taille_rendue = taille < 0 || taille_rendue < 0 ? -1 : taille_rendue + taille;
    }
    sel->addItems(textes);
    {
        const QSignalBlocker silence(sel->model());
        for (int i = 0; i < sel->count(); ++i)
            sel->item(i)->setData(ROLE_CHEMIN_REEL, reels.at(i));
    }
    nombre_rendu = int(textes.size());
    Liste_sél->clear();
    fermer();
}

void Cherche_Fichier::Annule_Click() {
    etat_commande().demande_d_arrêt = true;
    nombre_rendu = 0;
    Liste_sél->clear();
    m_principale->Fichier_sél->hide();
    fermer();
}

void Cherche_Fichier::fermer() {
    aide::fenetre_fermee();
    hide();
    setWindowTitle(légende_attente());
}
