#pragma once

// The two ports that a camera object's parts use, over a simulated camera's
// handle and without a camera object or a device thread, so that each part is
// tested on its own. Message frames go to a test's answer function.

#include "sim/SimBackend.h"
#include "uvc/ControlPort.h"
#include "uvc/MessagePort.h"

#include <QMutex>
#include <QMutexLocker>
#include <QSharedPointer>
#include <QWaitCondition>

#include <atomic>
#include <functional>

class HandlePorts : public vesk::pc::ControlPort, public vesk::pc::MessagePort
{
public:
    using Answer = std::function<ErrorType(vesk::pc::ProtocolMsg::FrmPacket&, QByteArray&)>;

    vesk::pc::SimBackend backend;
    QSharedPointer<vesk::pc::SimCamera> camera;
    QSharedPointer<vesk::pc::CameraHandle> handle;
    Answer answer;  // unset: every send fails as if the camera were closed

    explicit HandlePorts(const vesk::pc::SimCameraModel& model = vesk::pc::SimCameraModel())
    {
        camera = backend.plug(model);
        handle = backend.openDevice(model.usb.locationId);
        handle->openControlInterface();
        units_ = vesk::pc::VideoControlUnits::fromDescriptors(handle->controlDescriptors());
        camera->clearRequests();
    }

    void setTiming(const vesk::pc::UvcTiming& timing)
    {
        QMutexLocker lock(&mutex_);
        timing_ = timing;
    }
    // Ends the passes: sleepPass returns false at once, channelRunning too.
    void stop()
    {
        QMutexLocker lock(&mutex_);
        running_ = false;
        wake_.wakeAll();
    }

    int controlRequest(vesk::pc::UvcRequest request, vesk::pc::UvcUnitKind kind, uint8_t* data,
                       int length, int selector, int unitId) override
    {
        QMutexLocker lock(&transferLock_);
        return handle->controlRequest(request, kind, uint8_t(unitId), uint8_t(selector), data, length);
    }
    int setDataWithLengthSelectorUnitId(uint8_t* data, int length, int selector,
                                        vesk::pc::UvcUnitKind kind, int unitId) override
    {
        return controlRequest(vesk::pc::UvcRequest::SetCur, kind, data, length, selector, unitId);
    }
    int getDataByTypeLengthSelectorUnitId(uint8_t* data, int type, int length, int selector,
                                          vesk::pc::UvcUnitKind kind, int unitId) override
    {
        return controlRequest(vesk::pc::UvcRequest(type), kind, data, length, selector, unitId);
    }
    int setThenGetWithLengthSelectorUnitId(uint8_t* setData, uint8_t* getData, int length,
                                           int selector, vesk::pc::UvcUnitKind kind,
                                           int unitId) override
    {
        QMutexLocker lock(&transferLock_);
        if (setDataWithLengthSelectorUnitId(setData, length, selector, kind, unitId) != length)
            return -1;
        return getDataByTypeLengthSelectorUnitId(getData, int(vesk::pc::UvcRequest::GetCur), length,
                                                 selector, kind, unitId);
    }
    uint8_t unitIdFor(vesk::pc::UvcUnitKind kind) const override
    {
        switch (kind) {
        case vesk::pc::UvcUnitKind::CameraTerminal: return units_.cameraTerminalId;
        case vesk::pc::UvcUnitKind::ProcessingUnit: return units_.processingUnitId;
        case vesk::pc::UvcUnitKind::ExtensionUnit: return units_.extensionUnitId;
        }
        return 0;
    }
    vesk::pc::VideoControlUnits units() const override { return units_; }
    vesk::pc::UvcTiming timing() const override
    {
        QMutexLocker lock(&mutex_);
        return timing_;
    }
    QRecursiveMutex* transferLock() override { return &transferLock_; }

    ErrorType sendMsgSync(vesk::pc::ProtocolMsg::FrmPacket& frame, QByteArray& response) override
    {
        return answer ? answer(frame, response) : ErrDevNotOpen;
    }
    ErrorType sendMsgSyncNonBlock(vesk::pc::ProtocolMsg::FrmPacket& frame, QSharedPointer<QString>,
                                  QObject*) override
    {
        QByteArray ignored;
        return sendMsgSync(frame, ignored);
    }
    ErrorType sendMsgAsync(vesk::pc::ProtocolMsg::FrmPacket& frame, bool) override
    {
        QByteArray ignored;
        return sendMsgSync(frame, ignored);
    }
    ErrorType sendMsgAsyncDirectly(vesk::pc::ProtocolMsg::FrmPacket& frame) override
    {
        QByteArray ignored;
        return sendMsgSync(frame, ignored);
    }
    bool sleepPass(int ms) override
    {
        QMutexLocker lock(&mutex_);
        if (running_)
            wake_.wait(&mutex_, ulong(qMax(ms, 0)));
        return running_;
    }
    bool channelRunning() const override { return running_; }

private:
    vesk::pc::VideoControlUnits units_;
    mutable QMutex mutex_;
    QWaitCondition wake_;
    vesk::pc::UvcTiming timing_ = vesk::pc::UvcTiming::defaults();
    std::atomic<bool> running_{true};
    QRecursiveMutex transferLock_;
};
