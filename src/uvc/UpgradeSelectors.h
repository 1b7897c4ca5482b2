#pragma once

#include "uvc/ControlPort.h"
#include "uvc/UpgradeFileDownloadState.h"
#include "uvc/UpgradeFileUpState.h"

#include <QByteArray>

#include <cstdint>

namespace vesk {
namespace pc {

// The camera's upgrade service: raw 60-byte blocks on the extension-unit
// selectors of the control port, moved by the upgrade thread while the
// camera is in upgrade mode, so without guards. A short transfer is a
// failure, and a failed read leaves the caller's block or record untouched.
class UpgradeSelectors
{
public:
    explicit UpgradeSelectors(ControlPort& control);

    bool transFileStart(const uint8_t* record);                   // selector 1
    int transFileTransStateGet(UpgradeFileUpState* state);        // selector 1, 0 or -1
    bool ugSyscall(const uint8_t* block);                         // selector 3, one shell line
    // The same for a line given as text; a line that does not fit (more
    // than 59 characters) is refused, not cut.
    bool ugSyscall(const QByteArray& line);
    bool fileDownloadReq(const uint8_t* record);                  // selector 4
    bool fileDownloadStateGet(UpgradeFileDownloadState* state);   // selector 4
    bool ugUpCmd(const uint8_t* record);                          // selector 5
    bool ugUpCmdState(uint8_t* block);                            // selector 5
    int transFileTrans(const uint8_t* record);                    // selector 6, 0 or -1
    bool transFileMagicGet(uint8_t* block);                       // selector 6
    uint32_t getUpgradeProgramVer();                              // selector 7, 0 on failure

private:
    ControlPort& control_;
};

} // namespace pc
} // namespace vesk
