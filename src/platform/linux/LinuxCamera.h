#pragma once

#include "platform/CameraHandle.h"
#include "platform/linux/V4l2Capture.h"
#include "platform/linux/V4l2ControlBridge.h"
#include "platform/linux/V4l2Node.h"

#include <QReadWriteLock>

#include <memory>

namespace vesk {
namespace pc {

// One camera through the kernel's USB video driver: the descriptors from
// sysfs, extension-unit requests through UVCIOC_CTRL_QUERY, the standard
// controls through V4L2 controls, capture through V4L2 streaming. The driver
// always holds the interface, which the camera link counts as opened.
class LinuxCamera : public CameraHandle
{
public:
    explicit LinuxCamera(const UsbDeviceInfo& info) : info_(info) {}
    ~LinuxCamera() override { closeControlInterface(); }

    UsbDeviceInfo info() const override { return info_; }
    bool openControlInterface() override;
    void closeControlInterface() override;
    bool isControlInterfaceOpen() const override;
    int interfaceNumber() const override;
    QString accessDeniedNode() const override;
    QByteArray controlDescriptors() const override;
    int controlRequest(UvcRequest request, UvcUnitKind kind, uint8_t unitId, uint8_t selector,
                       uint8_t* data, int length) override;
    // Made by the first open and kept for the camera's life, so the session
    // stays valid while the camera link holds it; close() stops it.
    CaptureSession* capture() override;

private:
    QString waitForCaptureNode() const;

    const UsbDeviceInfo info_;
    // Requests share it; closing takes it alone, so no request sees the node go.
    mutable QReadWriteLock lock_;
    V4l2Node node_;
    V4l2ControlBridge bridge_{node_};
    int interfaceNumber_ = -1;
    QString deniedNode_;
    QByteArray descriptors_;
    std::unique_ptr<V4l2Capture> capture_;
};

} // namespace pc
} // namespace vesk
