#pragma once
// Application par défaut du bureau pour un document : type MIME d'après le
// contenu et le nom (base freedesktop de Qt), puis les listes mimeapps.list
// et les entrées .desktop qui déclarent ce type, dans l'ordre des répertoires
// XDG.
#include <QString>
#include <QStringList>
#include <optional>

namespace plateforme {

struct ApplicationBureau {
    QString entree;        // chemin du fichier .desktop retenu
    QStringList commande;  // programme puis arguments, le document compris
    bool terminal = false; // Terminal=true
};

// Application du bureau qui ouvre ce document de l'hôte ; rien si aucune
// n'est déclarée (ou pour un type trop vague, application/octet-stream).
std::optional<ApplicationBureau> application_par_defaut(const QString& document_hote);

// La même chose pour un type MIME donné.
std::optional<ApplicationBureau> application_pour_type(const QString& type_mime,
                                                       const QString& document_hote);

// Commande d'une ligne Exec= : découpage en arguments selon les règles des
// entrées de bureau (guillemets, barres obliques inverses), codes %f %F %u
// %U remplacés par le document (ajouté à la fin s'il n'y en a aucun), %c,
// %k et %i par le nom, l'entrée et l'icône, les codes obsolètes retirés.
// Vide si la ligne est mal formée.
QStringList commande_exec(const QString& exec, const QString& document, const QString& nom,
                          const QString& icone, const QString& entree);

} // namespace plateforme
