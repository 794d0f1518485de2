#pragma once
// Parcours en largeur de tous les répertoires d'une unité : sans limite de
// nombre, sans boucle par les liens, sans entrer dans les systèmes de
// fichiers virtuels (/proc, /sys, /dev, /run) ; un répertoire illisible est
// sauté.
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace plateforme {

// Ce qui dit qu'un répertoire n'a pas changé depuis sa lecture : toute
// entrée ajoutée, ôtée ou renommée change sa date de modification.
struct EmpreinteRepertoire {
    quint64 dev = 0;
    quint64 ino = 0;
    qint64 modification_ns = 0;
    qint64 changement_ns = 0;
    bool operator==(const EmpreinteRepertoire&) const = default;
};

// Un fichier d'un répertoire lu ; pour un lien, la cible n'est examinée
// qu'au besoin (est_fichier_ordinaire).
struct FichierGarde {
    QString nom;
    bool lien = false;
};

// Fichiers d'un répertoire de l'arbre, gardés d'une recherche à l'autre.
struct ContenuRepertoire {
    QByteArray hote; // vide : jamais lu (lien, système virtuel, illisible)
    EmpreinteRepertoire empreinte;
    bool racine = false;
    // Faux quand la lecture a suivi de trop près une modification : une
    // autre, dans le même tic d'horloge, ne changerait pas la date.
    bool sur = false;
    std::vector<FichierGarde> fichiers;
    // Index du répertoire qui le contient (-1 : la racine) ; vrai s'il
    // contient des répertoires lus : on le garde ouvert pour eux.
    qsizetype parent = -1;
    bool parent_de_repertoires = false;
};

struct ResultatParcours {
    QStringList repertoires; // chemins DOS complets, la racine d'abord
    bool complet = true;     // faux si le parcours a été interrompu
    // Un par répertoire, au même index, quand les fichiers sont demandés.
    std::vector<ContenuRepertoire> contenus;
};

struct OptionsParcours {
    bool avec_fichiers = false;
    // Appelée après chaque répertoire lu avec son chemin DOS ; faux arrête.
    std::function<bool(const QString&)> continuer;
};

// 'racine_dos' : "C:\" ou un répertoire. 'continuer' est appelée après chaque
// répertoire lu (elle peut rendre la main à la boucle d'événements) ; le
// parcours s'arrête quand elle rend faux.
// Les sous-répertoires d'un répertoire viennent triés sans égard à la casse ;
// les cachés (nom en '.') sont listés. Un lien vers un répertoire est listé
// mais jamais parcouru : le parcours reste dans l'arborescence réelle.
// Lève 68 si la racine de l'unité est absente, 76 pour un autre répertoire.
ResultatParcours parcourir_repertoires(const QString& racine_dos,
                                       const std::function<bool()>& continuer = {});

// Le même parcours, qui garde aussi, si demandé, les fichiers de chaque
// répertoire : une seule lecture de chaque répertoire sert aux deux.
ResultatParcours parcourir_repertoires(const QString& racine_dos, const OptionsParcours& options);

enum class EtatContenu { Garde, Relu, Illisible };
// Relit les fichiers d'un répertoire de l'arbre si son empreinte a changé ;
// Illisible pour un répertoire disparu, devenu lien ou interdit (sauté).
// Lève ErreurExecution pour une autre erreur du système (support absent...).
EtatContenu actualiser_contenu(ContenuRepertoire& contenu);

// Vrai si l'entrée est un fichier ordinaire (un lien : si sa cible l'est).
bool est_fichier_ordinaire(const ContenuRepertoire& contenu, const FichierGarde& fichier);

// Actualisation de l'arbre gardé répertoire après répertoire, dans l'ordre
// du parcours : chacun est ouvert par son nom dans son parent ouvert, sans
// refaire tout son chemin (qui peut dépasser ce que le système accepte).
class Actualisation {
public:
    explicit Actualisation(std::vector<ContenuRepertoire>& contenus);
    ~Actualisation();
    Actualisation(const Actualisation&) = delete;
    Actualisation& operator=(const Actualisation&) = delete;

    // Comme actualiser_contenu, pour contenus[i] ; 'i' ne recule jamais.
    EtatContenu actualiser(size_t i);
    // Pour les fichiers du répertoire actualisé en dernier (s'il est lisible) :
    bool est_fichier_ordinaire(const FichierGarde& fichier) const;
    // attributs DOS (fichiers.h) ; rien pour un fichier disparu.
    std::optional<unsigned> attributs(const FichierGarde& fichier) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Vrai pour un chemin de l'hôte situé dans un système de fichiers virtuel.
bool est_systeme_virtuel(const QString& chemin_hote);

} // namespace plateforme
