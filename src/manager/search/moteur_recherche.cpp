// Critères de CHERCHER et balayage des fichiers de l'arbre gardé.
#include "manager/search/moteur_recherche.h"
#include "platform/fichiers.h"
#include <algorithm>
#include <utility>
#include <vector>

namespace recherche {

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
                   std::vector<plateforme::ContenuRepertoire>& contenus, Criteres criteres)
    : m_repertoires(repertoires), m_contenus(contenus), m_criteres(std::move(criteres)),
      m_motif(m_criteres.motif), m_actualisation(contenus) {}

bool Balayage::suivant() {
    const qsizetype i = m_index;
    if (i >= m_repertoires.size() || size_t(i) >= m_contenus.size())
        return false;
    plateforme::ContenuRepertoire& contenu = m_contenus[size_t(i)];
    // Lève avant d'avancer : sur Réessayer, le même répertoire est repris.
    if (m_actualisation.actualiser(size_t(i)) != plateforme::EtatContenu::Illisible) {
        // Le chemin DOS fait du répertoire et du nom lu, le fichier vu par
        // son répertoire ouvert : rien à résoudre composant par composant.
        const QString& repertoire = m_repertoires.at(i);
        const QString prefixe = repertoire.endsWith(u'\\') ? repertoire : repertoire + u'\\';
        for (const plateforme::FichierGarde& f : contenu.fichiers) {
            if (m_motif.correspond(f.nom) && m_actualisation.est_fichier_ordinaire(f) && retenu(f))
                m_trouves.append(prefixe + f.nom);
        }
    }
    ++m_index;
    return true;
}

// Exclusion sur le nom seul, sans égard à la casse ; un fichier caché
// seulement quand les listes montrent les cachés.
bool Balayage::retenu(const plateforme::FichierGarde& fichier) const {
    const QString& nom = fichier.nom;
    if (!m_criteres.exclus.isEmpty() &&
        plateforme::motif_like_correspond(nom, m_criteres.exclus, Qt::CaseInsensitive))
        return false;
    if (m_criteres.caches)
        return true;
    if (nom.startsWith(u'.'))
        return false;
    const auto attributs = m_actualisation.attributs(fichier);
    // Disparu depuis la lecture du répertoire : pas retenu.
    return attributs && (*attributs & plateforme::ATTR_CACHE) == 0;
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
