#pragma once

#include "upgrade/UvcPatchUpgrade.h"
#include "uvc/UpgradeFileDownloadState.h"
#include "uvc/UvcTiming.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QList>
#include <QMutex>
#include <QSharedPointer>
#include <QString>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <memory>

namespace vesk {
namespace pc {

class FirmwarePackage;
class UvcDevice;
class UvcDevices;

// The work of an UvcPatchUpgrade: takes one camera, named by its serial
// number, through a firmware upgrade over USB or the export of its log
// archive, on a thread of its own, and reports progress with progressUpdate.
// The work is split by area: UvcUpgradeTask.cpp (the thread, progress and
// the upgrade's decisions), _transfer.cpp (files to and from the camera),
// _patchlist.cpp (patch list and upload container), _sequences.cpp (what
// the camera is taken through), _commands.cpp (the camera's upgrade
// commands), _log.cpp (log export).
class UvcUpgradeTask : public QThread
{
    Q_OBJECT
public:
    UvcUpgradeTask(const QString& sn, UvcPatchUpgrade::UvcTaskType type, UvcDevices& registry,
                   QObject* parent = nullptr);
    // Never while it runs: a thread of its own must not be freed under it.
    ~UvcUpgradeTask() override;

    // Asks the task to end at its next wait or step; the task then reports
    // failure. Safe from any thread.
    void requestStop();
    bool isStopping() const { return stop_.load(); }
    // Stops the task for good: nobody waits for it any more and the
    // registry may be gone by the time it ends, so it leaves the registry
    // alone. Safe from any thread.
    void abandon();
    // What it is doing, for the log line of its abandonment.
    QString describe() const;

    int progress() const { return progress_.load(); }
    // The main package to install (its upgrade-system companion lies or is
    // made beside it); set before the task starts.
    void setPackage(const QString& path) { packagePath_ = path; }

signals:
    void progressUpdate(int value, QString text);
    void enableTimer(bool on);

public slots:
    void updateProgress();
    void onEnableTimer(bool on);
    void onStreamVideoData(QByteArray data);

protected:
    void run() override;

private:
    // The camera's system types, as its identity reports them.
    static constexpr int kMainSystem = 1;
    static constexpr int kUpgradeSystem = 2;

    // --- the thread, progress and the upgrade's decisions ---
    void devUpgrade();
    int doUpgrade();
    // Their steps.
    struct Packages;
    bool waitStreamFree();
    void report(int result);
    int cameraSystemType();
    int openPackage(Packages& packages, int systemType);
    int checkAgainstCamera(const FirmwarePackage& package, int systemType);
    int takesOldRoad(int systemType, bool* old);
    bool prepareUgsysPackage(Packages& packages);
    int enterUpgradeSystem(Packages& packages, int* systemType, bool* ugsysDone);
    int upgradeOldCamera(Packages& packages);
    int upgradeUgsys(Packages& packages);
    // The camera object the task made since is let go; the registry's is
    // handed back (out of upgrade mode) and dropped when the camera is gone.
    void releaseWorkDevice();
    void handBackRegistryDevice(bool dropIfGone);
    // False once abandoned (logged).
    bool registryKept() const;
    // Raises the counter to value, never lowering it and never to 100
    // before the outcome is known.
    void setProgress(int value);
    // A working file of this task in the firmware store.
    QString workPath(const QString& name) const;
    // Sleeps ms in steps, raising the counter once per step (steps > 0).
    void delayMs(int ms, int steps);
    void streamDeactivate();
    // Every wait of the engine: scaled by the timing record, cut short by a
    // stop request (false then).
    bool sleepMs(int ms);
    // The same for a wait already scaled.
    bool sleepScaledMs(qint64 scaled);
    // A clock time-out of the engine, at the timing record's time-out scale.
    qint64 scaledMs(qint64 ms) const;
    void raiseProgress(int by = 1);

    // --- files to and from the camera ---
    bool fileUploadByUvc(const QString& localPath, const QString& camPath, bool compressed, int steps);
    bool fileDownloadByUvc(const QString& camName, const QString& localPath, int expectedLen,
                           bool generate);
    bool streamActivate();
    // Sends an installed file (the old cameras' tool) through shell lines.
    bool fileUploadSyscallV0(const QString& localPath, const QString& camName);
    int transFileJoinSeqString(int count, const QString& camName);
    // Their steps.
    struct UploadRun;
    struct DownloadRequest;
    bool startUpload(UploadRun& run, const QString& localPath, const QString& camPath,
                     bool compressed);
    bool sendUploadPackets(UploadRun& run);
    bool checkUploadState(UploadRun& run, bool* retry);
    bool countUploadError(UploadRun& run, int limit);
    bool awaitUploadComplete(UploadRun& run, const QString& localPath);
    bool requestDownload(const DownloadRequest& request, uint8_t command, uint32_t offset);
    bool negotiateDownload(const DownloadRequest& request, UpgradeFileDownloadState* state);
    void beginDownload(const UpgradeFileDownloadState& state);
    bool receiveDownload(const DownloadRequest& request);
    bool advanceDoneSeq();
    bool finishDownload(const DownloadRequest& request, const QString& localPath);
    void endDownload(uint8_t state);
    bool sendShellLine(const QByteArray& line);

    // --- patch list and upload container ---
    bool bspatchListGenerate(const QString& oldPath, const QString& newPath, const QString& outPath,
                             const QList<uint32_t>& splitPoints, int steps);
    bool fileCompress(const QString& inPath, const QString& outPath);

    // --- what the camera is taken through ---
    bool updateSysForNewDev(FirmwarePackage* package);
    bool updateUpgradeSystemDirectly(FirmwarePackage* package);
    bool updateUgSysForOldDev(const QString& ugfsPath);
    bool reopenWithDelay(int seconds, int steps);
    // Their steps.
    bool uploadPatchHead(FirmwarePackage* package, QList<uint32_t>* splitPoints);
    bool sendPatchList(FirmwarePackage* package, const QList<uint32_t>& splitPoints);
    bool freeAndInstall(FirmwarePackage* package, bool removePatchList);
    bool reopenAfterUgsysInstall(int seconds);
    bool startOldCameraTool();
    bool installUpdater(const QString& ugfsPath);
    bool openAgainAtLocation();

    // --- the camera's upgrade commands ---
    enum class Magic { Neither, UpgradeSystem, UpgradeTool, Unread };
    // An upgrade command record: byte 0 the command, args from byte 1.
    bool sendUpCmd(uint8_t command, const QByteArray& args, const char* failure);
    // The state block, which must echo command in byte 0.
    bool readUpCmdState(uint8_t command, uint8_t* block, const char* readFailure,
                        const char* echoFailure);
    bool sendStreamType();
    bool upgradeProgramFits();
    bool applyPatchList();
    bool ugSyscallLine(const QByteArray& line);
    Magic readMagic();
    // Polls the magic every pollSeconds, raising the counter up to cap,
    // until the camera is seen out of its upgrade system.
    bool waitUpgradeLeft(int pollSeconds, int cap, const QElapsedTimer& clock);

    // --- log export ---
    // info: the stored archive's path after a success, else a text for the
    // user (or none).
    bool extractLogFromDev(QString& info);
    // Its steps.
    bool enterLogSystem();
    bool packAndFetchLog(QString* stored);
    bool endLogExport(bool ok);

    // The stream download's state, shared by fileDownloadByUvc (upgrade
    // thread) and onStreamVideoData (the engine object's thread).
    struct DownloadState
    {
        QMutex mutex;
        uint8_t state = 0;  // 1 while a download runs, 3 after a local write failure
        uint32_t fileLen = 0;
        uint32_t offset = 0;
        uint32_t packLen = 0;
        uint32_t packCount = 0;
        uint32_t recvHigh = 0;  // highest sequence stored
        uint32_t doneSeq = 0;   // all packets up to it are stored
        uint32_t gapWarned = 0; // the missing packet last warned of
        QByteArray buffer;      // packet n whole at (n - 1) * (packLen + 12)
    };

    std::atomic<int> progress_{0};
    std::atomic<bool> stop_{false};
    std::atomic<bool> abandoned_{false};
    QSharedPointer<UvcDevice> workDev_;  // the camera the task talks to now
    QSharedPointer<UvcDevice> regDev_;   // the registry's object when the task was made
    uint32_t locationId_ = 0;
    int streamType_ = 0;  // 0 motion JPEG 1280x720, 1 YUV 640x360
    DownloadState download_;
    UvcPatchUpgrade::UvcTaskType taskType_;
    QString sn_;
    UvcDevices& registry_;
    UvcTiming timing_;
    std::unique_ptr<QTimer> timer_;
    QString packagePath_;  // the main package to install
    QString storeDir_;     // its folder, ends with "/"
    QString workTag_;   // makes this task's working file names its own
    QString toolPath_;  // the maker's upgrade tool for old cameras

    friend class UvcPatchUpgradeProbe;  // tests and benchmarks reach the steps one by one
};

} // namespace pc
} // namespace vesk
