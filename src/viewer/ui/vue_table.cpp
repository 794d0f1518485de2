// Grille dBase : défilement par lignes, dessin des seules cellules visibles.
#include "viewer/ui/vue_table.h"
#include "viewer/ui/defilement.h"

#include <QAbstractTableModel>
#include <QItemSelectionModel>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>

#include <algorithm>
#include <limits>

namespace morvine {

// Une section par ligne montrée ; son texte est le numéro de la ligne.
class NumerosFenetre : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : m_nombre;
    }
    // Une colonne : l'en-tête montre en gras le numéro d'une ligne choisie.
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : 1;
    }
    QVariant data(const QModelIndex&, int) const override { return {}; }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole || orientation != Qt::Vertical || section < 0 ||
            section >= m_nombre)
            return {};
        return QString::number(qint64(m_premiere) + section + 1);
    }
    int premiere() const { return m_premiere; }
    void suivre(int premiere, int nombre) {
        if (nombre != m_nombre) {
            beginResetModel();
            m_premiere = premiere;
            m_nombre = nombre;
            endResetModel();
        } else if (premiere != m_premiere) {
            m_premiere = premiere;
            if (m_nombre > 0)
                emit headerDataChanged(Qt::Vertical, 0, m_nombre - 1);
        }
    }

private:
    int m_premiere = 0;
    int m_nombre = 0;
};

namespace {

// Le coin entre les deux en-têtes, dessiné comme une de leurs sections.
class Coin : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QStyleOptionHeader option;
        option.initFrom(this);
        option.state &= ~QStyle::State_Enabled;
        option.position = QStyleOptionHeader::OnlyOneSection;
        QPainter peintre(this);
        style()->drawControl(QStyle::CE_Header, &option, &peintre, this);
    }
};

} // namespace

NumerosLignes::NumerosLignes(QWidget* parent)
    : QHeaderView(Qt::Vertical, parent), m_fenetre(new NumerosFenetre(this)) {
    setModel(m_fenetre);
    setSelectionModel(new QItemSelectionModel(m_fenetre, this));
    setSectionResizeMode(Fixed);
    setSectionsClickable(true);
    setHighlightSections(true);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

int NumerosLignes::ligne_a(int y) const {
    const int section = logicalIndexAt(y);
    return section < 0 ? -1 : m_fenetre->premiere() + section;
}

void NumerosLignes::definir_total(int total) {
    if (total == m_total)
        return;
    m_total = total;
    updateGeometry();
}

void NumerosLignes::suivre(int premiere, int montrees) {
    m_fenetre->suivre(premiere, montrees);
}

// Large comme le plus grand numéro (celui de la dernière ligne), qu'il soit
// montré ou non : la grille ne bouge pas quand elle défile.
QSize NumerosLignes::sizeHint() const {
    QSize taille = QHeaderView::sizeHint();
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.section = 0;
    QFont gras = font();
    gras.setBold(true);
    option.fontMetrics = QFontMetrics(gras);
    option.text = QString::number(std::max(m_total, 1));
    const QSize texte = style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), this);
    taille.setWidth(std::max(taille.width(), texte.width()));
    return taille;
}

VueTable::VueTable(QWidget* parent)
    : QAbstractItemView(parent), m_colonnes(new QHeaderView(Qt::Horizontal, this)),
      m_numeros(new NumerosLignes(this)), m_coin(new Coin(this)) {
    // La sonde des essais la décrit comme une table : lignes, cellules, en-têtes.
    setProperty("grille", true);
    setSelectionMode(ExtendedSelection);
    setSelectionBehavior(SelectItems);
    setVerticalScrollMode(ScrollPerItem);
    setHorizontalScrollMode(ScrollPerPixel);
    setEditTriggers(NoEditTriggers);
    // Tab passe à la cellule suivante, puis à la ligne suivante.
    setTabKeyNavigation(true);
    m_colonnes->setSectionsClickable(true);
    m_colonnes->setHighlightSections(true);
    connect(m_colonnes, &QHeaderView::sectionResized, this, [this] {
        updateGeometries();
        viewport()->update();
    });
    connect(m_colonnes, &QHeaderView::sectionPressed, this, &VueTable::selectColumn);
    connect(m_numeros, &QHeaderView::sectionPressed, this,
            [this](int section) { selectRow(m_numeros->fenetre()->premiere() + section); });
    // Double clic sur le bord d'un nom : la colonne prend la largeur de ses
    // cellules montrées.
    connect(m_colonnes, &QHeaderView::sectionHandleDoubleClicked, this, [this](int colonne) {
        setColumnWidth(colonne,
                       std::max(sizeHintForColumn(colonne), m_colonnes->sectionSizeHint(colonne)));
    });
    connect(m_colonnes, &QHeaderView::geometriesChanged, this, &VueTable::updateGeometries);
    connect(m_numeros, &QHeaderView::geometriesChanged, this, &VueTable::updateGeometries);
}

void VueTable::setModel(QAbstractItemModel* modele) {
    QAbstractItemView::setModel(modele);
    m_colonnes->setModel(modele);
    m_colonnes->setSelectionModel(selectionModel());
    reset();
}

void VueTable::setSelectionModel(QItemSelectionModel* selection) {
    QAbstractItemView::setSelectionModel(selection);
    if (selection && m_colonnes->model() == selection->model())
        m_colonnes->setSelectionModel(selection);
}

void VueTable::reset() {
    QAbstractItemView::reset();
    m_numeros->definir_total(lignes());
    updateGeometries();
}

int VueTable::lignes() const {
    return model() ? model()->rowCount(rootIndex()) : 0;
}

int VueTable::colonnes() const {
    return model() ? model()->columnCount(rootIndex()) : 0;
}

int VueTable::premiere_ligne() const {
    return verticalScrollBar()->value();
}

// Comme une grille ordinaire : la hauteur d'une section de l'en-tête de lignes.
int VueTable::rowHeight() const {
    return std::max(m_numeros->defaultSectionSize(), 1);
}

int VueTable::lignes_visibles() const {
    return std::max(1, viewport()->height() / rowHeight());
}

int VueTable::rowAt(int y) const {
    if (y < 0)
        return -1;
    const qint64 ligne = qint64(premiere_ligne()) + y / rowHeight();
    return ligne < lignes() ? int(ligne) : -1;
}

int VueTable::columnAt(int x) const {
    return m_colonnes->logicalIndexAt(x);
}

QRect VueTable::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != model() || index.row() >= lignes() ||
        index.column() >= colonnes())
        return {};
    const qint64 y = qint64(index.row() - premiere_ligne()) * rowHeight();
    // Loin de la vue : une position hors des entiers n'a pas de sens.
    if (y < -(qint64(1) << 30) || y > (qint64(1) << 30))
        return {};
    // Le trait de la grille, à droite et en bas, n'est pas à la cellule.
    return QRect(m_colonnes->sectionViewportPosition(index.column()), int(y),
                 m_colonnes->sectionSize(index.column()) - 1, rowHeight() - 1);
}

void VueTable::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid() || index.row() >= lignes() || index.column() >= colonnes())
        return;
    verticalScrollBar()->setValue(
        haut_pour(index.row(), premiere_ligne(), lignes_visibles(), hint));
    // La colonne entière à l'écran ; plus large que la vue, son début.
    const int gauche = m_colonnes->sectionPosition(index.column());
    const int droite = gauche + m_colonnes->sectionSize(index.column());
    const int decalage = horizontalOffset();
    const int largeur = viewport()->width();
    if (gauche < decalage || droite - gauche > largeur)
        horizontalScrollBar()->setValue(gauche);
    else if (droite > decalage + largeur)
        horizontalScrollBar()->setValue(droite - largeur);
}

QModelIndex VueTable::indexAt(const QPoint& point) const {
    const int ligne = rowAt(point.y());
    const int colonne = columnAt(point.x());
    if (ligne < 0 || colonne < 0)
        return {};
    return model()->index(ligne, colonne, rootIndex());
}

int VueTable::sizeHintForColumn(int colonne) const {
    if (colonne < 0 || colonne >= colonnes())
        return -1;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    int largeur = 0;
    const int haut = premiere_ligne();
    const int fin = std::min<qint64>(lignes(), qint64(haut) + lignes_visibles() + 1);
    for (int l = haut; l < fin; ++l) {
        const QModelIndex index = model()->index(l, colonne, rootIndex());
        largeur = std::max(largeur, itemDelegateForIndex(index)->sizeHint(option, index).width());
    }
    // Le trait de la grille s'ajoute à la cellule.
    return largeur + 1;
}

void VueTable::selectRow(int ligne) {
    if (ligne < 0 || ligne >= lignes() || colonnes() == 0)
        return;
    const int colonne = std::max(currentIndex().column(), 0);
    selectionModel()->setCurrentIndex(model()->index(ligne, colonne, rootIndex()),
                                      QItemSelectionModel::NoUpdate);
    selectionModel()->select(model()->index(ligne, 0, rootIndex()),
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void VueTable::selectColumn(int colonne) {
    if (colonne < 0 || colonne >= colonnes() || lignes() == 0)
        return;
    const int ligne = std::max(currentIndex().row(), 0);
    selectionModel()->setCurrentIndex(model()->index(ligne, colonne, rootIndex()),
                                      QItemSelectionModel::NoUpdate);
    selectionModel()->select(model()->index(0, colonne, rootIndex()),
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Columns);
}

QModelIndex VueTable::moveCursor(CursorAction action, Qt::KeyboardModifiers modificateurs) {
    const int n = lignes(), m = colonnes();
    if (n == 0 || m == 0)
        return {};
    // Sans cellule courante, on part de la première.
    const QModelIndex courant = currentIndex();
    if (!courant.isValid())
        return model()->index(0, 0, rootIndex());
    qint64 ligne = courant.row();
    int colonne = courant.column();
    const bool ctrl = modificateurs & Qt::ControlModifier;
    switch (action) {
    case MoveUp:
        --ligne;
        break;
    case MoveDown:
        ++ligne;
        break;
    case MoveLeft:
        --colonne;
        break;
    case MoveRight:
        ++colonne;
        break;
    case MovePrevious:
        if (--colonne < 0 && ligne > 0) {
            colonne = m - 1;
            --ligne;
        }
        break;
    case MoveNext:
        if (++colonne >= m && ligne < n - 1) {
            colonne = 0;
            ++ligne;
        }
        break;
    case MovePageUp:
        ligne -= lignes_visibles();
        break;
    case MovePageDown:
        ligne += lignes_visibles();
        break;
    case MoveHome:
        colonne = 0;
        if (ctrl)
            ligne = 0;
        break;
    case MoveEnd:
        colonne = m - 1;
        if (ctrl)
            ligne = n - 1;
        break;
    }
    return model()->index(int(std::clamp<qint64>(ligne, 0, n - 1)), std::clamp(colonne, 0, m - 1),
                          rootIndex());
}

int VueTable::horizontalOffset() const {
    return horizontalScrollBar()->value();
}

int VueTable::verticalOffset() const {
    return int(
        std::min<qint64>(qint64(premiere_ligne()) * rowHeight(), std::numeric_limits<int>::max()));
}

bool VueTable::isIndexHidden(const QModelIndex&) const {
    return false;
}

void VueTable::setSelection(const QRect& zone, QItemSelectionModel::SelectionFlags drapeaux) {
    const int n = lignes(), m = colonnes();
    if (n == 0 || m == 0)
        return;
    const QRect z = zone.normalized();
    const auto ligne_de = [&](int y) {
        return int(
            std::clamp<qint64>(qint64(premiere_ligne()) + std::max(y, 0) / rowHeight(), 0, n - 1));
    };
    const auto colonne_de = [&](int x) {
        const int c = m_colonnes->logicalIndexAt(std::max(x, 0));
        return c < 0 ? m - 1 : c;
    };
    const QItemSelection choix(
        model()->index(ligne_de(z.top()), colonne_de(z.left()), rootIndex()),
        model()->index(ligne_de(z.bottom()), colonne_de(z.right()), rootIndex()));
    selectionModel()->select(choix, drapeaux);
}

QRegion VueTable::visualRegionForSelection(const QItemSelection& selection) const {
    QRegion region;
    const int haut = premiere_ligne();
    const int bas = haut + lignes_visibles();
    for (const QItemSelectionRange& plage : selection) {
        const int debut = std::max(plage.top(), haut);
        const int fin = std::min(plage.bottom(), bas);
        if (debut > fin)
            continue;
        const QRect premier = visualRect(model()->index(debut, plage.left(), rootIndex()));
        const QRect dernier = visualRect(model()->index(fin, plage.right(), rootIndex()));
        region += premier.united(dernier);
    }
    return region;
}

void VueTable::updateGeometries() {
    // Les en-têtes hors de la zone des cellules, comme dans une grille ordinaire.
    const int gauche = m_numeros->isHidden() ? 0 : m_numeros->sizeHint().width();
    const int haut = m_colonnes->isHidden() ? 0 : m_colonnes->sizeHint().height();
    setViewportMargins(gauche, haut, 0, 0);
    const QRect vue = viewport()->geometry();
    m_colonnes->setGeometry(vue.left(), vue.top() - haut, vue.width(), haut);
    m_numeros->setGeometry(vue.left() - gauche, vue.top(), gauche, vue.height());
    m_coin->setGeometry(vue.left() - gauche, vue.top() - haut, gauche, haut);

    const int n = lignes();
    const int visibles = lignes_visibles();
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setPageStep(visibles);
    verticalScrollBar()->setRange(0, std::max(0, n - visibles));
    horizontalScrollBar()->setSingleStep(std::max(1, fontMetrics().averageCharWidth() * 2));
    horizontalScrollBar()->setPageStep(vue.width());
    horizontalScrollBar()->setRange(0, std::max(0, m_colonnes->length() - vue.width()));
    m_colonnes->setOffset(horizontalOffset());
    suivre_numeros();
    QAbstractItemView::updateGeometries();
}

// Les numéros des lignes montrées (une de plus, coupée en bas), et en gras
// ceux des lignes où quelque chose est choisi.
void VueTable::suivre_numeros() {
    const int haut = premiere_ligne();
    const int montrees =
        std::clamp(viewport()->height() / rowHeight() + 1, 0, std::max(0, lignes() - haut));
    m_numeros->suivre(haut, montrees);
    QItemSelectionModel* miroir = m_numeros->selectionModel();
    if (!miroir)
        return;
    QItemSelection choix;
    const QItemSelectionModel* selection = selectionModel();
    for (int i = 0; selection && i < montrees; ++i) {
        if (selection->rowIntersectsSelection(haut + i, rootIndex())) {
            const QModelIndex s = m_numeros->fenetre()->index(i, 0);
            choix.select(s, s);
        }
    }
    miroir->select(choix, QItemSelectionModel::ClearAndSelect);
    m_numeros->viewport()->update();
}

void VueTable::scrollContentsBy(int, int) {
    // Le défilement est compté en lignes : tout est redessiné.
    m_colonnes->setOffset(horizontalOffset());
    suivre_numeros();
    viewport()->update();
}

void VueTable::currentChanged(const QModelIndex& courant, const QModelIndex& precedent) {
    QAbstractItemView::currentChanged(courant, precedent);
    viewport()->update();
}

void VueTable::selectionChanged(const QItemSelection& choisis, const QItemSelection& otes) {
    QAbstractItemView::selectionChanged(choisis, otes);
    suivre_numeros();
}

void VueTable::paintEvent(QPaintEvent*) {
    if (!model())
        return;
    QPainter peintre(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QStyle::State etat = option.state;
    const int n = lignes();
    const int h = rowHeight();
    const int haut = premiere_ligne();
    const int largeur = viewport()->width();
    const int hauteur = viewport()->height();
    const QModelIndex courant = currentIndex();
    const int gauche = std::max(m_colonnes->visualIndexAt(0), 0);
    int droite = m_colonnes->visualIndexAt(largeur - 1);
    if (droite < 0)
        droite = m_colonnes->count() - 1;
    const QColor trait = QColor::fromRgba(
        static_cast<QRgb>(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
    int bas = 0;
    for (int i = 0; haut + i < n && i * h < hauteur; ++i) {
        for (int v = gauche; v <= droite; ++v) {
            const QModelIndex index =
                model()->index(haut + i, m_colonnes->logicalIndex(v), rootIndex());
            option.rect = visualRect(index);
            option.state = etat;
            if (selectionModel() && selectionModel()->isSelected(index))
                option.state |= QStyle::State_Selected;
            if (index == courant && hasFocus())
                option.state |= QStyle::State_HasFocus;
            itemDelegateForIndex(index)->paint(&peintre, option, index);
        }
        bas = (i + 1) * h;
    }
    // Traits de la grille, sous chaque ligne et à droite de chaque colonne.
    const int fin_colonnes =
        droite < 0 ? 0
                   : m_colonnes->sectionViewportPosition(m_colonnes->logicalIndex(droite)) +
                         m_colonnes->sectionSize(m_colonnes->logicalIndex(droite));
    peintre.setPen(trait);
    for (int y = h - 1; y < bas; y += h)
        peintre.drawLine(0, y, std::min(fin_colonnes, largeur) - 1, y);
    for (int v = gauche; v <= droite && droite >= 0; ++v) {
        const int c = m_colonnes->logicalIndex(v);
        const int x = m_colonnes->sectionViewportPosition(c) + m_colonnes->sectionSize(c) - 1;
        peintre.drawLine(x, 0, x, bas - 1);
    }
}

} // namespace morvine
