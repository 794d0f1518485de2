#pragma once
// Lecture d'une table dBase en textes de cellules (les largeurs de colonnes
// dépendent de la police : c'est la fenêtre qui les mesure).
#include <QAbstractTableModel>
#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QList>
#include <QStringList>
#include <functional>
#include <memory>

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

// En-tête et descripteurs lus dans 'table' (noms, types, longueurs), le
// périphérique placé au premier enregistrement ; rend la longueur d'un
// enregistrement (0 ou moins : pas d'enregistrement lisible).
int lire_disposition(QIODevice& fichier, TableDbase& table);
// Cellules d'une ligne (colonne 0 = 'numero') d'après un enregistrement.
QStringList cellules_enregistrement(const QByteArray& enregistrement, int numero,
                                    const TableDbase& table);

// La table vue par la grille : une colonne par champ ; les noms des champs
// sont l'en-tête des colonnes, les numéros de ligne celui des lignes, de
// sorte qu'ils restent en place quand les données défilent.
// Ouverte sur un fichier, elle lit ses enregistrements à la demande, par
// pages de lignes gardées dans un petit cache : la mémoire ne dépend pas
// du nombre d'enregistrements (seul le début de chaque page est noté).
class ModeleTableDbase : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ModeleTableDbase(QObject* parent = nullptr);
    ~ModeleTableDbase() override;

    void definir(TableDbase table);
    const TableDbase& table() const { return m_table; }

    // Lit l'en-tête de la table du fichier, puis parcourt ses octets de
    // suppression par blocs ; 'progression' reçoit la part parcourue (0 à
    // 1000) et arrête le parcours en rendant faux : la table garde alors les
    // lignes vues. Faux (et '*erreur') si le fichier ne s'ouvre pas.
    bool ouvrir(const QString& hote, const std::function<bool(int)>& progression = {},
                QString* erreur = nullptr);
    // Cellules de la ligne n (depuis 0 ; colonne 0 = numéro) ; vide hors limites.
    QStringList ligne(int n) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct Fichier;
    TableDbase m_table;
    std::unique_ptr<Fichier> m_fichier; // table lue à la demande, sinon nul
};

} // namespace morvine
