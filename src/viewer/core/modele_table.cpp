// Modèle de la grille dBase : les textes lus, sans un objet par cellule ;
// ouverte sur un fichier, la table lit ses enregistrements page par page.
#include "viewer/core/dbase.h"
#include "viewer/core/texte.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

namespace morvine {

namespace {

constexpr int k_lignes_page = 128;
constexpr int k_pages = 4;
// Octets lus d'un coup pour parcourir les enregistrements.
constexpr qint64 k_bloc = qint64(1) << 20;

} // namespace

struct ModeleTableDbase::Fichier {
    QFile fichier;
    qint64 debut = 0;           // position du premier enregistrement
    int longueur = 0;           // d'un enregistrement
    qint64 enregistrements = 0; // parcourus
    int lignes = 0;
    QList<qint64> pages;     // enregistrement de la première ligne de chaque page
    QList<qsizetype> champs; // position de chaque champ dans l'enregistrement
    struct Page {
        int numero = -1;
        QByteArray octets; // les enregistrements gardés, bout à bout
        quint64 usage = 0;
    };
    std::array<Page, k_pages> cache;
    quint64 horloge = 0;

    const Page& page(int numero);
};

// Enregistrements non supprimés de la page, lus par blocs depuis son début
// (des milliers de supprimés peuvent séparer deux lignes).
const ModeleTableDbase::Fichier::Page& ModeleTableDbase::Fichier::page(int numero) {
    Page* choisie = &cache[0];
    for (Page& p : cache) {
        if (p.numero == numero) {
            choisie = &p;
            break;
        }
        if (p.usage < choisie->usage)
            choisie = &p;
    }
    choisie->usage = ++horloge;
    if (choisie->numero == numero)
        return *choisie;
    choisie->numero = numero;
    choisie->octets.clear();
    const int voulues = std::min(k_lignes_page, lignes - numero * k_lignes_page);
    qint64 i = pages.value(numero);
    const qint64 par_bloc = std::max<qint64>(1, k_bloc / longueur);
    // D'abord à peu près les lignes de la page (quelques Kio, pas un bloc
    // entier à chaque page qui vient à l'écran) ; des supprimées en nombre
    // font lire la suite par blocs.
    qint64 lot = std::min<qint64>(par_bloc, voulues + voulues / 4 + 1);
    while (choisie->octets.size() < qsizetype(voulues) * longueur && i < enregistrements) {
        const qint64 n = std::min(lot, enregistrements - i);
        lot = par_bloc;
        if (!fichier.seek(debut + i * longueur))
            break;
        const QByteArray bloc = fichier.read(n * longueur);
        const qint64 lus = bloc.size() / longueur;
        for (qint64 j = 0; j < lus && choisie->octets.size() < qsizetype(voulues) * longueur; ++j) {
            if (bloc.at(j * longueur) != '*')
                choisie->octets.append(bloc.constData() + j * longueur, longueur);
        }
        if (lus < n)
            break;
        i += lus;
    }
    return *choisie;
}

ModeleTableDbase::ModeleTableDbase(QObject* parent) : QAbstractTableModel(parent) {}

ModeleTableDbase::~ModeleTableDbase() = default;

void ModeleTableDbase::definir(TableDbase table) {
    beginResetModel();
    m_table = std::move(table);
    m_fichier.reset();
    endResetModel();
}

bool ModeleTableDbase::ouvrir(const QString& hote, const std::function<bool(int)>& progression,
                              QString* erreur) {
    // Lu à part puis échangé : la grille ne voit jamais une table à moitié prête.
    auto f = std::make_unique<Fichier>();
    TableDbase table;
    const bool ouvert = ouvrir_en_lecture(f->fichier, hote, erreur);
    if (ouvert) {
        f->longueur = lire_disposition(f->fichier, table);
        f->debut = f->fichier.pos();
    }
    qsizetype position = 1; // après l'octet de suppression
    for (int longueur : std::as_const(table.longueurs)) {
        f->champs.append(position);
        position += longueur;
    }
    const qint64 total =
        f->longueur > 0 ? std::max<qint64>(0, (f->fichier.size() - f->debut) / f->longueur) : 0;
    const qint64 par_bloc = std::max<qint64>(1, k_bloc / std::max(f->longueur, 1));
    while (f->enregistrements < total && f->lignes < std::numeric_limits<int>::max()) {
        const qint64 n = std::min(par_bloc, total - f->enregistrements);
        if (!f->fichier.seek(f->debut + f->enregistrements * f->longueur))
            break;
        const QByteArray bloc = f->fichier.read(n * f->longueur);
        const qint64 lus = bloc.size() / f->longueur;
        for (qint64 j = 0; j < lus && f->lignes < std::numeric_limits<int>::max(); ++j) {
            if (bloc.at(j * f->longueur) == '*')
                continue;
            if (f->lignes % k_lignes_page == 0)
                f->pages.append(f->enregistrements + j);
            ++f->lignes;
        }
        f->enregistrements += lus;
        if (lus < n)
            break;
        if (progression && !progression(int(f->enregistrements * 1000 / total)))
            break;
    }
    beginResetModel();
    m_table = std::move(table);
    m_fichier = ouvert ? std::move(f) : nullptr;
    endResetModel();
    return ouvert;
}

QStringList ModeleTableDbase::ligne(int n) const {
    if (!m_fichier)
        return m_table.lignes.value(n);
    if (n < 0 || n >= m_fichier->lignes)
        return {};
    const Fichier::Page& page = m_fichier->page(n / k_lignes_page);
    const qsizetype debut = qsizetype(n % k_lignes_page) * m_fichier->longueur;
    return cellules_enregistrement(page.octets.mid(debut, m_fichier->longueur), n + 1, m_table);
}

int ModeleTableDbase::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return m_fichier ? m_fichier->lignes : int(m_table.lignes.size());
}

int ModeleTableDbase::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_table.noms.size());
}

// Colonne c du modèle = champ c + 1 de la ligne (la colonne 0 est le numéro).
QVariant ModeleTableDbase::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    if (!m_fichier)
        return m_table.lignes.value(index.row()).value(index.column() + 1);
    const int c = index.column();
    if (index.row() >= m_fichier->lignes || c < 0 || c >= m_table.longueurs.size())
        return {};
    // La seule cellule demandée, sans former toute la ligne.
    const Fichier::Page& page = m_fichier->page(index.row() / k_lignes_page);
    const qsizetype debut = qsizetype(index.row() % k_lignes_page) * m_fichier->longueur;
    const QByteArray enregistrement = page.octets.mid(debut, m_fichier->longueur);
    return texte_cellule(m_table.types.at(c),
                         enregistrement.mid(m_fichier->champs.at(c), m_table.longueurs.at(c)));
}

QVariant ModeleTableDbase::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || section < 0)
        return {};
    if (orientation == Qt::Horizontal)
        return m_table.noms.value(section);
    if (m_fichier)
        return section < m_fichier->lignes ? QVariant(QString::number(section + 1)) : QVariant();
    return m_table.lignes.value(section).value(0);
}

} // namespace morvine
