#pragma once
// Remplacement d'un fichier d'un seul coup : une interruption à tout instant
// laisse l'ancien contenu ou le nouveau, jamais un mélange ni rien.
#include <QByteArray>
#include <QString>

namespace corbeille {

// Écrit 'contenu' dans 'temporaire' (même répertoire que 'cible'), lui donne
// 'attributs', le pousse sur le disque, puis le renomme sur 'cible' (qui est
// remplacée) et pousse le répertoire. Chemins DOS ; lève ErreurExecution.
void remplacer_atomiquement(const QString& temporaire, const QString& cible,
                            const QByteArray& contenu, unsigned attributs);

} // namespace corbeille
