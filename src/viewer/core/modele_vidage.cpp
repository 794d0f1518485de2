// Modèle du vidage : les lignes sont relues (fichier de vidage) ou formées
// (fichier source) à la demande, par morceaux gardés dans un petit cache.
#include "viewer/core/texte.h"
#include "viewer/core/vidage.h"

#include <algorithm>
#include <array>
#include <limits>

namespace morvine {

namespace {

constexpr qint64 k_taille_morceau = qint64(64) * 1024;
constexpr int k_morceaux = 4;

} // namespace

struct ModeleVidage::Cache {
    struct Morceau {
        qint64 numero = -1;
        QByteArray octets;
        quint64 usage = 0;
    };
    std::array<Morceau, k_morceaux> morceaux;
    quint64 horloge = 0;
};

ModeleVidage::ModeleVidage(QObject* parent)
    : QAbstractListModel(parent), m_cache(std::make_unique<Cache>()) {}

ModeleVidage::~ModeleVidage() = default;

// Nombre de lignes d'un vidage de 'taille' octets : toutes les lignes sont
// complètes sauf peut-être la dernière, qui a au moins une ligne de long
// minimale. Rend -1 pour une taille impossible.
static qint64 lignes_pour_taille(qint64 taille) {
    if (taille <= 0)
        return taille == 0 ? 0 : -1;
    // Recherche dichotomique de la plus petite n telle que debut_ligne(n) >= taille.
    qint64 bas = 0;
    qint64 haut = taille / 60 + 1;
    while (bas < haut) {
        const qint64 milieu = bas + (haut - bas) / 2;
        if (debut_ligne(milieu) >= taille)
            haut = milieu;
        else
            bas = milieu + 1;
    }
    // La plus courte ligne (un octet) fait 57 + 3 caractères et CR LF.
    const qint64 reste = taille - debut_ligne(bas - 1);
    return reste >= 62 ? bas : -1;
}

bool ModeleVidage::ouvrir(const QString& vidage_hote) {
    beginResetModel();
    m_fichier.close();
    m_cache = std::make_unique<Cache>();
    m_taille = 0;
    m_lignes = 0;
    m_source = false;
    m_fichier.setFileName(vidage_hote);
    bool ok = m_fichier.open(QIODevice::ReadOnly);
    if (ok) {
        const qint64 lignes = lignes_pour_taille(m_fichier.size());
        ok = lignes >= 0;
        if (ok) {
            m_taille = m_fichier.size();
            m_lignes = lignes;
        } else {
            m_fichier.close();
        }
    }
    endResetModel();
    return ok;
}

bool ModeleVidage::ouvrir_source(const QString& source_hote, QString* erreur) {
    beginResetModel();
    m_fichier.close();
    m_cache = std::make_unique<Cache>();
    m_taille = 0;
    m_lignes = 0;
    m_source = true;
    const bool ok = ouvrir_en_lecture(m_fichier, source_hote, erreur);
    if (ok) {
        m_taille = std::max<qint64>(m_fichier.size(), 0);
        m_lignes = (m_taille + 15) / 16;
    }
    endResetModel();
    return ok;
}

void ModeleVidage::limiter(qint64 lignes) {
    if (lignes < 0 || lignes >= m_lignes)
        return;
    beginResetModel();
    m_lignes = lignes;
    endResetModel();
}

void ModeleVidage::fermer() {
    beginResetModel();
    m_fichier.close();
    m_cache = std::make_unique<Cache>();
    m_taille = 0;
    m_lignes = 0;
    m_source = false;
    endResetModel();
}

QByteArray ModeleVidage::lire(qint64 debut, qint64 longueur) const {
    QByteArray resultat;
    Cache& cache = *m_cache;
    while (longueur > 0) {
        const qint64 numero = debut / k_taille_morceau;
        Cache::Morceau* choisi = &cache.morceaux[0];
        for (Cache::Morceau& m : cache.morceaux) {
            if (m.numero == numero) {
                choisi = &m;
                break;
            }
            if (m.usage < choisi->usage)
                choisi = &m;
        }
        if (choisi->numero != numero) {
            choisi->numero = -1;
            if (!m_fichier.seek(numero * k_taille_morceau))
                return {};
            choisi->octets = m_fichier.read(k_taille_morceau);
            choisi->numero = numero;
        }
        choisi->usage = ++cache.horloge;
        const qint64 dans = debut - numero * k_taille_morceau;
        const qint64 pris = std::min(longueur, qint64(choisi->octets.size()) - dans);
        if (pris <= 0)
            return {};
        resultat.append(choisi->octets.constData() + dans, pris);
        debut += pris;
        longueur -= pris;
    }
    return resultat;
}

QByteArray ModeleVidage::ligne(qint64 n) const {
    if (n < 0 || n >= m_lignes)
        return {};
    if (m_source) {
        // La dernière ligne prend ce qui reste (moins de 16 octets).
        const qint64 debut = n * 16;
        const QByteArray octets = lire(debut, std::min<qint64>(16, m_taille - debut));
        return formater_ligne_hex(debut, reinterpret_cast<const uchar*>(octets.constData()),
                                  int(octets.size()));
    }
    const qint64 debut = debut_ligne(n);
    const qint64 fin = n + 1 < m_lignes ? debut_ligne(n + 1) : m_taille;
    QByteArray octets = lire(debut, fin - debut);
    if (octets.endsWith("\r\n"))
        octets.chop(2);
    return octets;
}

int ModeleVidage::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    // Une liste Qt compte ses lignes en int : au-delà, le vidage est coupé.
    return int(std::min<qint64>(m_lignes, std::numeric_limits<int>::max()));
}

QVariant ModeleVidage::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.column() != 0)
        return {};
    return QString::fromLatin1(ligne(index.row()));
}

} // namespace morvine
