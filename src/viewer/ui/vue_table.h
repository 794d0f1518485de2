#pragma once
// Grille de la table dBase : noms des champs en haut, numéros des lignes à
// gauche, cellules de même hauteur. Seules les lignes visibles sont
// demandées au modèle et dessinées ; rien n'est gardé par ligne (l'en-tête
// de lignes d'une grille ordinaire tient un tableau de la taille du modèle :
// 8 Mo pour un million de fiches).
#include <QAbstractItemView>
#include <QHeaderView>

namespace morvine {

class NumerosFenetre;

// Numéros des lignes montrées, et eux seuls : son modèle n'a qu'une section
// par ligne visible, renumérotée quand la grille défile.
class NumerosLignes : public QHeaderView {
    Q_OBJECT
public:
    explicit NumerosLignes(QWidget* parent);
    // Ligne de la table à cette hauteur de l'en-tête ; -1 hors des lignes.
    int ligne_a(int y) const;
    QSize sizeHint() const override;
    // Nombre de lignes de la table : la largeur tient le plus grand numéro.
    void definir_total(int total);
    void suivre(int premiere, int montrees);
    NumerosFenetre* fenetre() const { return m_fenetre; }

private:
    NumerosFenetre* m_fenetre;
    int m_total = 0;
};

class VueTable : public QAbstractItemView {
    Q_OBJECT
public:
    explicit VueTable(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* modele) override;
    void setSelectionModel(QItemSelectionModel* selection) override;
    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;
    void reset() override;

    QHeaderView* horizontalHeader() const { return m_colonnes; }
    NumerosLignes* numeros() const { return m_numeros; }
    int columnWidth(int colonne) const { return m_colonnes->sectionSize(colonne); }
    void setColumnWidth(int colonne, int largeur) { m_colonnes->resizeSection(colonne, largeur); }
    int rowHeight() const;
    // Ligne ou colonne à cette place de la zone des cellules ; -1 hors d'elles.
    int rowAt(int y) const;
    int columnAt(int x) const;
    // Largeur voulue par les cellules montrées de la colonne, pas par toutes.
    int sizeHintForColumn(int colonne) const override;
    void selectRow(int ligne);
    void selectColumn(int colonne);

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modificateurs) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex& index) const override;
    void setSelection(const QRect& zone, QItemSelectionModel::SelectionFlags drapeaux) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void updateGeometries() override;
    void paintEvent(QPaintEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void currentChanged(const QModelIndex& courant, const QModelIndex& precedent) override;
    void selectionChanged(const QItemSelection& choisis, const QItemSelection& otes) override;

private:
    int lignes() const;
    int colonnes() const;
    int premiere_ligne() const;
    int lignes_visibles() const; // lignes entières dans la vue, au moins 1
    void suivre_numeros();

    QHeaderView* m_colonnes;
    NumerosLignes* m_numeros;
    QWidget* m_coin;
};

} // namespace morvine
