#pragma once

#include <QByteArray>
#include <QHash>

#include <cstdint>

namespace vesk {
namespace pc {

// How a simulated camera's upgrade service answers, and what it keeps
// across its reboots.
struct SimUpgradeModel
{
    QByteArray magic = QByteArray("010203.VK_upgrade", 18);  // with its zero
    uint32_t programVersion = 0x01011901;                     // 1.1.25.1
    // The camera's files by path: what it can send, and where uploads,
    // patches and an old camera's shell lines leave theirs.
    QHash<QByteArray, QByteArray> files;
    int generateReads = 2;  // state reads that answer 7 after a generate request
    // What a generate request rebuilds: the firmware the camera runs, laid
    // out as the package whose patch head it was sent (repeated or cut to
    // that package's length).
    QByteArray presentImage;
    int patchReads = 2;     // command-state reads that show the patch still working
    QByteArray logArchive;  // what packing the log leaves at "/log/vesk_log.tar.gz"
    // What the camera installed, byte for byte.
    QByteArray installedFirmware;
    QByteArray installedUpgradeSystem;
    QByteArray updater;     // the updater image an old camera's tool formatted
};

} // namespace pc
} // namespace vesk
