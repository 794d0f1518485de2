// Copie par blocs : nom provisoire, jauge économe, arrêt entre les blocs.
// Descripteurs bruts et tampon fixe : ni allocation ni appel superflu par bloc.
#include "manager/commands/moteur_copie.h"
#include "platform/chemins.h"
#include "platform/erreurs.h"
#include "platform/fichiers.h"
#include "platform/provisoires.h"
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace copie {

namespace {

constexpr qint64 INTERVALLE_JAUGE_MS = 30;
constexpr qint64 INTERVALLE_CEDER_MS = 10;

// Descripteur fermé à la sortie de portée.
struct Descripteur {
    int fd = -1;
    ~Descripteur() { fermer(); }
    void fermer() {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
};

[[noreturn]] void lever_depuis_errno() {
    plateforme::lever_errno(errno);
}

// Un fichier en lecture seule n'est pas remplacé, même par le super-utilisateur.
void refuser_lecture_seule(const QByteArray& destination) {
    struct stat etat {};
    if (::stat(destination.constData(), &etat) == 0 && !(etat.st_mode & S_IWUSR))
        plateforme::lever(plateforme::ERR_ACCES);
}

class Boucle {
public:
    Boucle(const Rappels& r, qint64 longueur) : rappels(r), longueur(longueur) {
        jauge = longueur >= SEUIL_JAUGE;
        horloge.start();
    }
    void debut() const {
        if (rappels.montrer_jauge)
            rappels.montrer_jauge(jauge);
        if (jauge && rappels.progression)
            rappels.progression(0);
    }
    bool arreter() const { return rappels.arret && rappels.arret(); }
    void apres_bloc(qint64 copies) {
        const qint64 maintenant = horloge.elapsed();
        if (jauge && rappels.progression) {
            const int valeur = int(qMin<qint64>(100, copies * 100 / longueur));
            const bool fin = copies >= longueur;
            if (valeur != affichee && (fin || maintenant - derniere_jauge >= INTERVALLE_JAUGE_MS)) {
                rappels.progression(valeur);
                affichee = valeur;
                derniere_jauge = maintenant;
            }
        }
        if (rappels.ceder && maintenant - dernier_ceder >= INTERVALLE_CEDER_MS) {
            rappels.ceder();
            dernier_ceder = horloge.elapsed();
        }
    }

private:
    const Rappels& rappels;
    qint64 longueur;
    bool jauge = false;
    QElapsedTimer horloge;
    qint64 derniere_jauge = 0;
    qint64 dernier_ceder = 0;
    int affichee = 0;
};

void ecrire_tout(int fd, const char* octets, qint64 taille) {
    for (qint64 fait = 0; fait < taille;) {
        const ssize_t n = ::write(fd, octets + fait, size_t(taille - fait));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            lever_depuis_errno();
        if (n == 0)
            plateforme::lever(plateforme::ERR_DISQUE_PLEIN);
        fait += n;
    }
}

// Recopie les blocs ; faux si l'arrêt est demandé.
bool recopier(int entree, int sortie, Boucle& boucle) {
    char bloc[TAILLE_BLOC];
    qint64 copies = 0;
    for (;;) {
        if (boucle.arreter())
            return false;
        const ssize_t lus = ::read(entree, bloc, sizeof bloc);
        if (lus < 0 && errno == EINTR)
            continue;
        if (lus < 0)
            lever_depuis_errno();
        if (lus == 0)
            return true;
        ecrire_tout(sortie, bloc, lus);
        copies += lus;
        boucle.apres_bloc(copies);
    }
}

// Façon de poser la copie sous son nom.
struct Pose {
    bool remplacer = true;  // faux : jamais, comme un renommage (58)
    bool durable = false;   // écrite sur le disque même si elle ne remplace rien
    bool attributs = false; // attributs étendus de la source gardés
};

// Copie complète dans 'provisoire', avec les droits et la date de la source ;
// faux si arrêtée. Créé pour le seul propriétaire : le contenu d'une clé
// privée n'est jamais lisible par d'autres, même le temps de la copie.
// 'cree' dit si le provisoire a été créé ici (un nom pris entre-temps par un
// autre n'est pas à nous).
bool copier_vers(const QByteArray& source, const QByteArray& provisoire,
                 const QByteArray& destination, const Rappels& rappels, const Pose& pose,
                 bool& cree) {
    Descripteur entree{::open(source.constData(), O_RDONLY | O_CLOEXEC)};
    if (entree.fd < 0)
        lever_depuis_errno();
    struct stat etat {};
    if (::fstat(entree.fd, &etat) != 0)
        lever_depuis_errno();
    if (S_ISDIR(etat.st_mode))
        plateforme::lever(plateforme::ERR_ACCES);
    Descripteur sortie{
        ::open(provisoire.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600)};
    if (sortie.fd < 0)
        lever_depuis_errno();
    cree = true;
    Boucle boucle(rappels, etat.st_size);
    boucle.debut();
    if (!recopier(entree.fd, sortie.fd, boucle))
        return false;
    if (pose.attributs)
        plateforme::copier_attributs_etendus(entree.fd, sortie.fd);
    plateforme::donner_droits_de_copie(sortie.fd, etat.st_mode);
    const struct timespec temps[2] = {etat.st_atim, etat.st_mtim};
    if (::futimens(sortie.fd, temps) != 0)
        lever_depuis_errno();
    // Sur le disque avant de remplacer l'ancien fichier : une coupure de
    // courant après le renommage laisserait sinon un fichier vide ou partiel.
    struct stat ancien {};
    if ((pose.durable || ::lstat(destination.constData(), &ancien) == 0) &&
        ::fdatasync(sortie.fd) != 0)
        lever_depuis_errno();
    const int fin = ::close(sortie.fd);
    sortie.fd = -1;
    if (fin != 0) // une écriture différée peut encore manquer de place
        lever_depuis_errno();
    return true;
}

// Octets de l'hôte : un répertoire au nom non UTF-8 doit rester le même.
QByteArray nom_provisoire_octets(const QByteArray& repertoire_hote) {
    for (;;) {
        const quint32 tirage = QRandomGenerator::global()->bounded(0x100000u);
        const QString nom = u".KC%1.TMP"_s.arg(tirage, 5, 16, QChar(u'0')).toUpper();
        QByteArray chemin = repertoire_hote + '/' + nom.toLatin1();
        if (::access(chemin.constData(), F_OK) != 0)
            return chemin;
    }
}

QString nom_provisoire_hote(const QString& repertoire_hote) {
    return QFile::decodeName(nom_provisoire_octets(QFile::encodeName(repertoire_hote)));
}

} // namespace

bool est_nom_provisoire(const QString& nom) {
    if (nom.size() != 12 || !nom.startsWith(u".KC"_s) || !nom.endsWith(u".TMP"_s))
        return false;
    for (int i = 3; i < 8; ++i) {
        const char16_t c = nom.at(i).unicode();
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')))
            return false;
    }
    return true;
}

int nettoyer_provisoires(const QString& prefixe_fichiers) {
    try {
        if (prefixe_fichiers.isEmpty()) {
            // Sans répertoire du programme établi, pas de journal (jamais un chemin relatif).
            plateforme::definir_journal_provisoires({}, {});
            return 0;
        }
        const QString ancien = prefixe_fichiers + u"CPY"_s;
        const QString repertoire = plateforme::dos_vers_hote(plateforme::repertoire_parent(ancien));
        plateforme::definir_journal_provisoires(
            plateforme::joindre_hote(repertoire, plateforme::dernier_composant(ancien).chopped(3)),
            [](const QString& nom) {
                return est_nom_provisoire(nom) || plateforme::est_nom_temporaire(nom);
            });
    } catch (const plateforme::ErreurExecution& e) {
        qWarning("journal des provisoires : %s", e.what());
        plateforme::definir_journal_provisoires({}, {});
        return 0;
    }
    return plateforme::nettoyer_provisoires();
}

QString nom_provisoire(const QString& destination) {
    const QString hote = plateforme::dos_vers_hote(destination);
    const QString nom = QFileInfo(nom_provisoire_hote(QFileInfo(hote).path())).fileName();
    return plateforme::joindre(plateforme::repertoire_parent(destination), nom);
}

namespace {

// La copie sur les chemins de l'hôte ; 'provisoire_choisi' reçoit le nom
// du provisoire avant qu'il n'existe.
Issue poser_copie_hote(const QByteArray& entree, const QByteArray& sortie, const Rappels& rappels,
                       const Pose& pose,
                       const std::function<void(const QString&)>& provisoire_choisi = {}) {
    refuser_lecture_seule(sortie);
    const qsizetype barre = sortie.lastIndexOf('/');
    const QByteArray provisoire =
        nom_provisoire_octets(barre <= 0 ? QByteArray() : sortie.left(barre));
    if (provisoire_choisi)
        provisoire_choisi(QFile::decodeName(provisoire.mid(provisoire.lastIndexOf('/') + 1)));
    // Noté avant d'exister : un arrêt brutal ne laisse qu'un nom connu.
    plateforme::noter_provisoire(provisoire);
    bool cree = false;
    try {
        if (!copier_vers(entree, provisoire, sortie, rappels, pose, cree)) {
            ::unlink(provisoire.constData());
            plateforme::provisoire_fini(provisoire);
            return Issue::Arretee;
        }
        if (!pose.remplacer)
            plateforme::nommer_sans_remplacer(provisoire, sortie);
        // Remplace d'un coup l'éventuel fichier de ce nom.
        else if (::rename(provisoire.constData(), sortie.constData()) != 0)
            lever_depuis_errno();
        plateforme::provisoire_fini(provisoire);
        // Un nom que DOS ne sait pas dire n'entre pas dans les noms connus.
        if (plateforme::nom_exprimable(sortie.mid(barre + 1)))
            plateforme::noter_nom_cree(QFile::decodeName(sortie));
    } catch (...) {
        if (cree)
            ::unlink(provisoire.constData());
        plateforme::provisoire_fini(provisoire);
        throw;
    }
    return Issue::Copiee;
}

Issue poser_copie(const QString& source, const QString& destination, const Rappels& rappels,
                  const Ouverts& ouverts, const Pose& pose) {
    const QByteArray entree = QFile::encodeName(plateforme::dos_vers_hote(source));
    const QByteArray sortie = QFile::encodeName(plateforme::dos_vers_hote(destination));
    const Issue issue =
        poser_copie_hote(entree, sortie, rappels, pose, [&](const QString& provisoire) {
            if (ouverts.chemin_ecrit)
                *ouverts.chemin_ecrit =
                    plateforme::joindre(plateforme::repertoire_parent(destination), provisoire);
        });
    if (issue == Issue::Copiee && ouverts.chemin_ecrit)
        *ouverts.chemin_ecrit = destination;
    return issue;
}

} // namespace

Issue copier_blocs(const QString& source, const QString& destination, const Rappels& rappels,
                   const Ouverts& ouverts, Source suite) {
    return poser_copie(
        source, destination, rappels, ouverts,
        {.remplacer = true, .durable = suite == Source::Effacee, .attributs = false});
}

Issue copier_blocs_hote(const QByteArray& source, const QByteArray& destination,
                        const Rappels& rappels, Source suite) {
    const bool effacee = suite == Source::Effacee;
    return poser_copie_hote(source, destination, rappels,
                            {.remplacer = true, .durable = effacee, .attributs = effacee});
}

Issue deplacer_blocs(const QString& source, const QString& destination, const Rappels& rappels,
                     const Ouverts& ouverts) {
    const QByteArray ancien = QFile::encodeName(plateforme::dos_vers_hote(source));
    struct stat etat {};
    if (::lstat(ancien.constData(), &etat) != 0)
        lever_depuis_errno();
    // Un lien ou un fichier spécial ne se recopie pas en fichier ordinaire.
    if (!S_ISREG(etat.st_mode))
        plateforme::lever(plateforme::ERR_AUTRE_UNITE);
    const Issue issue = poser_copie(source, destination, rappels, ouverts,
                                    {.remplacer = false, .durable = true, .attributs = true});
    if (issue != Issue::Copiee)
        return issue;
    // Comme un renommage : la lecture seule n'empêche pas de partir. Si la
    // source reste, la copie s'efface : jamais deux exemplaires.
    if (::unlink(ancien.constData()) != 0) {
        const int code = errno;
        ::unlink(QFile::encodeName(plateforme::dos_vers_hote(destination)).constData());
        plateforme::lever_errno(code);
    }
    return issue;
}

} // namespace copie
