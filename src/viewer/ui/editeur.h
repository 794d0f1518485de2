#pragma once
// Cadre multi-documents du visualiseur : barre d'outils, menus du cadre,
// MORVINE.INI, fichiers récents et tables des documents ouverts.
#include "viewer/core/recherche.h"
#include "viewer/core/types_fichier.h"
#include "viewer/core/vidage.h"
#include "viewer/ui/documents.h"
#include "viewer/ui/fenetre.h"

#include <QMainWindow>
#include <QPixmap>
#include <QPointer>
#include <array>

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QAction;
class Recherche;

namespace morvine {
class BoutonImage;
class FenetreAide;
} // namespace morvine

class Editeur : public QMainWindow {
public:
    explicit Editeur(QWidget* parent = nullptr);
    ~Editeur() override;

    // Démarrage (MDIForm_Load) : configuration, fichiers récents, puis chaque
    // fichier de la liste, abandonnée au premier qui ne s'ouvre pas.
    void MDIForm_Load(const QStringList& fichiers = {});
    // Fichiers transmis par une seconde copie : la fenêtre est rétablie et
    // chaque nom ouvert comme par le dialogue d'ouverture.
    void recevoir_fichiers(const QStringList& noms);

    // Cadre et configuration (editeur.cpp, demarrage.cpp).
    void Afficher_barre_outils(const QString& texte);
    void Enregistrer_configuration();
    void lire_geometrie_cadre();
    void Lire_fichiers_recents();
    void Ajouter_fichier_recent(const QString& nom);
    void Mettre_a_jour_menu_fichiers(const QString& nom);
    void Ouvrir_fichier_dialogue();
    void mnuRecentFile_Click(int index);
    void mnuOptions_Click();
    void mnuOToolbar_Click();
    // Menu Aide : la page de MORVINE dans une fenêtre du programme.
    void mnuHAide_Click();

    // Tables des documents.
    int Trouver_indice_libre() { return tables.Trouver_indice_libre(); }
    bool Reste_des_documents() const { return tables.Reste_des_documents(); }
    morvine::EtatDocument& etat(int indice) { return tables.Etat_document[indice]; }

    // Chargement (chargement.cpp) et documents (nouveau_document.cpp).
    void Charger_fichier(const QString& nom, const QString& type_force);
    void Nouveau_document();

    // Commandes sur la fenêtre active (edition.cpp, enregistrement.cpp,
    // impression.cpp, programme_associe.cpp).
    // Sans fenêtre donnée : la fenêtre active. Ecrire_fichier rend faux quand
    // l'écriture a échoué (le document reste alors modifié).
    void Enregistrer_fichier(const QString& nom, Fenêtre* f = nullptr);
    QString Demander_nom_enregistrement(Fenêtre* f = nullptr);
    bool Ecrire_fichier(const QString& nom, Fenêtre* f = nullptr);
    void Imprimer_document();
    void Couper_texte();
    void Copier_texte();
    void Coller_texte();
    void Programme_associe(const QString& fichier);
    void Convertir_jeu_caracteres(bool vers_ansi, QString& texte);

    // Recherche (recherche_dialogue.cpp).
    void Chercher_texte();
    Recherche* dialogue_recherche();
    QPointer<Recherche> recherche;
    morvine::EtatRecherche etat_recherche;

    // Fenêtres de document.
    Fenêtre* fenetre_active() const;
    Fenêtre* fenetre(int indice) const;
    QList<Fenêtre*> fenetres_ouvertes() const;
    void activer(Fenêtre* fenetre);
    void ranger_icones();
    // Montre les menus de la fenêtre active, ou ceux du cadre sans document.
    void actualiser_menus();
    // Boutons d'édition cachés, Enregistrer grisé (plus aucun document).
    void barre_sans_document();
    // Enregistrer relevé et actif, ou grisé et inactif.
    void bouton_enregistrer(bool actif);
    void boutons_edition(bool visibles);

    // Titre de l'application (titre des boîtes de message).
    QString titre_application;
    QString Chemin_ini;
    QString Police_de_base;
    bool Echec_chargement = false;
    morvine::TablesDocuments tables;
    morvine::DossierVidages vidages;

    // Contrôles du cadre.
    QMdiArea* zone = nullptr;
    QWidget* picToolbar = nullptr;
    morvine::BoutonImage *FileNew, *FileOpen, *Enregistrer, *Imprimer;
    morvine::BoutonImage *Couper, *Copier, *Coller, *Appel;
    QPixmap EnregistrerGd;
    QMenu *mnuFile, *mnuOptions;
    QAction *mnuFNew, *mnuFOpen, *mnuFExit, *mnuOToolbar, *mnuOConf;
    // Dernier menu de la barre, avec ou sans document.
    QMenu* mnuHelp;
    QAction* mnuHAide;
    QPointer<morvine::FenetreAide> aide;
    std::array<QAction*, 9> mnuRecentFile{}; // 0 : séparateur

protected:
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void construire_zone();
    void construire_barre_outils();
    morvine::BoutonImage* bouton_barre(int dessin, const QString& info);
    void construire_menus();
    void brancher_boutons();
    void sous_fenetre_activee(QMdiSubWindow* sous_fenetre);
    // Légende de la fenêtre active ("" sans document).
    QString legende_active() const;
    // Répertoire DOS d'une légende, d'après le titre de son document.
    QString repertoire_document(const Fenêtre* fenetre) const;
    // Prend une case et sa fenêtre (créée au besoin).
    Fenêtre* fenetre_pour(int indice);
    QString resoudre_hote(const QString& nom, QString* erreur) const;
    void signaler_echec_ouverture(const QString& nom, const QString& erreur);
    // Le corps du chargement, une fois le fichier ouvrable : rend ce qu'il
    // faut dire d'un vidage resté incomplet (vide le plus souvent) ; '*erreur' reçoit la
    // cause d'un refus, avant qu'aucune case ne soit prise.
    QString charger_dans_une_case(const QString& nom, const QString& type_force,
                                  const QString& hote, QString* erreur);
    // Rend la case d'un chargement interrompu (mémoire épuisée).
    void abandonner_chargement();
    QString afficher_selon_type(Fenêtre* f, morvine::Affichage a, const QString& type,
                                const QString& hote, QString texte);
    int m_case_en_chargement = 0;
    // L'usager (ou un signal d'arrêt) a arrêté le chargement en cours.
    bool m_chargement_arrete = false;

    // Document ouvert pendant que le cadre n'était pas actif (fichiers d'une
    // seconde copie) : il redevient le document actif quand le cadre l'est.
    QPointer<QMdiSubWindow> m_a_activer;
};
