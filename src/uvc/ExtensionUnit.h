#pragma once

namespace vesk {
namespace pc {

// The camera's vendor extension unit: every transfer on it, either way, is
// one block of 60 bytes, and most selectors carry more than one kind of
// block (the upgrade service's only while the camera upgrades).
struct ExtensionUnit
{
    static constexpr int kBlockSize = 60;

    static constexpr int kUpgradeStartSelector = 1;    // upload start, upload state
    static constexpr int kMessageSelector = 2;         // message frames both ways
    static constexpr int kTargetSelectSelector = 3;    // AI target-select switch
    static constexpr int kPictureUploadSelector = 3;   // picture upload records
    static constexpr int kSyscallSelector = 3;         // upgrade system call
    static constexpr int kGestureSelector = 4;         // AI gesture-control switch
    static constexpr int kPictureDownloadSelector = 4; // picture download records
    static constexpr int kFileDownloadSelector = 4;    // upgrade file download
    static constexpr int kGimbalLockSelector = 5;      // gimbal lock switch
    static constexpr int kUpgradeCommandSelector = 5;  // upgrade command, its state
    static constexpr int kStatusSelector = 6;          // status block (read)
    static constexpr int kParamRecordSelector = 6;     // parameter records (written)
    static constexpr int kGimbalResetSelector = 6;     // gimbal reset (written)
    static constexpr int kUpgradeDataSelector = 6;     // upload packets, magic
    static constexpr int kPresetSelector = 7;          // preset records, replies
    static constexpr int kUpgradeVersionSelector = 7;  // upgrade program version
};

} // namespace pc
} // namespace vesk
