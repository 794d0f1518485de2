#include "platform/unites.h"

#include "platform/profil.h"

#include <QDir>
#include <QStorageInfo>
#include <algorithm>
#include <pwd.h>
#include <unistd.h>

namespace plateforme {

namespace {

const QString k_section = QStringLiteral("Unités");
// Tampons de lecture du profil : un chemin de l'hôte tient en 4 096 octets.
constexpr unsigned k_taille_valeur = 4097;
constexpr unsigned k_taille_cles = 4096;

bool lettre_valide(QChar lettre) {
    return lettre >= u'A' && lettre <= u'Z';
}

QString repertoire_net(const QString& repertoire) {
    return QDir::cleanPath(QDir::current().absoluteFilePath(repertoire));
}

// Préfixe composant par composant : /home/ab n'est pas sous /home/a.
bool couvre(const QString& repertoire, const QString& chemin) {
    if (repertoire == u"/")
        return chemin.startsWith(u'/');
    return chemin == repertoire ||
           (chemin.startsWith(repertoire) && chemin.at(repertoire.size()) == u'/');
}

QString nom_usager() {
    const passwd* pw = getpwuid(geteuid());
    return pw && pw->pw_name ? QString::fromLocal8Bit(pw->pw_name) : QString();
}

// Volumes montés pour l'usager, dans l'ordre des racines.
QStringList volumes_amovibles() {
    const QString usager = nom_usager();
    QStringList racines;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString racine = volume.rootPath();
        if (volume.isValid() && volume.isReady() && volume_de_l_usager(racine, usager))
            racines.append(racine);
    }
    racines.sort();
    return racines;
}

// Écrit l'unité dans WIN.INI ; une valeur que Windows-1252 ne sait pas
// écrire telle quelle n'est pas gardée (elle désignerait un autre répertoire).
void memoriser(QChar lettre, const QString& repertoire) {
    const QString cle(lettre);
    ecrire_win_ini(k_section, cle, repertoire);
    if (lire_win_ini(k_section, cle, QString(), k_taille_valeur) != repertoire)
        ecrire_win_ini(k_section, cle, std::nullopt);
}

std::optional<QChar> lettre_libre(const TableUnites& table) {
    for (char16_t c = u'D'; c < u'Z'; ++c) {
        if (!table.repertoire(QChar(c)))
            return QChar(c);
    }
    return std::nullopt;
}

} // namespace

// Seuls les supports montés pour l'usager (clé USB, carte) reçoivent une
// lettre d'eux-mêmes : un montage du système sous /mnt n'est pas à lui.
bool volume_de_l_usager(const QString& racine, const QString& usager) {
    if (usager.isEmpty() || usager.contains(u'/'))
        return false;
    for (const QString& base : {QStringLiteral("/media/"), QStringLiteral("/run/media/")}) {
        const QString dossier = base + usager;
        if (racine.startsWith(dossier + u'/') && racine.size() > dossier.size() + 1)
            return true;
    }
    return false;
}

TableUnites& TableUnites::instance() {
    static TableUnites table;
    return table;
}

void TableUnites::charger() {
    m_unites.clear();
    for (const QString& cle : cles_win_ini(k_section, k_taille_cles)) {
        const QString valeur = lire_win_ini(k_section, cle, QString(), k_taille_valeur);
        if (cle.size() == 1 && lettre_valide(cle.at(0).toUpper()) && !valeur.isEmpty())
            ajouter(cle.at(0), valeur);
    }
    // Une unité par défaut absente de la table (premier démarrage, ou valeur
    // non enregistrable) est ajoutée ; les autres restent telles quelles.
    const auto nouvelle = [this](QChar lettre, const QString& repertoire_hote) {
        ajouter(lettre, repertoire_hote);
        memoriser(lettre, *repertoire(lettre));
    };
    if (!repertoire(u'C'))
        nouvelle(u'C', QDir::homePath());
    if (!repertoire(u'Z'))
        nouvelle(u'Z', QStringLiteral("/"));
    for (const QString& racine : volumes_amovibles()) {
        const bool connue = std::any_of(m_unites.cbegin(), m_unites.cend(),
                                        [&](const Unite& u) { return u.repertoire == racine; });
        const auto lettre = lettre_libre(*this);
        if (!connue && lettre)
            nouvelle(*lettre, racine);
    }
    m_charge = true;
}

void TableUnites::definir(const QList<Unite>& unites) {
    m_unites.clear();
    for (const Unite& unite : unites)
        ajouter(unite.lettre, unite.repertoire);
    m_charge = true;
}

void TableUnites::ajouter(QChar lettre, const QString& repertoire) {
    const Unite unite{lettre.toUpper(), repertoire_net(repertoire)};
    retirer(unite.lettre);
    const auto place = std::find_if(m_unites.begin(), m_unites.end(),
                                    [&](const Unite& u) { return u.lettre > unite.lettre; });
    m_unites.insert(place, unite);
    m_charge = true;
}

void TableUnites::retirer(QChar lettre) {
    m_unites.removeIf([l = lettre.toUpper()](const Unite& u) { return u.lettre == l; });
}

void TableUnites::vider() {
    m_unites.clear();
    m_charge = false;
}

std::optional<QString> TableUnites::repertoire(QChar lettre) const {
    const QChar l = lettre.toUpper();
    for (const Unite& unite : m_unites) {
        if (unite.lettre == l)
            return unite.repertoire;
    }
    return std::nullopt;
}

std::optional<Unite> TableUnites::unite_de(const QString& chemin_hote) const {
    const QString chemin = repertoire_net(chemin_hote);
    std::optional<Unite> meilleure;
    for (const Unite& unite : m_unites) {
        const bool plus_long = !meilleure || unite.repertoire.size() > meilleure->repertoire.size();
        if (plus_long && couvre(unite.repertoire, chemin))
            meilleure = unite;
    }
    return meilleure;
}

bool est_disquette(QChar lettre) {
    const QChar l = lettre.toUpper();
    return l == u'A' || l == u'B';
}

} // namespace plateforme
