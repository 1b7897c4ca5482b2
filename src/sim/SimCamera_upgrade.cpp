// A simulated camera's part in upgrades: the upgrade frames of its main
// system, an old camera's shell, faults on the selectors, and reboots, after
// which the backend brings the camera back with its next model.

#include "sim/SimCamera.h"

#include "sim/SimBlock.h"
#include "package/DevPlatformType.h"
#include "uvc/ExtensionUnit.h"

#include <QDebug>
#include <QMutexLocker>
#include <QtEndian>

namespace vesk {
namespace pc {

namespace {

constexpr int kMainSystem = 1;
constexpr int kUpgradeSystem = 2;
constexpr uint8_t kCommandSelector = ExtensionUnit::kUpgradeCommandSelector;
constexpr uint16_t kCmdIndicateUpgrade = 0x8001;
constexpr uint16_t kCmdUpgradeRequest = 0x8061;
constexpr uint16_t kCmdShellText = 0x11CD;
constexpr int kShellTextAt = 13;
constexpr int kServerModeAt = 18;
constexpr uint8_t kServerModeUpgrading = 0;  // the host's upgrade thread holds the camera
constexpr uint32_t kLastOldVersion = 0x01000206;  // 1.0.2.6

} // namespace

SimUpgradeKnobs SimCamera::upgradeKnobs() const
{
    const SimUpgradeKnobs& knobs = model_.knobs.upgrade;
    return knobs.boot == 0 || knobs.boot == model_.boot ? knobs : SimUpgradeKnobs();
}

// Old firmware of the two older platforms has no transfer service; the host
// brings one in through shell lines.
bool SimCamera::isOldCamera() const
{
    return (model_.platformIndex == PlatformHi3516DV300 || model_.platformIndex == PlatformHi3516CV500)
        && model_.version <= kLastOldVersion;
}

bool SimCamera::transferFails(uint8_t selector)
{
    const SimUpgradeKnobs knobs = upgradeKnobs();
    return selector == knobs.failSelector && ++transfers_[selector] > knobs.failAfter;
}

// A frame the message channel took: upgrade requests and shell lines are
// recorded; the request reboots the main system into its upgrade system,
// and an old camera's shell runs the lines.
void SimCamera::takeUpgradeFrame(const uint8_t* frame)
{
    const uint16_t command = qFromBigEndian<quint16>(frame + 10);
    const int length = qFromBigEndian<quint16>(frame + 1) & 0x0FFF;
    const bool mainSystem = model_.systemType == kMainSystem;
    if (command == kCmdShellText) {
        const QByteArray line = SimBlock::textAt(frame, kShellTextAt);
        journal_->add({model_.boot, SimEvent::Shell, line, QByteArray()});
        if (mainSystem && isOldCamera() && shell_.run(line, upgrade_.files())) {
            qInfo() << "Simulated camera: the upgrade tool runs";
            upgradeSystem_ = true;
            upgrade_.runTool();
        }
        return;
    }
    if (command != kCmdIndicateUpgrade && command != kCmdUpgradeRequest)
        return;
    const QByteArray payload(reinterpret_cast<const char*>(frame) + 12, qMax(0, length - 12));
    journal_->add({model_.boot, SimEvent::Frame, QByteArray::number(command, 16), payload});
    if (command == kCmdUpgradeRequest && mainSystem && length > kServerModeAt
        && frame[kServerModeAt] == kServerModeUpgrading)
        restart_ = SimUpgradeService::Restart{kUpgradeSystem, 0, 0, true};
}

void SimCamera::takeUpgradeWrite(uint8_t selector, const uint8_t* data)
{
    SimUpgradeService::Restart asked = upgrade_.takeRestart();
    if (selector == kCommandSelector && data[0] == upgradeKnobs().vanishAfterCommand)
        asked.comesBack = false;
    if (asked.systemType != 0 || !asked.comesBack)
        restart_ = asked;
}

// The backend reports the removal and, after the reboot delay, plugs the
// next model at the same location.
void SimCamera::restart(const SimUpgradeService::Restart& asked)
{
    SimCameraModel next = current();
    next.boot = model_.boot + 1;
    if (asked.systemType != 0)
        next.systemType = int8_t(asked.systemType);
    if (asked.version != 0)
        next.version = asked.version;
    if (asked.programVersion != 0)
        next.upgrade.programVersion = asked.programVersion;
    const bool back = asked.comesBack && !upgradeKnobs().rebootNeverReturns;
    const QByteArray into = !back ? "gone" : next.systemType == kMainSystem ? "main" : "upgrade";
    leave(next, back ? model_.rebootDelayMs : -1, into);
}

void SimCamera::leave(const SimCameraModel& next, int delayMs, const QByteArray& into)
{
    journal_->add({model_.boot, SimEvent::Reboot, into, QByteArray()});
    qInfo() << "Simulated camera" << Qt::hex << model_.usb.locationId << "reboots:" << into;
    plugged_ = false;
    open_ = false;
    endNetwork();
    if (reboot_)
        reboot_(next, delayMs);
}

SimCameraModel SimCamera::model() const
{
    QMutexLocker lock(&mutex_);
    return current();
}

// What the camera keeps across a reboot: its settings, its pictures, its
// upgrade files and installed packages.
SimCameraModel SimCamera::current() const
{
    SimCameraModel now = model_;
    now.upgrade = upgrade_.model();
    now.pictures = pictures_.pictureFiles();
    now.thumbnails = pictures_.thumbnailFiles();
    return now;
}

void SimCamera::setRebootHandler(const RebootHandler& handler)
{
    QMutexLocker lock(&mutex_);
    reboot_ = handler;
}

} // namespace pc
} // namespace vesk
