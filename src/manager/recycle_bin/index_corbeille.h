#pragma once
// Index de la corbeille (KALDRON.CRB à la racine de l'unité du programme) :
// une ligne par fichier stocké, la plus ancienne d'abord, de la forme
// "crbJJJJJ.NNN 00001234 nom du fichier C:\REPERTOIRE\".
#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <optional>

struct EntreeCorbeille {
    QString nom_stocke; // "crb" + numéro du jour + "." + trois chiffres ou lettres
    qint64 jour = 0;    // numéro du jour de l'effacement
    qint64 taille = 0;  // octets
    QString nom;        // nom du fichier effacé, tel que la liste le montrait
    QString repertoire; // répertoire d'origine, terminé par "\"

    QString chemin_stocke() const { return repertoire + nom_stocke; }
    QString chemin_origine() const { return repertoire + nom; }
};

namespace corbeille {

inline constexpr int LONGUEUR_NOM_STOCKE = 12;
inline constexpr int LARGEUR_TAILLE = 8; // élargie au-delà de 99 999 999 octets
// Trois caractères de [0-9a-z] après le point : 46 656 noms par jour et par
// répertoire (les noms à trois chiffres d'avant en font partie).
inline constexpr int NUMEROS_NOM_STOCKE = 36 * 36 * 36;

// Nom stocké du jour 'jour' et du numéro 'numero' (0 à NUMEROS_NOM_STOCKE - 1),
// écrit en base 36, en minuscules.
QString nom_stocke(qint64 jour, int numero);
bool nom_stocke_valide(const QString& nom);

// Un nom ou un répertoire qu'une ligne de l'index ne saurait relire tel quel
// (":" de trop, séparateur, fin de ligne) est refusé ; "." et ".." aussi.
bool nom_acceptable(const QString& nom);
bool repertoire_acceptable(const QString& repertoire);

// Ligne de l'index, sans fin de ligne, en UTF-8.
QByteArray ligne(const EntreeCorbeille& entree);
// Lecture par les séparateurs : la taille est le deuxième champ, le
// répertoire commence à la lettre qui précède le premier ":". Les lignes
// d'avant (Windows-1252, taille sur huit chiffres) se lisent aussi.
// Rien pour une ligne mal formée, ni pour un nom qui sortirait du
// répertoire de la ligne (séparateur, ".."), ni pour un répertoire douteux.
std::optional<EntreeCorbeille> lire_ligne(const QByteArray& octets);
// Ce qu'on peut montrer d'une ligne refusée : fichier stocké et nom, ou la
// ligne elle-même.
QString description_ligne(const QByteArray& octets);
// Entrées bien formées des lignes, dans leur ordre.
QList<EntreeCorbeille> entrees(const QList<QByteArray>& lignes);
// Position de la ligne de l'entrée (même fichier stocké), -1 sinon.
int position(const QList<QByteArray>& lignes, const EntreeCorbeille& entree);

QString chemin_index();      // X:\KALDRON.CRB
QString chemin_temporaire(); // X:\KALDRON.NEW
QString chemin_verrou();     // X:\KALDRON.VER

// Verrou de l'index pour tous les programmes qui s'en servent : pris sur un
// fichier stable à côté de lui (l'index, remplacé par renommage, change de
// fichier). Réentrant dans un même processus. Lève 70 après 30 s d'attente.
class Verrou {
public:
    Verrou();
    ~Verrou();
    Verrou(const Verrou&) = delete;
    Verrou& operator=(const Verrou&) = delete;
};

// Pendant une commande qui range fichier après fichier : le fichier verrou
// et l'index restent ouverts d'une étape à l'autre. Le verrou est toujours
// rendu à la fin de chaque étape (un autre programme passe entre deux
// fichiers, et aucune question n'attend sous le verrou) ; l'index ouvert ne
// sert que s'il est encore le même fichier, de la même taille.
class Lot {
public:
    Lot();
    ~Lot();
    Lot(const Lot&) = delete;
    Lot& operator=(const Lot&) = delete;
};

// Chemin de l'index sur l'hôte (gardé pendant un lot).
QByteArray chemin_index_hote();

// Lignes de l'index sans fin de ligne ni lignes vides ; aucune s'il manque.
QList<QByteArray> lire_lignes();
// Remplace l'index, caché, par ces lignes, d'un seul coup.
void ecrire_lignes(const QList<QByteArray>& lignes);
// Ajoute une ligne à la fin de l'index (créé s'il manque), en le rouvrant.
void ajouter_ligne(const QByteArray& ligne);

} // namespace corbeille
