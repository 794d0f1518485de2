// Les cinq affichages d'une fenêtre de document ; un seul est visible.
#include "platform/formats.h"
#include "viewer/core/dbase.h"
#include "viewer/core/vidage.h"
#include "viewer/ui/fenetre.h"
#include "viewer/ui/texte_editeur.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>

using namespace Qt::StringLiterals;

namespace {

constexpr int LARGEUR_VIDAGE = 9255; // twips
constexpr int HAUTEUR_VIDAGE = 4230;
constexpr int MARGE_COLONNE = 250;
constexpr int LARGEUR_LIGNE_VIDAGE = 76; // 75 caractères et une marge

// Police à chasse fixe dont une ligne de vidage tient dans la liste.
QFont police_vidage(int largeur_utile) {
    QFont police(u"Fixedsys"_s);
    police.setStyleHint(QFont::TypeWriter);
    if (!QFontInfo(police).fixedPitch())
        police = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (int taille = 14; taille > 6; --taille) {
        police.setPixelSize(taille);
        const QString ligne(LARGEUR_LIGNE_VIDAGE, u'0');
        if (QFontMetrics(police).horizontalAdvance(ligne) <= largeur_utile)
            break;
    }
    return police;
}

QTableWidgetItem* cellule_fixe(const QString& texte) {
    auto* c = new QTableWidgetItem(texte);
    c->setBackground(QColor(192, 192, 192));
    return c;
}

// Place que prend un texte dans une cellule : la vue le dessine entre deux
// marges à elle ; sans elles, la fin d'une date ou d'un nom serait coupée.
int largeur_cellule(const QTableWidget* grille, const QFontMetrics& mesure, const QString& texte) {
    const int marge = grille->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grille);
    return mesure.horizontalAdvance(texte) + 2 * (marge + 1);
}

// La colonne s'élargit quand le texte (sans blancs autour) n'y tient pas.
void elargir(QTableWidget* grille, int colonne, int largeur_texte) {
    if (grille->columnWidth(colonne) < largeur_texte)
        grille->setColumnWidth(colonne,
                               largeur_texte + plateforme::twips_vers_pixels_x(MARGE_COLONNE));
}

} // namespace

void Fenêtre::cacher_affichages() {
    for (QWidget* w : {static_cast<QWidget*>(Text1), static_cast<QWidget*>(Dump),
                       static_cast<QWidget*>(Grille1), static_cast<QWidget*>(cadre_image)})
        w->hide();
}

QString Fenêtre::texte() const {
    return morvine::depuis_editeur(Text1->document()->toRawText(), fin_ligne);
}

void Fenêtre::definir_texte(const QString& octets) {
    const morvine::TexteEditeur t = morvine::vers_editeur(octets);
    fin_ligne = t.fin_ligne;
    Text1->setPlainText(t.texte);
}

void Fenêtre::montrer_texte(const QString& octets, bool editable) {
    definir_texte(octets);
    Text1->setReadOnly(!editable);
    Text1->show();
}

void Fenêtre::montrer_vidage(const QString& vidage_hote) {
    modele_vidage->fermer();
    if (!vidage_hote.isEmpty())
        modele_vidage->ouvrir(vidage_hote);
    const int largeur = plateforme::twips_vers_pixels_x(LARGEUR_VIDAGE);
    Dump->setFixedSize(largeur, plateforme::twips_vers_pixels_y(HAUTEUR_VIDAGE));
    const int barre = Dump->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    Dump->setFont(police_vidage(largeur - barre - 2 * Dump->frameWidth()));
    Dump->show();
}

void Fenêtre::montrer_table(const morvine::TableDbase& table) {
    Grille1->clear();
    // Les octets d'un champ sont montrés tels quels : les blancs de fin ne
    // doivent pas faire couper le texte par des points de suspension.
    Grille1->setTextElideMode(Qt::ElideNone);
    Grille1->setWordWrap(false);
    Grille1->setColumnCount(int(table.noms.size()) + 1);
    Grille1->setRowCount(int(table.lignes.size()) + 1);
    // Largeurs mesurées dans la police de la fenêtre.
    const QFontMetrics mesure(font());
    Grille1->setItem(0, 0, cellule_fixe({}));
    for (int k = 1; k <= table.noms.size(); ++k) {
        const QString& nom = table.noms[k - 1];
        Grille1->setItem(0, k, cellule_fixe(nom));
        Grille1->setColumnWidth(k, largeur_cellule(Grille1, mesure, nom.trimmed()) +
                                       plateforme::twips_vers_pixels_x(MARGE_COLONNE));
    }
    Grille1->setColumnWidth(0, plateforme::twips_vers_pixels_x(MARGE_COLONNE));
    for (int n = 1; n <= table.lignes.size(); ++n) {
        const QStringList& ligne = table.lignes[n - 1];
        for (int k = 0; k < ligne.size() && k < Grille1->columnCount(); ++k) {
            Grille1->setItem(n, k,
                             k == 0 ? cellule_fixe(ligne[k]) : new QTableWidgetItem(ligne[k]));
            elargir(Grille1, k, largeur_cellule(Grille1, mesure, ligne[k].trimmed()));
        }
    }
    Grille1->show();
}

void Fenêtre::montrer_image(const QImage& image, const QString& motif) {
    Image1->setPixmap(QPixmap::fromImage(image));
    Image1->resize(image.size());
    if (image.isNull() && !motif.isEmpty()) {
        Image1->setText(motif);
        Image1->setMargin(8);
        Image1->adjustSize();
    } else {
        Image1->setMargin(0);
    }
    cadre_image->show();
}

void Fenêtre::vider_image() {
    montrer_image(QImage());
}
