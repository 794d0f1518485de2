#pragma once
// Moteur de copie par blocs de 8 192 octets, sans fenêtre : COPIER, DEPLACER
// et le banc d'essai s'en servent de la même façon.
#include <QByteArray>
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

// Ce que devient la source après la copie : effacée (déplacement), la copie
// est écrite sur le disque avant de prendre son nom.
enum class Source { Gardee, Effacee };

// Copie 'source' vers 'destination' (chemins DOS). Le fichier est écrit à
// côté sous un nom caché provisoire et ne prend son nom, en remplaçant
// l'ancien d'un coup, qu'une fois complet, avec les droits (sans set-user-ID
// ni set-group-ID) et la date de la source ; il est écrit sur le disque avant
// de remplacer un fichier. Arrêt ou erreur : le provisoire est effacé,
// l'ancien fichier reste intact ; les erreurs sont relevées (ErreurExecution).
Issue copier_blocs(const QString& source, const QString& destination, const Rappels& rappels,
                   const Ouverts& ouverts = {}, Source suite = Source::Gardee);

// La même copie entre deux chemins de l'hôte (contenu d'un répertoire copié
// entier, dont les noms ne sont pas tous exprimables en DOS). Pour un
// déplacement, les attributs étendus suivent aussi.
Issue copier_blocs_hote(const QByteArray& source, const QByteArray& destination,
                        const Rappels& rappels, Source suite = Source::Gardee);

// Déplacement entre deux systèmes de fichiers d'une même unité, fait comme
// un renommage : copie par blocs (attributs compris), qui prend son nom sans
// jamais remplacer (58) une fois sur le disque ; la source, même en lecture
// seule, n'est effacée qu'ensuite. Arrêt ou erreur : la source reste entière
// et aucune copie n'est laissée.
Issue deplacer_blocs(const QString& source, const QString& destination, const Rappels& rappels,
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
