#pragma once
// Chemins DOS (C:\DOC\A.TXT) vers chemins de l'hôte et retour.
// Comparaison sans égard à la casse ; résolution composant par composant.
#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>
#include <optional>

namespace plateforme {

// Forme absolue normalisée d'un chemin DOS : lettre en capitale, "\" comme
// séparateur, "." et ".." résolus, "\" final seulement à la racine.
// Un chemin relatif part du répertoire courant de son unité (ou de l'unité
// courante). Lève 68 si l'unité est inconnue, 64 si un nom est invalide.
QString chemin_dos_absolu(const QString& chemin_dos);

// Chemin de l'hôte désigné par un chemin DOS. Chaque composant existant est
// trouvé par nom exact puis sans égard à la casse ; les composants absents
// sont gardés tels quels. Lève 68 (unité inconnue) ou 64 (nom invalide).
QString dos_vers_hote(const QString& chemin_dos);

// Chemin DOS d'un chemin de l'hôte, par l'unité dont le répertoire en est le
// plus long préfixe ; vide si aucune unité ne le couvre ou si un composant
// n'est pas exprimable en DOS.
std::optional<QString> hote_vers_dos(const QString& chemin_hote);

// Un nom de l'hôte est exprimable en DOS s'il est en UTF-8 valide et ne
// contient ni '\' ni ':' (ni caractère de contrôle, ni < > | " * ? qu'un
// chemin DOS refuse : un nom listé doit pouvoir être désigné).
bool nom_exprimable(const QByteArray& nom_hote);
// Noms exprimables d'un répertoire de l'hôte, sans "." ni "..", dans l'ordre
// du disque. Si le répertoire ne peut être lu : liste vide, et errno dans
// *erreur quand il est donné (0 sinon).
QStringList noms_hote(const QString& repertoire_hote, int* erreur = nullptr);
// Le programme vient de créer ce chemin de l'hôte : les noms connus de son
// répertoire restent valables sans relire le répertoire.
void noter_nom_cree(const QString& chemin_hote);
// Chemin de l'hôte d'un nom dans un répertoire de l'hôte ("/" compris).
QString joindre_hote(const QString& repertoire_hote, const QString& nom);

// Unité et répertoire courants (un répertoire courant par unité).
QChar unite_courante();
void changer_unite(QChar lettre);                   // lève 68 si inconnue
QString repertoire_courant(QChar lettre = QChar()); // chemin DOS absolu
void changer_repertoire(const QString& chemin_dos); // lève 76 si absent
void reinitialiser_repertoires_courants();          // tests
// Au démarrage, l'unité et le répertoire courants deviennent ceux du
// processus, vus par la table des unités. Hors de toute unité, ou sous un nom
// que DOS ne sait pas dire, le plus proche parent exprimable sert (le
// processus y va aussi) ; sans aucun, rien ne change. Rend le chemin adopté.
std::optional<QString> adopter_repertoire_du_processus();

// Découpage d'un chemin DOS absolu.
QString dernier_composant(const QString& chemin_dos);
QString repertoire_parent(const QString& chemin_dos);
QString joindre(const QString& repertoire_dos, const QString& nom);
// Chemin tel que les champs le montrent : lettre d'unité en minuscule, les
// noms avec la casse qu'on lui a donnée (celle du disque pour un chemin lu).
QString chemin_montre(const QString& chemin_dos);

} // namespace plateforme
