// What the upgrade service does with the upgrade commands and the shell
// lines of selector 3: patch, install, format, pack the log, reboot.

#include "sim/SimUpgradeService.h"

#include "sim/SimBlock.h"
#include "sim/SimInstallable.h"
#include "sim/SimPatchList.h"

#include <QDebug>
#include <QtEndian>

namespace vesk {
namespace pc {

namespace {

constexpr int kMainSystem = 1;
constexpr int kUpgradeSystem = 2;
constexpr uint8_t kFormatUpdater = 6;  // byte 1 of the format command
constexpr uint8_t kPatchWorking = 1;
constexpr uint8_t kPatchFinished = 2;
constexpr uint8_t kPatchFailed = 3;
constexpr uint32_t kFirstYuvProgram = 0x01011901;  // 1.1.25.1

const QByteArray kUpdaterPath("/app/updater/ug");
const QByteArray kLogArchive("/log/vesk_log.tar.gz");
const QByteArray kReboot("reboot");
const QByteArray kRemovePatchList("rm -f /app/updater/fwpt &");
const QByteArray kPatchListPath("/app/updater/fwpt");

} // namespace

void SimUpgradeService::runCommand(const uint8_t* block)
{
    using Handler = void (SimUpgradeService::*)(const uint8_t*);
    struct Row
    {
        uint8_t command;
        Handler handler;
    };
    static const Row kCommands[] = {
        {1, &SimUpgradeService::format},
        {2, &SimUpgradeService::enterUpgradeSystem},
        {3, &SimUpgradeService::install},
        {4, &SimUpgradeService::freeSource},
        {5, &SimUpgradeService::applyPatchList},
        {8, &SimUpgradeService::resetTransfer},
        {9, &SimUpgradeService::packLog},
        {10, &SimUpgradeService::takeStreamType},
    };
    for (const Row& row : kCommands) {
        if (row.command == block[0]) {
            (this->*row.handler)(block);
            return;
        }
    }
    qWarning() << "Simulated camera: unknown upgrade command" << block[0];
}

void SimUpgradeService::takeSyscall(const uint8_t* block)
{
    const QByteArray line = SimBlock::textAt(block, 0);
    shellLines_ << line;
    note(SimEvent::Syscall, line);
    if (line == kReboot)
        restart_.systemType = kMainSystem;
    else if (line == kRemovePatchList)
        model_.files.remove(kPatchListPath);
}

void SimUpgradeService::format(const uint8_t* block)
{
    const QByteArray path = SimBlock::textAt(block, 2);
    if (block[1] != kFormatUpdater || path != kUpdaterPath || !model_.files.contains(path)) {
        qWarning() << "Simulated camera: format refused:" << block[1] << path;
        return;
    }
    model_.updater = model_.files.value(path);
}

void SimUpgradeService::enterUpgradeSystem(const uint8_t*)
{
    if (model_.updater.isEmpty()) {
        qWarning() << "Simulated camera: no updater formatted, no upgrade system to enter";
        return;
    }
    restart_.systemType = kUpgradeSystem;
}

// Byte 1 the build channel, bytes 2-5 the version big-endian, from 6 the
// path with a blank after it. The file must be the package they describe.
void SimUpgradeService::install(const uint8_t* block)
{
    const QByteArray path = SimBlock::textAt(block, 6).trimmed();
    const QByteArray file = model_.files.value(path);
    const SimInstallable package = SimInstallable::of(file);
    const uint32_t version = qFromBigEndian<quint32>(block + 2);
    if (package.kind == SimInstallable::Refused || package.version != version
        || package.deviceType != block[1]) {
        qWarning() << "Simulated camera: install of" << path << "refused, version" << Qt::hex
                   << version << "channel" << block[1];
        return;
    }
    model_.files.remove(path);  // renamed into place
    if (knobs_.installStays) {
        qInfo() << "Simulated camera: installed, but stays in its upgrade system";
        return;
    }
    if (package.kind == SimInstallable::UpgradeSystem) {
        model_.installedUpgradeSystem = file;
        restart_ = {kUpgradeSystem, 0, package.version, true};
    } else {
        model_.installedFirmware = file;
        restart_ = {kMainSystem, package.version, 0, true};
    }
}

void SimUpgradeService::freeSource(const uint8_t*)
{
}

// "old#new#list#": the new file is the old one patched by the list.
void SimUpgradeService::applyPatchList(const uint8_t* block)
{
    patchReadsLeft_ = model_.patchReads;
    patchOutcome_ = kPatchFailed;
    if (knobs_.patch == SimUpgradeKnobs::Patch::NeverFinishes) {
        patchOutcome_ = kPatchWorking;
        return;
    }
    const QList<QByteArray> names = SimBlock::textAt(block, 1).split('#');
    const bool named = names.size() == 4 && names[3].isEmpty() && model_.files.contains(names[0])
        && model_.files.contains(names[2]) && !names[1].isEmpty();
    QByteArray image;
    if (!named || knobs_.patch == SimUpgradeKnobs::Patch::Fails
        || !SimPatchList::apply(model_.files.value(names[0]), model_.files.value(names[2]), &image)) {
        qWarning() << "Simulated camera: patch failed:" << SimBlock::textAt(block, 1);
        return;
    }
    model_.files.insert(names[1], image);
    patchOutcome_ = kPatchFinished;
}

// Working for the model's number of reads, then the outcome.
uint8_t SimUpgradeService::patchStatus()
{
    if (patchReadsLeft_ > 0) {
        --patchReadsLeft_;
        return kPatchWorking;
    }
    return patchOutcome_;
}

void SimUpgradeService::resetTransfer(const uint8_t*)
{
    upState_ = 0;
    doneSeq_ = 0;
    fileLen_ = 0;
    uploaded_.clear();
}

void SimUpgradeService::packLog(const uint8_t*)
{
    model_.files.insert(kLogArchive, model_.logArchive);
    packedLogSize_ = uint32_t(model_.logArchive.size());
}

// Upgrade programs before 1.1.25.1 send files over motion JPEG only,
// whatever they are told.
void SimUpgradeService::takeStreamType(const uint8_t* block)
{
    if (block[1] != kStreamMjpeg && model_.programVersion < kFirstYuvProgram) {
        qWarning() << "Simulated camera: upgrade program" << Qt::hex << model_.programVersion
                   << "streams over motion JPEG only, not type" << block[1];
        streamType_ = kStreamMjpeg;
        return;
    }
    streamType_ = block[1];
}

} // namespace pc
} // namespace vesk
