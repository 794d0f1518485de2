#pragma once
// Copie et déplacement d'un répertoire entier par le moteur de copie :
// sous-répertoires, fichiers, liens symboliques (copiés comme liens), droits
// et dates. Chemins de l'hôte en octets : les noms du contenu ne sont pas
// tous exprimables en DOS, et aucun ne doit être perdu.
#include "manager/commands/moteur_copie.h"
#include <QByteArray>
#include <QList>
#include <functional>

namespace copie {

struct Element {
    enum Genre { Repertoire, Fichier, Lien, Special };
    QByteArray relatif; // sous la racine ; vide pour la racine elle-même
    Genre genre = Fichier;
    qint64 taille = 0;
};

// Tout ce que contient 'racine', chaque répertoire avant son contenu, la
// racine en tête (seule si c'est un fichier ou un lien). Les liens ne sont
// pas suivis. Lève ErreurExecution.
QList<Element> inventorier(const QByteArray& racine);
qint64 total_octets(const QList<Element>& elements);

// Vrai si 'cible' est 'source' ou l'un de ses descendants, liens résolus ;
// une cible absente est jugée par son plus proche parent existant.
bool dans_lui_meme(const QByteArray& source, const QByteArray& cible);

struct RappelsArbre {
    // Jauge sur le total des octets, arrêt lu entre les blocs et les
    // éléments, boucle d'événements.
    Rappels copie;
    // Élément sur le point d'être écrit (pour les messages).
    std::function<void(const Element&)> element;
    // Un fichier ou un lien de ce nom existe dans la cible : REP_OUI,
    // REP_NON ou REP_ANNULER. Vide : Oui.
    std::function<int(const Element&)> remplacer;
    // Étape sur le disque, refaite tant que l'usager le veut ; faux pour
    // abandonner. Vide : l'erreur est levée.
    std::function<bool(const std::function<void()>&)> etape;
};

enum class Fin {
    Complete,   // tout est copié
    Incomplete, // des fichiers gardés à la demande de l'usager (Non)
    Abandonnee, // arrêt ou erreur : rien de ce qui a été créé ne reste
};

// Copie l'arbre 'source' (ou le fichier, ou le lien) sous le nom 'cible'. Une cible absente est
// bâtie sous un nom provisoire caché et ne prend son nom qu'entière ; dans une cible existante, les
// éléments arrivent un à un et, à l'abandon, ceux qui ont été créés sont effacés. 'durable' :
// chaque fichier est écrit sur le disque avant de prendre son nom (déplacement).
Fin copier_arbre(const QByteArray& source, const QByteArray& cible, const QList<Element>& elements,
                 const RappelsArbre& rappels, bool durable = false);

// Sur le même système de fichiers et vers une cible absente, un simple
// renommage ; sinon la copie, puis la source n'est effacée que si tout est
// copié.
Fin deplacer_arbre(const QByteArray& source, const QByteArray& cible,
                   const QList<Element>& elements, const RappelsArbre& rappels);

// Efface l'arbre, le contenu avant son répertoire. Lève ErreurExecution.
void effacer_arbre(const QByteArray& racine, const QList<Element>& elements);

} // namespace copie
