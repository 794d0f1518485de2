#pragma once
// Corbeille : un fichier effacé reste dans son répertoire sous un nom
// généré, caché et en lecture seule, et une ligne de l'index le décrit.
// Toute erreur lève plateforme::ErreurExecution, que l'appelant rapporte.
#include "manager/recycle_bin/index_corbeille.h"
#include "platform/fichiers.h"
#include <QList>
#include <QMap>
#include <QRandomGenerator>
#include <QSet>
#include <QString>
#include <optional>

// Empreinte de l'index (inode, taille, date) : dit s'il a changé.
struct Empreinte {
    quint64 inode = 0;
    qint64 taille = -1;
    qint64 secondes = 0;
    qint64 nanosecondes = 0;
    bool operator==(const Empreinte&) const = default;
};

struct EtatCorbeille {
    qint64 total_corbeille = 0; // octets détenus (64 bits)
    // Chemins stockés nommés par l'index, en capitales : un nom dont le
    // fichier a disparu ne doit pas resservir (une purge l'effacerait).
    // Relus quand l'index n'a plus l'empreinte notée.
    std::optional<QSet<QString>> noms_pris;
    Empreinte empreinte;
    QRandomGenerator aleatoire;
    // Lignes que la corbeille garde sans s'en servir (ligne brute ->
    // description) et celles déjà signalées.
    QMap<QByteArray, QString> douteuses;
    QSet<QByteArray> signalees;

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

// Crée l'index s'il manque, caché ; lit "Total" quand le total en mémoire
// est nul. Chaque changement rouvre ensuite l'index sous son verrou.
void Ouvrir_corbeille();
// Range un fichier : nom stocké libre, ligne de l'index, caché et lecture
// seule. Lève 75 pour un fichier en lecture seule et 64 pour un nom que
// l'index ne saurait garder, sans rien changer.
void Mettre_en_corbeille(const QString& chemin_source, const QString& fichier_courant,
                         const QString& répertoire_source, qint64 taille);
// Détruit les entrées au-delà de la limite, écrit "Total". Un fichier
// stocké qui n'a plus ses attributs caché et lecture seule n'est pas
// détruit : sa ligne reste, notée comme douteuse.
void Purger_corbeille();

// Pour la fenêtre de la corbeille : entrées dans l'ordre de l'index.
QList<EntreeCorbeille> entrees_corbeille();
// Rend un fichier à son répertoire sous 'nom' (son nom d'origine si vide),
// sans ses attributs caché et lecture seule. Lève 53 (fichier stocké ou
// ligne disparus), 76 (répertoire disparu), 58 (nom déjà pris) ou 64 (nom
// qui n'est pas un simple nom) sans rien changer.
void restaurer_entree(const EntreeCorbeille& entree, const QString& nom = {});
// Retire une entrée de l'index sans toucher au disque (fichier disparu).
void oublier_entree(const EntreeCorbeille& entree);
// Détruit tous les fichiers stockés et l'index, retire "Total" (les lignes
// douteuses et l'index qui les porte restent).
void vider_corbeille();
// [Corbeille] Total = total en mémoire, avec le blanc de tête.
void enregistrer_total();
// Message, une seule fois par ligne, pour les lignes douteuses notées.
void signaler_lignes_douteuses();
