#pragma once

#include <QByteArray>
#include <QHash>

#include <cstdint>

namespace vesk {
namespace pc {

// How a simulated camera's upgrade service answers.
struct SimUpgradeModel
{
    QByteArray magic = QByteArray("010203.VK_upgrade", 18);  // with its zero
    uint32_t programVersion = 0x01011901;                     // 1.1.25.1
    QHash<QByteArray, QByteArray> files;  // what it can send: camera-side name -> contents
    int generateReads = 2;                // state reads that answer 7 after a generate request
    uint8_t patchStatus = 2;              // status of the patch command: finished
    uint32_t packedLogSize = 0;           // reported after the log-packing command
};

} // namespace pc
} // namespace vesk
