#include "platform/instance.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>
#include <unistd.h>

namespace plateforme {

namespace {

constexpr qint64 TAILLE_MAX_MESSAGE = 1 << 20; // bien au-delà d'une liste de fichiers
constexpr int DELAI_CONNEXION_MS = 10000;      // une prise muette est fermée
constexpr char ACCUSE = '\x01';

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

// Une tentative : vrai si la première copie a accusé réception.
bool tenter_envoi(const QString& prise_serveur, const QByteArray& message, int delai_ms,
                  QLocalSocket::LocalSocketError& erreur) {
    QLocalSocket prise;
    QEventLoop boucle;
    bool accuse = false;
    QObject::connect(&prise, &QLocalSocket::connected, [&] { prise.write(message); });
    QObject::connect(&prise, &QLocalSocket::readyRead, [&] {
        accuse = prise.read(1) == QByteArray(1, ACCUSE);
        boucle.quit();
    });
    QObject::connect(&prise, &QLocalSocket::errorOccurred, &boucle, &QEventLoop::quit);
    QObject::connect(&prise, &QLocalSocket::disconnected, &boucle, &QEventLoop::quit);
    QTimer::singleShot(delai_ms, &boucle, &QEventLoop::quit);
    prise.connectToServer(prise_serveur);
    if (prise.state() != QLocalSocket::UnconnectedState)
        boucle.exec();
    erreur = prise.error();
    return accuse;
}

} // namespace

InstanceUnique::InstanceUnique(const QString& nom, QObject* parent) : QObject(parent), m_nom(nom) {}

InstanceUnique::~InstanceUnique() {
    if (m_serveur)
        m_serveur->close(); // retire la prise avant de rendre le verrou
}

QString InstanceUnique::identifiant() const {
    QString id = m_nom + QLatin1Char('-') + QString::number(::getuid());
    const QString suffixe = qEnvironmentVariable("KALDRON_INSTANCE");
    if (!suffixe.isEmpty())
        id += QLatin1Char('-') + suffixe;
    return id;
}

QString InstanceUnique::repertoire() {
    if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) {
        QString r = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (!r.isEmpty())
            return r;
    }
    return QDir::tempPath();
}

QString InstanceUnique::chemin_prise() const {
    return repertoire() + QLatin1Char('/') + identifiant() + QStringLiteral(".sock");
}

bool InstanceUnique::acquerir() {
    if (m_verrou)
        return true;
    QDir().mkpath(repertoire());
    auto verrou =
        std::make_unique<QLockFile>(repertoire() + QLatin1Char('/') + identifiant() + ".lock");
    verrou->setStaleLockTime(0); // périmé seulement si son processus n'existe plus
    if (!verrou->tryLock(0))
        return false;
    m_verrou = std::move(verrou);
    m_serveur = new QLocalServer(this);
    m_serveur->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_serveur, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* prise = m_serveur->nextPendingConnection())
            recevoir(prise);
    });
    QLocalServer::removeServer(chemin_prise()); // laissée par une copie tombée
    if (!m_serveur->listen(chemin_prise()))
        qWarning("InstanceUnique : écoute impossible : %s", qPrintable(m_serveur->errorString()));
    return true;
}

void InstanceUnique::recevoir(QLocalSocket* prise) {
    connect(prise, &QLocalSocket::disconnected, prise, &QObject::deleteLater);
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
        emit argumentsRecus(arguments);
    });
}

bool InstanceUnique::envoyer(const QStringList& arguments, int delai_ms) {
    const QByteArray message = serialiser(arguments);
    const QDeadlineTimer fin(delai_ms);
    while (!fin.hasExpired()) {
        QLocalSocket::LocalSocketError erreur = QLocalSocket::UnknownSocketError;
        if (tenter_envoi(chemin_prise(), message, int(fin.remainingTime()), erreur))
            return true;
        // La première copie peut tenir le verrou sans écouter encore.
        if (erreur != QLocalSocket::ServerNotFoundError &&
            erreur != QLocalSocket::ConnectionRefusedError)
            return false;
        patienter(50);
    }
    return false;
}

} // namespace plateforme
