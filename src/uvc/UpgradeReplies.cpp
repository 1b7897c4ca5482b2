// Decoding of the upgrade service's reply blocks. Each reads only within
// its 60 bytes.

#include "uvc/ExtensionUnit.h"
#include "uvc/UpgradeCmdState.h"
#include "uvc/UpgradeFileDownloadState.h"
#include "uvc/UpgradeFileUpState.h"
#include "uvc/UpgradeMagic.h"

#include <QtEndian>

#include <cstring>

namespace vesk {
namespace pc {

UpgradeFileUpState UpgradeFileUpState::fromBlock(const uint8_t* block)
{
    UpgradeFileUpState state;
    state.state = block[0];
    state.doneSeq = qFromLittleEndian<quint32>(block + 1);
    state.fileLen = qFromLittleEndian<quint32>(block + 5);
    return state;
}

UpgradeFileDownloadState UpgradeFileDownloadState::fromBlock(const uint8_t* block)
{
    UpgradeFileDownloadState state;
    state.state = block[0];
    state.fileLen = qFromLittleEndian<quint32>(block + 5);
    state.offset = qFromLittleEndian<quint32>(block + 9);
    state.packLen = qFromLittleEndian<quint32>(block + 13);
    const char* name = reinterpret_cast<const char*>(block) + kNameOffset;
    state.fileName = QByteArray(name, int(strnlen(name, ExtensionUnit::kBlockSize - kNameOffset)));
    return state;
}

UpgradeCmdState UpgradeCmdState::fromBlock(const uint8_t* block)
{
    UpgradeCmdState state;
    state.subCommand = block[0];
    state.patchStatus = block[1];
    state.packedLogSize = qFromLittleEndian<quint32>(block + 1);
    return state;
}

bool UpgradeMagic::matches(const uint8_t* block, const char* magic)
{
    const size_t length = std::strlen(magic) + 1;  // the zero is part of the magic
    return length <= size_t(ExtensionUnit::kBlockSize) && std::memcmp(block, magic, length) == 0;
}

} // namespace pc
} // namespace vesk
