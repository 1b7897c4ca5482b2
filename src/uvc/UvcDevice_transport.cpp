// Class-specific control requests on the video-control interface.

#include "uvc/UvcDevice.h"

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

uint8_t UvcDevice::unitIdFor(UvcUnitKind kind) const
{
    QMutexLocker lock(&stateMutex_);
    switch (kind) {
    case UvcUnitKind::CameraTerminal: return units_.cameraTerminalId;
    case UvcUnitKind::ProcessingUnit: return units_.processingUnitId;
    case UvcUnitKind::ExtensionUnit: return units_.extensionUnitId;
    }
    return 0;
}

int UvcDevice::controlRequest(UvcRequest request, UvcUnitKind kind, uint8_t* data, int length,
                              int selector, int unitId)
{
    // Checked under the lock that close takes, so the handle stays open for
    // the whole request.
    QMutexLocker lock(&transferLock_);
    if (!interfaceOpen_ || !device_) {
        qWarning() << "uvc device not open yet!";
        return -1;
    }
    if (!data || length <= 0 || length > 0xFFFF || selector < 0 || selector > 0xFF || unitId < 0
        || unitId > 0xFF) {
        qWarning() << "Invalid control request: length" << length << "selector" << selector
                   << "unit" << unitId;
        return -1;
    }
    return device_->controlRequest(request, kind, uint8_t(unitId), uint8_t(selector), data, length);
}

int UvcDevice::setDataWithLengthSelectorUnitId(uint8_t* data, int length, int selector,
                                               UvcUnitKind kind, int unitId)
{
    return controlRequest(UvcRequest::SetCur, kind, data, length, selector, unitId);
}

int UvcDevice::getDataByTypeLengthSelectorUnitId(uint8_t* data, int type, int length, int selector,
                                                 UvcUnitKind kind, int unitId)
{
    if (!isGetRequest(type)) {
        qWarning() << "Not a GET request:" << Qt::hex << type;
        return -1;
    }
    return controlRequest(UvcRequest(type), kind, data, length, selector, unitId);
}

int UvcDevice::setThenGetWithLengthSelectorUnitId(uint8_t* setData, uint8_t* getData, int length,
                                                  int selector, UvcUnitKind kind, int unitId)
{
    QMutexLocker lock(&transferLock_);
    const int sent = setDataWithLengthSelectorUnitId(setData, length, selector, kind, unitId);
    if (sent != length)
        return -1;
    return getDataByTypeLengthSelectorUnitId(getData, int(UvcRequest::GetCur), length, selector, kind,
                                             unitId);
}

} // namespace pc
} // namespace vesk
