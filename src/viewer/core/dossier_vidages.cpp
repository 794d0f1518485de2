// Répertoire privé des fichiers de vidage : le programme ne crée rien à la
// racine de l'utilisateur et ne supprime que ses propres fichiers.
#include "viewer/core/vidage.h"

#include <QDir>
#include <QFileInfo>
#include <QTime>

using namespace Qt::StringLiterals;

namespace morvine {

DossierVidages::DossierVidages() : m_dossier(QDir::tempPath() + u"/morvine-XXXXXX"_s) {
    // Rien ne doit partir à la destruction que nos propres fichiers.
    m_dossier.setAutoRemove(false);
}

DossierVidages::~DossierVidages() {
    supprimer_tous();
    if (valide())
        QDir().rmdir(m_dossier.path()); // échoue s'il reste un fichier d'autrui
}

bool DossierVidages::valide() const {
    return m_dossier.isValid();
}

QString DossierVidages::chemin() const {
    return valide() ? m_dossier.path() : QString();
}

QString DossierVidages::nouveau_vidage() {
    if (!valide())
        return {};
    const QString heure = QTime::currentTime().toString(u"hhmmss"_s);
    // Deux vidages dans la même seconde : le suffixe les distingue ;
    // NewOnly garantit qu'aucun fichier existant n'est repris.
    for (int essai = 0; essai < 1000; ++essai) {
        const QString nom = u"QX%1-%2.TMP"_s.arg(heure).arg(++m_compteur);
        QString chemin = m_dossier.filePath(nom);
        QFile fichier(chemin);
        if (fichier.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            m_fichiers.insert(chemin);
            return chemin;
        }
        if (!QFileInfo::exists(chemin))
            return {};
    }
    return {};
}

bool DossierVidages::supprimer(const QString& vidage_hote) {
    if (!m_fichiers.contains(vidage_hote))
        return false;
    m_fichiers.remove(vidage_hote);
    return QFile::remove(vidage_hote);
}

void DossierVidages::supprimer_tous() {
    for (const QString& chemin : std::as_const(m_fichiers))
        QFile::remove(chemin);
    m_fichiers.clear();
}

} // namespace morvine
