#pragma once

#include "uvc/ControlPort.h"
#include "uvc/MessagePort.h"
#include "uvc/ProtocolMsg.h"
#include "uvc/UvcCommand.h"

#include <QByteArray>
#include <QObject>
#include <QSharedPointer>
#include <QString>

#include <atomic>
#include <cstdint>

namespace vesk {
namespace pc {

// The camera unit's own commands: zoom and focus through the standard
// controls of the control port (with their cached ranges) or a vendor frame,
// anti-flicker, run status, factory reset, and the commands used around
// upgrades and log export, as frames on the message port. Each method tests
// its own guards.
class CameraCommands
{
public:
    // Results of cameraRestoreFactorySettings besides -1.
    static constexpr int kResetConfirmed = 0;
    static constexpr int kResetUnanswered = 1;

    CameraCommands(ControlPort& control, MessagePort& channel, UvcCommand::DeviceState state);

    // Zoom and focus ranges of the standard controls, read once and cached;
    // a minimum above the maximum is refused.
    bool cameraZoomRangeGet();
    bool cameraFocusRangeGet();
    // Method 1: vendor frame with ratio × 1000. Otherwise the standard zoom,
    // ratio 1.0 to 2.0 over the camera's range, held inside that range.
    int cameraSetZoomRatio(double ratio, int16_t speed, int method);
    // 1.0 to 2.0, the current value held inside the range (1.0 for a range of
    // one position); -1.0 on failure.
    double cameraGetZoomRatio();
    int normalizedZoom(int value);  // a raw zoom value as 0 to 100 of the range
    int cameraSetAutoFocus(bool on);
    int cameraGetAutoFocus();  // the control's byte, or -1
    int cameraSetFocusRatio(int percentage);  // held at 0 to 100
    // 0 to 100 of the focus range, the current value held inside it (0 for a
    // range of one position); *autoFocus written only on success.
    int cameraGetFocusRatio(uint8_t* autoFocus);
    int cameraSetAntiFlicker(int mode);  // 0 off, 1 50 Hz, 2 60 Hz
    int cameraGetAntiFlicker();
    // Waits for the camera's answer: kResetConfirmed once it confirmed,
    // kResetUnanswered when the frame reached it but no answer came (a camera
    // that restarts may not answer), -1 when refused, never written or
    // answered with an error.
    int cameraRestoreFactorySettings();
    int cameraSetDevRunStatus(int status);  // the camera object's DevStatus
    // Blocking fills *status; GetMethodNonBlock hands the first reply byte to
    // the receiver's method (int) later and returns the send result.
    int cameraGetDevRunStatus(int* status, QSharedPointer<QString> method, QObject* receiver,
                              MessagePort::GetMethod getMethod);
    // The camera's first reply byte (signed), or -1.
    int cameraIndicateUpgrade();
    int setUgMode(uint8_t mode);
    // Two shell lines that gather the camera's logs; 0 when both were sent,
    // -1 when a guard refused or a line could not be sent (both are tried).
    int cameraPrepareLog();
    // A shell text frame (command 0x11CD) carrying one line of at most 46
    // characters; a longer line is refused, never cut.
    static bool makeShellFrame(const QByteArray& line, ProtocolMsg::FrmPacket& frame);

private:
    // Cached ranges; a maximum of 0 means not read yet.
    bool zoomRangeKnown();
    bool focusRangeKnown();

    ControlPort& control_;
    UvcCommand command_;
    std::atomic<int64_t> zoomMin_{0};
    std::atomic<int64_t> zoomMax_{0};
    std::atomic<int64_t> focusMin_{0};
    std::atomic<int64_t> focusMax_{0};
};

} // namespace pc
} // namespace vesk
