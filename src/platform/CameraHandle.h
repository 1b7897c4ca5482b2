#pragma once

#include "platform/UsbDeviceInfo.h"
#include "platform/UvcRequest.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace vesk {
namespace pc {

class CaptureSession;

// One camera as the camera link needs it: its video-control interface with
// the raw class-specific descriptors, and control requests on it.
class CameraHandle
{
public:
    virtual ~CameraHandle() = default;

    virtual UsbDeviceInfo info() const = 0;

    // Video control interface (class 14, subclass 1). An interface that another
    // driver holds counts as opened: requests still reach the camera.
    virtual bool openControlInterface() = 0;
    virtual void closeControlInterface() = 0;
    virtual bool isControlInterfaceOpen() const = 0;
    virtual int interfaceNumber() const = 0;
    // The device node whose permissions refused this user at the last failed
    // open; empty when none did.
    virtual QString accessDeniedNode() const { return QString(); }

    // Class-specific descriptors of the interface, from the header on.
    virtual QByteArray controlDescriptors() const = 0;

    // One control request; bytes moved or -1. Safe from several threads.
    virtual int controlRequest(UvcRequest request, UvcUnitKind kind, uint8_t unitId,
                               uint8_t selector, uint8_t* data, int length) = 0;

    // Null while the backend offers no capture for this camera.
    virtual CaptureSession* capture() = 0;
};

} // namespace pc
} // namespace vesk
