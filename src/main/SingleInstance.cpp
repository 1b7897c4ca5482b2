#include "main/SingleInstance.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <unistd.h>

namespace vesk {
namespace pc {

namespace {

const char* const kLockName = "OrlaCam.lock";
const QByteArray kRaise = QByteArrayLiteral("raise\n");
const QByteArray kRaised = QByteArrayLiteral("raised\n");
// The holder may be starting (not yet listening or answering) or ending.
const int kClaimMs = 10000;
const int kRetryMs = 100;
const int kConnectMs = 1000;
const int kAnswerMs = 10000;
// A connection that has not asked within this time is dropped.
const int kRequestMs = 5000;
const int kMaxLineBytes = 64;

} // namespace

SingleInstance::SingleInstance(const QString& dataDir, QObject* parent)
    : QObject(parent)
    , dataDir_(dataDir)
    , lockPath_(dataDir + QLatin1Char('/') + QLatin1String(kLockName))
    , lock_(lockPath_)
{
    // The program holds the lock for as long as it runs, so only a holder
    // that no longer runs makes it stale, never its age.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance()
{
    stopListening();
}

SingleInstance::Claim SingleInstance::claim()
{
    if (!QDir().mkpath(dataDir_)) {
        qWarning().noquote() << "Cannot create" << dataDir_ << "- starting without the one-program lock";
        return Claim::Owned;
    }
    serverName_ = serverNameFor(dataDir_);
    QString error;
    QElapsedTimer clock;
    clock.start();
    do {
        if (tryLock()) {
            listen();
            return Claim::Owned;
        }
        if (lock_.error() != QLockFile::LockFailedError) {
            qWarning().noquote() << "Cannot make the lock file" << lockPath_ << "- starting without it";
            return Claim::Owned;
        }
        if (askToRaise(&error)) {
            qInfo() << "OrlaCam is running already: its window was shown, this start ends";
            return Claim::RaisedOther;
        }
        QThread::msleep(kRetryMs);
    } while (clock.elapsed() < kClaimMs);
    qWarning().noquote() << "Another OrlaCam holds" << lockPath_ << "but does not answer:" << error;
    return Claim::OtherSilent;
}

void SingleInstance::stopListening()
{
    delete server_;
    server_ = nullptr;
}

QString SingleInstance::serverNameFor(const QString& dataDir)
{
    const QFileInfo info(dataDir);
    const QString path = info.canonicalFilePath().isEmpty() ? info.absoluteFilePath() : info.canonicalFilePath();
    const QByteArray digest = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    const QString name = QStringLiteral("OrlaCam-%1-%2").arg(::getuid()).arg(QString::fromLatin1(digest));
    // The user's runtime directory is private to the user; without one the
    // name goes into the temporary directory.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? name : runtime + QLatin1Char('/') + name;
}

bool SingleInstance::tryLock()
{
    const bool leftOver = QFileInfo::exists(lockPath_);
    if (!lock_.tryLock(0))
        return false;
    if (leftOver)
        qInfo().noquote() << "Took over the lock of a program that ended without releasing it:" << lockPath_;
    return true;
}

void SingleInstance::listen()
{
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    // A socket file left by a program that died: with the lock held, no
    // running program owns it.
    QLocalServer::removeServer(serverName_);
    if (!server_->listen(serverName_)) {
        qWarning().noquote() << "Cannot listen for other starts on" << serverName_ << ":"
                             << server_->errorString();
    }
}

bool SingleInstance::askToRaise(QString* error) const
{
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(kConnectMs)) {
        *error = socket.errorString();
        return false;
    }
    socket.write(kRaise);
    QByteArray answer;
    while (!answer.endsWith('\n') && answer.size() < kMaxLineBytes && socket.waitForReadyRead(kAnswerMs))
        answer += socket.readAll();
    if (answer == kRaised)
        return true;
    *error = answer.isEmpty() ? socket.errorString() : QStringLiteral("unexpected answer");
    return false;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onRequestReadable(socket); });
        QTimer::singleShot(kRequestMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
    }
}

void SingleInstance::onRequestReadable(QLocalSocket* socket)
{
    if (!socket->canReadLine() && socket->bytesAvailable() < kMaxLineBytes)
        return;
    const QByteArray request = socket->readLine(kMaxLineBytes);
    if (request != kRaise) {
        qWarning() << "Unknown request from another start:" << request;
        socket->abort();
        return;
    }
    qInfo() << "Another start asks to show the main window";
    emit raiseRequested();
    socket->write(kRaised);
    socket->disconnectFromServer();  // after the answer is out
}

} // namespace pc
} // namespace vesk
