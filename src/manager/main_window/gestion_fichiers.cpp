#include "manager/main_window/gestion_fichiers.h"
#include "manager/common/fenetre_principale.h"
#include "manager/main_window/placement.h"
#include <QApplication>
#include <QSessionManager>

using namespace Qt::StringLiterals;

namespace {
// Colonnes et rangées de la fenêtre, en twips.
constexpr int CADRE_LARGEUR = 3840;
constexpr int CADRE_HAUT = 540;
constexpr int CADRE_HAUTEUR = 5400;
constexpr int GAUCHE_SRCE = 120;
constexpr int GAUCHE_COMMANDES = 4080;
constexpr int LARGEUR_COMMANDES = 1920;
constexpr int GAUCHE_DEST = 6120;
constexpr int HAUTEUR_BOUTON = 330;
constexpr int PAS_BOUTON = 360;
constexpr int RANGEE_PROGRAMMABLES = 6030;
constexpr int RANGEE_MESSAGE = 6450;
constexpr int RANGEE_BAS = 6900;
} // namespace

Gestion_Fichiers::Gestion_Fichiers(QWidget* parent) : QWidget(parent) {
    setObjectName(u"Gestion_Fichiers"_s);
    setWindowTitle(u"Gestionnaire de fichiers  (Mode fichier)   "_s);
    setFixedSize(plateforme::twips_vers_pixels_x(LARGEUR),
                 plateforme::twips_vers_pixels_y(HAUTEUR));
    construire_cadres();
    construire_commandes();
    construire_boutons_programmables();
    construire_progression();
    construire_lignes();
    connecter_panneaux();
    connecter_selection();
    connecter_copie();
    connecter_effacement();
    connecter_repertoires();
    connecter_glisser_deposer();
    connecter_infos();
    connecter_recherche();
    connecter_configuration();
    connecter_options();
    connecter_impression();
    connecter_lancements();
    connecter_boutons();
    connecter_aide();
    connecter_clavier();
    connecter_menu_contextuel();
    definir_fenetre_principale(this);
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { m_fin_de_session = true; });
}

Gestion_Fichiers::~Gestion_Fichiers() {
    debrancher_aide();
    debrancher_ligne_commande();
}

QPushButton* Gestion_Fichiers::bouton(const QString& legende, int gauche, int haut, int largeur) {
    auto* b = new QPushButton(legende, this);
    placer(b, gauche, haut, largeur, HAUTEUR_BOUTON);
    return b;
}

void Gestion_Fichiers::construire_cadre(QFrame*& cadre, QLabel*& titre,
                                        plateforme::ListeUnites*& unite, QLineEdit*& chemin,
                                        plateforme::ListeRepertoires*& repertoire,
                                        plateforme::ListeFichiers*& fichier, int gauche,
                                        const QString& legende) {
    cadre = new QFrame(this);
    cadre->setFrameShape(QFrame::Box);
    cadre->setAutoFillBackground(true);
    placer(cadre, gauche, CADRE_HAUT, CADRE_LARGEUR, CADRE_HAUTEUR);
    titre = new QLabel(legende, cadre);
    titre->setAlignment(Qt::AlignCenter);
    titre->setAutoFillBackground(true);
    placer(titre, 120, 60, CADRE_LARGEUR - 240, 240);
    unite = new plateforme::ListeUnites(cadre);
    placer(unite, 120, 360, CADRE_LARGEUR - 240, 330);
    chemin = new QLineEdit(cadre);
    placer(chemin, 120, 750, CADRE_LARGEUR - 240, 300);
    repertoire = new plateforme::ListeRepertoires(cadre);
    placer(repertoire, 120, 1110, CADRE_LARGEUR - 240, 1800);
    fichier = new plateforme::ListeFichiers(cadre);
    placer(fichier, 120, 2970, CADRE_LARGEUR - 240, CADRE_HAUTEUR - 3090);
}

void Gestion_Fichiers::construire_cadres() {
    construire_cadre(Cadre_srce, Titre_srce, Unité_srce, Chemin_srce, Répertoire_srce, Fichier_srce,
                     GAUCHE_SRCE, u"SOURCE"_s);
    construire_cadre(Cadre_dest, Titre_dest, Unité_dest, Chemin_dest, Répertoire_dest, Fichier_dest,
                     GAUCHE_DEST, u"DESTINATION"_s);
    Fichier_srce->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Fichier_dest->setSelectionMode(QAbstractItemView::NoSelection);
    // Liste des résultats d'une recherche, à la place de la liste SOURCE.
    Fichier_sél = new QListWidget(Cadre_srce);
    Fichier_sél->setGeometry(Fichier_srce->geometry());
    Fichier_sél->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Des milliers de chemins d'une ligne : la hauteur de la première vaut pour toutes.
    Fichier_sél->setUniformItemSizes(true);
    Fichier_sél->hide();

    Étiquette_sélection = new QLabel(u"Sélection :"_s, this);
    placer(Étiquette_sélection, 120, 120, 960, 300);
    Sélection_fichiers = new QComboBox(this);
    Sélection_fichiers->setEditable(true);
    Sélection_fichiers->setEditText(u"*.*"_s);
    placer(Sélection_fichiers, 1080, 90, 2880, 330);
    auto* etiquette = new QLabel(u"Commande :"_s, this);
    placer(etiquette, GAUCHE_DEST - 1440, 120, 1380, 300);
    etiquette->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Ligne_commande = new QComboBox(this);
    Ligne_commande->setEditable(true);
    Ligne_commande->setEnabled(false);
    placer(Ligne_commande, GAUCHE_DEST, 90, CADRE_LARGEUR, 330);
}

void Gestion_Fichiers::construire_commandes() {
    const int g = GAUCHE_COMMANDES, l = LARGEUR_COMMANDES;
    int haut = CADRE_HAUT + 60;
    auto suivant = [&haut] {
        const int h = haut;
        haut += PAS_BOUTON;
        return h;
    };
    Copier = bouton(u"&COPIER"_s, g, haut, l);
    Créer = bouton(u" &Créer"_s, g, suivant(), l);
    Déplacer = bouton(u"&DEPLACER"_s, g, suivant(), l);
    Renommer = bouton(u"&Renommer"_s, g, suivant(), l);
    Effacer = bouton(u"&EFFACER"_s, g, haut, l);
    Supprimer = bouton(u"&Supprimer"_s, g, suivant(), l);
    Info = bouton(u"&Infos"_s, g, suivant(), l);
    Exécuter = bouton(u"E&xécuter"_s, g, suivant(), l);
    Editer = bouton(u"Edi&ter"_s, g, suivant(), l);
    Visualiser = bouton(u"&Visualiser"_s, g, suivant(), l);
    Imprimer = bouton(u"Im&primer"_s, g, suivant(), l);
    Chercher = bouton(u"C&HERCHER"_s, g, suivant(), l);
    Mode = bouton(u" &Mode répertoire"_s, g, suivant(), l);
    Sélecte = bouton(u"&Sélectionner tout"_s, g, suivant(), l);
    // Alt+P reste à Imprimer, Alt+O à OPTIONS : chaque lettre a un seul bouton.
    Croiser = bouton(u"<  Perm&uter  >"_s, g, suivant(), l);
    // ARRET prend la place de Permuter pendant une commande.
    Arret = new QPushButton(u"ARRET"_s, this);
    Arret->setGeometry(Croiser->geometry());
    Arret->hide();
    Créer->hide();
    Supprimer->hide();

    const int bas = RANGEE_BAS, largeur = 1500;
    Options = bouton(u"&OPTIONS"_s, 120, bas, largeur);
    Configurer = bouton(u"CONFI&GURER"_s, 1740, bas, largeur);
    Corbeill = bouton(u"Cor&beille"_s, 3360, bas, largeur);
    A_propos = bouton(u"&A propos"_s, 4980, bas, largeur);
    Prompt = bouton(u"I&nvite DOS"_s, 6600, bas, largeur);
    Aide = bouton(u"?"_s, 8220, bas, 420);
    Quitter = bouton(u"&QUITTER"_s, 8760, bas, 1200);

    // Commandes construites plus tard : désactivées, jamais simulées. Chaque
    // sous-système ajoute ses boutons en se branchant.
    commandes_construites = {Mode, Croiser, Quitter, A_propos, Sélecte};
    for (QPushButton* b :
         {Copier, Créer, Déplacer, Renommer, Effacer, Supprimer, Info, Exécuter, Editer, Visualiser,
          Imprimer, Chercher, Options, Configurer, Corbeill, Prompt, Aide})
        b->setEnabled(false);
    connect(Quitter, &QPushButton::clicked, this, [this] { Quitter_Click(); });
    connect(Arret, &QPushButton::clicked, this, [this] { Arret_Click(); });
}

void Gestion_Fichiers::construire_boutons_programmables() {
    for (int i = 1; i <= 7; ++i) {
        Bouton[i] = bouton(QString(), 120 + (i - 1) * 1200, RANGEE_PROGRAMMABLES, 1140);
        Bouton[i]->setObjectName(u"Bouton%1"_s.arg(i));
        Bouton[i]->hide();
        Bouton[i]->setEnabled(false);
    }
    Bouton_suite = bouton(u">>"_s, 8520, RANGEE_PROGRAMMABLES, 480);
    Bouton_suite->hide();
    Bouton_suite->setEnabled(false);
}

void Gestion_Fichiers::construire_progression() {
    Ligne_message = new QLabel(this);
    Ligne_message->setAutoFillBackground(true);
    placer(Ligne_message, 120, RANGEE_MESSAGE, 7320, 330);
    Espace_libre = new QLabel(this);
    Espace_libre->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    placer(Espace_libre, 7560, RANGEE_MESSAGE, 2400, 330);
    En_cours = new QLabel(Cadre_dest);
    En_cours->setAlignment(Qt::AlignCenter);
    En_cours->setAutoFillBackground(true);
    En_cours->setGeometry(Titre_dest->geometry());
    En_cours->hide();
    Jauge = new plateforme::Jauge(this);
    placer(Jauge, GAUCHE_COMMANDES, RANGEE_PROGRAMMABLES - 480, LARGEUR_COMMANDES, 300);
    Jauge->hide();
    Tip = new QLineEdit(this);
    Tip->setReadOnly(true);
    Tip->hide();
}

void Gestion_Fichiers::construire_lignes() {
    // Traits qui encadrent les deux cadres et séparent les rangées.
    const double traits[11][4] = {{60, 480, LARGEUR - 120, 15},
                                  {60, 5980, LARGEUR - 120, 15},
                                  {60, 6420, LARGEUR - 120, 15},
                                  {60, 6840, LARGEUR - 120, 15},
                                  {60, 480, 15, 6360},
                                  {LARGEUR - 75, 480, 15, 6360},
                                  {GAUCHE_COMMANDES - 60, 480, 15, 5500},
                                  {GAUCHE_DEST - 60, 480, 15, 5500},
                                  {GAUCHE_COMMANDES, 5960, LARGEUR_COMMANDES, 15},
                                  {60, 7320, LARGEUR - 120, 15},
                                  {GAUCHE_COMMANDES, 540, LARGEUR_COMMANDES, 15}};
    for (int i = 0; i < 11; ++i) {
        lignes_cadres[i] = new Ligne(this);
        placer(lignes_cadres[i], traits[i][0], traits[i][1], traits[i][2], traits[i][3]);
    }
    // Quatre traits autour de la jauge, visibles seulement avec elle.
    const QRect j = Jauge->geometry().adjusted(-2, -2, 2, 2);
    const QRect cotes[4] = {
        QRect(j.left(), j.top(), j.width(), 1), QRect(j.left(), j.bottom(), j.width(), 1),
        QRect(j.left(), j.top(), 1, j.height()), QRect(j.right(), j.top(), 1, j.height())};
    for (int i = 0; i < 4; ++i) {
        lignes_jauge[i] = new Ligne(this);
        lignes_jauge[i]->setGeometry(cotes[i]);
        lignes_jauge[i]->hide();
    }
    Ligne11 = new Ligne(this);
    placer(Ligne11, GAUCHE_COMMANDES, RANGEE_PROGRAMMABLES - 330, LARGEUR_COMMANDES, 15);
}
