// Journal des provisoires : un fichier par processus, verrouillé tant qu'il
// vit. Entrées "+chemin\0" (avant la création) et "-chemin\0" (le nom n'est
// plus un provisoire) ; le journal est vidé dès qu'aucun provisoire ne vit.
#include "platform/provisoires.h"

#include <QFile>
#include <QMutex>
#include <QRandomGenerator>
#include <QSet>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plateforme {

namespace {

constexpr char k_suffixe[] = ".CPY";
constexpr char k_ajout = '+';
constexpr char k_retrait = '-';
// Un journal abîmé ou hostile ne fait pas gonfler la mémoire.
constexpr qsizetype k_lecture_max = qsizetype(16) << 20;

bool meme_fichier(int fd, const QByteArray& chemin) {
    struct stat ouvert {};
    struct stat nomme {};
    return ::fstat(fd, &ouvert) == 0 && ::lstat(chemin.constData(), &nomme) == 0 &&
           ouvert.st_nlink > 0 && ouvert.st_dev == nomme.st_dev && ouvert.st_ino == nomme.st_ino;
}

QByteArray lire_tout(int fd) {
    QByteArray tout;
    char tampon[8192];
    while (tout.size() < k_lecture_max) {
        const ssize_t n = ::pread(fd, tampon, sizeof tampon, off_t(tout.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        tout.append(tampon, n);
    }
    return tout;
}

// Entrée écrite en entier ou pas du tout : un reste coupé collerait à la suivante.
bool ecrire_entree(int fd, char marque, const QByteArray& chemin) {
    const QByteArray entree = QByteArray(1, marque) + chemin + '\0';
    const off_t avant = ::lseek(fd, 0, SEEK_END);
    for (qsizetype fait = 0; fait < entree.size();) {
        const ssize_t n = ::write(fd, entree.constData() + fait, size_t(entree.size() - fait));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int code = n == 0 ? ENOSPC : errno;
            if (avant >= 0)
                (void)::ftruncate(fd, avant);
            errno = code;
            return false;
        }
        fait += n;
    }
    return true;
}

// Provisoires encore en vie d'après un journal.
QSet<QByteArray> notes_en_vie(const QByteArray& contenu) {
    QSet<QByteArray> vivants;
    const QList<QByteArray> entrees = contenu.split('\0');
    // Le dernier morceau, sans NUL, est vide ou coupé par l'arrêt : ignoré.
    for (qsizetype i = 0; i + 1 < entrees.size(); ++i) {
        const QByteArray& e = entrees.at(i);
        if (e.size() < 2)
            continue;
        if (e.at(0) == k_ajout)
            vivants.insert(e.mid(1));
        else if (e.at(0) == k_retrait)
            vivants.remove(e.mid(1));
    }
    return vivants;
}

// Seuls les fichiers ordinaires aux noms admis sont effacés.
int effacer_notes(const QByteArray& contenu, const NomAdmis& admis) {
    int effaces = 0;
    for (const QByteArray& chemin : notes_en_vie(contenu)) {
        const qsizetype barre = chemin.lastIndexOf('/');
        if (!chemin.startsWith('/') || !admis || !admis(QFile::decodeName(chemin.mid(barre + 1))))
            continue;
        struct stat st {};
        if (::lstat(chemin.constData(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::unlink(chemin.constData()) == 0)
            ++effaces;
    }
    return effaces;
}

struct Journal {
    QMutex verrou;
    QByteArray prefixe;
    NomAdmis admis;
    QByteArray chemin;
    int fd = -1;
    pid_t proprietaire = 0; // un fils hérite du descripteur, pas du journal
    QSet<QByteArray> vivants;
    bool averti = false;

    ~Journal() { fermer(); }

    void fermer() {
        if (fd >= 0) {
            // Le verrou d'un journal hérité reste au père : rien d'autre à faire.
            if (proprietaire == ::getpid() && vivants.isEmpty())
                ::unlink(chemin.constData());
            ::close(fd);
        }
        fd = -1;
        chemin.clear();
        vivants.clear();
    }

    bool ouvrir() {
        if (fd >= 0 && proprietaire == ::getpid())
            return true;
        fermer();
        if (prefixe.isEmpty())
            return false;
        const QByteArray nom = prefixe + QByteArray::number(::getpid()) + k_suffixe;
        for (int essai = 0; essai < 3; ++essai) {
            const int f =
                ::open(nom.constData(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
            if (f < 0)
                return false;
            // Seul un nettoyage peut le tenir, le temps de l'effacer.
            if (::flock(f, LOCK_EX | LOCK_NB) != 0 || !meme_fichier(f, nom)) {
                ::close(f);
                continue;
            }
            // Laissé par un processus disparu qui portait le même numéro.
            effacer_notes(lire_tout(f), admis);
            if (::ftruncate(f, 0) != 0) {
                ::close(f);
                return false;
            }
            fd = f;
            chemin = nom;
            proprietaire = ::getpid();
            return true;
        }
        errno = EBUSY;
        return false;
    }

    void avertir(int code) {
        if (averti)
            return;
        averti = true;
        qWarning("journal des provisoires %s : %s", prefixe.constData(), std::strerror(code));
    }
};

Journal& journal() {
    static Journal j;
    return j;
}

bool est_nom_journal(const QByteArray& nom, const QByteArray& tete) {
    const qsizetype chiffres = nom.size() - tete.size() - qsizetype(sizeof k_suffixe - 1);
    if (chiffres < 1 || chiffres > 10 || !nom.startsWith(tete) || !nom.endsWith(k_suffixe))
        return false;
    for (qsizetype i = tete.size(); i < tete.size() + chiffres; ++i)
        if (nom.at(i) < '0' || nom.at(i) > '9')
            return false;
    return true;
}

int nettoyer_journal(const QByteArray& chemin, const NomAdmis& admis) {
    const int fd = ::open(chemin.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return 0;
    int effaces = 0;
    struct stat st {};
    // Verrou tenu : son processus vit, ses provisoires aussi.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        meme_fichier(fd, chemin)) {
        effaces = effacer_notes(lire_tout(fd), admis);
        // Effacé avant de rendre le verrou : qui l'attendait en ouvrira un neuf.
        ::unlink(chemin.constData());
    }
    ::close(fd);
    return effaces;
}

} // namespace

void definir_journal_provisoires(const QString& prefixe_hote, NomAdmis admis) {
    Journal& j = journal();
    QMutexLocker verrou(&j.verrou);
    const QByteArray prefixe = QFile::encodeName(prefixe_hote);
    if (prefixe != j.prefixe) {
        j.fermer();
        j.averti = false;
    }
    j.prefixe = prefixe;
    j.admis = std::move(admis);
}

QString journal_provisoires() {
    Journal& j = journal();
    QMutexLocker verrou(&j.verrou);
    return j.fd >= 0 && j.proprietaire == ::getpid() ? QFile::decodeName(j.chemin) : QString();
}

void noter_provisoire(const QByteArray& chemin) {
    Journal& j = journal();
    QMutexLocker verrou(&j.verrou);
    if (j.prefixe.isEmpty())
        return;
    if (!j.ouvrir() || !ecrire_entree(j.fd, k_ajout, chemin)) {
        j.avertir(errno);
        return;
    }
    j.vivants.insert(chemin);
}

void provisoire_fini(const QByteArray& chemin) {
    Journal& j = journal();
    QMutexLocker verrou(&j.verrou);
    if (j.fd < 0 || j.proprietaire != ::getpid() || !j.vivants.remove(chemin))
        return;
    // Plus rien en vie : un journal vide ne désigne plus rien.
    const bool ok =
        j.vivants.isEmpty() ? ::ftruncate(j.fd, 0) == 0 : ecrire_entree(j.fd, k_retrait, chemin);
    if (!ok)
        j.avertir(errno);
}

int creer_provisoire(const QByteArray& repertoire, const QByteArray& tete, QByteArray& chemin) {
    static constexpr char signes[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int essai = 0; essai < 100; ++essai) {
        QByteArray nom = tete;
        for (int i = 0; i < 6; ++i)
            nom += signes[QRandomGenerator::global()->bounded(int(sizeof signes - 1))];
        chemin = repertoire + '/' + nom;
        // Un nom déjà pris n'entre même pas au journal.
        if (::access(chemin.constData(), F_OK) == 0)
            continue;
        if (errno != ENOENT)
            return -1;
        noter_provisoire(chemin);
        const int fd = ::open(chemin.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0)
            return fd;
        const int code = errno;
        provisoire_fini(chemin);
        errno = code;
        if (code != EEXIST)
            return -1;
    }
    errno = EEXIST;
    return -1;
}

int nettoyer_provisoires() {
    QByteArray prefixe;
    NomAdmis admis;
    {
        Journal& j = journal();
        QMutexLocker verrou(&j.verrou);
        prefixe = j.prefixe;
        admis = j.admis;
    }
    if (prefixe.isEmpty())
        return 0;
    // L'ancien journal commun ne nommait que des répertoires : rien à effacer d'après lui.
    const QByteArray ancien = prefixe + "CPY";
    struct stat st {};
    if (::lstat(ancien.constData(), &st) == 0 && S_ISREG(st.st_mode))
        ::unlink(ancien.constData());
    const qsizetype barre = prefixe.lastIndexOf('/');
    const QByteArray repertoire = barre <= 0 ? QByteArray("/") : prefixe.left(barre);
    const QByteArray tete = prefixe.mid(barre + 1);
    DIR* dir = ::opendir(repertoire.constData());
    if (!dir)
        return 0;
    QList<QByteArray> journaux;
    while (const dirent* e = ::readdir(dir))
        if (est_nom_journal(QByteArray(e->d_name), tete))
            journaux.append(repertoire + '/' + e->d_name);
    ::closedir(dir);
    int effaces = 0;
    for (const QByteArray& chemin : journaux)
        effaces += nettoyer_journal(chemin, admis);
    return effaces;
}

} // namespace plateforme
