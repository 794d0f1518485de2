// Les cinq affichages d'une fenêtre de document ; un seul est visible.
#include "platform/formats.h"
#include "viewer/core/dbase.h"
#include "viewer/core/vidage.h"
#include "viewer/ui/fenetre.h"
#include "viewer/ui/texte_editeur.h"
#include "viewer/ui/vue_vidage.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr int LARGEUR_VIDAGE = 9255; // twips
constexpr int HAUTEUR_VIDAGE = 4230;
constexpr int MARGE_COLONNE = 250;
constexpr int LARGEUR_LIGNE_VIDAGE = 76; // 75 caractères et une marge
constexpr int LIGNES_MESUREES = 2000;    // lignes d'une table mesurées à l'ouverture

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

// Place que prend un texte dans une cellule : la vue le dessine entre deux
// marges à elle ; sans elles, la fin d'une date ou d'un nom serait coupée.
int largeur_cellule(const QTableView* grille, const QFontMetrics& mesure, const QString& texte) {
    const int marge = grille->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grille);
    return mesure.horizontalAdvance(texte) + 2 * (marge + 1);
}

// Place d'un nom dans l'en-tête, qui l'écrit en gras quand sa colonne est choisie.
int largeur_entete(const QHeaderView* entete, const QString& texte) {
    QFont gras = entete->font();
    gras.setBold(true);
    const int marge = entete->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, entete);
    return QFontMetrics(gras).horizontalAdvance(texte) + 2 * marge;
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

bool Fenêtre::montrer_vidage(const QString& source_hote, QString* erreur) {
    const bool ok = modele_vidage->ouvrir_source(source_hote, erreur);
    const int largeur = plateforme::twips_vers_pixels_x(LARGEUR_VIDAGE);
    Dump->setFixedSize(largeur, plateforme::twips_vers_pixels_y(HAUTEUR_VIDAGE));
    const int barre = Dump->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    Dump->setFont(police_vidage(largeur - barre - 2 * Dump->frameWidth()));
    Dump->show();
    return ok;
}

bool Fenêtre::montrer_table(const QString& hote, const std::function<bool(int)>& progression) {
    // Les octets d'un champ sont montrés tels quels : les blancs de fin ne
    // doivent pas faire couper le texte par des points de suspension.
    Grille1->setTextElideMode(Qt::ElideNone);
    Grille1->setWordWrap(false);
    // Illisible : une table vide, comme un fichier sans enregistrement.
    const bool ouverte = modele_table->ouvrir(hote, progression);
    // Largeurs mesurées dans la police de la fenêtre : celle du nom, puis
    // la colonne s'élargit quand le texte d'une cellule (sans blancs autour)
    // n'y tient pas.
    const QFontMetrics mesure(font());
    const int marge = plateforme::twips_vers_pixels_x(MARGE_COLONNE);
    const QStringList& noms = modele_table->table().noms;
    for (int c = 0; c < noms.size(); ++c)
        Grille1->setColumnWidth(
            c, std::max(largeur_cellule(Grille1, mesure, noms[c].trimmed()),
                        largeur_entete(Grille1->horizontalHeader(), noms[c].trimmed())) +
                   marge);
    // Une grande table n'est pas mesurée d'un bout à l'autre : ses premières
    // lignes le sont, les autres quand elles viennent à l'écran.
    const int lignes = modele_table->rowCount();
    ajuster_colonnes(0, std::min(lignes, LIGNES_MESUREES) - 1);
    QScrollBar* barre = Grille1->verticalScrollBar();
    QObject::disconnect(barre, nullptr, this, nullptr);
    if (lignes > LIGNES_MESUREES)
        connect(barre, &QScrollBar::valueChanged, this, [this] {
            const int haut = Grille1->rowAt(0);
            const int bas = Grille1->rowAt(Grille1->viewport()->height() - 1);
            ajuster_colonnes(haut, bas < 0 ? modele_table->rowCount() - 1 : bas);
        });
    Grille1->show();
    return ouverte;
}

void Fenêtre::ajuster_colonnes(int premiere, int derniere) {
    if (premiere < 0)
        return;
    const QFontMetrics mesure(font());
    const int marge = plateforme::twips_vers_pixels_x(MARGE_COLONNE);
    const int colonnes = modele_table->columnCount();
    for (int l = premiere; l <= derniere; ++l) {
        for (int c = 0; c < colonnes; ++c) {
            const QString texte = modele_table->index(l, c).data().toString().trimmed();
            const int largeur = largeur_cellule(Grille1, mesure, texte);
            if (Grille1->columnWidth(c) < largeur)
                Grille1->setColumnWidth(c, largeur + marge);
        }
    }
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
