#pragma once
// Fenêtre principale du gestionnaire de fichiers, de taille fixe.
#include "manager/main_window/ligne.h"
#include "platform/controles.h"
#include "platform/fichiers.h"
#include "platform/parcours.h"
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>

class Apropos;
class Cde_Chercher;
class QMenu;
class QListWidgetItem;

// Un résultat de recherche garde son chemin réel sous ce rôle : le texte
// montré n'est pas le chemin à ouvrir (lettre d'unité en minuscule).
inline constexpr int ROLE_CHEMIN_REEL = Qt::UserRole;
// Chemin réel d'une entrée de la liste de sélection, sinon son texte.
QString chemin_entree(const QListWidgetItem* entree);
namespace copie {
struct Rappels;
enum class Fin;
} // namespace copie
namespace plateforme {
class ErreurExecution;
class TravailImpression;
} // namespace plateforme

class Gestion_Fichiers : public QWidget {
public:
    explicit Gestion_Fichiers(QWidget* parent = nullptr);
    ~Gestion_Fichiers() override;

    // Taille de conception, en twips.
    static constexpr int LARGEUR = 10080;
    static constexpr int HAUTEUR = 7440;

    // Initialisation, dans l'ordre d'origine ; 'premiere_copie' est faux
    // quand une autre copie tourne déjà (la fenêtre se ferme sans rien dire).
    void Form_Load(bool premiere_copie = true);
    void Rafraichir_affichage();
    void Appliquer_couleurs(int& schema);
    void Chemin_fichier_courant();
    void Afficher_espace_libre();
    void Fichier_srce_PathChange();
    void Form_Resize();
    void Quitter_Click();
    void Arret_Click();

    // Cadres SOURCE et DESTINATION (panneaux.cpp, chemins_saisis.cpp).
    void Unité_srce_Change();
    void Unité_dest_Change();
    void Unité_srce_KeyPress(int touche);
    void Unité_dest_KeyPress(int touche);
    void Répertoire_srce_Click();
    void Répertoire_srce_Change();
    void Répertoire_dest_Click();
    void Répertoire_dest_Change();
    void Fichier_srce_MouseDown();
    void Fichier_dest_Click();
    void Chemin_srce_GotFocus();
    void Chemin_srce_LostFocus();
    void Chemin_srce_KeyPress(int touche);
    void Chemin_dest_GotFocus();
    void Chemin_dest_LostFocus();
    void Chemin_dest_KeyPress(int touche);
    void Mode_Click();
    void Croiser_Click();
    // Cherche un nom de répertoire sur tout le disque (Liste_rép).
    void Trouver_repertoire(const QString& unite, bool continuer, bool& trouve);
    void Chemin_destination();
    // Raccourcit texte_partagé pour qu'il tienne dans 'largeur' twips.
    void Raccourcir_chemin(QWidget* fenetre, double largeur);

    // Sélection des fichiers et ligne d'état (selection.cpp).
    void Sélection_fichiers_Change();
    void Sélection_fichiers_Click();
    void Sélection_fichiers_GotFocus();
    void Sélection_fichiers_KeyPress();
    void Sélection_fichiers_LostFocus();
    void Sélecte_Click();
    void Fichier_srce_Click();
    void Fichier_sél_Click();
    void Fichier_srce_KeyDown(int touche);
    void Fichier_sél_KeyDown(int touche);

    // Cadre commun des commandes (commands/cadre_commande.cpp).
    bool Debut_commande();
    void Signaler_aucune_selection();
    void Fichier_suivant(int direction);
    void Fichier_suivant_pas_a_pas(int direction);
    void Confirmer_commande();

    // --- Copie et déplacement (commands/copier.cpp et voisins) ---
    void Copier_Click();
    void Déplacer_Click();
    void connecter_copie();
    // 'deplacement' : la source sera effacée, la copie va d'abord sur le disque.
    void Copier_fichier(bool deplacement = false);
    // toujours : même sans l'option ; 'repertoire' : celui où est le fichier
    // (vide : DESTINATION).
    void Confirmer_remplacement(bool toujours = false, const QString& repertoire = {});
    void Afficher_en_cours();
    bool Verifier_place_destination();

private:
    // Une itération de chaque commande ; faux quand la commande finit.
    bool copier_fichier_choisi();
    bool deplacer_fichier_choisi(bool& premier);
    bool nom_de_copie_demande();
    bool renommer_dans_l_unite();
    bool deplacer_entre_systemes();
    copie::Rappels rappels_de_copie();
    // Étape sur le disque, refaite tant que le rapport d'erreur dit Réessayer.
    bool etape_copie(const std::function<void()>& etape);
    void montrer_jauge(bool visible);
    void rafraichir_apres_copie();
    void recaler_parcours();
    bool copie_complete = false;
    // Les répertoires du DEPLACER en cours, ouverts une fois pour tous ses fichiers.
    plateforme::Renommages* renommages = nullptr;

public:
    // --- fin copie ---

    // --- Répertoires entiers et glisser-déposer (commands/copier_repertoire.cpp,
    // main_window/glisser_deposer.cpp) ---
    // Le répertoire sous le curseur de Répertoire_srce (ou 'chemin'), avec
    // tout ce qu'il contient, copié ou déplacé dans le répertoire DESTINATION.
    void Copier_repertoire(const QString& chemin = {});
    void Deplacer_repertoire(const QString& chemin = {});
    // Fichiers ou répertoires de l'hôte déposés depuis un autre programme :
    // copiés dans le répertoire du cadre SOURCE ou DESTINATION.
    void Deposer_fichiers(const QList<QByteArray>& chemins_hote, bool dans_source);
    void connecter_glisser_deposer();

private:
    void transferer_repertoire(const QString& chemin, bool deplacement);
    // Faux si le transfert est refusé (racine, boucle, fichier spécial...).
    bool transfert_admis(const QString& chemin, const QByteArray& source, const QByteArray& cible,
                         bool deplacement);
    // Un élément (répertoire, fichier ou lien de l'hôte) copié ou déplacé
    // sous 'cible', dans le répertoire DOS 'repertoire' ; 'montre' est son
    // nom pour les messages.
    copie::Fin transferer_element(const QByteArray& source, const QByteArray& cible,
                                  const QString& montre, bool deplacement,
                                  const QString& repertoire, bool verifier_place);
    bool etape_dossier(const std::function<void()>& etape);

public:
    // --- fin répertoires entiers ---

    // --- Effacement et fenêtre Corbeille (commands/effacer.cpp, recycle_bin/) ---
    void Effacer_Click();
    void Corbeill_Click();
    void connecter_effacement();
    // Listes de fichiers et espace libre relus après une récupération.
    void relire_apres_corbeille();

private:
    // Vrai quand la commande peut passer au fichier suivant.
    bool effacer_fichier_courant();
    bool ranger_fichier_courant();
    bool refuser_fichier_trop_grand(qint64 taille);
    void garder_parcours_effacement();

public:
    // --- fin effacement ---

    // --- Renommer, créer, supprimer (commands/renommer.cpp et voisins) ---
    void Renommer_Click();
    void Créer_Click();
    void Supprimer_Click();
    void connecter_repertoires();

private:
    void renommer_fichiers();
    void renommer_repertoire();
    // Chemin du répertoire SOURCE raccourci à 'largeur' twips, en capitales.
    QString source_raccourcie(double largeur);
    // Question Oui/Non sur le répertoire SOURCE ; vrai pour Oui.
    bool confirmer_repertoire(const QString& objet, double largeur);
    // Étape sur le disque, refaite tant que le rapport d'erreur dit Réessayer.
    bool etape_disque(const std::function<void()>& etape, const QString& objet);
    bool effacer_fichiers_du_repertoire(const QString& chemin);
    void supprimer_repertoire_vide(const QString& chemin, const QString& parent);
    // Les arbres ont changé : listes complètes périmées, cadres relus ;
    // 'disparu' (renommé ou supprimé) laisse la place à 'parent'.
    void repertoires_changes(const QString& disparu, const QString& parent);

public:
    // --- fin renommer ---

    // --- Boutons programmables et ligne de commande (commands/boutons.cpp) ---
    void Bouton_Click(int Index);
    void Bouton_suite_Click();
    void Prompt_Click();
    void Ligne_commande_KeyDown(int KeyCode);
    void Ligne_commande_LostFocus();
    void connecter_boutons();
    void debrancher_ligne_commande();
    // Boutons remplis par le dernier défilement quand le groupe était incomplet.
    qint16 taille_du_dernier_groupe = 0;

private:
    void lancer_document(const QString& document, const QString& extension);
    void lancer_programme(const QString& cible, const QString& repertoire);
    // Pose le répertoire courant (unité comprise) ; faux après un rapport d'erreur.
    bool aller_au_repertoire_de_travail(const QString& repertoire);
    // Lance la ligne ; un échec va au rapport d'erreur, qui nomme 'programme',
    // sauf un programme introuvable quand 'introuvable' est donné.
    bool lancer_ligne(const QString& ligne, const QString& programme, bool* introuvable = nullptr);
    void executer_ligne_commande(const QString& commande);
    void ajouter_a_l_historique(const QString& commande);
    void finir_commande_sans_rafraichir();
    void connecter_ligne_commande();

public:
    // --- fin boutons ---

    // --- Lancement de programmes (commands/lancer_programmes.cpp) ---
    void Visualiser_Click();
    void Editer_Click();
    void Exécuter_Click();
    void Executer_fichier();
    void Fichier_srce_DblClick();
    void connecter_lancements();

private:
    // Lance 'programme' suivi des fichiers choisis, par lignes de moins de
    // 126 caractères : chemins complets, ou noms dans le répertoire SOURCE.
    void lancer_par_lots(const QString& programme, bool chemins_complets);
    void lancer_un_par_fichier(const QString& programme);
    // Fichier choisi suivant et sa confirmation : 6 pour le lancer, 7 ou 2
    // si l'usager refuse, 0 quand il n'y en a plus.
    int fichier_a_lancer();
    // Pose le répertoire SOURCE puis lance ; faux après un rapport d'erreur.
    bool lancer_dans_source(const QString& ligne);
    void executer_avec_parametres();
    void ouvrir_par_association();
    bool ouvrir_par_le_bureau();

public:
    // --- fin lancement ---

    // --- Impression (commands/imprimer.cpp) ---
    void Imprimer_Click();
    void connecter_impression();
    // Titre de l'application : le bureau le montre comme légende de la
    // fenêtre (barre des tâches). "KALDRON" rend la légende normale.
    void poser_titre_application(const QString& titre);

private:
    // Légende normale, gardée tant qu'un titre d'application la remplace.
    QString légende_hors_titre;
    // Une itération de la commande ; faux quand la commande finit.
    bool imprimer_fichier_choisi();
    // Imprime le fichier courant, un travail ; faux après un rapport d'erreur.
    bool imprimer_fichier_courant();
    void imprimer_lignes(plateforme::FichierOuvert& fichier, qint64 longueur,
                         plateforme::TravailImpression& travail);
    void poser_jauge(int valeur);
    void signaler_impressions_de_repli();
    // Répertoire des fichiers PDF écrits faute d'imprimante pendant la commande.
    QString répertoire_de_repli;

public:
    // --- fin impression ---

    // --- Informations sur les fichiers (commands/info_fichiers.cpp) ---
    void Info_Click();
    void connecter_infos();

private:
    // Nombre et taille totale des fichiers du répertoire SOURCE.
    void resumer_repertoire();

public:
    // --- fin informations ---

    // --- Configuration (configuration/config_kaldron.cpp) ---
    void Configurer_Click();
    void connecter_configuration();
    // --- fin configuration ---

    // --- Options (configuration/choix_options.cpp) ---
    void Options_Click();
    void connecter_options();
    // --- fin options ---

    // --- Recherche sur le disque (search/) ---
    void Chercher_Click();
    void connecter_recherche();
    // Reconstruit Liste_rép (et les fichiers de chaque répertoire) pour
    // l'unité ; 'suivi' reçoit chaque répertoire lu, faux interrompt.
    // Vrai si l'arbre est complet. Lève 68 si l'unité est absente.
    bool construire_arbre(const QString& unite, const std::function<bool(const QString&)>& suivi);
    // Fichiers de chaque répertoire de Liste_rép, au même index.
    std::vector<plateforme::ContenuRepertoire> contenus_rép;
    // Fenêtre des critères, cachée entre deux recherches.
    Cde_Chercher* cde_chercher = nullptr;
    // --- fin recherche ---

    // --- Aide contextuelle et bulles Tip (main_window/aide_fenetre.cpp) ---
    static constexpr int HAUTEUR_FENETRE_AIDE = 960; // twips, sous la hauteur normale
    void Basculer_aide_contextuelle();
    void Aide_Click();
    void A_propos_Click();
    // Touche vue par la fenêtre avant ses contrôles ; 'focalise' est le
    // contrôle qui a le focus (dans cette fenêtre ou une fenêtre secondaire).
    void Form_KeyDown(int KeyCode, QWidget* focalise = nullptr);
    void Form_MouseMove();
    // Bulle Tip de l'entrée de 'controle' (liste ou champ de chemin) sous la
    // souris, 'position' dans la zone d'affichage du contrôle.
    void Afficher_tip(QWidget* controle, QPoint position);
    void Tip_DblClick();
    void Tip_MouseDown(Qt::MouseButton bouton, Qt::KeyboardModifiers touches);
    void Tip_MouseMove();
    void connecter_aide();
    void debrancher_aide(); // à la destruction, si l'aide est branchée sur cette fenêtre
    QLabel* Fenêtre = nullptr;
    bool mode_aide = false;
    int zone_aide = 0; // twips ajoutés à la hauteur fixe par la zone d'aide
    QString texte_aide;
    QWidget* liste_tip = nullptr; // contrôle auquel Tip appartient
    int index_tip = -1;           // entrée recouverte par Tip

private:
    void ecrire_aide(const QString& texte);
    int hauteur_zone_aide(int pixels) const;
    int zone_aide_voulue();
    void placer_zone_aide();
    void cliquer_entree_tip(QListWidget* liste, Qt::KeyboardModifiers touches);

public:
    // --- fin aide ---

    // --- Clavier et menu contextuel (main_window/clavier.cpp, menu_contextuel.cpp) ---
    void connecter_clavier();
    void connecter_menu_contextuel();
    // Bouton de commande qu'une touche de fonction clique dans le mode en
    // cours (nullptr si la touche n'a pas de commande dans ce mode).
    QPushButton* bouton_de_touche(int cle) const;
    // Touche de fonction : le bouton est cliqué s'il est montré et actif,
    // sinon un bip ; la commande garde ainsi toutes ses règles.
    void Touche_commande(int cle);
    // Ctrl+R : les deux cadres relus sur le disque, sélection gardée.
    void Relire_cadres();
    // Retour arrière : le cadre remonte au répertoire parent.
    void Remonter_cadre(bool source);
    // Ctrl+Tab : le focus passe d'une liste de fichiers à l'autre.
    void Basculer_listes();
    // Entrée sur une liste de fichiers SOURCE : vaut un double clic.
    void Entree_fichier(QListWidget* liste);
    // Bulle d'un bouton, avec sa touche quand il en a une.
    QString bulle_avec_touche(const QPushButton* b) const;
    // Menu du bouton droit sur 'liste' ; les commandes de la sélection y
    // sont ajoutées par ajouter_commandes_menu. Le menu appartient à l'appelant.
    QMenu* construire_menu_contextuel(QWidget* liste);
    void Menu_contextuel(QWidget* liste, QPoint position);

private:
    // Entrées du menu propres à chaque liste : c'est ici qu'une nouvelle
    // commande du menu prend place.
    void ajouter_commandes_menu(QMenu* menu, QWidget* liste);
    void ajouter_au_menu(QMenu* menu, QPushButton* b, const QString& touche,
                         const QString& legende = {});
    void ajouter_repertoire_entier(QMenu* menu, bool touches);
    QString répertoire_visé; // entrée de Répertoire_srce sous le bouton droit

public:
    // --- fin clavier ---

    // Boutons dont la commande existe ; les autres restent désactivés.
    QSet<const QPushButton*> commandes_construites;

    // Heure de départ (secondes monotones) posée par Apropos ; 0 sinon.
    double heure_depart = 0;
    // Lancé sur un répertoire : les listes y restent, quel que soit le répertoire initial.
    bool ouvrir_au_repertoire_courant = false;
    QPointer<Apropos> apropos;

    // Contrôles, sous leurs noms d'origine.
    QFrame *Cadre_srce, *Cadre_dest;
    QLabel *Titre_srce, *Titre_dest;
    plateforme::ListeUnites *Unité_srce, *Unité_dest;
    plateforme::ListeRepertoires *Répertoire_srce, *Répertoire_dest;
    plateforme::ListeFichiers *Fichier_srce, *Fichier_dest;
    QListWidget* Fichier_sél;
    QLineEdit *Chemin_srce, *Chemin_dest;
    QComboBox* Sélection_fichiers;
    QStringList Liste_sel;
    QComboBox* Ligne_commande;
    std::array<QPushButton*, 8> Bouton{}; // indices 1 à 7
    QPushButton* Bouton_suite;
    QPushButton *Copier, *Déplacer, *Renommer, *Effacer, *Créer, *Supprimer, *Info;
    QPushButton *Exécuter, *Editer, *Visualiser, *Imprimer, *Chercher;
    QPushButton *Mode, *Sélecte, *Croiser, *Quitter, *Arret;
    QPushButton *Corbeill, *Options, *Configurer, *Aide, *A_propos, *Prompt;
    QLabel *Ligne_message, *Espace_libre, *En_cours, *Étiquette_sélection;
    plateforme::Jauge* Jauge;
    QLineEdit* Tip;
    std::array<Ligne*, 11> lignes_cadres{};
    std::array<Ligne*, 4> lignes_jauge{}; // Ligne12 à Ligne15
    Ligne* Ligne11;

    // État de la fenêtre.
    int hauteur_fixe = 0; // twips
    int largeur_fixe = 0;
    QString légende_sauvée;
    int compteur_boutons = 1;
    bool liste_rep_périmée[2] = {false, false};
    QString motif_mémorisé = QStringLiteral("*.*");
    bool drapeau_tip = false;
    int marqueur_changement_répertoire = 0; // 1 SOURCE, 2 DESTINATION
    QString texte_partagé;                  // motif gardé, chemin à raccourcir
    QString tampon_nom;                     // nom de répertoire tapé
    QStringList Liste_rép;                  // tous les répertoires d'un disque
    int index_partagé = 0;
    int début_recherche = 0;
    bool sélection_totale = false; // Sélecte : toute la liste compte
    qint64 taille_sélectionnée = 0;
    int nombre_sélectionnés = 0;
    QString premier_nom;
    bool résultats_recherche = false; // une recherche vient de finir avec des résultats
    // Espace libre d'une unité en octets (remplaçable par les essais).
    std::function<qint64(const QString&)> espace_libre_de = plateforme::espace_libre;

protected:
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    // Construction des contrôles, par petites étapes.
    void construire_cadres();
    void construire_cadre(QFrame*& cadre, QLabel*& titre, plateforme::ListeUnites*& unite,
                          QLineEdit*& chemin, plateforme::ListeRepertoires*& repertoire,
                          plateforme::ListeFichiers*& fichier, int gauche, const QString& legende);
    void construire_commandes();
    void construire_boutons_programmables();
    void construire_progression();
    void construire_lignes();
    // Branchement des événements de chaque sous-système.
    void connecter_panneaux();
    void connecter_selection();
    QPushButton* bouton(const QString& legende, int gauche, int haut, int largeur);

    // Étapes de Form_Load.
    bool executer_etape(int etape);
    void etape_positionner();
    void etape_chemins();
    void etape_corbeille();
    void etape_repertoire(bool racine);
    void aller_racine();
    void aller_repertoire(const QString& valeur);
    void etape_selections();
    void etape_boutons();
    void attendre_apropos();
    void afficher_chemins();

    // Sélection et ligne d'état (selection.cpp).
    void appliquer_motif(const QString& texte);
    void selectionner_tout();
    void selectionner_un();
    void quitter_selection_totale();
    void recompter_selection(bool signaler);
    void suivre_selection_source();
    qint64 taille_comptée(const QString& chemin, bool& erreur_signalée);
    void afficher_ligne_etat();
    // Cadre des commandes (cadre_commande.cpp).
    void completer_chemins_courants();
    bool choisir_mode_effacement();
    QString texte_confirmation() const;

    // Cadres SOURCE et DESTINATION : contrôles de l'un ou de l'autre
    // (panneaux.cpp, chemins_saisis.cpp, mode_croiser.cpp).
    struct Cadre {
        bool source;
        plateforme::ListeUnites* unite;
        plateforme::ListeRepertoires* repertoire;
        plateforme::ListeFichiers* fichier;
        QLineEdit* chemin;
    };
    Cadre cadre(bool source) const;
    // Pose le nom de la commande, passe l'erreur au rapport et rend la réponse
    // (0 quand le rapport n'en demande pas).
    int signaler_erreur(const QString& commande, const QString& objet,
                        const plateforme::ErreurExecution& erreur);
    void changer_unite(const Cadre& c);
    void cliquer_repertoire(const Cadre& c);
    void suivre_repertoire(const Cadre& c);
    bool aller_vers(const Cadre& c, const QString& chemin, const QString& commande);
    void replier(const Cadre& c);
    void relire_fichiers(const Cadre& c);
    void suivre_unite(const Cadre& c);
    void montrer_espace_libre(const QString& commande);
    QString lieu_espace_libre() const;
    void repertoire_inaccessible(const Cadre& c, int numero, const QString& description);
    void relire_avec_motif(int marqueur);
    void connecter_chemins();
    void saisir_chemin(const Cadre& c, int touche);
    bool aller_au_chemin_saisi(const Cadre& c, const QString& commande);
    bool chercher_nom_saisi(const Cadre& c, const QString& commande, QString& trouve);
    void construire_liste_rep(const QString& unite);
    // Commandes déjà construites : les autres restent désactivées.
    bool commande_construite(const QPushButton* b) const;
    void activer_commande(QPushButton* b, bool actif);

    bool m_quitter_accepte = false;
    bool m_fin_de_session = false;
};
