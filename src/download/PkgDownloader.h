#pragma once

#include <QElapsedTimer>
#include <QJsonObject>
#include <QMutex>
#include <QString>
#include <QThread>

#include <memory>

class QEventLoop;

namespace qhttp {
namespace client {
class QHttpResponse;
} // namespace client
} // namespace qhttp

namespace vesk {
namespace pc {

class ExchangeLoop;
class StagedPackage;

// Asks the firmware query server for the newest package of one kind,
// downloads it into downloadDir, checks size and MD5 and, for firmware,
// verifies it and derives its upgrade-system package, all on a thread of its
// own. The window learns how it goes only through notifyInfo, and the
// finished file appears in downloadDir only once complete and verified.
class PkgDownloader : public QThread
{
    Q_OBJECT
public:
    // Kinds of notice sent with notifyInfo.
    enum InfoType : int {
        kInfoStart = 0,
        kInfoProgress = 1,
        kInfoError = 2,
        kInfoAlreadyCurrent = 3,
        kInfoFinished = 4,
    };
    Q_ENUM(InfoType)

    // Bounds of one run, all in milliseconds.
    struct Limits
    {
        int connectMs = 5000;      // to open the download's connection
        int idleMs = 5000;         // without traffic in the download
        int queryMs = 10000;       // the whole query exchange
        int downloadMs = 1800000;  // the whole download exchange
    };

    // Progress notices are at least this far apart.
    static constexpr qint64 kProgressIntervalMs = 51;
    // How long the destructor waits for a run to end after asking it to.
    static constexpr int kStopWaitMs = 15000;

    PkgDownloader();
    ~PkgDownloader() override;

    // Set by the caller while the thread is not running.
    QJsonObject query;
    QString downloadDir;
    void setLimits(const Limits& limits) { limits_ = limits; }

    // Asks a run to end soon, from any thread; it sends its error notice and
    // leaves nothing in downloadDir. Does nothing when no run is going on.
    void requestStop();

    // True when the server named a package that passed every check.
    bool queryLatestFwInfo();
    // Fetches the accepted package and checks its size and MD5; it then
    // waits outside downloadDir until run() has verified and stored it.
    bool downloadFirmware();
    // The accepted package's file name; empty while none was accepted.
    QString getPkgName() const;
    // One query for info on the calling thread: the accepted version, or
    // empty (and query left set) when it failed.
    QString getPkgVer(const QJsonObject& info);

signals:
    void notifyInfo(vesk::pc::PkgDownloader::InfoType type, int value, const QString& info);
    // The package lies verified at path: sent right before the notice that
    // ends the run with it (kInfoFinished or kInfoAlreadyCurrent).
    void packageStored(const QString& path, const QString& version);

protected:
    void run() override;

private:
    void runSteps();
    bool isFirmware() const;
    QString packagePath() const;
    qint64 announcedSize() const;
    QByteArray expectedMd5() const;
    bool isCurrentInStore(bool* openFailed);
    bool verifyAndDerive();
    void notify(InfoType type, qint64 value, const QString& info = QString());
    void endStored(InfoType type, const QString& info);
    void fail(const QString& message);
    // Runs the loop of one exchange; false when a stop was requested.
    bool runLoop(ExchangeLoop& loop);
    bool stopped() const;

    QJsonObject queryBody() const;
    bool acceptHead(const qhttp::client::QHttpResponse& response);
    bool onChunk(const QByteArray& chunk, StagedPackage& staged, ExchangeLoop& loop);
    void flushProgress();
    bool checkDownloaded(StagedPackage& staged);

    QJsonObject latestPkg;
    QElapsedTimer progressClock;
    int unreportedBytes = 0;
    Limits limits_;
    // A download that passed its checks and waits to be stored.
    std::unique_ptr<StagedPackage> staged_;

    QMutex loopMutex_;
    QEventLoop* activeLoop_ = nullptr;  // guarded by loopMutex_
};

} // namespace pc
} // namespace vesk

Q_DECLARE_METATYPE(vesk::pc::PkgDownloader::InfoType)
