#pragma once
// Lecture d'une table dBase en textes de cellules (les largeurs de colonnes
// dépendent de la police : c'est la fenêtre qui les mesure).
#include <QAbstractTableModel>
#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QStringList>

namespace morvine {

struct TableDbase {
    QStringList noms;     // nom de chaque champ (en-tête de colonne k = noms[k-1])
    QByteArray types;     // type de chaque champ ('C', 'D', 'L', 'M', 'N'...)
    QList<int> longueurs; // longueur de chaque champ, en octets
    // Ligne n = lignes[n-1] ; colonne 0 = numéro de ligne, puis un texte par champ.
    QList<QStringList> lignes;
};

// Lit la table depuis le début du périphérique. Un fichier abîmé donne ce
// qui peut être lu, jamais plus que la taille du fichier.
TableDbase lire_dbase(QIODevice& fichier);

// Texte d'une cellule d'après le type du champ et ses octets.
QString texte_cellule(char type, const QByteArray& octets);

// La table vue par la grille : une colonne par champ ; les noms des champs
// sont l'en-tête des colonnes, les numéros de ligne celui des lignes, de
// sorte qu'ils restent en place quand les données défilent.
class ModeleTableDbase : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void definir(TableDbase table);
    const TableDbase& table() const { return m_table; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    TableDbase m_table;
};

} // namespace morvine
