// The standard controls a camera reports (zoom and focus: minimum, maximum,
// current value, auto focus) and the ratios the camera object makes of them,
// which its header promises: a zoom ratio of 1.0 to 2.0 (or -1.0 on
// failure), a zoom of 0 to 100 of the range, a focus of 0 to 100 (or -1).
// A simulated camera answers the message channel, so that the camera object
// initialises; the standard controls answer from the fuzzer's bytes.

#include "FuzzSupport.h"

#include "sim/SimBackend.h"
#include "support/SimFixture.h"
#include "uvc/UvcDevice.h"

#include <QMutex>

using namespace vesk::pc;

namespace {

class ScriptedControls : public CameraHandle
{
public:
    ScriptedControls(QSharedPointer<CameraHandle> inner, const QByteArray& script)
        : inner_(inner), script_(script)
    {
    }
    UsbDeviceInfo info() const override { return inner_->info(); }
    bool openControlInterface() override { return inner_->openControlInterface(); }
    void closeControlInterface() override { inner_->closeControlInterface(); }
    bool isControlInterfaceOpen() const override { return inner_->isControlInterfaceOpen(); }
    int interfaceNumber() const override { return inner_->interfaceNumber(); }
    QByteArray controlDescriptors() const override { return inner_->controlDescriptors(); }
    CaptureSession* capture() override { return nullptr; }
    int controlRequest(UvcRequest request, UvcUnitKind kind, uint8_t unitId, uint8_t selector, uint8_t* data,
                       int length) override
    {
        if (kind == UvcUnitKind::ExtensionUnit)
            return inner_->controlRequest(request, kind, unitId, selector, data, length);
        if (request == UvcRequest::SetCur)
            return length;
        QMutexLocker lock(&mutex_);
        if (at_ + length > script_.size())
            return -1;
        std::memcpy(data, script_.constData() + at_, size_t(length));
        at_ += length;
        return length;
    }

private:
    QSharedPointer<CameraHandle> inner_;
    QMutex mutex_;
    QByteArray script_;
    int at_ = 0;
};

struct Sim
{
    SimBackend backend;
    SimCameraModel model;
    Sim() { backend.plug(model); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::init();
    static Sim sim;
    fuzz::Input in(data, size);
    const int rawZoom = int(in.u32() & 0xFFFF);
    auto handle = QSharedPointer<ScriptedControls>::create(sim.backend.openDevice(sim.model.usb.locationId),
                                                           in.rest());
    const QSharedPointer<UvcDevice> device = UvcDevice::create(handle, UvcDevice::DevModeUvc);
    device->setTiming(fastTiming());
    if (device->open() != 0 || !device->initDev())
        return 0;
    const double ratio = device->cameraGetZoomRatio();
    FUZZ_PROMISE(ratio == -1.0 || (ratio >= 1.0 && ratio <= 2.0));
    const int zoom = device->normalizedZoom(rawZoom);
    FUZZ_PROMISE(zoom >= 0 && zoom <= 100);
    uint8_t autoFocus = 0;
    const int focus = device->cameraGetFocusRatio(&autoFocus);
    FUZZ_PROMISE(focus == -1 || (focus >= 0 && focus <= 100));
    device->close();
    return 0;
}
