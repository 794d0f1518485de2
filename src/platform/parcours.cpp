#include "platform/parcours.h"

#include "platform/chemins.h"
#include "platform/erreurs.h"
#include "platform/fichiers.h"
#include "platform/unites.h"

#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

namespace plateforme {

namespace {

// Absents de certains <linux/magic.h>.
constexpr unsigned long k_configfs = 0x62656570;
constexpr unsigned long k_fusectl = 0x65735543;
constexpr unsigned long k_mqueue = 0x19800202;

// Systèmes de fichiers du noyau : aucune donnée d'utilisateur, parfois sans fin.
bool type_virtuel(unsigned long type) {
    switch (type) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEVPTS_SUPER_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case PSTOREFS_MAGIC:
    case BPF_FS_MAGIC:
    case HUGETLBFS_MAGIC:
    case BINFMTFS_MAGIC:
    case EFIVARFS_MAGIC:
    case SELINUX_MAGIC:
    case SMACK_MAGIC:
    case NSFS_MAGIC:
    case k_configfs:
    case k_fusectl:
    case k_mqueue:
        return true;
    default:
        return false;
    }
}

// /proc, /sys, /dev ne contiennent que du virtuel ; /run seulement ce qui
// n'y est pas monté d'ailleurs (un volume amovible sous /run/media).
enum class Zone { Ordinaire, Virtuelle, Execution };

bool sous(QByteArrayView chemin, QByteArrayView base) {
    return chemin.startsWith(base) && (chemin.size() == base.size() || chemin[base.size()] == '/');
}

Zone zone_de(QByteArrayView chemin) {
    if (sous(chemin, "/proc") || sous(chemin, "/sys") || sous(chemin, "/dev"))
        return Zone::Virtuelle;
    return sous(chemin, "/run") ? Zone::Execution : Zone::Ordinaire;
}

// Un système de fichiers monté sous /run qui n'est ni tmpfs ni du noyau.
bool monte_sous_run(const struct stat& st, unsigned long type) {
    struct stat run;
    return type != TMPFS_MAGIC && ::stat("/run", &run) == 0 && run.st_dev != st.st_dev;
}

// 'fd' : descripteur du répertoire (ou -1 s'il n'a pu être ouvert).
bool virtuel_ouvert(int fd, QByteArrayView chemin) {
    const Zone zone = zone_de(chemin);
    if (zone == Zone::Virtuelle)
        return true;
    struct statfs fs;
    struct stat st;
    if (fd < 0 || ::fstatfs(fd, &fs) != 0 || ::fstat(fd, &st) != 0)
        return zone == Zone::Execution;
    if (type_virtuel(fs.f_type))
        return true;
    return zone == Zone::Execution && !monte_sous_run(st, fs.f_type);
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
    Descripteur(Descripteur&& autre) noexcept : m_fd(autre.m_fd) { autre.m_fd = -1; }
    Descripteur& operator=(Descripteur&& autre) noexcept {
        if (this != &autre) {
            if (m_fd >= 0)
                ::close(m_fd);
            m_fd = autre.m_fd;
            autre.m_fd = -1;
        }
        return *this;
    }
    int fd() const { return m_fd; }
    void lacher() { m_fd = -1; }

private:
    int m_fd;
};

// Chemin absolu sans lien ("." et ".." résolus) : c'est lui qui dit dans
// quel système de fichiers on est ; à défaut, la forme nettoyée.
QByteArray chemin_reel(const QString& chemin_hote) {
    const QString absolu = QDir::cleanPath(QDir::current().absoluteFilePath(chemin_hote));
    const QString reel = QFileInfo(absolu).canonicalFilePath();
    return QFile::encodeName(reel.isEmpty() ? absolu : reel);
}

struct Identite {
    dev_t dev;
    ino_t ino;
    bool operator==(const Identite&) const = default;
};

struct HacheIdentite {
    size_t operator()(const Identite& i) const {
        return std::hash<ino_t>()(i.ino) ^ (std::hash<dev_t>()(i.dev) << 1);
    }
};

// Un répertoire de la liste, vu de l'hôte.
struct Noeud {
    QByteArray hote;
    dev_t dev_parent = 0;
    size_t parent = 0; // index du répertoire qui le contient
    bool racine = false;
    bool entrer = true; // faux pour un lien : listé, jamais parcouru
};

// Dernier composant d'un chemin de l'hôte.
const char* nom_de(const QByteArray& hote) {
    return hote.constData() + hote.lastIndexOf('/') + 1;
}

// Descripteurs des répertoires dont les sous-répertoires attendent leur
// tour : chacun est ouvert par son nom dans son parent, sans refaire tout
// le chemin (le coût en grandirait avec la profondeur). Le parcours étant
// en largeur, les enfants d'un répertoire se suivent et les parents
// viennent dans l'ordre : une file suffit. Au-delà de 'k_max', le chemin
// complet sert.
class ParentsOuverts {
public:
    ParentsOuverts() = default;
    ~ParentsOuverts() {
        for (const auto& [index, fd] : m_file)
            ::close(fd);
    }
    ParentsOuverts(const ParentsOuverts&) = delete;
    ParentsOuverts& operator=(const ParentsOuverts&) = delete;

    // Descripteur du parent 'index', ou -1 ; les parents d'avant sont finis.
    int parent(size_t index) {
        while (!m_file.empty() && m_file.front().first < index) {
            ::close(m_file.front().second);
            m_file.pop_front();
        }
        return !m_file.empty() && m_file.front().first == index ? m_file.front().second : -1;
    }
    // Garde 'fd' (rendu vrai) ou le laisse à l'appelant (faux).
    bool garder(size_t index, int fd) {
        if (m_file.size() >= k_max)
            return false;
        m_file.emplace_back(index, fd);
        return true;
    }

private:
    static constexpr size_t k_max = 256;
    std::deque<std::pair<size_t, int>> m_file;
};

// Ouvre le répertoire 'hote', par son nom dans 'parent' quand il est ouvert ;
// 'mode' : O_RDONLY pour le lire, O_PATH pour y voir ses entrées.
int ouvrir_repertoire(int parent, const QByteArray& hote, bool racine, int mode = O_RDONLY) {
    // O_NOFOLLOW : un nom devenu lien depuis la lecture du parent n'est pas
    // suivi (ELOOP, ou ENOTDIR avec O_PATH).
    const int drapeaux = mode | O_DIRECTORY | O_CLOEXEC | (racine ? 0 : O_NOFOLLOW);
    if (parent >= 0 && !racine)
        return ::openat(parent, nom_de(hote), drapeaux);
    return ::open(hote.constData(), drapeaux);
}

struct Enfant {
    QString nom;
    QByteArray octets;
    bool lien = false;
};

bool avant(const Enfant& a, const Enfant& b) {
    const int c = QString::compare(a.nom, b.nom, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a.nom < b.nom;
}

// Type d'une entrée : celui du noyau, sinon lstat (systèmes de fichiers
// qui ne le donnent pas).
unsigned char type_de(int fd, const dirent64* e) {
    if (e->d_type != DT_UNKNOWN)
        return e->d_type;
    struct stat st;
    if (::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return DT_UNKNOWN;
    return S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
}

bool lien_vers_repertoire(int fd, const char* nom) {
    struct stat st;
    return ::fstatat(fd, nom, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

bool point_ou_point_point(const char* nom) {
    return nom[0] == '.' && (nom[1] == 0 || (nom[1] == '.' && nom[2] == 0));
}

// Ce qu'une lecture de répertoire garde : ses sous-répertoires et, si
// demandé, ses fichiers (ordinaires, ou liens dont la cible sera vue au besoin).
struct Lecture {
    std::vector<Enfant> repertoires;
    std::vector<FichierGarde> fichiers;
};

void retenir(int fd, const dirent64* e, Lecture& lecture, bool avec_fichiers) {
    if (point_ou_point_point(e->d_name))
        return;
    const unsigned char type = type_de(fd, e);
    const bool lien = type == DT_LNK;
    const bool repertoire = type == DT_DIR || (lien && lien_vers_repertoire(fd, e->d_name));
    if (!repertoire && !(avec_fichiers && (type == DT_REG || lien)))
        return;
    // Sans copie : un disque entier, ce sont des centaines de milliers de noms.
    const QByteArray brut = QByteArray::fromRawData(e->d_name, qsizetype(std::strlen(e->d_name)));
    if (!nom_exprimable(brut))
        return;
    if (repertoire)
        lecture.repertoires.push_back(
            {QString::fromUtf8(brut), QByteArray(brut.constData(), brut.size()), lien});
    else
        lecture.fichiers.push_back({QString::fromUtf8(brut), lien});
}

// Entrées exprimables en DOS d'un répertoire ouvert ; sous-répertoires triés
// sans égard à la casse comme la liste des répertoires. getdents64 plutôt
// que readdir : les appels au système comptent, un disque entier en fait des
// centaines de milliers.
Lecture lire_entrees(int fd, std::vector<char>& tampon, bool avec_fichiers) {
    Lecture lecture;
    ssize_t lus;
    while ((lus = ::getdents64(fd, tampon.data(), tampon.size())) > 0) {
        for (ssize_t pos = 0; pos < lus;) {
            const auto* e = reinterpret_cast<const dirent64*>(tampon.data() + pos);
            retenir(fd, e, lecture, avec_fichiers);
            pos += e->d_reclen;
        }
    }
    std::sort(lecture.repertoires.begin(), lecture.repertoires.end(), avant);
    return lecture;
}

qint64 nanosecondes(const struct timespec& t) {
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

EmpreinteRepertoire empreinte_de(const struct stat& st) {
    return {quint64(st.st_dev), quint64(st.st_ino), nanosecondes(st.st_mtim),
            nanosecondes(st.st_ctim)};
}

// Plus de trois secondes : au-delà du tic des horloges de fichiers, FAT
// comprise (deux secondes).
bool lecture_sure(const struct stat& st) {
    struct timespec maintenant;
    ::clock_gettime(CLOCK_REALTIME, &maintenant);
    return nanosecondes(st.st_mtim) < nanosecondes(maintenant) - qint64(3) * 1000000000;
}

void garder(ContenuRepertoire& contenu, const QByteArray& hote, const struct stat& st, bool racine,
            std::vector<FichierGarde>&& fichiers) {
    contenu.hote = hote;
    contenu.empreinte = empreinte_de(st);
    contenu.racine = racine;
    contenu.sur = lecture_sure(st);
    contenu.fichiers = std::move(fichiers);
}

class Parcours {
public:
    Parcours(const QString& dos, const QByteArray& hote, bool avec_fichiers)
        : m_avec_fichiers(avec_fichiers) {
        m_resultat.repertoires.append(dos);
        m_noeuds.push_back({hote, 0, 0, true, true});
        if (m_avec_fichiers)
            m_resultat.contenus.emplace_back();
    }

    ResultatParcours executer(const std::function<bool(const QString&)>& continuer) {
        for (size_t i = 0; i < m_noeuds.size(); ++i) {
            lire(i);
            m_noeuds[i].hote.clear(); // lu : son chemin ne sert plus ici
            if (continuer && !continuer(m_resultat.repertoires.at(qsizetype(i))) &&
                i + 1 < m_noeuds.size()) {
                m_resultat.complet = false;
                break;
            }
        }
        return std::move(m_resultat);
    }

private:
    void lire(size_t i) {
        const Noeud& n = m_noeuds[i];
        if (!n.entrer)
            return;
        Descripteur fd(ouvrir_repertoire(m_parents.parent(n.parent), n.hote, n.racine));
        struct stat st;
        if (fd.fd() < 0 || ::fstat(fd.fd(), &st) != 0 || !nouveau(st))
            return;
        // Le type du système de fichiers ne change qu'à un point de montage.
        const bool montage = n.racine || st.st_dev != n.dev_parent;
        if ((montage || zone_de(n.hote) != Zone::Ordinaire) && virtuel_ouvert(fd.fd(), n.hote))
            return;
        Lecture lecture = lire_entrees(fd.fd(), m_tampon, m_avec_fichiers);
        const QByteArray hote = n.hote; // m_noeuds grandit : la référence ne tient plus
        const bool racine = n.racine;
        ajouter(i, hote, st.st_dev, lecture.repertoires);
        if (m_avec_fichiers) {
            ContenuRepertoire& contenu = m_resultat.contenus[i];
            garder(contenu, hote, st, racine, std::move(lecture.fichiers));
            contenu.parent = racine ? -1 : qsizetype(m_noeuds[i].parent);
            contenu.parent_de_repertoires = !lecture.repertoires.empty();
        }
        if (!lecture.repertoires.empty() && m_parents.garder(i, fd.fd()))
            fd.lacher();
    }

    // Chaque répertoire réel n'est parcouru qu'une fois (montages liés).
    bool nouveau(const struct stat& st) { return m_vus.insert({st.st_dev, st.st_ino}).second; }

    void ajouter(size_t i, const QByteArray& hote, dev_t dev, const std::vector<Enfant>& liste) {
        const QString dos = m_resultat.repertoires.at(qsizetype(i));
        const QString prefixe_dos = dos.endsWith(u'\\') ? dos : dos + u'\\';
        const QByteArray prefixe_hote = hote.endsWith('/') ? hote : hote + '/';
        for (const Enfant& e : liste) {
            m_resultat.repertoires.append(prefixe_dos + e.nom);
            m_noeuds.push_back({prefixe_hote + e.octets, dev, i, false, !e.lien});
            if (m_avec_fichiers)
                m_resultat.contenus.emplace_back();
        }
    }

    bool m_avec_fichiers;
    ResultatParcours m_resultat;
    std::vector<Noeud> m_noeuds;
    std::unordered_set<Identite, HacheIdentite> m_vus;
    ParentsOuverts m_parents;
    std::vector<char> m_tampon = std::vector<char>(std::size_t(64) * 1024);
};

// Un répertoire qu'on ne peut plus lire est sauté ; le reste est une vraie
// erreur du support.
EtatContenu sauter_ou_lever(ContenuRepertoire& contenu, int code) {
    switch (code) {
    case ENOENT:
    case ENOTDIR:
    case EACCES:
    case EPERM:
    case ELOOP:
    case ENAMETOOLONG:
        contenu.fichiers.clear();
        contenu.sur = false;
        return EtatContenu::Illisible;
    default:
        lever_errno(code);
    }
}

// "C:\DOC" et son chemin de l'hôte, avec la casse du disque.
QString prefixe_dos(QChar lettre, const QString& hote) {
    const QString repertoire = *TableUnites::instance().repertoire(lettre);
    const QStringList noms = hote.mid(repertoire.size()).split(u'/', Qt::SkipEmptyParts);
    return QString(lettre) + QStringLiteral(":\\") + noms.join(u'\\');
}

} // namespace

ResultatParcours parcourir_repertoires(const QString& racine_dos,
                                       const std::function<bool()>& continuer) {
    OptionsParcours options;
    if (continuer)
        options.continuer = [&continuer](const QString&) { return continuer(); };
    return parcourir_repertoires(racine_dos, options);
}

ResultatParcours parcourir_repertoires(const QString& racine_dos, const OptionsParcours& options) {
    const QString absolu = chemin_dos_absolu(racine_dos);
    const QString hote = dos_vers_hote(absolu);
    if (!QFileInfo(hote).isDir())
        lever(absolu.size() == 3 ? ERR_PERIPHERIQUE_ABSENT : ERR_CHEMIN_INTROUVABLE);
    Parcours parcours(prefixe_dos(absolu.at(0), hote), chemin_reel(hote), options.avec_fichiers);
    return parcours.executer(options.continuer);
}

namespace {

// Relit 'contenu' si son empreinte a changé ; 'parent' : descripteur du
// répertoire qui le contient, ou -1 (chemin complet). 'fd' reçoit le
// répertoire ouvert (O_PATH) quand il a été ouvert : pour être relu, ou pour
// ses sous-répertoires.
EtatContenu relire(ContenuRepertoire& contenu, int parent, Descripteur& fd) {
    if (contenu.hote.isEmpty())
        return EtatContenu::Illisible;
    const bool relatif = parent >= 0 && !contenu.racine;
    struct stat st;
    if (::fstatat(relatif ? parent : AT_FDCWD,
                  relatif ? nom_de(contenu.hote) : contenu.hote.constData(), &st,
                  contenu.racine ? 0 : AT_SYMLINK_NOFOLLOW) != 0)
        return sauter_ou_lever(contenu, errno);
    if (!S_ISDIR(st.st_mode))
        return sauter_ou_lever(contenu, ENOTDIR);
    const bool inchange = contenu.sur && empreinte_de(st) == contenu.empreinte;
    if (inchange && !contenu.parent_de_repertoires)
        return EtatContenu::Garde;
    fd = Descripteur(ouvrir_repertoire(parent, contenu.hote, contenu.racine, O_PATH));
    struct stat ouvert;
    if (fd.fd() < 0 || ::fstat(fd.fd(), &ouvert) != 0)
        return sauter_ou_lever(contenu, errno);
    // Le même répertoire qu'à l'examen (pas un autre mis à sa place entre-temps).
    if (inchange && ouvert.st_dev == st.st_dev && ouvert.st_ino == st.st_ino)
        return EtatContenu::Garde;
    const Descripteur lecture(::openat(fd.fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (lecture.fd() < 0 || ::fstat(lecture.fd(), &st) != 0)
        return sauter_ou_lever(contenu, errno);
    // Un système monté depuis par-dessus : même règle que le parcours.
    if (quint64(st.st_dev) != contenu.empreinte.dev && virtuel_ouvert(lecture.fd(), contenu.hote))
        return sauter_ou_lever(contenu, EACCES);
    std::vector<char> tampon(std::size_t(64) * 1024);
    Lecture lu = lire_entrees(lecture.fd(), tampon, true);
    garder(contenu, contenu.hote, st, contenu.racine, std::move(lu.fichiers));
    return EtatContenu::Relu;
}

// Chemin d'un fichier par le descripteur de son répertoire : court quel que
// soit le chemin complet (les attributs étendus ne se lisent que par un chemin).
QByteArray chemin_par_descripteur(int fd, const QString& nom) {
    return "/proc/self/fd/" + QByteArray::number(fd) + '/' + QFile::encodeName(nom);
}

bool proc_disponible() {
    static const bool oui = ::access("/proc/self/fd", X_OK) == 0;
    return oui;
}

} // namespace

EtatContenu actualiser_contenu(ContenuRepertoire& contenu) {
    Descripteur fd(-1);
    return relire(contenu, -1, fd);
}

struct Actualisation::Impl {
    explicit Impl(std::vector<ContenuRepertoire>& c) : contenus(c) {}

    // Le répertoire actualisé en dernier, ouvert au besoin ; -1 s'il ne peut l'être.
    int repertoire() {
        if (fd < 0 && contenu && lisible) {
            courant =
                Descripteur(ouvrir_repertoire(parent, contenu->hote, contenu->racine, O_PATH));
            fd = courant.fd();
            lisible = fd >= 0;
        }
        return fd;
    }

    std::vector<ContenuRepertoire>& contenus;
    ParentsOuverts parents;
    // Le dernier actualisé : son parent ouvert (ou -1), et lui-même une fois
    // ouvert ('courant' s'il n'est pas gardé pour ses sous-répertoires).
    const ContenuRepertoire* contenu = nullptr;
    int parent = -1;
    bool lisible = false;
    Descripteur courant{-1};
    int fd = -1;
};

Actualisation::Actualisation(std::vector<ContenuRepertoire>& contenus)
    : d(std::make_unique<Impl>(contenus)) {}

Actualisation::~Actualisation() = default;

EtatContenu Actualisation::actualiser(size_t i) {
    ContenuRepertoire& contenu = d->contenus.at(i);
    d->courant = Descripteur(-1);
    d->fd = -1;
    d->contenu = &contenu;
    d->parent = contenu.parent >= 0 ? d->parents.parent(size_t(contenu.parent)) : -1;
    d->lisible = false;
    Descripteur fd(-1);
    const EtatContenu etat = relire(contenu, d->parent, fd);
    if (etat == EtatContenu::Illisible)
        return etat;
    d->lisible = true;
    d->fd = fd.fd();
    if (fd.fd() >= 0 && contenu.parent_de_repertoires && d->parents.garder(i, fd.fd()))
        fd.lacher();
    else
        d->courant = std::move(fd);
    return etat;
}

bool Actualisation::est_fichier_ordinaire(const FichierGarde& fichier) const {
    if (!fichier.lien)
        return true;
    const int rep = d->repertoire();
    if (rep < 0)
        return d->contenu && plateforme::est_fichier_ordinaire(*d->contenu, fichier);
    struct stat st;
    return ::fstatat(rep, QFile::encodeName(fichier.nom).constData(), &st, 0) == 0 &&
           S_ISREG(st.st_mode);
}

std::optional<unsigned> Actualisation::attributs(const FichierGarde& fichier) const {
    if (!d->contenu)
        return std::nullopt;
    const QByteArray& hote = d->contenu->hote;
    const QByteArray chemin =
        (hote.endsWith('/') ? hote : hote + '/') + QFile::encodeName(fichier.nom);
    // Le chemin complet tant que le système l'accepte : le passage par /proc
    // coûte bien plus par fichier.
    if (chemin.size() < PATH_MAX || !proc_disponible())
        return attributs_hote(chemin);
    const int rep = d->repertoire();
    return rep >= 0 ? attributs_hote(chemin_par_descripteur(rep, fichier.nom)) : std::nullopt;
}

bool est_fichier_ordinaire(const ContenuRepertoire& contenu, const FichierGarde& fichier) {
    if (!fichier.lien)
        return true;
    const QByteArray chemin = contenu.hote + '/' + QFile::encodeName(fichier.nom);
    struct stat st;
    return ::stat(chemin.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool est_systeme_virtuel(const QString& chemin_hote) {
    const QByteArray chemin = chemin_reel(chemin_hote);
    Descripteur fd(::open(chemin.constData(), O_PATH | O_CLOEXEC));
    return virtuel_ouvert(fd.fd(), chemin);
}

} // namespace plateforme
