#pragma once
// Logique de CHERCHER, sans fenêtre : critères saisis, et balayage des
// fichiers de l'arbre des répertoires gardé.
#include "platform/motifs.h"
#include "platform/parcours.h"
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace recherche {

// "bat" -> "bat.*", ".bat" -> "*.bat", "." -> "*." ; le reste tel quel.
QString normaliser(const QString& texte);
// Faux quand il ne reste rien une fois ôtés les '*' et les '.' ("*.*", "*").
bool valide(const QString& normalise);
// Le texte cherché, pris tel quel, est reconnu par le motif d'exclusion
// (capitales et minuscules distinguées) : rien ne pourrait être trouvé.
bool en_conflit(const QString& cherche, const QString& exclus);

struct Criteres {
    QString motif;  // motif DOS normalisé
    QString exclus; // langage des exclusions ; vide : rien n'est exclu
    bool caches = false;
};

// Parcourt les répertoires de l'arbre un à un ; chaque fichier retenu donne
// son chemin complet, avec la casse du disque.
class Balayage {
public:
    // 'repertoires' et 'contenus' : l'arbre gardé, au même index. Lève 380
    // pour un motif invalide.
    // 'lu_a_l_instant' : l'arbre vient d'être lu pour cette recherche, ses
    // répertoires n'ont pas à être revus.
    Balayage(const QStringList& repertoires, std::vector<plateforme::ContenuRepertoire>& contenus,
             Criteres criteres, bool lu_a_l_instant = false);
    // Traite le répertoire suivant ; faux quand il n'y en a plus. Une erreur
    // du support lève ErreurExecution sans avancer : l'appel se refait.
    bool suivant();
    qsizetype index() const { return m_index; }
    const QStringList& trouves() const { return m_trouves; }
    // Taille de chaque trouvé, au même index, lue pendant le balayage ; -1
    // quand elle n'a pu l'être (chemin trop long pour le système).
    const std::vector<qint64>& tailles() const { return m_tailles; }
    // Les chemins trouvés, dans l'ordre alphabétique.
    QStringList trouves_tries() const;

private:
    // Taille du fichier s'il est retenu (-1 : retenu, taille inconnue).
    std::optional<qint64> retenu(const plateforme::ContenuRepertoire& contenu,
                                 const plateforme::FichierGarde& fichier) const;

    const QStringList& m_repertoires;
    std::vector<plateforme::ContenuRepertoire>& m_contenus;
    Criteres m_criteres;
    plateforme::MotifDos m_motif;
    // Chaque répertoire ouvert par son nom dans son parent.
    plateforme::Actualisation m_actualisation;
    bool m_lu_a_l_instant;
    qsizetype m_index = 0;
    QStringList m_trouves;
    std::vector<qint64> m_tailles;
};

} // namespace recherche
