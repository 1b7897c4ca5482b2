#pragma once

#include <cstdint>

namespace vesk {
namespace pc {

// Sub-commands of an upgrade command record (byte 0, selector 5).
enum UgUvcUpCmd : uint8_t {
    UG_UVC_UP_CMD_FORMAT_UPDATER = 1,
    UG_UVC_UP_CMD_ENTER_UGSYS = 2,
    UG_UVC_UP_CMD_RENAME_FW = 3,
    UG_UVC_UP_CMD_FREE_SOURCE = 4,
    UG_UVC_UP_CMD_BSPATCH = 5,
    UG_UVC_UP_CMD_RESET_TRANS_STATE = 8,
    UG_UVC_UP_CMD_PACK_LOG = 9,
    UG_UVC_UP_CMD_STREAM_TYPE = 10,
};

// The camera's answer about the last upgrade command (selector 5).
struct UpgradeCmdState
{
    static constexpr uint8_t kPatchIdle = 0;
    static constexpr uint8_t kPatchFinished = 2;
    static constexpr uint8_t kPatchFailed = 3;

    uint8_t subCommand = 0;    // echo of the last command's byte 0
    uint8_t patchStatus = 0;   // byte 1, for the patch command
    uint32_t packedLogSize = 0; // bytes 1-4, for the log-packing command

    static UpgradeCmdState fromBlock(const uint8_t* block);
};

} // namespace pc
} // namespace vesk
