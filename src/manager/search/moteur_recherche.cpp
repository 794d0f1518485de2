// Critères de CHERCHER et balayage des fichiers de l'arbre gardé.
#include "manager/search/moteur_recherche.h"
#include "platform/fichiers.h"
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <utility>
#include <vector>

namespace recherche {

namespace {

// L'attribut caché d'un fichier : user.DOSATTRIB en décimal, ou dans
// l'ancienne forme hexadécimale ("0x22") ; sans attributs étendus (vfat...),
// la lecture commune des attributs en décide.
bool cache_par_attribut(const QByteArray& chemin) {
    char tampon[64];
    const ssize_t n = ::getxattr(chemin.constData(), "user.DOSATTRIB", tampon, sizeof tampon);
    if (n < 0 && errno == ENOTSUP) {
        const auto attributs = plateforme::attributs_hote(chemin);
        return !attributs || (*attributs & plateforme::ATTR_CACHE) != 0;
    }
    if (n <= 0)
        return false;
    const QByteArray texte = QByteArray(tampon, n).replace('\0', ' ').trimmed();
    bool ok = false;
    const unsigned valeur =
        texte.startsWith("0x") ? texte.mid(2).toUInt(&ok, 16) : texte.toUInt(&ok);
    return ok && (valeur & plateforme::ATTR_CACHE) != 0;
}

} // namespace

QString normaliser(const QString& texte) {
    const qsizetype point = texte.indexOf(u'.');
    if (point < 0)
        return texte + QStringLiteral(".*");
    if (point == 0)
        return u'*' + texte;
    return texte;
}

bool valide(const QString& normalise) {
    QString reste = normalise;
    reste.remove(u'*').remove(u'.');
    return !reste.isEmpty();
}

bool en_conflit(const QString& cherche, const QString& exclus) {
    return !exclus.isEmpty() &&
           plateforme::motif_like_correspond(cherche, exclus, Qt::CaseSensitive);
}

Balayage::Balayage(const QStringList& repertoires,
                   std::vector<plateforme::ContenuRepertoire>& contenus, Criteres criteres,
                   bool lu_a_l_instant)
    : m_repertoires(repertoires), m_contenus(contenus), m_criteres(std::move(criteres)),
      m_motif(m_criteres.motif), m_actualisation(contenus), m_lu_a_l_instant(lu_a_l_instant) {}

bool Balayage::suivant() {
    const qsizetype i = m_index;
    if (i >= m_repertoires.size() || size_t(i) >= m_contenus.size())
        return false;
    plateforme::ContenuRepertoire& contenu = m_contenus[size_t(i)];
    // Lu à l'instant, il serait revu pour rien ; mais un chemin près de la
    // limite du système passe par l'actualisation, qui l'ouvre dans son parent.
    const bool a_revoir = !m_lu_a_l_instant || contenu.hote.size() + NAME_MAX + 1 >= PATH_MAX;
    // Lève avant d'avancer : sur Réessayer, le même répertoire est repris.
    if (a_revoir ? m_actualisation.actualiser(size_t(i)) != plateforme::EtatContenu::Illisible
                 : !contenu.hote.isEmpty()) {
        // Le chemin DOS fait du répertoire et du nom lu, le fichier vu par
        // son répertoire ouvert : rien à résoudre composant par composant.
        const QString& repertoire = m_repertoires.at(i);
        const QString prefixe = repertoire.endsWith(u'\\') ? repertoire : repertoire + u'\\';
        for (const plateforme::FichierGarde& f : contenu.fichiers) {
            if (!m_motif.correspond(f.nom))
                continue;
            if (const std::optional<qint64> taille = retenu(contenu, f)) {
                m_trouves.append(prefixe + f.nom);
                m_tailles.push_back(*taille);
            }
        }
    }
    ++m_index;
    return true;
}

// Exclusion sur le nom seul, sans égard à la casse ; un fichier caché
// seulement quand les listes montrent les cachés. Un seul examen du chemin
// dit si le fichier est encore là, ordinaire, et donne sa taille : la ligne
// d'état la reprend sans revoir le disque.
std::optional<qint64> Balayage::retenu(const plateforme::ContenuRepertoire& contenu,
                                       const plateforme::FichierGarde& fichier) const {
    const QString& nom = fichier.nom;
    if (!m_criteres.exclus.isEmpty() &&
        plateforme::motif_like_correspond(nom, m_criteres.exclus, Qt::CaseInsensitive))
        return std::nullopt;
    if (!m_criteres.caches && nom.startsWith(u'.'))
        return std::nullopt;
    const QByteArray chemin =
        (contenu.hote.endsWith('/') ? contenu.hote : contenu.hote + '/') + QFile::encodeName(nom);
    if (chemin.size() >= PATH_MAX) {
        // Trop long pour le système : vu par le répertoire ouvert, sans taille.
        if (!m_actualisation.est_fichier_ordinaire(fichier))
            return std::nullopt;
        if (m_criteres.caches)
            return -1;
        const auto attributs = m_actualisation.attributs(fichier);
        if (!attributs || (*attributs & plateforme::ATTR_CACHE) != 0)
            return std::nullopt;
        return -1;
    }
    struct stat st;
    // Disparu depuis la lecture du répertoire, ou lien vers autre chose
    // qu'un fichier : pas retenu.
    if (::stat(chemin.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    if (!m_criteres.caches && cache_par_attribut(chemin))
        return std::nullopt;
    return qint64(st.st_size);
}

// Rangés comme leur forme en minuscules ; deux noms
// qui ne diffèrent que par la casse restent deux chemins distincts.
QStringList Balayage::trouves_tries() const {
    std::vector<std::pair<QString, QString>> cles; // minuscules, chemin réel
    cles.reserve(size_t(m_trouves.size()));
    for (const QString& chemin : m_trouves)
        cles.emplace_back(chemin.toLower(), chemin);
    std::sort(cles.begin(), cles.end());
    QStringList liste;
    liste.reserve(m_trouves.size());
    for (auto& paire : cles)
        liste.append(std::move(paire.second));
    return liste;
}

} // namespace recherche
