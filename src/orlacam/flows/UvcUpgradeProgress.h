#pragma once

#include "uicomm/MsgProgressUi.h"

namespace vesk {
namespace pc {
class UvcDevices;
class UvcPatchUpgrade;
} // namespace pc
} // namespace vesk

// The progress box of an upgrade over USB: starts the camera's upgrade
// thread at once, owns it and shows what it reports. Destroying the box asks
// the thread to stop and waits for it.
class UvcUpgradeProgress : public MsgProgressUi
{
    Q_OBJECT
public:
    // Longest wait of the destructor for a thread asked to stop.
    static constexpr int kStopWaitMs = 60000;

    // package: the main package to install.
    UvcUpgradeProgress(const QString& sn, const QString& package, QWidget* parent = nullptr);
    // The same on a registry of the caller's (tests).
    UvcUpgradeProgress(const QString& sn, const QString& package, vesk::pc::UvcDevices& registry,
                       QWidget* parent = nullptr);
    ~UvcUpgradeProgress() override;

    vesk::pc::UvcPatchUpgrade* task() const { return upgrade_; }
    // What the box says when the upgrade failed.
    static QString failedText() { return tr("Upgrade failed, please try again later."); }
    // Asks a camera task to stop and frees it once it has: at once when it
    // ends within kStopWaitMs, else when it ends on its own.
    static void releaseTask(vesk::pc::UvcPatchUpgrade* task);

public slots:
    void ondevDisconnDuringUg();

private:
    void startTask(const QString& package);

    vesk::pc::UvcPatchUpgrade* upgrade_ = nullptr;
};
