// The upgrade service's selectors: raw 60-byte blocks that the upgrade
// thread moves while the device thread is paused.

#include "uvc/UpgradeSelectors.h"

#include "uvc/ExtensionUnit.h"

#include <QDebug>

#include <cstring>

namespace vesk {
namespace pc {

namespace {

constexpr int kBlock = ExtensionUnit::kBlockSize;

// SET_CUR of the caller's block, unchanged; true when all 60 bytes moved.
bool setBlock(ControlPort& control, int selector, const uint8_t* block, const char* failure)
{
    uint8_t copy[kBlock] = {};
    if (block)
        std::memcpy(copy, block, kBlock);
    const bool sent = block
        && control.setDataWithLengthSelectorUnitId(copy, kBlock, selector, UvcUnitKind::ExtensionUnit,
                                                   control.units().extensionUnitId)
               == kBlock;
    if (!sent)
        qCritical() << failure;
    return sent;
}

// GET_CUR into a block of our own, copied out only when all 60 bytes came.
bool getBlock(ControlPort& control, int selector, uint8_t* block, const char* failure)
{
    uint8_t reply[kBlock] = {};
    const bool read = block
        && control.getDataByTypeLengthSelectorUnitId(reply, int(UvcRequest::GetCur), kBlock,
                                                     selector, UvcUnitKind::ExtensionUnit,
                                                     control.units().extensionUnitId)
               == kBlock;
    if (!read) {
        qCritical() << failure;
        return false;
    }
    std::memcpy(block, reply, kBlock);
    return true;
}

} // namespace

UpgradeSelectors::UpgradeSelectors(ControlPort& control)
    : control_(control)
{
}

bool UpgradeSelectors::transFileStart(const uint8_t* record)
{
    return setBlock(control_, ExtensionUnit::kUpgradeStartSelector,
                    record, "transFileStart failed");
}

int UpgradeSelectors::transFileTransStateGet(UpgradeFileUpState* state)
{
    uint8_t block[kBlock];
    if (!getBlock(control_, ExtensionUnit::kUpgradeStartSelector,
                  state ? block : nullptr, "transFileTransStateGet failed"))
        return -1;
    *state = UpgradeFileUpState::fromBlock(block);
    return 0;
}

bool UpgradeSelectors::ugSyscall(const uint8_t* block)
{
    // The line must end inside the block; one that runs on would be cut.
    if (block && !std::memchr(block, 0, kBlock)) {
        qCritical() << "ugSyscall failed: the line has no end within" << kBlock << "bytes";
        return false;
    }
    return setBlock(control_, ExtensionUnit::kSyscallSelector, block, "ugSyscall failed");
}

bool UpgradeSelectors::ugSyscall(const QByteArray& line)
{
    if (line.size() >= kBlock || line.contains('\0')) {
        qCritical() << "ugSyscall failed: line of" << line.size() << "bytes refused";
        return false;
    }
    uint8_t block[kBlock] = {};
    std::memcpy(block, line.constData(), size_t(line.size()));
    return ugSyscall(block);
}

bool UpgradeSelectors::fileDownloadReq(const uint8_t* record)
{
    return setBlock(control_, ExtensionUnit::kFileDownloadSelector,
                    record, "fileDownloadReq failed");
}

bool UpgradeSelectors::fileDownloadStateGet(UpgradeFileDownloadState* state)
{
    uint8_t block[kBlock];
    if (!getBlock(control_, ExtensionUnit::kFileDownloadSelector,
                  state ? block : nullptr, "fileDownloadStateGet failed"))
        return false;
    *state = UpgradeFileDownloadState::fromBlock(block);
    return true;
}

bool UpgradeSelectors::ugUpCmd(const uint8_t* record)
{
    return setBlock(control_, ExtensionUnit::kUpgradeCommandSelector,
                    record, "VESK_UPDATR_UVC_XU_CS_UP_CMD failed");
}

bool UpgradeSelectors::ugUpCmdState(uint8_t* block)
{
    return getBlock(control_, ExtensionUnit::kUpgradeCommandSelector, block, "ugUpCmdState failed");
}

int UpgradeSelectors::transFileTrans(const uint8_t* record)
{
    return setBlock(control_, ExtensionUnit::kUpgradeDataSelector,
                    record, "transFileTrans failed") ? 0 : -1;
}

bool UpgradeSelectors::transFileMagicGet(uint8_t* block)
{
    return getBlock(control_, ExtensionUnit::kUpgradeDataSelector,
                    block, "transFileMagicGet failed");
}

uint32_t UpgradeSelectors::getUpgradeProgramVer()
{
    uint8_t block[kBlock] = {};
    if (!getBlock(control_, ExtensionUnit::kUpgradeVersionSelector,
                  block, "getUpgradeProgramVer failed"))
        return 0;
    return uint32_t(block[0]) | uint32_t(block[1]) << 8 | uint32_t(block[2]) << 16
           | uint32_t(block[3]) << 24;
}

} // namespace pc
} // namespace vesk
