#pragma once
// Liste du vidage : une ligne de texte par élément, toutes de même hauteur.
// Seules les lignes visibles sont demandées au modèle et dessinées ; la vue
// ne garde rien par ligne (une liste ordinaire tient un tableau de positions
// de la taille du modèle : 67 millions de lignes pour un fichier de 1 Gio).
#include <QAbstractItemView>

namespace morvine {

class VueVidage : public QAbstractItemView {
    Q_OBJECT
public:
    explicit VueVidage(QWidget* parent = nullptr);

    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;
    void keyboardSearch(const QString& recherche) override;
    // Première ligne montrée.
    int premiere_ligne() const;

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

private:
    int hauteur_ligne() const;
    int largeur_ligne() const;
    int lignes_visibles() const; // lignes entières dans la vue, au moins 1
    int nombre() const;
};

} // namespace morvine
