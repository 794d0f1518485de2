#pragma once
// Fenêtre de document du visualiseur : texte, vidage, table dBase, texte de
// traitement de texte ou image, avec ses menus (montrés dans la barre du
// cadre quand elle est active).
#include "viewer/ui/documents.h"

#include <QIcon>
#include <QList>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>

class Editeur;
class QAction;
class QLabel;
class QMdiSubWindow;
class QMenu;
class QPlainTextEdit;
class QScrollArea;

namespace morvine {
class ModeleVidage;
class ModeleTableDbase;
class ProducteurVidage;
class VueTable;
class VueVidage;
struct TableDbase;

// Le menu des polices en offre au plus 26, les premières de l'écran.
inline constexpr int NOMBRE_POLICES_MENU = 26;
QStringList polices_menu(const QStringList& familles);
// Touches de Nouveau et Ouvrir, les mêmes dans les menus du cadre et des documents.
void raccourcis_fichier(QAction* nouveau, QAction* ouvrir);
// Élément de la liste des documents du menu Fenêtres : rang (à partir de 1) et légende.
QString element_document(int rang, const QString& legende);
} // namespace morvine

class Fenêtre : public QWidget {
public:
    explicit Fenêtre(Editeur& editeur, QWidget* parent = nullptr);
    ~Fenêtre() override;

    Editeur& editeur;
    // Indice de document, en décimal.
    QString Tag;
    int indice() const { return Tag.toInt(); }
    morvine::EtatDocument& etat() const;

    QMdiSubWindow* sous_fenetre() const;
    QString legende() const { return windowTitle(); }
    void definir_legende(const QString& legende) { setWindowTitle(legende); }
    bool enregistrable() const;
    // Menus dans l'ordre de la barre.
    QList<QMenu*> menus() const;

    // Événements de la fenêtre (fenetre.cpp).
    void Form_Load();
    void Form_Activate();
    void Form_GotFocus();
    // Faux si la fermeture est refusée (enregistrement annulé ou échoué).
    bool Form_QueryUnload();
    void Form_Unload();
    void Form_Resize();
    void Text1_Change();
    void Text1_GotFocus();

    // Menus (fenetre_menus.cpp, edition.cpp, recherche_dialogue.cpp).
    void mnuFSaveAs_Click();
    void mnuRecentFile_Click(int index);
    void mnuEDelete_Click();
    void mnuEFormat_Click();
    void mnuESelectAll_Click();
    void mnuETime_Click();
    void mnuEAnsi_Click();
    void mnuFontName_Click(int index);
    void mnuSFind_Click();
    void mnuSFindNext_Click();
    void mnuWClose_Click();
    void mnuWIcone_Click();
    void mnuWOpen_Click();
    // Document suivant (pas 1) ou précédent (-1) dans l'ordre des indices.
    void document_voisin(int pas);
    // Liste des documents ouverts au bas du menu Fenêtres, refaite à chaque ouverture.
    void remplir_liste_documents();

    // Affichages (affichages.cpp) : un seul contrôle visible à la fois.
    void cacher_affichages();
    // 'progression' (fait, total), si donnée, est appelée entre les parts
    // d'un grand texte ; faux d'elle arrête : la zone reste alors incomplète
    // et montrer_texte rend faux.
    using Progression = std::function<bool(qint64, qint64)>;
    bool montrer_texte(QString octets, bool editable, const Progression& progression = {});
    // Lignes formées depuis 'source_hote' ; faux (et '*erreur') s'il ne se lit pas.
    bool montrer_vidage(const QString& source_hote, QString* erreur = nullptr);
    // Table du fichier lue à la demande ; 'progression' comme pour
    // ModeleTableDbase::ouvrir. Faux si le fichier ne se lit pas.
    bool montrer_table(const QString& hote, const std::function<bool(int)>& progression = {});
    // 'motif' : ce que la fenêtre dit d'une image qui n'a pu être décodée.
    void montrer_image(const QImage& image, const QString& motif = {});
    void vider_image();
    // Texte de Text1 en caractères Windows-1252, fins de ligne du fichier.
    QString texte() const;
    bool definir_texte(QString octets, const Progression& progression = {});
    // Menus d'un texte modifiable, d'un vidage, d'une table, d'une image.
    void menus_texte();
    void menus_vidage();
    void menus_sans_edition();
    void menus_image();

    // Contrôles.
    QPlainTextEdit* Text1;
    morvine::VueVidage* Dump;
    morvine::ModeleVidage* modele_vidage;
    // Écrit le fichier de vidage pendant que la liste se montre déjà.
    morvine::ProducteurVidage* producteur_vidage = nullptr;
    morvine::VueTable* Grille1;
    morvine::ModeleTableDbase* modele_table;
    QScrollArea* cadre_image;
    QLabel* Image1;
    QIcon IconeVue, IconeTexte, IconeImage;
    // Fin de ligne du fichier que représente une fin de paragraphe de Text1.
    QString fin_ligne;

    // Menus, sous leurs noms d'origine.
    QMenu *mnuFile, *mnuEdit, *mnuSearch, *mnuOptions, *mnuFont, *mnuWindow;
    QAction *mnuFNew, *mnuFOpen, *mnuFClose, *mnuFSave, *mnuFSaveAs, *mnuFProgramme;
    QAction *mnuFImprimer, *mnuFExit;
    std::array<QAction*, 9> mnuRecentFile{}; // 0 : séparateur
    QAction *mnuECut, *mnuECopy, *mnuEPaste, *mnuEDelete, *mnuEFormat, *mnuEAnsi;
    QAction *mnuESelectAll, *mnuETime;
    QAction *mnuSFind, *mnuSFindNext;
    QAction *mnuOToolbar, *mnuOConf;
    QList<QAction*> mnuFontName;
    QAction *mnuWCascade, *mnuWTile, *mnuWOpen, *mnuWClose, *mnuWIcone, *mnuWArrange;
    QAction *mnuWSuivant, *mnuWPrecedent;
    QList<QAction*> mnuWDocuments;

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    void construire_controles();
    void construire_menu_fichier();
    void construire_menu_edition();
    void construire_menu_recherche();
    void construire_menu_options();
    void construire_menu_fenetres();
    void remplir_polices();
    QAction* element(QMenu* menu, const QString& legende, void (Fenêtre::*action)());
    void choisir_icone();
    void garder_taille_vidage();
    // Élargit les colonnes de la table à ses cellules des lignes données.
    void ajuster_colonnes(int premiere, int derniere);

    bool m_redimensionnement = false;
    bool m_fermeture_acceptee = false;
};
