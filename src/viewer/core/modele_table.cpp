// Modèle de la grille dBase : les textes lus, sans un objet par cellule.
#include "viewer/core/dbase.h"

#include <utility>

namespace morvine {

void ModeleTableDbase::definir(TableDbase table) {
    beginResetModel();
    m_table = std::move(table);
    endResetModel();
}

int ModeleTableDbase::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_table.lignes.size());
}

int ModeleTableDbase::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_table.noms.size());
}

// Colonne c du modèle = champ c + 1 de la ligne (la colonne 0 est le numéro).
QVariant ModeleTableDbase::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return m_table.lignes.value(index.row()).value(index.column() + 1);
}

QVariant ModeleTableDbase::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || section < 0)
        return {};
    if (orientation == Qt::Horizontal)
        return m_table.noms.value(section);
    return m_table.lignes.value(section).value(0);
}

} // namespace morvine
