#pragma once

#include <QByteArray>

#include <cstdint>

namespace vesk {
namespace pc {

// The camera's state of a download it sends through the video stream
// (selector 4).
struct UpgradeFileDownloadState
{
    static constexpr uint8_t kTransferring = 1;
    static constexpr uint8_t kFinished = 2;
    static constexpr uint8_t kGenerating = 7;
    static constexpr int kNameOffset = 17;

    uint8_t state = 0;   // 1 transferring, 2 finished, 7 still generating; others invalid
    uint32_t fileLen = 0;
    uint32_t offset = 0;   // packet number it sends from
    uint32_t packLen = 0;
    QByteArray fileName;   // up to its zero, never past the block's end

    // From the camera's 60-byte reply block.
    static UpgradeFileDownloadState fromBlock(const uint8_t* block);
};

} // namespace pc
} // namespace vesk
