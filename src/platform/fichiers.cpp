#include "platform/fichiers.h"
#include "platform/deux_fils.h"

#include "platform/chemins.h"
#include "platform/erreurs.h"
#include "platform/motifs.h"
#include "platform/provisoires.h"
#include "platform/unites.h"

#include <QFile>
#include <QSet>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <optional>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace plateforme {

namespace {

constexpr unsigned k_attr_etendus = ATTR_CACHE | ATTR_SYSTEME | ATTR_ARCHIVE;
constexpr char k_nom_xattr[] = "user.DOSATTRIB";
constexpr mode_t k_ecriture = S_IWUSR | S_IWGRP | S_IWOTH;

QByteArray hote_de(const QString& chemin_dos) {
    return QFile::encodeName(dos_vers_hote(chemin_dos));
}

QByteArray parent_hote(const QByteArray& chemin) {
    const qsizetype barre = chemin.lastIndexOf('/');
    return barre <= 0 ? QByteArray("/") : chemin.left(barre);
}

QByteArray nom_hote(const QByteArray& chemin) {
    return chemin.mid(chemin.lastIndexOf('/') + 1);
}

// Absent : 53 si le répertoire parent existe, 76 sinon.
[[noreturn]] void lever_absent(const QByteArray& chemin) {
    struct stat st;
    const bool parent = ::stat(parent_hote(chemin).constData(), &st) == 0 && S_ISDIR(st.st_mode);
    lever(parent ? ERR_FICHIER_INTROUVABLE : ERR_CHEMIN_INTROUVABLE);
}

[[noreturn]] void lever_echec(int code, const QByteArray& chemin) {
    if (code == ENOENT || code == ENOTDIR)
        lever_absent(chemin);
    lever_errno(code);
}

// stat (suit les liens) ou lstat ; lève 53/76 si le nom n'existe pas.
struct stat etat_de(const QByteArray& chemin, bool suivre = true) {
    struct stat st;
    const int r = suivre ? ::stat(chemin.constData(), &st) : ::lstat(chemin.constData(), &st);
    if (r != 0)
        lever_echec(errno, chemin);
    return st;
}

// Heure locale par le décalage que donne la bibliothèque C : le fuseau de Qt
// relirait sa définition pour chaque fichier d'un grand répertoire.
QDateTime date_de(const struct stat& st) {
    const qint64 ms = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    struct tm local {};
    const time_t secondes = st.st_mtim.tv_sec;
    if (::localtime_r(&secondes, &local) == nullptr)
        return QDateTime::fromMSecsSinceEpoch(ms);
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::OffsetFromUTC, int(local.tm_gmtoff));
}

class Descripteur {
public:
    explicit Descripteur(int fd) : m_fd(fd) {}
    ~Descripteur() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descripteur(const Descripteur&) = delete;
    Descripteur& operator=(const Descripteur&) = delete;
    int fd() const { return m_fd; }
    int fermer() {
        const int fd = std::exchange(m_fd, -1);
        return fd >= 0 ? ::close(fd) : 0;
    }

private:
    int m_fd;
};

// Sur vfat, pas d'attributs étendus mais les vrais attributs du disque.
std::optional<unsigned> lire_attributs_fat(const QByteArray& chemin) {
    Descripteur fichier(::open(chemin.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    __u32 valeur = 0;
    if (fichier.fd() < 0 || ::ioctl(fichier.fd(), FAT_IOCTL_GET_ATTRIBUTES, &valeur) != 0)
        return std::nullopt;
    return unsigned(valeur);
}

bool ecrire_attributs_fat(const QByteArray& chemin, unsigned bits) {
    Descripteur fichier(::open(chemin.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    __u32 valeur = 0;
    if (fichier.fd() < 0 || ::ioctl(fichier.fd(), FAT_IOCTL_GET_ATTRIBUTES, &valeur) != 0)
        return false;
    valeur = (valeur & ~k_attr_etendus) | bits;
    return ::ioctl(fichier.fd(), FAT_IOCTL_SET_ATTRIBUTES, &valeur) == 0;
}

// Valeur décimale ("34") ; l'ancienne forme hexadécimale ("0x22") est lue aussi.
unsigned bits_lus(const char* tampon, ssize_t n) {
    if (n <= 0)
        return 0;
    const QByteArray texte = QByteArray(tampon, n).replace('\0', ' ').trimmed();
    bool ok = false;
    const unsigned valeur =
        texte.startsWith("0x") ? texte.mid(2).toUInt(&ok, 16) : texte.toUInt(&ok);
    return ok ? valeur & k_attr_etendus : 0;
}

unsigned lire_xattr(const QByteArray& chemin) {
    char tampon[64];
    const ssize_t n = ::getxattr(chemin.constData(), k_nom_xattr, tampon, sizeof tampon);
    if (n < 0 && errno == ENOTSUP)
        return lire_attributs_fat(chemin).value_or(0) & k_attr_etendus;
    return bits_lus(tampon, n);
}

// getxattrat (Linux 6.13) : même numéro sur toutes les architectures. Il lit
// l'attribut d'un nom relatif au répertoire ouvert, sans refaire tout le
// chemin pour chaque fichier d'un grand répertoire.
constexpr long k_appel_getxattrat = 464;
constexpr size_t k_lectures_partagees = 4096;
std::atomic<bool> g_sans_getxattrat{false};

struct ArgumentsXattr {
    __u64 valeur;
    __u32 taille;
    __u32 drapeaux;
};

// Les attributs d'un nom du répertoire ouvert 'dossier' (chemin 'repertoire'
// pour le repli) : par getxattrat, ou par le chemin complet sur un noyau qui
// ne le connaît pas (ENOSYS, ou EPERM d'un filtre d'appels système).
unsigned lire_xattr_dans(int dossier, const QByteArray& repertoire, const char* nom) {
    if (!g_sans_getxattrat.load(std::memory_order_relaxed)) {
        // Taille seule d'abord : la plupart des fichiers n'ont pas l'attribut,
        // et le noyau n'a alors pas de tampon à préparer.
        char tampon[64];
        ArgumentsXattr arguments{0, 0, 0};
        long n = ::syscall(k_appel_getxattrat, dossier, nom, 0u, k_nom_xattr, &arguments,
                           sizeof arguments);
        if (n > 0) {
            arguments = {__u64(reinterpret_cast<quintptr>(tampon)), __u32(sizeof tampon), 0};
            n = ::syscall(k_appel_getxattrat, dossier, nom, 0u, k_nom_xattr, &arguments,
                          sizeof arguments);
        }
        const int code = n < 0 ? errno : 0;
        if (code != ENOSYS && code != EPERM) {
            if (code == ENOTSUP)
                return lire_attributs_fat(repertoire + '/' + nom).value_or(0) & k_attr_etendus;
            return bits_lus(tampon, n);
        }
        const QByteArray chemin = repertoire + '/' + nom;
        // EPERM que le chemin complet ne donne pas : l'appel est filtré.
        if (code == ENOSYS || ::getxattr(chemin.constData(), k_nom_xattr, nullptr, 0) >= 0 ||
            errno != EPERM)
            g_sans_getxattrat.store(true, std::memory_order_relaxed);
        return lire_xattr(chemin);
    }
    return lire_xattr(repertoire + '/' + nom);
}

// Sans attributs étendus ni attributs vfat (exFAT...), l'archive, simple
// indication, est ignorée ; caché et système lèvent 70 plutôt que de prétendre
// cacher un fichier qui resterait visible.
void ecrire_xattr(const QByteArray& chemin, unsigned bits) {
    const QByteArray texte = QByteArray::number(bits);
    const int r = bits == 0 ? ::removexattr(chemin.constData(), k_nom_xattr)
                            : ::setxattr(chemin.constData(), k_nom_xattr, texte.constData(),
                                         size_t(texte.size()), 0);
    const int code = r == 0 ? 0 : errno;
    if (code == 0 || (bits == 0 && code == ENODATA))
        return;
    if (code != ENOTSUP)
        lever_errno(code);
    if (!ecrire_attributs_fat(chemin, bits) && (bits & ~unsigned(ATTR_ARCHIVE)) != 0)
        lever(ERR_PERMISSION);
}

unsigned attributs_de(const QByteArray& chemin, const struct stat& st) {
    unsigned a = lire_xattr(chemin);
    if (!(st.st_mode & S_IWUSR))
        a |= ATTR_LECTURE_SEULE;
    if (S_ISDIR(st.st_mode))
        a |= ATTR_REPERTOIRE;
    if (nom_hote(chemin).startsWith('.'))
        a |= ATTR_CACHE;
    return a;
}

bool avant(const QString& a, const QString& b) {
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

// Ordre des listes (sans égard à la casse, puis avec) rendu comme une suite
// d'indices. Les noms ASCII, presque tous, sont pliés une fois pour toutes
// (la comparaison de Qt replie chaque caractère à chaque comparaison), leurs
// seize premiers octets rangés dans deux entiers qui se comparent d'un coup.
// Entre deux noms ASCII l'ordre est le même ; les autres gardent la
// comparaison de Qt.
struct Cle {
    quint64 tete[2] = {0, 0}; // octets pliés 0 à 15, poids fort d'abord
    qsizetype debut = 0;      // nom plié entier dans le tampon commun
    qsizetype longueur = 0;
    qsizetype indice = 0;
    bool ascii = true;
};

QList<qsizetype> ordre_des_noms(const QStringList& noms) {
    const qsizetype n = noms.size();
    QByteArray plies;
    std::vector<Cle> cles(static_cast<size_t>(n));
    for (qsizetype i = 0; i < n; ++i) {
        Cle& k = cles[static_cast<size_t>(i)];
        k.indice = i;
        k.debut = plies.size();
        k.longueur = noms[i].size();
        for (qsizetype j = 0; j < k.longueur; ++j) {
            const char16_t u = noms[i][j].unicode();
            k.ascii = k.ascii && u < 0x80;
            const char c = char(u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u & 0x7F);
            plies.append(c);
            if (j < 16)
                k.tete[j / 8] |= quint64(static_cast<unsigned char>(c)) << (56 - 8 * (j % 8));
        }
    }
    const char* tampon = plies.constData();
    std::sort(cles.begin(), cles.end(), [&](const Cle& x, const Cle& y) {
        if (!x.ascii || !y.ascii)
            return avant(noms[x.indice], noms[y.indice]);
        if (x.tete[0] != y.tete[0])
            return x.tete[0] < y.tete[0];
        if (x.tete[1] != y.tete[1])
            return x.tete[1] < y.tete[1];
        // Têtes égales (les noms n'ont pas d'octet nul) : la suite décide.
        const qsizetype commun = std::min(x.longueur, y.longueur);
        const int c = commun > 16 ? std::memcmp(tampon + x.debut + 16, tampon + y.debut + 16,
                                                static_cast<size_t>(commun - 16))
                                  : 0;
        if (c != 0)
            return c < 0;
        if (x.longueur != y.longueur)
            return x.longueur < y.longueur;
        return noms[x.indice] < noms[y.indice];
    });
    QList<qsizetype> ordre;
    ordre.reserve(n);
    for (const Cle& k : cles)
        ordre.append(k.indice);
    return ordre;
}

QStringList noms_tries(QStringList noms) {
    const QList<qsizetype> ordre = ordre_des_noms(noms);
    QStringList tries;
    tries.reserve(noms.size());
    for (const qsizetype i : ordre)
        tries.append(std::move(noms[i]));
    return tries;
}

// Répertoire ouvert et lu entrée par entrée ; 76 s'il n'existe pas.
class Lecture {
public:
    explicit Lecture(const QString& repertoire_hote)
        : m_hote(QFile::encodeName(repertoire_hote)), m_rep(::opendir(m_hote.constData())) {
        if (!m_rep) {
            const int code = errno;
            lever(code == ENOENT || code == ENOTDIR ? int(ERR_CHEMIN_INTROUVABLE)
                                                    : numero_depuis_errno(code));
        }
    }
    ~Lecture() { ::closedir(m_rep); }
    Lecture(const Lecture&) = delete;
    Lecture& operator=(const Lecture&) = delete;

    const dirent* suivante() { return ::readdir(m_rep); }
    int fd() const { return ::dirfd(m_rep); }
    const QByteArray& hote() const { return m_hote; }

    // Le nom tel que DOS l'exprime ; vide pour "." et "..", et pour un nom
    // que DOS ne sait pas écrire (il n'est pas listé).
    static QString nom_dos(const char* octets) {
        const qsizetype n = qsizetype(std::strlen(octets));
        bool ascii = true;
        for (qsizetype i = 0; i < n && ascii; ++i) {
            const unsigned char c = static_cast<unsigned char>(octets[i]);
            ascii = c >= 0x20 && c < 0x7F && !std::strchr("<>|\"*?:\\", c);
        }
        if (ascii)
            return (n == 1 && octets[0] == '.') || (n == 2 && octets[0] == '.' && octets[1] == '.')
                       ? QString()
                       : QString::fromLatin1(octets, n);
        const QByteArray brut(octets, n);
        return nom_exprimable(brut) ? QString::fromUtf8(brut) : QString();
    }

    // Un fichier ordinaire, ou un lien vers l'un d'eux ; 'st' rempli si
    // demandé (sinon le type de l'entrée suffit, sauf lien ou type inconnu).
    bool fichier(const dirent* e, struct stat* st) const {
        struct stat local;
        if (!st && e->d_type == DT_REG)
            return true;
        if (!st && e->d_type != DT_LNK && e->d_type != DT_UNKNOWN)
            return false;
        return ::fstatat(fd(), e->d_name, st ? st : &local, 0) == 0 &&
               S_ISREG((st ? st : &local)->st_mode);
    }

    // Cachés (nom commençant par '.' ou attribut) et système hors de 'montres'.
    bool masque(const dirent* e, unsigned montres) const {
        if ((montres & (ATTR_CACHE | ATTR_SYSTEME)) == (ATTR_CACHE | ATTR_SYSTEME))
            return false;
        if (e->d_name[0] == '.' && !(montres & ATTR_CACHE))
            return true;
        return (lire_xattr_dans(fd(), m_hote, e->d_name) & (ATTR_CACHE | ATTR_SYSTEME) &
                ~montres) != 0;
    }

private:
    QByteArray m_hote;
    DIR* m_rep;
};

void changer_mode(const QByteArray& chemin, mode_t mode) {
    if (::chmod(chemin.constData(), mode & 07777) != 0)
        lever_errno(errno);
}

} // namespace

QList<EntreeFichier> lister_fichiers(const QString& repertoire_dos, const QString& motif,
                                     unsigned attributs) {
    const MotifDos filtre(motif);
    Lecture lecture(dos_vers_hote(repertoire_dos));
    QList<EntreeFichier> trouves;
    QStringList noms;
    while (const dirent* e = lecture.suivante()) {
        QString nom = Lecture::nom_dos(e->d_name);
        struct stat st;
        // Liens cassés, répertoires, tubes et périphériques ne sont pas des fichiers.
        if (nom.isEmpty() || !filtre.correspond(nom) || !lecture.fichier(e, &st))
            continue;
        unsigned a = lire_xattr_dans(lecture.fd(), lecture.hote(), e->d_name);
        if (!(st.st_mode & S_IWUSR))
            a |= ATTR_LECTURE_SEULE;
        if (e->d_name[0] == '.')
            a |= ATTR_CACHE;
        if ((a & (ATTR_CACHE | ATTR_SYSTEME) & ~attributs) != 0)
            continue;
        trouves.append({QString(), qint64(st.st_size), date_de(st), a});
        noms.append(std::move(nom));
    }
    QList<EntreeFichier> liste;
    liste.reserve(trouves.size());
    for (const qsizetype i : ordre_des_noms(noms)) {
        liste.append(std::move(trouves[i]));
        liste.last().nom = std::move(noms[i]);
    }
    return liste;
}

QStringList lister_noms_fichiers(const QString& repertoire_dos, const QString& motif,
                                 unsigned attributs) {
    const MotifDos filtre(motif);
    Lecture lecture(dos_vers_hote(repertoire_dos));
    const unsigned masques = (ATTR_CACHE | ATTR_SYSTEME) & ~attributs;
    QStringList noms;
    QByteArray bruts; // noms de l'hôte à lire, chacun suivi d'un octet nul
    std::vector<qsizetype> debuts;
    while (const dirent* e = lecture.suivante()) {
        QString nom = Lecture::nom_dos(e->d_name);
        if (nom.isEmpty() || !filtre.correspond(nom) || !lecture.fichier(e, nullptr) ||
            (e->d_name[0] == '.' && (masques & ATTR_CACHE)))
            continue;
        if (masques != 0) {
            debuts.push_back(bruts.size());
            bruts.append(e->d_name, qsizetype(std::strlen(e->d_name)) + 1);
        }
        noms.append(std::move(nom));
    }
    if (masques != 0) {
        std::vector<char> caches(debuts.size());
        en_deux_fils(debuts.size(), k_lectures_partagees, [&](size_t de, size_t a) {
            for (size_t i = de; i < a; ++i)
                caches[i] =
                    (lire_xattr_dans(lecture.fd(), lecture.hote(), bruts.constData() + debuts[i]) &
                     masques) != 0;
        });
        qsizetype garde = 0;
        for (qsizetype i = 0; i < noms.size(); ++i)
            if (!caches[static_cast<size_t>(i)])
                noms[garde++] = std::move(noms[i]);
        noms.resize(garde);
    }
    return noms_tries(std::move(noms));
}

QStringList lister_repertoires(const QString& repertoire_dos, bool avec_caches) {
    Lecture lecture(dos_vers_hote(repertoire_dos));
    QStringList liste;
    while (const dirent* e = lecture.suivante()) {
        // Le type de l'entrée suffit, sauf pour un lien ou un type inconnu.
        struct stat st;
        if (e->d_type != DT_DIR &&
            ((e->d_type != DT_LNK && e->d_type != DT_UNKNOWN) ||
             ::fstatat(lecture.fd(), e->d_name, &st, 0) != 0 || !S_ISDIR(st.st_mode)))
            continue;
        QString nom = Lecture::nom_dos(e->d_name);
        if (nom.isEmpty() || (!avec_caches && lecture.masque(e, ATTR_SYSTEME)))
            continue;
        liste.append(std::move(nom));
    }
    return noms_tries(std::move(liste));
}

void lire_attributs_par_chemin(bool par_chemin) {
    g_sans_getxattrat.store(par_chemin, std::memory_order_relaxed);
}

bool existe(const QString& chemin_dos) {
    struct stat st;
    return ::lstat(hote_de(chemin_dos).constData(), &st) == 0;
}

bool est_repertoire(const QString& chemin_dos) {
    struct stat st;
    return ::stat(hote_de(chemin_dos).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

qint64 longueur(const QString& chemin_dos) {
    const struct stat st = etat_de(hote_de(chemin_dos));
    return S_ISDIR(st.st_mode) ? 0 : qint64(st.st_size);
}

QDateTime date_modification(const QString& chemin_dos) {
    return date_de(etat_de(hote_de(chemin_dos)));
}

unsigned attributs(const QString& chemin_dos) {
    const QByteArray chemin = hote_de(chemin_dos);
    return attributs_de(chemin, etat_de(chemin));
}

std::optional<unsigned> attributs_hote(const QByteArray& chemin_hote) {
    struct stat st;
    if (::stat(chemin_hote.constData(), &st) != 0)
        return std::nullopt;
    return attributs_de(chemin_hote, st);
}

void definir_attributs(const QString& chemin_dos, unsigned attributs) {
    const QByteArray chemin = hote_de(chemin_dos);
    const struct stat st = etat_de(chemin);
    unsigned bits = attributs & k_attr_etendus;
    // Le point initial rend déjà caché : rien à garder (ni à effacer).
    if (nom_hote(chemin).startsWith('.'))
        bits &= ~unsigned(ATTR_CACHE);
    const mode_t mode =
        attributs & ATTR_LECTURE_SEULE ? st.st_mode & ~k_ecriture : st.st_mode | S_IWUSR;
    if (bits != lire_xattr(chemin)) {
        // user.* n'est modifiable qu'avec le droit d'écriture sur le fichier.
        if (!(st.st_mode & S_IWUSR))
            changer_mode(chemin, st.st_mode | S_IWUSR);
        try {
            ecrire_xattr(chemin, bits);
        } catch (const ErreurExecution&) {
            ::chmod(chemin.constData(), st.st_mode & 07777);
            throw;
        }
    }
    changer_mode(chemin, mode);
}

void supprimer_fichier(const QString& chemin_dos) {
    const QByteArray chemin = hote_de(chemin_dos);
    const struct stat st = etat_de(chemin, false);
    if (S_ISDIR(st.st_mode))
        lever(ERR_FICHIER_INTROUVABLE);
    // Un lien s'efface sans toucher à sa cible, quels que soient ses droits.
    if (!S_ISLNK(st.st_mode) && !(st.st_mode & S_IWUSR))
        lever(ERR_ACCES);
    if (::unlink(chemin.constData()) != 0)
        lever_echec(errno, chemin);
}

void creer_repertoire(const QString& chemin_dos) {
    const QByteArray chemin = hote_de(chemin_dos);
    if (::mkdir(chemin.constData(), 0777) == 0) {
        noter_nom_cree(QFile::decodeName(chemin));
        return;
    }
    if (errno == EEXIST)
        lever(ERR_ACCES);
    if (errno == ENOENT || errno == ENOTDIR)
        lever(ERR_CHEMIN_INTROUVABLE);
    lever_errno(errno);
}

void supprimer_repertoire(const QString& chemin_dos) {
    const QString absolu = chemin_dos_absolu(chemin_dos);
    const QByteArray chemin = hote_de(absolu);
    struct stat st;
    if (::lstat(chemin.constData(), &st) != 0)
        lever(errno == ENOENT || errno == ENOTDIR ? int(ERR_CHEMIN_INTROUVABLE)
                                                  : numero_depuis_errno(errno));
    if (S_ISLNK(st.st_mode)) {
        // Un lien vers un répertoire s'efface seul : la cible reste intacte.
        if (!est_repertoire(absolu))
            lever(ERR_CHEMIN_INTROUVABLE);
        if (::unlink(chemin.constData()) != 0)
            lever_errno(errno);
        return;
    }
    if (!S_ISDIR(st.st_mode))
        lever(ERR_CHEMIN_INTROUVABLE);
    // Comme l'original : ni un répertoire en lecture seule, ni le répertoire
    // courant de son unité (qui ne désignerait plus rien).
    const bool courant =
        QString::compare(absolu, repertoire_courant(absolu.at(0)), Qt::CaseInsensitive) == 0;
    if (!(st.st_mode & S_IWUSR) || courant)
        lever(ERR_ACCES);
    if (::rmdir(chemin.constData()) != 0)
        lever_errno(errno == EEXIST ? ENOTEMPTY : errno);
}

qint64 espace_libre(const QString& chemin_dos) {
    const QString absolu = chemin_dos_absolu(chemin_dos);
    const QByteArray racine = QFile::encodeName(*TableUnites::instance().repertoire(absolu.at(0)));
    QByteArray chemin = hote_de(absolu);
    struct statvfs sv;
    // Le chemin peut ne pas exister encore : on remonte jusqu'à la racine.
    while (::statvfs(chemin.constData(), &sv) != 0) {
        if (chemin.size() <= racine.size())
            lever(ERR_PERIPHERIQUE_ABSENT);
        if (errno != ENOENT && errno != ENOTDIR)
            lever_errno(errno);
        chemin = parent_hote(chemin);
    }
    const unsigned __int128 octets = static_cast<unsigned __int128>(sv.f_bavail) * sv.f_frsize;
    return octets > LLONG_MAX ? LLONG_MAX : qint64(octets);
}

// ---- Renommage ----

namespace {

// Système de fichiers sans RENAME_NOREPLACE : link() ne remplace pas ; à
// défaut de liens (vfat), on vérifie l'absence avant de renommer.
bool deplacer_par_lien(const QByteArray& source, const QByteArray& cible, bool meme_fichier) {
    if (::link(source.constData(), cible.constData()) == 0) {
        if (::unlink(source.constData()) == 0)
            return true;
        const int code = errno;
        ::unlink(cible.constData());
        errno = code;
        return false;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK)
        return false;
    struct stat st;
    if (!meme_fichier && ::lstat(cible.constData(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(source.constData(), cible.constData()) == 0;
}

// Renomme sans jamais remplacer. 'meme_fichier' : la cible désigne déjà la
// source (changement de casse sur un système qui l'ignore). Faux et errno
// posé en cas d'échec.
bool deplacer_sans_remplacer(const QByteArray& source, const QByteArray& cible, bool meme_fichier) {
    const int r =
        ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, cible.constData(), RENAME_NOREPLACE);
    if (r == 0)
        return true;
    if (errno == EEXIST && meme_fichier)
        return ::rename(source.constData(), cible.constData()) == 0;
    if (errno == EINVAL || errno == ENOSYS)
        return deplacer_par_lien(source, cible, meme_fichier);
    return false;
}

[[noreturn]] void lever_ecriture(int code) {
    lever_errno(code == EDQUOT ? ENOSPC : code);
}

void copier_contenu(int source, int cible) {
    QByteArray tampon(1 << 20, Qt::Uninitialized);
    for (;;) {
        const ssize_t lu = ::read(source, tampon.data(), size_t(tampon.size()));
        if (lu < 0 && errno == EINTR)
            continue;
        if (lu < 0)
            lever_errno(errno);
        if (lu == 0)
            return;
        for (ssize_t fait = 0; fait < lu;) {
            const ssize_t n = ::write(cible, tampon.constData() + fait, size_t(lu - fait));
            if (n < 0 && errno != EINTR)
                lever_ecriture(errno);
            fait += std::max<ssize_t>(n, 0);
        }
    }
}

// Attributs étendus user.* (dont user.DOSATTRIB) ; les autres espaces de
// noms demandent des droits que l'on n'a pas forcément.
void copier_xattrs(int source, int cible) {
    QByteArray noms(65536, Qt::Uninitialized);
    const ssize_t n = ::flistxattr(source, noms.data(), size_t(noms.size()));
    if (n <= 0)
        return;
    for (const QByteArray& nom : noms.left(n).split('\0')) {
        if (!nom.startsWith("user."))
            continue;
        QByteArray valeur(65536, Qt::Uninitialized);
        const ssize_t t =
            ::fgetxattr(source, nom.constData(), valeur.data(), size_t(valeur.size()));
        if (t >= 0 && ::fsetxattr(cible, nom.constData(), valeur.constData(), size_t(t), 0) != 0 &&
            errno != ENOTSUP)
            lever_errno(errno);
    }
}

void copier_fichier(const QByteArray& source, int fd_cible, const struct stat& st) {
    Descripteur entree(::open(source.constData(), O_RDONLY | O_CLOEXEC));
    if (entree.fd() < 0)
        lever_echec(errno, source);
    copier_contenu(entree.fd(), fd_cible);
    copier_xattrs(entree.fd(), fd_cible);
    donner_droits_de_copie(fd_cible, st.st_mode);
    const struct timespec dates[2] = {st.st_atim, st.st_mtim};
    if (::futimens(fd_cible, dates) != 0 || ::fsync(fd_cible) != 0)
        lever_ecriture(errno);
}

// Entre deux systèmes de fichiers : copie complète sous un nom temporaire
// voisin de la cible, qui ne prend le nom final qu'une fois entière ; la
// source n'est effacée qu'ensuite. Aucun échec ne laisse de demi-copie.
void copier_puis_supprimer(const QByteArray& source, const QByteArray& cible,
                           const struct stat& st) {
    if (!S_ISREG(st.st_mode))
        lever(ERR_AUTRE_UNITE);
    // Noté au journal avant d'exister : un arrêt brutal ne le laisse pas.
    QByteArray temporaire;
    Descripteur sortie(creer_provisoire(parent_hote(cible), ".kaldron-", temporaire));
    if (sortie.fd() < 0)
        lever_echec(errno, cible);
    try {
        copier_fichier(source, sortie.fd(), st);
        if (sortie.fermer() != 0)
            lever_ecriture(errno);
        if (!deplacer_sans_remplacer(temporaire, cible, false))
            lever_errno(errno);
    } catch (const ErreurExecution&) {
        ::unlink(temporaire.constData());
        provisoire_fini(temporaire);
        throw;
    }
    provisoire_fini(temporaire);
    if (::unlink(source.constData()) != 0) {
        const int code = errno;
        ::unlink(cible.constData());
        lever_errno(code);
    }
}

enum class Occupation { Libre, Source, Autre };

// Le nom visé, à la casse près, est-il pris ? Il ne l'est pas par la source
// elle-même sous une autre casse (changement de casse seul).
Occupation occupation_de(const QString& nouveau, const QByteArray& source, const struct stat& st) {
    const QByteArray occupant = hote_de(nouveau);
    struct stat st_occupant;
    if (::lstat(occupant.constData(), &st_occupant) != 0)
        return Occupation::Libre;
    const bool meme_inode = st_occupant.st_dev == st.st_dev && st_occupant.st_ino == st.st_ino;
    const bool meme_nom =
        QString::compare(QFile::decodeName(nom_hote(occupant)), QFile::decodeName(nom_hote(source)),
                         Qt::CaseInsensitive) == 0;
    return meme_inode && meme_nom ? Occupation::Source : Occupation::Autre;
}

[[noreturn]] void lever_renommage(int code) {
    if (code == EEXIST || code == ENOTEMPTY)
        lever(ERR_FICHIER_EXISTE);
    if (code == ENOENT || code == ENOTDIR)
        lever(ERR_CHEMIN_INTROUVABLE);
    lever_errno(code);
}

} // namespace

bool est_nom_temporaire(const QString& nom) {
    static const QString tete = QStringLiteral(".kaldron-");
    if (nom.size() != tete.size() + 6 || !nom.startsWith(tete))
        return false;
    // Les six caractères de mkostemp : lettres et chiffres ASCII.
    return std::all_of(nom.begin() + tete.size(), nom.end(),
                       [](QChar c) { return c.unicode() < 128 && c.isLetterOrNumber(); });
}

void donner_droits_de_copie(int fd, unsigned mode) {
    if (::fchmod(fd, mode & (S_IRWXU | S_IRWXG | S_IRWXO)) == 0)
        return;
    if (errno != EPERM && errno != EOPNOTSUPP)
        lever_errno(errno);
    struct stat st;
    if ((mode & S_IWUSR) || ::fstat(fd, &st) != 0)
        return;
    if (::fchmod(fd, st.st_mode & (S_IRWXU | S_IRWXG | S_IRWXO) & ~k_ecriture) != 0)
        lever_errno(errno);
}

void copier_attributs_etendus(int source, int cible) {
    copier_xattrs(source, cible);
}

void nommer_sans_remplacer(const QByteArray& provisoire_hote, const QByteArray& cible_hote) {
    if (!deplacer_sans_remplacer(provisoire_hote, cible_hote, false))
        lever_renommage(errno);
}

namespace {

// Faux, sans rien changer, quand les deux noms sont sur deux systèmes de
// fichiers et que le repli (copie puis suppression) n'est pas voulu.
bool renommer_avec(const QString& ancien_dos, const QString& nouveau_dos, bool repli) {
    const QString ancien = chemin_dos_absolu(ancien_dos);
    const QString nouveau = chemin_dos_absolu(nouveau_dos);
    if (ancien.at(0) != nouveau.at(0))
        lever(ERR_AUTRE_UNITE);
    if (dernier_composant(ancien).isEmpty() || dernier_composant(nouveau).isEmpty())
        lever(ERR_ACCES);
    const QByteArray source = hote_de(ancien);
    const struct stat st = etat_de(source, false);
    // Le nouveau nom est pris tel qu'il est tapé (changement de casse).
    const QByteArray cible = QFile::encodeName(
        joindre_hote(dos_vers_hote(repertoire_parent(nouveau)), dernier_composant(nouveau)));
    if (cible == source)
        return true;
    const Occupation occupation = occupation_de(nouveau, source, st);
    if (occupation == Occupation::Autre)
        lever(ERR_FICHIER_EXISTE);
    if (!deplacer_sans_remplacer(source, cible, occupation == Occupation::Source)) {
        if (errno != EXDEV)
            lever_renommage(errno);
        if (!repli)
            return false;
        copier_puis_supprimer(source, cible, st);
    }
    noter_nom_cree(QFile::decodeName(cible));
    return true;
}

} // namespace

void renommer(const QString& ancien_dos, const QString& nouveau_dos) {
    renommer_avec(ancien_dos, nouveau_dos, true);
}

bool renommer_sur_place(const QString& ancien_dos, const QString& nouveau_dos) {
    return renommer_avec(ancien_dos, nouveau_dos, false);
}

// ---- Renommages successifs ----

namespace {

bool meme_instant(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Un répertoire cherché et ouvert une fois pour toute une commande.
struct RepertoireOuvert {
    QString dos; // chemin DOS absolu
    QByteArray hote;
    int fd = -1;
    struct stat st {};
    // Noms en minuscules, gardés tant que la date du répertoire ne change
    // pas : un homonyme de casse se voit sans relire le répertoire à chaque
    // fichier.
    bool noms_lus = false;
    timespec date{};
    QSet<QString> minuscules;

    RepertoireOuvert() = default;
    RepertoireOuvert(const RepertoireOuvert&) = delete;
    RepertoireOuvert& operator=(const RepertoireOuvert&) = delete;
    ~RepertoireOuvert() { fermer(); }

    void fermer() {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        noms_lus = false;
        minuscules.clear();
    }

    // Faux si le répertoire ne s'ouvre pas : le chemin ordinaire dira pourquoi.
    bool ouvrir(const QString& repertoire_dos) {
        if (fd >= 0 && dos == repertoire_dos)
            return true;
        fermer();
        dos = repertoire_dos;
        try {
            hote = hote_de(repertoire_dos);
        } catch (const ErreurExecution&) {
            return false;
        }
        fd = ::open(hote.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0 && ::fstat(fd, &st) == 0)
            return true;
        fermer();
        return false;
    }

    QByteArray chemin(const QByteArray& nom) const { return hote + '/' + nom; }

    // Un nom égal à 'nom' sans égard à la casse est-il là ? Rien si le
    // répertoire ne se lit pas.
    std::optional<bool> homonyme(const QString& nom) {
        struct stat maintenant;
        if (::fstat(fd, &maintenant) != 0)
            return std::nullopt;
        if ((!noms_lus || !meme_instant(maintenant.st_mtim, date)) && !relire(maintenant.st_mtim))
            return std::nullopt;
        return minuscules.contains(nom.toLower());
    }

    bool relire(const timespec& depuis) {
        const int double_fd = ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (double_fd < 0)
            return false;
        DIR* rep = ::fdopendir(double_fd);
        if (!rep) {
            ::close(double_fd);
            return false;
        }
        minuscules.clear();
        while (const dirent* entree = ::readdir(rep)) {
            const QByteArray nom(entree->d_name);
            // Un nom que DOS ne sait pas dire ne peut être visé.
            if (nom != "." && nom != ".." && nom_exprimable(nom))
                minuscules.insert(QString::fromUtf8(nom).toLower());
        }
        ::closedir(rep);
        date = depuis;
        noms_lus = true;
        return true;
    }

    // Nom que l'on vient de créer : la liste reste bonne sans relecture.
    void nom_cree(const QString& nom) {
        struct stat maintenant;
        if (noms_lus && ::fstat(fd, &maintenant) == 0) {
            minuscules.insert(nom.toLower());
            date = maintenant.st_mtim;
        } else {
            noms_lus = false;
        }
    }
};

} // namespace

struct Renommages::Impl {
    RepertoireOuvert source;
    RepertoireOuvert cible;
};

Renommages::Renommages() : d(new Impl) {}
Renommages::~Renommages() = default;

bool Renommages::renommer_sur_place(const QString& ancien_dos, const QString& nouveau_dos) {
    const QString ancien = chemin_dos_absolu(ancien_dos);
    const QString nouveau = chemin_dos_absolu(nouveau_dos);
    const QString nom = dernier_composant(ancien);
    const QString nouveau_nom = dernier_composant(nouveau);
    // Tout ce qui sort du cas courant (autre unité, racine, répertoire
    // introuvable) passe par le chemin ordinaire et ses erreurs.
    if (ancien.at(0) != nouveau.at(0) || nom.isEmpty() || nouveau_nom.isEmpty() ||
        !d->source.ouvrir(repertoire_parent(ancien)) ||
        !d->cible.ouvrir(repertoire_parent(nouveau)))
        return renommer_avec(ancien, nouveau, false);
    const QByteArray n_source = QFile::encodeName(nom);
    const QByteArray n_cible = QFile::encodeName(nouveau_nom);
    struct stat st;
    // Absent sous ce nom exact : à chercher sans égard à la casse, ou disparu.
    if (::fstatat(d->source.fd, n_source.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return renommer_avec(ancien, nouveau, false);
    const bool meme_repertoire =
        d->source.st.st_dev == d->cible.st.st_dev && d->source.st.st_ino == d->cible.st.st_ino;
    if (meme_repertoire && n_source == n_cible)
        return true;
    bool meme_fichier = false;
    struct stat occupant;
    if (::fstatat(d->cible.fd, n_cible.constData(), &occupant, AT_SYMLINK_NOFOLLOW) == 0) {
        meme_fichier = occupant.st_dev == st.st_dev && occupant.st_ino == st.st_ino &&
                       nom.compare(nouveau_nom, Qt::CaseInsensitive) == 0;
        if (!meme_fichier)
            lever(ERR_FICHIER_EXISTE);
    } else {
        // Un homonyme de casse : le chemin ordinaire sait qui il est.
        const std::optional<bool> homonyme =
            errno == ENOENT ? d->cible.homonyme(nouveau_nom) : std::nullopt;
        if (!homonyme || *homonyme)
            return renommer_avec(ancien, nouveau, false);
    }
    int r = ::renameat2(d->source.fd, n_source.constData(), d->cible.fd, n_cible.constData(),
                        RENAME_NOREPLACE);
    if (r != 0 && errno == EEXIST && meme_fichier)
        r = ::renameat(d->source.fd, n_source.constData(), d->cible.fd, n_cible.constData());
    else if (r != 0 && (errno == EINVAL || errno == ENOSYS))
        r = deplacer_par_lien(d->source.chemin(n_source), d->cible.chemin(n_cible), meme_fichier)
                ? 0
                : -1;
    if (r != 0) {
        if (errno != EXDEV)
            lever_renommage(errno);
        return false;
    }
    if (meme_repertoire)
        d->cible.noms_lus = false;
    else
        d->cible.nom_cree(nouveau_nom);
    noter_nom_cree(QFile::decodeName(d->cible.chemin(n_cible)));
    return true;
}

// ---- Fichier ouvert ----

struct FichierOuvert::Impl {
    int fd = -1;
    QString hote;

    int descripteur() const {
        // 52 : numéro de fichier incorrect (fichier déjà fermé).
        if (fd < 0)
            lever(52);
        return fd;
    }
};

FichierOuvert::FichierOuvert(const QString& chemin_dos, Mode mode) : d(new Impl) {
    d->hote = dos_vers_hote(chemin_dos);
    const QByteArray chemin = QFile::encodeName(d->hote);
    struct stat st;
    const bool present = ::stat(chemin.constData(), &st) == 0;
    if (present && S_ISDIR(st.st_mode))
        lever(ERR_ACCES);
    // Contrôle explicite : le super-utilisateur passerait outre les droits.
    if (present && mode != Lecture && !(st.st_mode & S_IWUSR))
        lever(ERR_ACCES);
    const int acces = mode == Lecture    ? O_RDONLY
                      : mode == Ecriture ? O_WRONLY | O_CREAT | O_TRUNC
                                         : O_WRONLY | O_CREAT | O_APPEND;
    // O_NONBLOCK : un tube nommé ne bloque pas l'ouverture.
    d->fd = ::open(chemin.constData(), acces | O_CLOEXEC | O_NONBLOCK, 0666);
    if (d->fd < 0)
        lever_echec(errno, chemin);
    if (!present)
        noter_nom_cree(d->hote);
    ::fcntl(d->fd, F_SETFL, ::fcntl(d->fd, F_GETFL) & ~O_NONBLOCK);
}

FichierOuvert::~FichierOuvert() {
    if (d->fd >= 0)
        ::close(d->fd);
}

QByteArray FichierOuvert::lire(qint64 taille) {
    const int fd = d->descripteur();
    struct stat st;
    // Pas de tampon plus grand que ce qui reste à lire d'un fichier ordinaire.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        taille = std::min(taille, std::max<qint64>(st.st_size - position(), 0));
    QByteArray octets(std::max<qint64>(taille, 0), Qt::Uninitialized);
    qint64 lus = 0;
    while (lus < octets.size()) {
        const ssize_t n = ::read(fd, octets.data() + lus, size_t(octets.size() - lus));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            lever_errno(errno);
        if (n == 0)
            break;
        lus += n;
    }
    octets.truncate(lus);
    return octets;
}

void FichierOuvert::ecrire(const QByteArray& octets) {
    const int fd = d->descripteur();
    for (qint64 fait = 0; fait < octets.size();) {
        const ssize_t n = ::write(fd, octets.constData() + fait, size_t(octets.size() - fait));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            lever_ecriture(errno);
        if (n == 0)
            lever(ERR_DISQUE_PLEIN);
        fait += n;
    }
}

qint64 FichierOuvert::taille() const {
    struct stat st;
    if (::fstat(d->descripteur(), &st) != 0)
        lever_errno(errno);
    return qint64(st.st_size);
}

qint64 FichierOuvert::position() const {
    const off_t position = ::lseek(d->descripteur(), 0, SEEK_CUR);
    if (position < 0)
        lever_errno(errno);
    return qint64(position);
}

void FichierOuvert::fermer() {
    if (d->fd < 0)
        return;
    // Certains systèmes ne signalent le disque plein qu'à la fermeture.
    if (::close(std::exchange(d->fd, -1)) != 0 && errno != EINTR)
        lever_ecriture(errno);
}

bool FichierOuvert::ouvert() const {
    return d->fd >= 0;
}

QString FichierOuvert::chemin_hote() const {
    return d->hote;
}

} // namespace plateforme
