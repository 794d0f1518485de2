// Lecture et enregistrement des fichiers de texte, dans leur encodage.
#include "viewer/core/texte.h"

#include "platform/erreurs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

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

// Un répertoire, un tube, une socket ou un périphérique : pas un fichier à lire.
QString erreur_pas_un_fichier() {
    return plateforme::description_erreur(plateforme::ERR_ACCES);
}

// Nombre écrit seul dans un fichier du système ; -1 sans nombre ("max").
qint64 nombre_du_fichier(const QString& chemin) {
    QFile fichier(chemin);
    bool lu = false;
    const qint64 n =
        fichier.open(QIODevice::ReadOnly) ? fichier.readAll().trimmed().toLongLong(&lu) : -1;
    return lu ? n : -1;
}

// Mémoire que le programme peut encore prendre, en octets.
qint64 memoire_disponible() {
    qint64 disponible = -1;
    QFile infos(u"/proc/meminfo"_s);
    if (infos.open(QIODevice::ReadOnly | QIODevice::Text)) {
        for (QByteArray ligne = infos.readLine(); !ligne.isEmpty(); ligne = infos.readLine()) {
            if (ligne.startsWith("MemAvailable:")) {
                disponible = ligne.mid(13).trimmed().split(' ').value(0).toLongLong() * 1024;
                break;
            }
        }
    }
    if (disponible < 0)
        disponible = qint64(::sysconf(_SC_AVPHYS_PAGES)) * ::sysconf(_SC_PAGESIZE);
    // Dans un conteneur, c'est la limite de son groupe qui compte.
    const qint64 plafond = nombre_du_fichier(u"/sys/fs/cgroup/memory.max"_s);
    if (plafond > 0)
        disponible = std::min(
            disponible,
            plafond - std::max<qint64>(nombre_du_fichier(u"/sys/fs/cgroup/memory.current"_s), 0));
    // Une limite d'espace d'adressage borne aussi ce que l'on peut allouer.
    struct rlimit limite {};
    if (::getrlimit(RLIMIT_AS, &limite) == 0 && limite.rlim_cur != RLIM_INFINITY)
        disponible = std::min<qint64>(disponible, qint64(limite.rlim_cur));
    return std::max<qint64>(disponible, 0);
}

// Fins de ligne de l'éditeur (paragraphe, ligne), symboles de celles qui
// ne sont pas de la sorte dominante et de la suite d'une longue ligne.
bool contient_reserve(const QString& texte) {
    for (const QChar c : texte) {
        const char16_t u = c.unicode();
        if (u == 0x2028 || u == 0x2029 || u == 0x240A || u == 0x240D || u == 0x21AA)
            return true;
    }
    return false;
}

QString quantite(qint64 octets) {
    return octets < (1 << 20) ? u"%1 octets"_s.arg(octets) : u"%1 Mo"_s.arg(octets >> 20);
}

} // namespace

bool ouvrir_en_lecture(QFile& fichier, const QString& hote, QString* erreur) {
    const auto echec = [erreur](const QString& texte) {
        if (erreur)
            *erreur = texte;
        return false;
    };
    const QByteArray chemin = QFile::encodeName(hote);
    // Avant d'ouvrir : l'ouverture d'un tube attend un écrivain, celle d'un
    // périphérique peut déjà agir sur lui.
    struct stat etat {};
    if (chemin.isEmpty() || ::stat(chemin.constData(), &etat) != 0)
        return echec(texte_errno(chemin.isEmpty() ? ENOENT : errno));
    if (!S_ISREG(etat.st_mode))
        return echec(erreur_pas_un_fichier());
    const int fd = ::open(chemin.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return echec(texte_errno(errno));
    // Après : le nom a pu être remplacé entre l'examen et l'ouverture.
    if (::fstat(fd, &etat) != 0 || !S_ISREG(etat.st_mode)) {
        ::close(fd);
        return echec(erreur_pas_un_fichier());
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!fichier.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return echec(plateforme::description_erreur(plateforme::ERR_ES_PERIPHERIQUE));
    }
    return true;
}

QString erreur_ouverture(const QString& hote) {
    QFile fichier;
    QString erreur;
    ouvrir_en_lecture(fichier, hote, &erreur);
    return erreur;
}

qint64 limite_texte() {
    bool lue = false;
    const qint64 imposee = qEnvironmentVariable("KALDRON_TEXTE_MAX").toLongLong(&lue);
    if (lue && imposee >= 0)
        return imposee;
    // Un octet du fichier devient deux octets de texte, puis de nouveau dans
    // l'éditeur, avec sa mise en page : un huitième de ce qui reste libre.
    return std::min<qint64>(memoire_disponible() / 8, std::numeric_limits<int>::max());
}

QString erreur_texte_trop_grand(qint64 taille, qint64 limite) {
    return plateforme::description_erreur(plateforme::ERR_MEMOIRE) +
           u" : texte de %1, au plus %2"_s.arg(quantite(taille), quantite(limite));
}

std::optional<QString> lire_texte(const QString& hote) {
    QString erreur;
    return lire_texte(hote, limite_texte(), &erreur);
}

std::optional<QString> lire_texte(const QString& hote, qint64 limite, QString* erreur,
                                  plateforme::Encodage* encodage) {
    QFile fichier;
    if (!ouvrir_en_lecture(fichier, hote, erreur))
        return std::nullopt;
    // Refusé avant de lire ni d'allouer quoi que ce soit.
    if (fichier.size() > limite) {
        *erreur = erreur_texte_trop_grand(fichier.size(), limite);
        return std::nullopt;
    }
    // L'encodage ne se connaît qu'au dernier octet : tout est lu d'abord.
    QByteArray octets(fichier.size(), Qt::Uninitialized);
    qsizetype fait = 0;
    qint64 lus = 0;
    for (;;) {
        if (fait == octets.size())
            octets.resize(fait + k_bloc_lecture); // le fichier a grandi pendant la lecture
        lus = fichier.read(octets.data() + fait, octets.size() - fait);
        if (lus <= 0)
            break;
        // Un fichier qui grandit sans fin pendant la lecture s'arrête à la
        // limite, pas à la mémoire.
        if (fait + lus > limite) {
            *erreur = erreur_texte_trop_grand(fait + lus, limite);
            return std::nullopt;
        }
        fait += lus;
    }
    if (lus < 0) {
        *erreur = plateforme::description_erreur(plateforme::ERR_ES_PERIPHERIQUE);
        return std::nullopt;
    }
    octets.truncate(fait);
    plateforme::Encodage lu = plateforme::detecter_encodage(octets);
    QString texte = plateforme::decoder_texte(octets, lu);
    // L'éditeur réserve ces caractères à ses fins de ligne : un texte qui en
    // contient est lu octet par octet, pour être rendu intact.
    if (lu != plateforme::Encodage::Windows1252 && contient_reserve(texte)) {
        lu = plateforme::Encodage::Windows1252;
        texte = plateforme::decoder_texte(octets, lu);
    }
    if (encodage)
        *encodage = lu;
    return texte;
}

bool enregistrer_texte(const QString& hote, const QString& texte, plateforme::Encodage encodage) {
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
    const bool ecrit = ecrire_temporaire(fd, cible, plateforme::encoder_texte(texte, encodage));
    const bool ferme = ::close(fd) == 0;
    // Le renommage remplace la cible d'un coup : jamais de fichier à moitié écrit.
    if (ecrit && ferme && ::rename(temporaire.constData(), cible.constData()) == 0)
        return true;
    ::unlink(temporaire.constData());
    return false;
}

} // namespace morvine
