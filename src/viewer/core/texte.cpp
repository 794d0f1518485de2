// Lecture et enregistrement des fichiers de texte, octet pour octet.
#include "viewer/core/texte.h"

#include "platform/erreurs.h"
#include "platform/windows1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace morvine {

namespace {

constexpr qint64 k_bloc_lecture = 1 << 20;

QString texte_errno(int code) {
    return plateforme::description_erreur(plateforme::numero_depuis_errno(code));
}

// Écrit tout le tampon, en reprenant après une écriture partielle.
bool ecrire_tout(int fd, const QByteArray& octets) {
    const char* p = octets.constData();
    qsizetype reste = octets.size();
    while (reste > 0) {
        const ssize_t n = ::write(fd, p, size_t(reste));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        reste -= n;
    }
    return true;
}

// Attributs étendus (dont user.DOSATTRIB) de l'ancien fichier recopiés sur
// le nouveau ; un échec n'empêche pas l'enregistrement.
void copier_attributs_etendus(const QByteArray& source, int fd) {
    const ssize_t taille = ::listxattr(source.constData(), nullptr, 0);
    if (taille <= 0)
        return;
    QByteArray noms(taille, '\0');
    const ssize_t lus = ::listxattr(source.constData(), noms.data(), size_t(taille));
    for (const QByteArray& nom : noms.left(std::max<ssize_t>(lus, 0)).split('\0')) {
        if (nom.isEmpty())
            continue;
        char valeur[4096];
        const ssize_t n = ::getxattr(source.constData(), nom.constData(), valeur, sizeof valeur);
        if (n >= 0)
            ::fsetxattr(fd, nom.constData(), valeur, size_t(n), 0);
    }
}

// Fichier temporaire unique à côté de la cible (même système de fichiers).
int creer_temporaire(const QByteArray& cible, QByteArray& nom) {
    const QByteArray repertoire = QFile::encodeName(QFileInfo(QFile::decodeName(cible)).path());
    nom = repertoire + "/.morvine-XXXXXX";
    return ::mkstemp(nom.data());
}

bool ecrire_temporaire(int fd, const QByteArray& cible, const QByteArray& octets) {
    struct stat etat {};
    if (::stat(cible.constData(), &etat) == 0) {
        copier_attributs_etendus(cible, fd);
        if (::fchmod(fd, etat.st_mode & 07777) != 0)
            return false;
    } else {
        // Nouveau fichier : les droits ordinaires, selon le masque de l'utilisateur.
        const mode_t masque = ::umask(0);
        ::umask(masque);
        if (::fchmod(fd, 0666 & ~masque) != 0)
            return false;
    }
    return ecrire_tout(fd, octets) && ::fsync(fd) == 0;
}

} // namespace

QString erreur_ouverture(const QString& hote) {
    const int fd = ::open(QFile::encodeName(hote).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return texte_errno(errno);
    struct stat etat {};
    const bool repertoire = ::fstat(fd, &etat) == 0 && S_ISDIR(etat.st_mode);
    ::close(fd);
    return repertoire ? texte_errno(EISDIR) : QString();
}

std::optional<QString> lire_texte(const QString& hote) {
    QFile fichier(hote);
    if (!erreur_ouverture(hote).isEmpty() || !fichier.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Décodé en place par blocs, dans un tampon d'octets réutilisé : une
    // seule grande allocation, celle du texte.
    QString texte(fichier.size(), Qt::Uninitialized);
    std::vector<char> bloc(k_bloc_lecture);
    qsizetype fait = 0;
    qint64 lus = 0;
    while ((lus = fichier.read(bloc.data(), qint64(bloc.size()))) > 0) {
        if (fait + lus > texte.size())
            texte.resize(fait + lus); // le fichier a grandi pendant la lecture
        plateforme::decoder_1252(bloc.data(), lus, texte.data() + fait);
        fait += lus;
    }
    if (lus < 0)
        return std::nullopt;
    texte.truncate(fait);
    return texte;
}

bool enregistrer_texte(const QString& hote, const QString& texte) {
    // Un lien symbolique garde son rôle : c'est sa cible qui est remplacée.
    const QFileInfo info(hote);
    const QString reel = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    const QByteArray cible = QFile::encodeName(reel);
    // Un fichier en lecture seule (sans droit d'écriture du propriétaire,
    // comme l'attribut DOS) ne se remplace pas, même par renommage.
    struct stat etat {};
    if (::stat(cible.constData(), &etat) == 0 && (etat.st_mode & S_IWUSR) == 0)
        return false;
    QByteArray temporaire;
    const int fd = creer_temporaire(cible, temporaire);
    if (fd < 0)
        return false;
    const bool ecrit = ecrire_temporaire(fd, cible, plateforme::vers_1252(texte));
    const bool ferme = ::close(fd) == 0;
    // Le renommage remplace la cible d'un coup : jamais de fichier à moitié écrit.
    if (ecrit && ferme && ::rename(temporaire.constData(), cible.constData()) == 0)
        return true;
    ::unlink(temporaire.constData());
    return false;
}

} // namespace morvine
