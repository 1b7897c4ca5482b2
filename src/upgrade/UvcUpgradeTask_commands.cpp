// The camera's upgrade commands as the sequences use them: command records
// and their state, shell lines, the magic that tells which system runs, and
// the patch the camera applies.

#include "upgrade/UvcUpgradeTask.h"

#include "uvc/ExtensionUnit.h"
#include "uvc/UpgradeCmdState.h"
#include "uvc/UpgradeMagic.h"
#include "uvc/UvcDevice.h"

#include <QDebug>

#include <cstring>

namespace vesk {
namespace pc {

namespace {

constexpr int kBlock = ExtensionUnit::kBlockSize;
constexpr uint32_t kFirstStreamingProgram = 0x01011901;  // 1.1.25.1
constexpr char kPatchNames[] = "/app/updater/fw#/app/updater/fw#/app/updater/fwpt#";
constexpr int kPatchStartMs = 100;
constexpr int kPatchPollMs = 1000;
constexpr int kPatchPolls = 60;
constexpr int kLeavePolls = 60;
constexpr int kUnreadMeansGone = 2;  // failed magic reads in a row

} // namespace

bool UvcUpgradeTask::sendUpCmd(uint8_t command, const QByteArray& args, const char* failure)
{
    uint8_t block[kBlock] = {command};
    if (args.size() >= kBlock) {
        qCritical() << failure << "- arguments of" << args.size() << "bytes do not fit";
        return false;
    }
    std::memcpy(block + 1, args.constData(), size_t(args.size()));
    if (workDev_ && workDev_->ugUpCmd(block))
        return true;
    qCritical() << failure;
    return false;
}

// The state block of the last command, which must echo it in byte 0.
bool UvcUpgradeTask::readUpCmdState(uint8_t command, uint8_t* block, const char* readFailure,
                                     const char* echoFailure)
{
    std::memset(block, 0, kBlock);
    if (!workDev_ || !workDev_->ugUpCmdState(block)) {
        qCritical() << readFailure;
        return false;
    }
    if (block[0] != command) {
        qCritical() << echoFailure << block[0];
        return false;
    }
    return true;
}

bool UvcUpgradeTask::sendStreamType()
{
    return sendUpCmd(UG_UVC_UP_CMD_STREAM_TYPE, QByteArray(1, char(streamType_)),
                     "UG_UVC_UP_CMD_STREAM_TYPE failed");
}

// Over the YUV stream only upgrade programs from 1.1.25.1 on send files back.
bool UvcUpgradeTask::upgradeProgramFits()
{
    if (streamType_ == 0)
        return true;
    const uint32_t version = workDev_->getUpgradeProgramVer();
    qInfo() << "Upgrade program version:" << Qt::hex << version;
    if (version >= kFirstStreamingProgram)
        return true;
    qCritical() << "Upgrade program" << Qt::hex << version << "cannot stream files back";
    return false;
}

bool UvcUpgradeTask::ugSyscallLine(const QByteArray& line)
{
    qDebug() << line;
    if (workDev_ && workDev_->ugSyscall(line))
        return true;
    qCritical() << "ugSyscall failed:" << line;
    return false;
}

UvcUpgradeTask::Magic UvcUpgradeTask::readMagic()
{
    uint8_t block[kBlock] = {};
    if (!workDev_ || !workDev_->transFileMagicGet(block))
        return Magic::Unread;
    if (UpgradeMagic::matches(block, UpgradeMagic::kUpgradeSystem))
        return Magic::UpgradeSystem;
    if (UpgradeMagic::matches(block, UpgradeMagic::kUpgradeTool))
        return Magic::UpgradeTool;
    return Magic::Neither;
}

// A patch that does not finish in time fails the upgrade: installing then
// would put an unpatched image on the camera.
bool UvcUpgradeTask::applyPatchList()
{
    if (!sendUpCmd(UG_UVC_UP_CMD_BSPATCH, kPatchNames, "UG_UVC_UP_CMD_BSPATCH failed")
        || !sleepMs(kPatchStartMs))
        return false;
    uint8_t block[kBlock];
    if (!readUpCmdState(UG_UVC_UP_CMD_BSPATCH, block, "get bspatch state failed",
                                      "invalid bspatch state data[0] "))
        return false;
    qInfo() << "start bspatch fw successfully";
    for (int poll = 0;; ++poll) {
        switch (block[1]) {
        case UpgradeCmdState::kPatchIdle: qCritical() << "bspatch state idle"; return false;
        case UpgradeCmdState::kPatchFailed: qCritical() << "bspatch state failed"; return false;
        case UpgradeCmdState::kPatchFinished: qInfo() << "bspatch fw successfully"; return true;
        default: break;
        }
        if (poll == kPatchPolls) {
            qCritical() << "bspatch not finished after" << kPatchPolls << "polls";
            return false;
        }
        if (!sleepMs(kPatchPollMs)
            || !readUpCmdState(UG_UVC_UP_CMD_BSPATCH, block, "get bspatch state failed",
                                      "invalid bspatch state data[0] "))
            return false;
    }
}

// The camera reboots after an install. A failed read alone is not taken for
// its departure (a busy camera misses one now and then); it has left when a
// read shows neither magic or when reads fail in a row.
bool UvcUpgradeTask::waitUpgradeLeft(int pollSeconds, int cap, const QElapsedTimer& clock)
{
    int unread = 0;
    for (int poll = 0; poll < kLeavePolls; ++poll) {
        for (int second = 0; second < pollSeconds; ++second) {
            if (!sleepMs(1000))
                return false;
        }
        if (progress() < cap)
            raiseProgress();
        const Magic magic = readMagic();
        if (magic == Magic::Unread && ++unread < kUnreadMeansGone)
            continue;
        if (magic == Magic::UpgradeSystem || magic == Magic::UpgradeTool) {
            unread = 0;
            continue;
        }
        qInfo() << "upgrade take" << clock.elapsed() << "ms";
        return true;
    }
    qCritical() << "timeout upgrade take" << clock.elapsed() << "ms";
    qCritical() << "upgrade timeout";
    return false;
}

} // namespace pc
} // namespace vesk
