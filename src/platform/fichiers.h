#pragma once
// Fichiers : listes, attributs, renommage, suppression, blocs, espace libre.
// Toute erreur lève ErreurExecution (erreurs.h). Les chemins sont DOS.
#include <QDateTime>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <memory>
#include <optional>

namespace plateforme {

enum Attribut : unsigned {
    ATTR_NORMAL = 0,
    ATTR_LECTURE_SEULE = 1, // absence du droit d'écriture du propriétaire
    ATTR_CACHE = 2,         // user.DOSATTRIB, ou nom commençant par '.'
    ATTR_SYSTEME = 4,       // user.DOSATTRIB
    ATTR_REPERTOIRE = 16,
    ATTR_ARCHIVE = 32, // user.DOSATTRIB
};

struct EntreeFichier {
    QString nom; // nom tel qu'il est sur le disque (exprimable en DOS)
    qint64 taille = 0;
    QDateTime modification;
    unsigned attributs = 0;
};

// Fichiers (pas les répertoires) d'un répertoire dont le nom correspond au
// motif DOS (motifs.h, plusieurs motifs séparés par ';'). Les fichiers
// cachés ou système ne sont listés que si 'attributs' contient ATTR_CACHE ou
// ATTR_SYSTEME. Triés par nom sans égard à la casse. Lève 380 pour un motif
// invalide, 76 pour un répertoire absent.
QList<EntreeFichier> lister_fichiers(const QString& repertoire_dos, const QString& motif,
                                     unsigned attributs = ATTR_NORMAL);
// Noms seuls des mêmes fichiers, sans leur taille ni leur date : ce qu'une
// liste affiche, lu bien plus vite sur un grand répertoire.
QStringList lister_noms_fichiers(const QString& repertoire_dos, const QString& motif,
                                 unsigned attributs = ATTR_NORMAL);
// Sous-répertoires (noms), triés sans égard à la casse ; les cachés seulement
// si 'avec_caches'. Les liens vers des répertoires sont listés.
QStringList lister_repertoires(const QString& repertoire_dos, bool avec_caches = true);

// Les listes lisent les attributs relativement au répertoire ouvert ; vrai
// les fait lire par le chemin complet, comme sous un noyau qui n'a pas
// getxattrat (ce repli est pris de lui-même quand l'appel manque). Essais.
void lire_attributs_par_chemin(bool par_chemin);

bool existe(const QString& chemin_dos);
bool est_repertoire(const QString& chemin_dos);
qint64 longueur(const QString& chemin_dos);             // 64 bits ; lève 53
QDateTime date_modification(const QString& chemin_dos); // lève 53
unsigned attributs(const QString& chemin_dos);          // lève 53
// Les mêmes, pour un chemin de l'hôte déjà connu (un parcours) ; rien pour
// un fichier disparu.
std::optional<unsigned> attributs_hote(const QByteArray& chemin_hote);
void definir_attributs(const QString& chemin_dos, unsigned attributs);

// Ne remplace jamais : lève 58 si la cible existe. Entre deux systèmes de
// fichiers d'une même unité, copie puis supprime.
void renommer(const QString& ancien_dos, const QString& nouveau_dos);
// Le même renommage sans repli : faux, sans rien changer, quand les deux noms
// sont sur deux systèmes de fichiers ; l'appelant copie alors lui-même.
bool renommer_sur_place(const QString& ancien_dos, const QString& nouveau_dos);
// Renommages successifs entre les mêmes répertoires (DEPLACER de milliers de
// fichiers) : chaque répertoire est cherché et ouvert une fois, et chaque
// fichier renommé par rapport à lui. Mêmes règles et mêmes erreurs que
// renommer_sur_place ; un nom qu'il faut chercher sans égard à la casse
// prend le chemin ordinaire.
class Renommages {
public:
    Renommages();
    ~Renommages();
    Renommages(const Renommages&) = delete;
    Renommages& operator=(const Renommages&) = delete;
    bool renommer_sur_place(const QString& ancien_dos, const QString& nouveau_dos);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
// Nom du fichier temporaire de ce repli (".kaldron-" et six caractères),
// noté au journal des provisoires (provisoires.h) avant d'être créé.
bool est_nom_temporaire(const QString& nom);
void supprimer_fichier(const QString& chemin_dos);    // lève 75 si lecture seule
void creer_repertoire(const QString& chemin_dos);     // lève 75 si existe déjà
void supprimer_repertoire(const QString& chemin_dos); // lève 75 s'il n'est pas vide

// Pour les copies, sur des descripteurs et des chemins de l'hôte :
// - droits de la source ('mode' de stat) donnés à la copie : lecture,
//   écriture, exécution, jamais set-user-ID ni set-group-ID ; un système de
//   fichiers qui ne sait pas les garder (vfat) garde au moins la lecture seule ;
void donner_droits_de_copie(int fd, unsigned mode);
// - attributs étendus user.* (dont user.DOSATTRIB) ;
void copier_attributs_etendus(int source, int cible);
// - nom donné à une copie complète, sur son système de fichiers, sans jamais
//   remplacer : lève 58 si le nom est pris.
void nommer_sans_remplacer(const QByteArray& provisoire_hote, const QByteArray& cible_hote);

// Octets libres de l'unité qui contient le chemin.
qint64 espace_libre(const QString& chemin_dos);

// Fichier ouvert en lecture ou en écriture par blocs.
class FichierOuvert {
public:
    enum Mode { Lecture, Ecriture, Ajout };
    // L'écriture sur un fichier en lecture seule lève 75.
    FichierOuvert(const QString& chemin_dos, Mode mode);
    ~FichierOuvert();
    FichierOuvert(const FichierOuvert&) = delete;
    FichierOuvert& operator=(const FichierOuvert&) = delete;

    QByteArray lire(qint64 taille);        // moins d'octets en fin de fichier
    void ecrire(const QByteArray& octets); // lève 61 si le disque est plein
    qint64 taille() const;
    qint64 position() const;
    void fermer();
    bool ouvert() const;
    QString chemin_hote() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace plateforme
