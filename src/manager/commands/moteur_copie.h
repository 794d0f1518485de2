#pragma once
// Moteur de copie par blocs de 8 192 octets, sans fenêtre : la commande
// COPIER et le banc d'essai s'en servent de la même façon.
#include <QString>
#include <QtGlobal>
#include <functional>

namespace copie {

constexpr qint64 TAILLE_BLOC = 8192;
// Quatre blocs au moins : en dessous, la jauge ne servirait à rien.
constexpr qint64 SEUIL_JAUGE = 4 * TAILLE_BLOC;

struct Rappels {
    std::function<void(bool)> montrer_jauge; // une fois, avant le premier bloc
    std::function<void(int)> progression;    // pourcentage, au plus ~ toutes les 30 ms
    std::function<bool()> arret;             // lu entre deux blocs
    std::function<void()> ceder;             // boucle d'événements, au plus ~ toutes les 10 ms
};

enum class Issue { Copiee, Arretee };

// Fichier en cours d'écriture (le provisoire, puis la destination), pour que
// les messages nomment ce qui est écrit.
struct Ouverts {
    QString* chemin_ecrit = nullptr;
};

// Copie 'source' vers 'destination' (chemins DOS). Le fichier est écrit à
// côté sous un nom caché provisoire et ne prend son nom, en remplaçant
// l'ancien d'un coup, qu'une fois complet et daté comme la source. Arrêt ou
// erreur : le provisoire est effacé, l'ancien fichier reste intact ; les
// erreurs sont relevées (ErreurExecution).
Issue copier_blocs(const QString& source, const QString& destination, const Rappels& rappels,
                   const Ouverts& ouverts = {});

// Nom provisoire libre, caché, dans le répertoire de 'destination'.
QString nom_provisoire(const QString& destination);
// Nom de la forme des provisoires (".KC" + cinq chiffres hexadécimaux + ".TMP").
bool est_nom_provisoire(const QString& nom);

// Un arrêt brutal pendant une copie laisse son provisoire : chaque provisoire
// est noté, avant d'exister, au journal de ce processus (dans le répertoire
// du programme, à côté de 'prefixe_fichiers'). Au démarrage : le journal est
// établi, puis les provisoires notés par des processus disparus sont effacés,
// et eux seuls. Rend le nombre de fichiers effacés ; ne lève rien.
int nettoyer_provisoires(const QString& prefixe_fichiers); // ...\KALDRON.

} // namespace copie
