#pragma once

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QThread>

namespace vesk {
namespace pc {

class UvcDevices;
class UvcUpgradeTask;

// The thread that a progress box or a flow starts for one firmware upgrade
// over USB or one log export of a camera, named by its serial number. The
// work runs on a task of its own (UvcUpgradeTask), whose reports this
// object passes on; so a handle destroyed while its camera still holds the
// task up can give the task up after a bounded wait instead of waiting for
// it, and the task ends on its own and is freed then.
class UvcPatchUpgrade : public QThread
{
    Q_OBJECT
public:
    enum UvcTaskType { UvcTaskUpgrade = 0, UvcTaskExtractLog = 1 };

    // How long destruction waits for a running task to end after asking it
    // to stop, before giving it up (at the timing record's time-out scale).
    static constexpr qint64 kStopWaitMs = 15000;

    UvcPatchUpgrade(const QString& sn, UvcTaskType type, QObject* parent = nullptr);
    // The same on a registry of the caller's (tests).
    UvcPatchUpgrade(const QString& sn, UvcTaskType type, UvcDevices& registry, QObject* parent = nullptr);
    // Asks a running task to stop and waits kStopWaitMs at most; a task
    // still running then is logged and given up, never terminated.
    ~UvcPatchUpgrade() override;

    // Asks the task to end at its next wait or step; it then reports
    // failure. Safe from any thread.
    void requestStop();
    bool isStopping() const;
    int progress() const;
    // The main package a firmware upgrade installs; set before start().
    void setPackage(const QString& path);

    // Frees the given-up tasks that have ended since; returns how many
    // still run. Call on the thread that made them.
    static int reapAbandoned();

signals:
    // A log export ends with 1 and the stored archive's path, or with 0.
    void progressUpdate(int value, QString text);

public slots:
    void onStreamVideoData(QByteArray data);

protected:
    void run() override;

private:
    UvcUpgradeTask* task_;  // owned; given up while it runs, it is left running
    qint64 stopWaitMs_;
    QMutex startMutex_;     // the task is started only while not given up
    bool givenUp_ = false;  // under startMutex_

    friend class UvcPatchUpgradeProbe;  // tests reach the task's steps
};

} // namespace pc
} // namespace vesk
