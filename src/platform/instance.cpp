#include "platform/instance.h"

#include "platform/erreurs.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace plateforme {

namespace {

constexpr qint64 TAILLE_MAX_MESSAGE = 1 << 20; // bien au-delà d'une liste de fichiers
constexpr int DELAI_CONNEXION_MS = 10000;      // une prise muette est fermée
constexpr char ACCUSE = '\x01';

// Raison française d'une valeur de errno, comme dans les rapports d'erreur.
QString raison_systeme(int code) {
    try {
        lever_errno(code);
    } catch (const ErreurExecution& e) {
        return e.description();
    }
}

QString pas_sur(const QString& chemin, const QString& pourquoi) {
    return u"Le répertoire "_s + chemin + u" n'est pas sûr : "_s + pourquoi +
           u". Il ne sert pas de répertoire privé ; retirez-le (ou faites-le retirer par "
           u"l'administrateur) ou définissez XDG_RUNTIME_DIR."_s;
}

QByteArray serialiser(const QStringList& arguments) {
    QByteArray message;
    QDataStream flux(&message, QIODevice::WriteOnly);
    flux.setVersion(QDataStream::Qt_6_0);
    flux << arguments;
    return message;
}

void patienter(int ms) {
    QEventLoop boucle;
    QTimer::singleShot(ms, &boucle, &QEventLoop::quit);
    boucle.exec();
}

enum class Envoi { Accuse, Reessayer, Echec };

// Une tentative. Une prise tenue par un autre utilisateur ne reçoit rien.
Envoi tenter_envoi(const QString& prise_serveur, const QByteArray& message, int delai_ms) {
    QLocalSocket prise;
    QEventLoop boucle;
    bool accuse = false;
    bool etranger = false;
    QObject::connect(&prise, &QLocalSocket::connected, [&] {
        if (!pair_du_meme_utilisateur(prise.socketDescriptor())) {
            etranger = true;
            prise.abort();
            return;
        }
        prise.write(message);
    });
    QObject::connect(&prise, &QLocalSocket::readyRead, [&] {
        accuse = prise.read(1) == QByteArray(1, ACCUSE);
        boucle.quit();
    });
    QObject::connect(&prise, &QLocalSocket::errorOccurred, &boucle, &QEventLoop::quit);
    QObject::connect(&prise, &QLocalSocket::disconnected, &boucle, &QEventLoop::quit);
    QTimer::singleShot(delai_ms, &boucle, &QEventLoop::quit);
    prise.connectToServer(prise_serveur);
    if (prise.state() != QLocalSocket::UnconnectedState && !etranger)
        boucle.exec();
    if (accuse)
        return Envoi::Accuse;
    // La première copie peut tenir le verrou sans écouter encore.
    const auto erreur = prise.error();
    const bool absente = erreur == QLocalSocket::ServerNotFoundError ||
                         erreur == QLocalSocket::ConnectionRefusedError;
    return absente && !etranger ? Envoi::Reessayer : Envoi::Echec;
}

} // namespace

bool repertoire_prive(const QString& chemin, QString* raison) {
    auto refus = [raison](const QString& texte) {
        if (raison)
            *raison = texte;
        return false;
    };
    struct stat etat {};
    if (::lstat(QFile::encodeName(chemin).constData(), &etat) != 0)
        return refus(u"Le répertoire "_s + chemin + u" est inaccessible : "_s +
                     raison_systeme(errno) + u'.');
    if (S_ISLNK(etat.st_mode))
        return refus(pas_sur(chemin, u"c'est un lien symbolique"_s));
    if (!S_ISDIR(etat.st_mode))
        return refus(pas_sur(chemin, u"ce n'est pas un répertoire"_s));
    if (etat.st_uid != ::geteuid())
        return refus(pas_sur(chemin, u"il appartient à un autre utilisateur"_s));
    if ((etat.st_mode & 077) != 0)
        return refus(pas_sur(chemin, u"d'autres utilisateurs y ont accès (droits 0"_s +
                                         QString::number(etat.st_mode & 0777, 8) + u')'));
    return true;
}

bool creer_repertoire_prive(const QString& chemin, QString* raison) {
    const QByteArray nom = QFile::encodeName(chemin);
    if (::mkdir(nom.constData(), 0700) == 0) {
        ::chmod(nom.constData(), 0700); // un umask étrange n'ôte pas nos propres droits
    } else if (errno != EEXIST) {
        if (raison)
            *raison = u"Le répertoire "_s + chemin + u" ne peut être créé : "_s +
                      raison_systeme(errno) + u'.';
        return false;
    }
    // Déjà là : peut-être posé par un autre pour nous tromper.
    return repertoire_prive(chemin, raison);
}

bool pair_du_meme_utilisateur(qintptr descripteur) {
    ucred pair{};
    socklen_t taille = sizeof pair;
    if (::getsockopt(int(descripteur), SOL_SOCKET, SO_PEERCRED, &pair, &taille) != 0)
        return false;
    return pair.uid == ::geteuid();
}

InstanceUnique::InstanceUnique(const QString& nom, QObject* parent) : QObject(parent), m_nom(nom) {}

InstanceUnique::~InstanceUnique() {
    if (m_serveur)
        m_serveur->close(); // retire la prise avant de rendre le verrou
    if (m_verrou >= 0)
        ::close(m_verrou);
}

QString InstanceUnique::identifiant() const {
    QString id = m_nom + QLatin1Char('-') + QString::number(::getuid());
    const QString suffixe = qEnvironmentVariable("KALDRON_INSTANCE");
    if (!suffixe.isEmpty())
        id += QLatin1Char('-') + suffixe;
    return id;
}

QString InstanceUnique::repertoire(QString* erreur) {
    // Le répertoire d'exécution de la session, s'il est bien à nous seul
    // (après un su, il peut encore nommer celui d'un autre utilisateur).
    // Chemin nettoyé d'abord : "lien/" ferait suivre le lien à lstat.
    const QString session = QDir::cleanPath(qEnvironmentVariable("XDG_RUNTIME_DIR"));
    if (session.startsWith(u'/') && repertoire_prive(session))
        return session;
    // Sinon un répertoire à nous dans le temporaire partagé, jamais le
    // temporaire lui-même : un autre y poserait notre verrou ou notre prise.
    const QString repli = QDir::tempPath() + u"/kaldron-"_s + QString::number(::geteuid());
    if (creer_repertoire_prive(repli, erreur))
        return repli;
    return {};
}

InstanceUnique::Acquisition InstanceUnique::acquerir() {
    if (m_verrou >= 0)
        return Acquisition::Premiere;
    m_erreur.clear();
    const QString dossier = repertoire(&m_erreur);
    if (dossier.isEmpty())
        return Acquisition::Impossible;
    const QString base = dossier + u'/' + identifiant();
    // Verrou du noyau : rendu de lui-même quand le processus disparaît ;
    // le fichier reste, il ne sert que de support.
    const int verrou = ::open(QFile::encodeName(base + u".lock"_s).constData(),
                              O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    int code = verrou < 0 ? errno : 0;
    if (verrou >= 0 && ::flock(verrou, LOCK_EX | LOCK_NB) != 0) {
        code = errno;
        ::close(verrou);
        if (code == EWOULDBLOCK)
            return Acquisition::AutreCopie;
    }
    if (code != 0) {
        m_erreur = u"Le verrou "_s + QFileInfo(base).fileName() +
                   u".lock ne peut être pris dans le répertoire "_s + dossier + u" : "_s +
                   raison_systeme(code) + u'.';
        return Acquisition::Impossible;
    }
    m_verrou = verrou;
    const QString prise = base + u".sock"_s;
    m_serveur = new QLocalServer(this);
    m_serveur->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_serveur, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* prise = m_serveur->nextPendingConnection())
            recevoir(prise);
    });
    QLocalServer::removeServer(prise); // laissée par une copie tombée
    if (!m_serveur->listen(prise))
        qWarning("InstanceUnique : écoute impossible : %s", qPrintable(m_serveur->errorString()));
    return Acquisition::Premiere;
}

void InstanceUnique::recevoir(QLocalSocket* prise) {
    connect(prise, &QLocalSocket::disconnected, prise, &QObject::deleteLater);
    if (!pair_du_meme_utilisateur(prise->socketDescriptor())) {
        prise->abort(); // un autre utilisateur n'a rien à nous faire ouvrir
        prise->deleteLater();
        return;
    }
    QTimer::singleShot(DELAI_CONNEXION_MS, prise, &QLocalSocket::abort);
    connect(prise, &QLocalSocket::readyRead, this, [this, prise] {
        if (prise->bytesAvailable() > TAILLE_MAX_MESSAGE)
            return prise->abort();
        QDataStream flux(prise);
        flux.setVersion(QDataStream::Qt_6_0);
        flux.startTransaction();
        QStringList arguments;
        flux >> arguments;
        if (!flux.commitTransaction())
            return; // message incomplet : la suite viendra
        prise->write(QByteArray(1, ACCUSE));
        prise->flush();
        // Ouvrir ces fichiers peut montrer une boîte de message, donc faire
        // tourner la boucle d'événements : la prise, fermée par l'autre copie,
        // y serait détruite sous ce gestionnaire. Ils partent après son retour.
        QMetaObject::invokeMethod(
            this, [this, arguments] { emit argumentsRecus(arguments); }, Qt::QueuedConnection);
    });
}

bool InstanceUnique::envoyer(const QStringList& arguments, int delai_ms) {
    const QString dossier = repertoire();
    if (dossier.isEmpty())
        return false;
    const QString prise = dossier + u'/' + identifiant() + u".sock"_s;
    const QByteArray message = serialiser(arguments);
    const QDeadlineTimer fin(delai_ms);
    while (!fin.hasExpired()) {
        switch (tenter_envoi(prise, message, int(fin.remainingTime()))) {
        case Envoi::Accuse:
            return true;
        case Envoi::Echec:
            return false;
        case Envoi::Reessayer:
            patienter(50);
            break;
        }
    }
    return false;
}

} // namespace plateforme
