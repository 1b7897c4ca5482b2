#include "uvc/ControlTransport.h"

#include <QDebug>
#include <QMutexLocker>

namespace vesk {
namespace pc {

namespace {

bool isGetRequest(int type)
{
    switch (UvcRequest(type)) {
    case UvcRequest::GetCur:
    case UvcRequest::GetMin:
    case UvcRequest::GetMax:
    case UvcRequest::GetRes:
    case UvcRequest::GetInfo:
    case UvcRequest::GetDef:
        return true;
    default:
        return false;
    }
}

} // namespace

ControlTransport::ControlTransport(QSharedPointer<CameraHandle> handle)
    : handle_(std::move(handle))
    , timing_(UvcTiming::defaults())
{
}

bool ControlTransport::open()
{
    if (!handle_) {
        qWarning() << "No USB device behind this camera";
        return false;
    }
    if (!handle_->openControlInterface()) {
        qWarning() << "Failed to open the video control interface";
        return false;
    }
    {
        QMutexLocker lock(&stateMutex_);
        interfaceNumber_ = handle_->interfaceNumber();
        units_ = VideoControlUnits::fromDescriptors(handle_->controlDescriptors());
        qDebug() << "Unit ids: camera terminal" << units_.cameraTerminalId << "processing unit"
                 << units_.processingUnitId << "extension unit" << units_.extensionUnitId;
    }
    open_ = true;
    return true;
}

void ControlTransport::close()
{
    // Not under a caller's transfer: a handle closed in the middle of a
    // request would have it land on whatever reuses the handle.
    QMutexLocker lock(&transferLock_);
    if (open_.exchange(false) && handle_)
        handle_->closeControlInterface();
}

UvcTiming ControlTransport::timing() const
{
    QMutexLocker lock(&stateMutex_);
    return timing_;
}

void ControlTransport::setTiming(const UvcTiming& timing)
{
    QMutexLocker lock(&stateMutex_);
    timing_ = timing;
}

int ControlTransport::interfaceNumber() const
{
    QMutexLocker lock(&stateMutex_);
    return interfaceNumber_;
}

VideoControlUnits ControlTransport::units() const
{
    QMutexLocker lock(&stateMutex_);
    return units_;
}

uint8_t ControlTransport::unitIdFor(UvcUnitKind kind) const
{
    QMutexLocker lock(&stateMutex_);
    switch (kind) {
    case UvcUnitKind::CameraTerminal: return units_.cameraTerminalId;
    case UvcUnitKind::ProcessingUnit: return units_.processingUnitId;
    case UvcUnitKind::ExtensionUnit: return units_.extensionUnitId;
    }
    return 0;
}

int ControlTransport::controlRequest(UvcRequest request, UvcUnitKind kind, uint8_t* data,
                                     int length, int selector, int unitId)
{
    // Checked under the lock that close takes, so the handle stays open for
    // the whole request.
    QMutexLocker lock(&transferLock_);
    if (!open_ || !handle_) {
        qWarning() << "uvc device not open yet!";
        return -1;
    }
    if (!data || length <= 0 || length > 0xFFFF || selector < 0 || selector > 0xFF || unitId < 0
        || unitId > 0xFF) {
        qWarning() << "Invalid control request: length" << length << "selector" << selector
                   << "unit" << unitId;
        return -1;
    }
    return handle_->controlRequest(request, kind, uint8_t(unitId), uint8_t(selector), data, length);
}

int ControlTransport::setDataWithLengthSelectorUnitId(uint8_t* data, int length, int selector,
                                                      UvcUnitKind kind, int unitId)
{
    return controlRequest(UvcRequest::SetCur, kind, data, length, selector, unitId);
}

int ControlTransport::getDataByTypeLengthSelectorUnitId(uint8_t* data, int type, int length,
                                                        int selector, UvcUnitKind kind, int unitId)
{
    if (!isGetRequest(type)) {
        qWarning() << "Not a GET request:" << Qt::hex << type;
        return -1;
    }
    return controlRequest(UvcRequest(type), kind, data, length, selector, unitId);
}

int ControlTransport::setThenGetWithLengthSelectorUnitId(uint8_t* setData, uint8_t* getData,
                                                         int length, int selector, UvcUnitKind kind,
                                                         int unitId)
{
    QMutexLocker lock(&transferLock_);
    const int sent = setDataWithLengthSelectorUnitId(setData, length, selector, kind, unitId);
    if (sent != length)
        return -1;
    return getDataByTypeLengthSelectorUnitId(getData, int(UvcRequest::GetCur), length, selector,
                                             kind, unitId);
}

} // namespace pc
} // namespace vesk
