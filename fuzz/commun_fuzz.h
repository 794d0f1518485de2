#pragma once
// Outils partagés des cibles libFuzzer : application Qt et répertoire jetable.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace fuzz {

// QCoreApplication créée une seule fois (les lecteurs de fichiers en ont besoin).
void initialiser_qt();
// Répertoire propre au processus (mkdtemp sous /dev/shm, sinon /tmp), supprimé à la sortie.
const QString& repertoire_jetable();
// Écrit les octets dans un fichier du répertoire jetable ; rend son chemin.
QString ecrire_fichier(const QString& nom, const QByteArray& octets);
// Octets de l'entrée sans copie superflue de la part de l'appelant.
inline QByteArray octets(const uint8_t* donnees, size_t taille) {
    return QByteArray(reinterpret_cast<const char*>(donnees), static_cast<qsizetype>(taille));
}

} // namespace fuzz
