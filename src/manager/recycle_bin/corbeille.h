#pragma once
// Corbeille : un fichier effacé reste dans son répertoire sous un nom
// généré, caché et en lecture seule, et une ligne de l'index le décrit.
// Toute erreur lève plateforme::ErreurExecution, que l'appelant rapporte.
#include "manager/recycle_bin/index_corbeille.h"
#include "platform/fichiers.h"
#include <QList>
#include <QRandomGenerator>
#include <QSet>
#include <QString>
#include <memory>
#include <optional>

struct EtatCorbeille {
    qint64 total_corbeille = 0; // octets détenus (64 bits)
    // Index ouvert en ajout pendant que le programme tourne.
    std::unique_ptr<plateforme::FichierOuvert> index;
    // Chemins stockés nommés par l'index, en capitales : un nom dont le
    // fichier a disparu ne doit pas resservir (une purge l'effacerait).
    std::optional<QSet<QString>> noms_pris;
    QRandomGenerator aleatoire;

    void reinitialiser();
};

EtatCorbeille& etat_corbeille();

// Limite appliquée par la purge, d'après les réglages.
struct CritereCorbeille {
    enum Mode { Aucun, Taille, Temps } mode = Aucun;
    qint64 limite_octets = 0; // mode Taille : kilo-octets de 1 024 octets
    qint64 jours = 0;         // mode Temps
};
CritereCorbeille critere_corbeille();
// Positions des entrées que la purge détruit, les plus anciennes d'abord ;
// la dernière (la plus récente) est toujours gardée.
QList<int> entrees_a_detruire(const QList<EntreeCorbeille>& entrees,
                              const CritereCorbeille& critere, qint64 aujourd_hui);

// (Ré)ouvre l'index en ajout ; lit "Total" quand le total en mémoire est nul.
void Ouvrir_corbeille();
// Range un fichier : nom stocké libre, ligne de l'index, caché et lecture
// seule. Lève 75 pour un fichier en lecture seule et 64 pour un nom que
// l'index ne saurait garder, sans rien changer.
void Mettre_en_corbeille(const QString& chemin_source, const QString& fichier_courant,
                         const QString& répertoire_source, qint64 taille);
// Détruit les entrées au-delà de la limite, rouvre l'index, écrit "Total".
void Purger_corbeille();

// Pour la fenêtre de la corbeille : entrées dans l'ordre de l'index.
QList<EntreeCorbeille> entrees_corbeille();
void fermer_index_corbeille();
// Rend un fichier à son répertoire sous 'nom' (son nom d'origine si vide),
// sans ses attributs caché et lecture seule. Lève 53 (fichier stocké
// disparu), 76 (répertoire disparu) ou 58 (nom déjà pris) sans rien changer.
void restaurer_entree(const EntreeCorbeille& entree, const QString& nom = {});
// Retire une entrée de l'index sans toucher au disque (fichier disparu).
void oublier_entree(const EntreeCorbeille& entree);
// Détruit tous les fichiers stockés et l'index, retire "Total".
void vider_corbeille();
// [Corbeille] Total = total en mémoire, avec le blanc de tête.
void enregistrer_total();
