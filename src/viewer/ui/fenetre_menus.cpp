// Menus de la fenêtre de document : construction et états.
#include "viewer/ui/disposition.h"
#include "viewer/ui/editeur.h"
#include "viewer/ui/fenetre.h"
#include "viewer/ui/ligne_commande.h"

#include <QFontDatabase>
#include <QKeySequence>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>

using namespace Qt::StringLiterals;

namespace morvine {

QStringList polices_menu(const QStringList& familles) {
    return familles.mid(0, NOMBRE_POLICES_MENU);
}

void raccourcis_fichier(QAction* nouveau, QAction* ouvrir) {
    nouveau->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    ouvrir->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
}

QString element_document(int rang, const QString& legende) {
    QString texte = legende;
    texte.replace(u'&', u"&&"_s);
    // Les neuf premiers se choisissent au clavier par leur chiffre.
    return (rang <= 9 ? u"&"_s : QString()) + QString::number(rang) + u' ' + texte;
}

} // namespace morvine

QAction* Fenêtre::element(QMenu* menu, const QString& legende, void (Fenêtre::*action)()) {
    QAction* a = menu->addAction(legende);
    connect(a, &QAction::triggered, this, [this, action] { (this->*action)(); });
    return a;
}

void Fenêtre::construire_menu_fichier() {
    mnuFile = new QMenu(u"&Fichier"_s);
    Editeur& e = editeur;
    mnuFNew = mnuFile->addAction(u"&Nouveau"_s, [&e] { e.Nouveau_document(); });
    mnuFOpen = mnuFile->addAction(u"&Ouvrir..."_s, [&e] { e.Ouvrir_fichier_dialogue(); });
    mnuFClose = mnuFile->addAction(u"&Fermer"_s, [this] { sous_fenetre()->close(); });
    mnuFSave =
        mnuFile->addAction(u"&Enregistrer"_s, [this] { editeur.Enregistrer_fichier(legende()); });
    mnuFSaveAs = element(mnuFile, u"Enregistrer &Sous..."_s, &Fenêtre::mnuFSaveAs_Click);
    mnuFile->addSeparator();
    mnuFProgramme = mnuFile->addAction(u"&Programme associé"_s,
                                       [this] { editeur.Programme_associe(legende()); });
    mnuFImprimer = mnuFile->addAction(u"&Imprimer..."_s, [&e] { e.Imprimer_document(); });
    mnuFile->addSeparator();
    mnuFExit = mnuFile->addAction(u"&Quitter"_s, [&e] { e.close(); });
    mnuRecentFile[0] = mnuFile->addSeparator();
    mnuRecentFile[0]->setVisible(false);
    for (int i = 1; i <= 8; ++i) {
        mnuRecentFile[i] = mnuFile->addAction(u"RecentFile"_s + QString::number(i));
        mnuRecentFile[i]->setVisible(false);
        connect(mnuRecentFile[i], &QAction::triggered, this, [this, i] { mnuRecentFile_Click(i); });
    }
    mnuFSave->setEnabled(false);
    mnuFSaveAs->setEnabled(false);
    // Touches ajoutées aux éléments : elles passent par les mêmes actions.
    morvine::raccourcis_fichier(mnuFNew, mnuFOpen);
    mnuFClose->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    mnuFSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuFImprimer->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
}

void Fenêtre::construire_menu_edition() {
    mnuEdit = new QMenu(u"&Edition"_s);
    Editeur& e = editeur;
    mnuECut = mnuEdit->addAction(u"&Couper"_s, [&e] { e.Couper_texte(); });
    mnuECopy = mnuEdit->addAction(u"C&opier"_s, [&e] { e.Copier_texte(); });
    mnuEPaste = mnuEdit->addAction(u"Co&ller"_s, [&e] { e.Coller_texte(); });
    mnuEDelete = element(mnuEdit, u"&Effacer"_s, &Fenêtre::mnuEDelete_Click);
    mnuEdit->addSeparator();
    mnuEFormat = element(mnuEdit, u"&Format texte"_s, &Fenêtre::mnuEFormat_Click);
    mnuEAnsi = element(mnuEdit, u"Convertir en &ANSI"_s, &Fenêtre::mnuEAnsi_Click);
    mnuESelectAll = element(mnuEdit, u"&Sélectionner tout"_s, &Fenêtre::mnuESelectAll_Click);
    mnuETime = element(mnuEdit, u"&Insérer date et heure"_s, &Fenêtre::mnuETime_Click);
    for (QAction* a : {mnuECut, mnuEPaste, mnuEDelete, mnuEAnsi, mnuETime})
        a->setEnabled(false);
}

void Fenêtre::construire_menu_recherche() {
    mnuSearch = new QMenu(u"&Recherche"_s);
    mnuSFind = element(mnuSearch, u"&Chercher"_s, &Fenêtre::mnuSFind_Click);
    mnuSFindNext = element(mnuSearch, u"&Suivant"_s, &Fenêtre::mnuSFindNext_Click);
    mnuSFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    mnuSFindNext->setShortcut(QKeySequence(Qt::Key_F3));
    mnuSearch->menuAction()->setEnabled(false);
}

void Fenêtre::construire_menu_options() {
    mnuOptions = new QMenu(u"&Options"_s);
    connect(mnuOptions, &QMenu::aboutToShow, this, [this] { editeur.mnuOptions_Click(); });
    mnuOToolbar = mnuOptions->addAction(u"&Barre d'outils"_s);
    mnuOToolbar->setCheckable(true);
    connect(mnuOToolbar, &QAction::triggered, this, [this] { editeur.mnuOToolbar_Click(); });
    mnuFont = mnuOptions->addMenu(u"&Polices"_s);
    mnuFont->menuAction()->setEnabled(false);
    mnuOConf = mnuOptions->addAction(u"&Enregistrer la configuration"_s,
                                     [this] { editeur.Enregistrer_configuration(); });
}

void Fenêtre::construire_menu_fenetres() {
    mnuWindow = new QMenu(u"Fe&nêtres"_s);
    QMdiArea* z = editeur.zone;
    mnuWCascade = mnuWindow->addAction(u"&Cascade"_s, [z] { z->cascadeSubWindows(); });
    mnuWTile = mnuWindow->addAction(u"&Mosaïque"_s, [z] { morvine::mosaique(z); });
    mnuWOpen = element(mnuWindow, u"&Ouvrir tout"_s, &Fenêtre::mnuWOpen_Click);
    mnuWClose = element(mnuWindow, u"&Fermer tout"_s, &Fenêtre::mnuWClose_Click);
    mnuWIcone = element(mnuWindow, u"&Icôniser tout"_s, &Fenêtre::mnuWIcone_Click);
    mnuWArrange =
        mnuWindow->addAction(u"&Ranger les icônes"_s, [this] { editeur.ranger_icones(); });
    // Ajouts au menu : passer d'un document à l'autre, puis la liste des documents.
    mnuWindow->addSeparator();
    mnuWSuivant = mnuWindow->addAction(u"Document &suivant"_s, [this] { document_voisin(1); });
    mnuWSuivant->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab));
    mnuWPrecedent = mnuWindow->addAction(u"Document &précédent"_s, [this] { document_voisin(-1); });
    mnuWPrecedent->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab));
    mnuWindow->addSeparator();
    connect(mnuWindow, &QMenu::aboutToShow, this, [this] { remplir_liste_documents(); });
}

void Fenêtre::remplir_liste_documents() {
    qDeleteAll(mnuWDocuments);
    mnuWDocuments.clear();
    const Fenêtre* active = editeur.fenetre_active();
    const QList<Fenêtre*> ouvertes = editeur.fenetres_ouvertes();
    for (int rang = 1; rang <= ouvertes.size(); ++rang) {
        QPointer<Fenêtre> f = ouvertes[rang - 1];
        QAction* a = mnuWindow->addAction(morvine::element_document(rang, f->legende()));
        a->setCheckable(true);
        a->setChecked(f == active);
        connect(a, &QAction::triggered, this, [this, f] {
            if (f && editeur.fenetres_ouvertes().contains(f))
                editeur.activer(f);
        });
        mnuWDocuments << a;
    }
}

void Fenêtre::document_voisin(int pas) {
    const QList<Fenêtre*> ouvertes = editeur.fenetres_ouvertes();
    if (ouvertes.size() < 2)
        return;
    const Fenêtre* active = editeur.fenetre_active();
    const qsizetype ici = ouvertes.indexOf(active ? active : this);
    const qsizetype n = ouvertes.size();
    editeur.activer(ouvertes[((ici < 0 ? 0 : ici) + pas + n) % n]);
}

// Polices de l'écran, au plus 26 ; le choix devient la police du texte.
void Fenêtre::remplir_polices() {
    mnuFont->clear();
    mnuFontName.clear();
    const QStringList noms = morvine::polices_menu(QFontDatabase::families());
    for (int i = 0; i < noms.size(); ++i) {
        QAction* a = mnuFont->addAction(noms[i]);
        connect(a, &QAction::triggered, this, [this, i] { mnuFontName_Click(i); });
        mnuFontName << a;
    }
}

void Fenêtre::menus_texte() {
    for (QAction* a : {mnuECut, mnuECopy, mnuEPaste, mnuEDelete, mnuEAnsi, mnuESelectAll, mnuETime,
                       mnuFSave, mnuFSaveAs})
        a->setEnabled(true);
    mnuFont->menuAction()->setEnabled(true);
    mnuSearch->menuAction()->setEnabled(true);
    mnuEFormat->setText(u"&Format héxadécimal"_s);
}

void Fenêtre::menus_vidage() {
    mnuEdit->menuAction()->setEnabled(true);
    for (QAction* a : {mnuECut, mnuECopy, mnuEPaste})
        a->setEnabled(false);
    mnuEFormat->setText(u"&Format texte"_s);
    mnuSearch->menuAction()->setEnabled(false);
}

void Fenêtre::menus_sans_edition() {
    mnuEdit->menuAction()->setEnabled(false);
    mnuSearch->menuAction()->setEnabled(false);
}

void Fenêtre::menus_image() {
    menus_sans_edition();
    mnuFont->menuAction()->setEnabled(false);
}

void Fenêtre::mnuFSaveAs_Click() {
    const QString nom = editeur.Demander_nom_enregistrement();
    if (nom.isEmpty())
        return;
    if (editeur.Ecrire_fichier(nom))
        editeur.Mettre_a_jour_menu_fichiers(nom);
}

void Fenêtre::mnuRecentFile_Click(int index) {
    const QString nom = mnuRecentFile[index]->data().toString();
    for (int i = 1; i <= editeur.tables.borne(); ++i) {
        const morvine::EtatDocument& e = editeur.tables.Etat_document[i];
        if (!e.supprime && e.chemin == morvine::legende_document(nom) && editeur.fenetre(i)) {
            editeur.activer(editeur.fenetre(i));
            return;
        }
    }
    editeur.Charger_fichier(nom, {});
    if (!editeur.Echec_chargement)
        editeur.Lire_fichiers_recents();
}

void Fenêtre::mnuWClose_Click() {
    for (Fenêtre* f : editeur.fenetres_ouvertes())
        f->sous_fenetre()->close();
}

void Fenêtre::mnuWIcone_Click() {
    for (Fenêtre* f : editeur.fenetres_ouvertes())
        f->sous_fenetre()->showMinimized();
}

void Fenêtre::mnuWOpen_Click() {
    for (Fenêtre* f : editeur.fenetres_ouvertes())
        f->sous_fenetre()->showNormal();
}
