// A block read back from the camera: the frame check, first as it came and
// then with magic, length and checksums made right so that the check passes
// and the decoded header is looked at; and the upgrade service's reply blocks.

#include "FuzzSupport.h"

#include "comm/Util.h"
#include "uvc/ProtocolMsg.h"
#include "uvc/UpgradeCmdState.h"
#include "uvc/UpgradeFileDownloadState.h"
#include "uvc/UpgradeFileUpState.h"
#include "uvc/UpgradeMagic.h"

#include <QtEndian>

using namespace vesk::pc;

namespace {

constexpr int kBlock = ProtocolMsg::kMaxFrameLength;

// What the camera would have sent for these bytes: a wire frame whose
// checks all hold, of a length the protocol allows.
void fixUp(uint8_t* block)
{
    block[0] = 0xAA;
    const int length = ProtocolMsg::kHeaderSize + (block[2] % (kBlock - ProtocolMsg::kHeaderSize + 1));
    block[1] = uint8_t((block[1] & 0xF0) | (length >> 8));
    block[2] = uint8_t(length);
    block[6] = block[7] = block[8] = 0;
    if ((block[1] >> 4) == 2)
        block[8] = Util::crc8ForBuf(block, ProtocolMsg::kHeaderSize);
    qToBigEndian<quint16>(Util::crc16ForBuf(block, uint32_t(length)), block + 6);
}

void decodeReplies(const uint8_t* block)
{
    const UpgradeFileDownloadState download = UpgradeFileDownloadState::fromBlock(block);
    FUZZ_PROMISE(download.fileName.size() <= kBlock - UpgradeFileDownloadState::kNameOffset);
    FUZZ_PROMISE(!download.fileName.contains('\0'));
    UpgradeFileUpState::fromBlock(block);
    UpgradeCmdState::fromBlock(block);
    UpgradeMagic::matches(block, UpgradeMagic::kUpgradeSystem);
    UpgradeMagic::matches(block, UpgradeMagic::kUpgradeTool);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::init();
    static ProtocolMsg msg;
    uint8_t block[kBlock] = {};
    const int received = int(size < sizeof block ? size : sizeof block);
    std::memcpy(block, data, size_t(received));
    msg.frmCheckAndParseForRecv(block, received);

    uint8_t fixed[kBlock] = {};
    std::memcpy(fixed, data, size_t(received));
    fixUp(fixed);
    FUZZ_PROMISE(msg.frmCheckAndParseForRecv(fixed, kBlock) == ProtocolMsg::RecvOk);
    ProtocolMsg::FrmPacket frame;
    std::memcpy(frame.bytes, fixed, sizeof fixed);
    FUZZ_PROMISE(frame.length() >= ProtocolMsg::kHeaderSize && frame.length() <= kBlock);

    std::memcpy(block, data, size_t(received));
    decodeReplies(block);
    return 0;
}
