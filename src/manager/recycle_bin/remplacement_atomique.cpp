#include "manager/recycle_bin/remplacement_atomique.h"

#include "platform/chemins.h"
#include "platform/erreurs.h"
#include "platform/fichiers.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace corbeille {

namespace {

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
    // Fermeture vérifiée : certains systèmes ne signalent qu'ici l'échec.
    void fermer() {
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0 && errno != EINTR)
            plateforme::lever_errno(errno);
    }

private:
    int m_fd;
};

void ecrire_tout(int fd, const QByteArray& contenu) {
    for (qsizetype fait = 0; fait < contenu.size();) {
        const ssize_t n = ::write(fd, contenu.constData() + fait, size_t(contenu.size() - fait));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            plateforme::lever_errno(errno == EDQUOT ? ENOSPC : errno);
        fait += n;
    }
}

void pousser(int fd) {
    if (::fsync(fd) != 0 && errno != EINVAL)
        plateforme::lever_errno(errno == EDQUOT ? ENOSPC : errno);
}

QByteArray repertoire_de(const QByteArray& chemin) {
    const qsizetype barre = chemin.lastIndexOf('/');
    return barre <= 0 ? QByteArray("/") : chemin.left(barre);
}

// Le nouveau nom ne compte qu'une fois l'entrée du répertoire sur le disque.
void pousser_repertoire(const QByteArray& cible) {
    Descripteur repertoire(
        ::open(repertoire_de(cible).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (repertoire.fd() < 0)
        plateforme::lever_errno(errno);
    pousser(repertoire.fd());
}

void ecrire_temporaire(const QString& temporaire, const QByteArray& chemin,
                       const QByteArray& contenu, unsigned attributs) {
    // Un reste d'une interruption antérieure, peut-être en lecture seule.
    if (::unlink(chemin.constData()) != 0 && errno != ENOENT)
        plateforme::lever_errno(errno);
    Descripteur fichier(::open(chemin.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fichier.fd() < 0)
        plateforme::lever_errno(errno);
    ecrire_tout(fichier.fd(), contenu);
    plateforme::definir_attributs(temporaire, attributs);
    pousser(fichier.fd());
    fichier.fermer();
}

} // namespace

void remplacer_atomiquement(const QString& temporaire, const QString& cible,
                            const QByteArray& contenu, unsigned attributs) {
    const QByteArray chemin_temporaire = QFile::encodeName(plateforme::dos_vers_hote(temporaire));
    const QByteArray chemin_cible = QFile::encodeName(plateforme::dos_vers_hote(cible));
    try {
        ecrire_temporaire(temporaire, chemin_temporaire, contenu, attributs);
        // rename(2) remplace la cible en une seule opération.
        if (::rename(chemin_temporaire.constData(), chemin_cible.constData()) != 0)
            plateforme::lever_errno(errno);
    } catch (const plateforme::ErreurExecution&) {
        ::unlink(chemin_temporaire.constData());
        throw;
    }
    pousser_repertoire(chemin_cible);
}

} // namespace corbeille
