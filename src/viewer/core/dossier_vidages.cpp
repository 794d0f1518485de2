// Répertoire privé des fichiers de vidage : le programme ne crée rien à la
// racine de l'utilisateur et ne supprime que ses propres fichiers.
#include "viewer/core/vidage.h"

#include <QDir>
#include <QFileInfo>
#include <QTime>

#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace morvine {

namespace {

constexpr char k_verrou[] = ".verrou";
constexpr char k_verrou_neuf[] = ".verrou-neuf";

bool nom_de_vidage(const char* nom) {
    const size_t n = std::strlen(nom);
    return n >= 6 && std::strncmp(nom, "QX", 2) == 0 && std::strcmp(nom + n - 4, ".TMP") == 0;
}

// Verrou posé sous un nom provisoire puis renommé : un nettoyage ne voit
// jamais le verrou d'une copie qui démarre avant qu'il soit tenu.
int poser_verrou(const QString& dossier) {
    const int rep = ::open(QFile::encodeName(dossier).constData(),
                           O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (rep < 0)
        return -1;
    int fd = ::openat(rep, k_verrou_neuf, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0 &&
        (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::renameat(rep, k_verrou_neuf, rep, k_verrou))) {
        ::unlinkat(rep, k_verrou_neuf, 0);
        ::close(fd);
        fd = -1;
    }
    ::close(rep);
    return fd;
}

// Répertoire d'une copie morte : ses QX*.TMP, le verrou, puis lui-même.
// Faux (rien touché) s'il n'est pas à nous ou si son programme vit.
bool vider_abandonne(const QByteArray& chemin) {
    const int rep = ::open(chemin.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (rep < 0)
        return false;
    struct stat etat {};
    bool fait = false;
    const int verrou = ::openat(rep, k_verrou, O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (::fstat(rep, &etat) == 0 && etat.st_uid == ::geteuid() && verrou >= 0 &&
        ::fstat(verrou, &etat) == 0 && S_ISREG(etat.st_mode) && etat.st_uid == ::geteuid() &&
        ::flock(verrou, LOCK_EX | LOCK_NB) == 0) {
        if (DIR* d = ::fdopendir(::dup(rep))) {
            while (const dirent* e = ::readdir(d)) {
                if (nom_de_vidage(e->d_name))
                    ::unlinkat(rep, e->d_name, 0);
            }
            ::closedir(d);
        }
        ::unlinkat(rep, k_verrou, 0);
        // Un fichier qui n'est pas un vidage garde le répertoire.
        ::rmdir(chemin.constData());
        fait = true;
    }
    if (verrou >= 0)
        ::close(verrou);
    ::close(rep);
    return fait;
}

} // namespace

DossierVidages::DossierVidages() : m_dossier(QDir::tempPath() + u"/morvine-XXXXXX"_s) {
    // Rien ne doit partir à la destruction que nos propres fichiers.
    m_dossier.setAutoRemove(false);
    if (m_dossier.isValid())
        m_verrou = poser_verrou(m_dossier.path());
    nettoyer_abandonnes(QDir::tempPath());
}

DossierVidages::~DossierVidages() {
    supprimer_tous();
    if (valide()) {
        ::unlink(QFile::encodeName(QDir(m_dossier.path()).filePath(QString::fromLatin1(k_verrou)))
                     .constData());
        QDir().rmdir(m_dossier.path()); // échoue s'il reste un fichier d'autrui
    }
    if (m_verrou >= 0)
        ::close(m_verrou);
}

int DossierVidages::nettoyer_abandonnes(const QString& base) {
    int n = 0;
    const QStringList noms =
        QDir(base).entryList({u"morvine-*"_s}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& nom : noms) {
        if (vider_abandonne(QFile::encodeName(QDir(base).filePath(nom))))
            ++n;
    }
    return n;
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
