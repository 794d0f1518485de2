// Les cinq affichages d'une fenêtre de document ; un seul est visible.
#include "platform/formats.h"
#include "viewer/core/dbase.h"
#include "viewer/core/vidage.h"
#include "viewer/ui/fenetre.h"
#include "viewer/ui/texte_editeur.h"
#include "viewer/ui/vue_table.h"
#include "viewer/ui/vue_vidage.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr int LARGEUR_VIDAGE = 9255; // twips
constexpr int HAUTEUR_VIDAGE = 4230;
constexpr int MARGE_COLONNE = 250;
constexpr int LARGEUR_LIGNE_VIDAGE = 76; // 75 caractères et une marge
constexpr int LIGNES_MESUREES = 2000;    // lignes d'une table mesurées à l'ouverture
// Caractères d'un texte mis dans la zone entre deux nouvelles de l'avancement.
constexpr qsizetype PART_TEXTE = qsizetype(1) << 20;

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
int largeur_cellule(const morvine::VueTable* grille, const QFontMetrics& mesure,
                    const QString& texte) {
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

// Effacer au bord d'un morceau d'une longue ligne ôte le caractère voisin,
// pas la coupure : le fichier ne gagne ni ne perd de fin de ligne.
class FiltreCoupures : public QObject {
public:
    explicit FiltreCoupures(QPlainTextEdit* zone) : QObject(zone), m_zone(zone) {
        setObjectName(u"filtre_coupures"_s);
    }

protected:
    bool eventFilter(QObject* objet, QEvent* e) override {
        if (objet != m_zone || e->type() != QEvent::KeyPress)
            return false;
        const auto* touche = static_cast<QKeyEvent*>(e);
        const bool couper = touche->matches(QKeySequence::Cut) && !m_zone->isReadOnly();
        if (couper || touche->matches(QKeySequence::Copy)) {
            couper ? m_zone->cut() : m_zone->copy();
            morvine::presse_papiers_sans_coupures();
            return true;
        }
        if (m_zone->isReadOnly() || (touche->modifiers() & ~Qt::KeypadModifier))
            return false;
        if (touche->key() != Qt::Key_Backspace && touche->key() != Qt::Key_Delete)
            return false;
        QTextCursor c = m_zone->textCursor();
        if (!morvine::effacer_pres_coupure(c, touche->key() == Qt::Key_Delete))
            return false;
        m_zone->setTextCursor(c);
        return true;
    }

private:
    QPlainTextEdit* m_zone;
};

} // namespace

void Fenêtre::cacher_affichages() {
    for (QWidget* w : {static_cast<QWidget*>(Text1), static_cast<QWidget*>(Dump),
                       static_cast<QWidget*>(Grille1), static_cast<QWidget*>(cadre_image)})
        w->hide();
}

QString Fenêtre::texte() const {
    return morvine::depuis_editeur(Text1->document()->toRawText(), fin_ligne);
}

bool Fenêtre::definir_texte(QString octets, const Progression& progression) {
    if (!progression || octets.size() <= 2 * PART_TEXTE) {
        morvine::TexteEditeur t = morvine::vers_editeur(octets);
        octets = QString(); // la mémoire du texte lu, rendue avant de remplir la zone
        fin_ligne = t.fin_ligne;
        Text1->setPlainText(t.texte);
        return true;
    }
    // Un grand texte entre par parts, chacune finie à une fin de ligne et
    // convertie à son tour (le texte converti n'est jamais entier en mémoire
    // à côté de la zone), pour montrer l'avancement et pouvoir s'arrêter ;
    // rien de cela ne s'annule par Ctrl+Z.
    fin_ligne = morvine::fin_dominante(octets);
    const auto part = [this, &octets](qsizetype debut, qsizetype& fin) {
        fin = morvine::fin_de_part(octets, debut, PART_TEXTE, fin_ligne);
        return morvine::vers_editeur(QStringView(octets).sliced(debut, fin - debut), fin_ligne);
    };
    qsizetype fait = 0;
    Text1->setPlainText(part(0, fait));
    QTextDocument* document = Text1->document();
    document->setUndoRedoEnabled(false);
    QTextCursor fin(document);
    bool complet = true;
    while (fait < octets.size()) {
        if (!progression(fait, octets.size())) {
            complet = false;
            break;
        }
        qsizetype suite = 0;
        const QString texte = part(fait, suite);
        fin.movePosition(QTextCursor::End);
        fin.insertText(texte);
        fait = suite;
    }
    document->setUndoRedoEnabled(true);
    return complet;
}

bool Fenêtre::montrer_texte(QString octets, bool editable, const Progression& progression) {
    if (!Text1->findChild<QObject*>(u"filtre_coupures"_s, Qt::FindDirectChildrenOnly))
        Text1->installEventFilter(new FiltreCoupures(Text1));
    // Montrée d'abord : le début d'un grand texte se voit pendant qu'il entre.
    Text1->setReadOnly(!editable);
    Text1->show();
    return definir_texte(std::move(octets), progression);
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
