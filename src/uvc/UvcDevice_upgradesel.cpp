// The upgrade service's selectors: raw 60-byte blocks that the upgrade
// thread moves while the device thread is paused.

#include "uvc/UvcDevice.h"

#include <QDebug>

#include <cstring>

namespace vesk {
namespace pc {

namespace {

constexpr int kBlock = UvcDevice::kXuTransferLength;
constexpr int kSelFileStart = 1;  // upload start, upload state
constexpr int kSelSyscall = 3;
constexpr int kSelDownload = 4;   // download request, download state
constexpr int kSelCommand = 5;    // upgrade command, command state
constexpr int kSelFileData = 6;   // upload packets, magic
constexpr int kSelVersion = 7;    // upgrade program version

// SET_CUR of the caller's block, unchanged; true when all 60 bytes moved.
bool setBlock(UvcDevice& device, int selector, const uint8_t* block, const char* failure)
{
    uint8_t copy[kBlock] = {};
    if (block)
        std::memcpy(copy, block, kBlock);
    const bool sent = block
        && device.setDataWithLengthSelectorUnitId(copy, kBlock, selector, UvcUnitKind::ExtensionUnit,
                                                  device.units().extensionUnitId)
               == kBlock;
    if (!sent)
        qCritical() << failure;
    return sent;
}

// GET_CUR into a block of our own, copied out only when all 60 bytes came.
bool getBlock(UvcDevice& device, int selector, uint8_t* block, const char* failure)
{
    uint8_t reply[kBlock] = {};
    const bool read = block
        && device.getDataByTypeLengthSelectorUnitId(reply, int(UvcRequest::GetCur), kBlock, selector,
                                                    UvcUnitKind::ExtensionUnit,
                                                    device.units().extensionUnitId)
               == kBlock;
    if (!read) {
        qCritical() << failure;
        return false;
    }
    std::memcpy(block, reply, kBlock);
    return true;
}

} // namespace

bool UvcDevice::transFileStart(const uint8_t* record)
{
    return setBlock(*this, kSelFileStart, record, "transFileStart failed");
}

int UvcDevice::transFileTransStateGet(UpgradeFileUpState* state)
{
    uint8_t block[kBlock];
    if (!getBlock(*this, kSelFileStart, state ? block : nullptr, "transFileTransStateGet failed"))
        return -1;
    *state = UpgradeFileUpState::fromBlock(block);
    return 0;
}

bool UvcDevice::ugSyscall(const uint8_t* block)
{
    // The line must end inside the block; one that runs on would be cut.
    if (block && !std::memchr(block, 0, kBlock)) {
        qCritical() << "ugSyscall failed: the line has no end within" << kBlock << "bytes";
        return false;
    }
    return setBlock(*this, kSelSyscall, block, "ugSyscall failed");
}

bool UvcDevice::ugSyscall(const QByteArray& line)
{
    if (line.size() >= kBlock || line.contains('\0')) {
        qCritical() << "ugSyscall failed: line of" << line.size() << "bytes refused";
        return false;
    }
    uint8_t block[kBlock] = {};
    std::memcpy(block, line.constData(), size_t(line.size()));
    return ugSyscall(block);
}

bool UvcDevice::fileDownloadReq(const uint8_t* record)
{
    return setBlock(*this, kSelDownload, record, "fileDownloadReq failed");
}

bool UvcDevice::fileDownloadStateGet(UpgradeFileDownloadState* state)
{
    uint8_t block[kBlock];
    if (!getBlock(*this, kSelDownload, state ? block : nullptr, "fileDownloadStateGet failed"))
        return false;
    *state = UpgradeFileDownloadState::fromBlock(block);
    return true;
}

bool UvcDevice::ugUpCmd(const uint8_t* record)
{
    return setBlock(*this, kSelCommand, record, "VESK_UPDATR_UVC_XU_CS_UP_CMD failed");
}

bool UvcDevice::ugUpCmdState(uint8_t* block)
{
    return getBlock(*this, kSelCommand, block, "ugUpCmdState failed");
}

int UvcDevice::transFileTrans(const uint8_t* record)
{
    return setBlock(*this, kSelFileData, record, "transFileTrans failed") ? 0 : -1;
}

bool UvcDevice::transFileMagicGet(uint8_t* block)
{
    return getBlock(*this, kSelFileData, block, "transFileMagicGet failed");
}

uint32_t UvcDevice::getUpgradeProgramVer()
{
    uint8_t block[kBlock] = {};
    if (!getBlock(*this, kSelVersion, block, "getUpgradeProgramVer failed"))
        return 0;
    return uint32_t(block[0]) | uint32_t(block[1]) << 8 | uint32_t(block[2]) << 16
           | uint32_t(block[3]) << 24;
}

} // namespace pc
} // namespace vesk
