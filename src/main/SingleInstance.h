#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace vesk {
namespace pc {

// One running program per user and data directory, so that two processes
// never share the settings file. The first start holds a lock file in the
// data directory and listens on a local socket; a later start finds the lock
// taken and asks the first, through that socket, to show its window. A lock
// left by a program that died is taken over.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Claim {
        Owned,        // this process is the one to run
        RaisedOther,  // another runs and has shown its window
        OtherSilent,  // another holds the lock but did not answer
    };

    explicit SingleInstance(const QString& dataDir, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock, or asks the holder to show its window; retries for a
    // few seconds while the holder is starting or ending. A lock that cannot
    // be made at all is logged and counts as owned.
    Claim claim();
    // Stops answering other starts; the lock stays until destruction.
    void stopListening();

signals:
    void raiseRequested();

private:
    // Unique per user and data directory.
    static QString serverNameFor(const QString& dataDir);
    bool tryLock();
    void listen();
    bool askToRaise(QString* error) const;
    void onNewConnection();
    void onRequestReadable(QLocalSocket* socket);

    QString dataDir_;
    QString serverName_;
    QString lockPath_;
    QLockFile lock_;
    QLocalServer* server_ = nullptr;
};

} // namespace pc
} // namespace vesk
