#include "platform/programme.h"

#include "platform/chemins.h"
#include "platform/erreurs.h"
#include "platform/profil.h"
#include "platform/unites.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

namespace plateforme {

namespace {

QString repertoire_executable() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2);
}

bool inscriptible(const QString& repertoire) {
    return ::access(QFile::encodeName(repertoire).constData(), W_OK) == 0;
}

// Installation portable : l'exécutable et la racine de son unité sont
// inscriptibles ; sinon les fichiers vont dans le répertoire Windows.
QString repertoire_hote() {
    QString impose = qEnvironmentVariable("KALDRON_PROGRAMME");
    if (!impose.isEmpty())
        return impose;
    QString executable = repertoire_executable();
    const auto unite = TableUnites::instance().unite_de(executable);
    if (unite && inscriptible(executable) && inscriptible(unite->repertoire))
        return executable;
    return repertoire_windows();
}

} // namespace

QString repertoire_programme() {
    if (const auto dos = hote_vers_dos(repertoire_hote()))
        return *dos;
    if (const auto dos = hote_vers_dos(repertoire_windows()))
        return *dos;
    // Aucune unité ne couvre même le répertoire Windows.
    lever(ERR_PERIPHERIQUE_ABSENT);
}

} // namespace plateforme
