#pragma once

#include "platform/CameraHandle.h"
#include "uvc/UvcTiming.h"
#include "uvc/VideoControlUnits.h"

#include <QRecursiveMutex>

#include <cstdint>

namespace vesk {
namespace pc {

// What the parts of a camera object need of its control transport:
// class-specific requests on the camera's units (bytes moved, or -1), the
// unit ids the descriptors announced and the camera's timing record.
class ControlPort
{
public:
    virtual ~ControlPort() = default;

    // One request given by its code; the data, length, selector and unit id
    // are checked before anything reaches the camera.
    virtual int controlRequest(UvcRequest request, UvcUnitKind kind, uint8_t* data, int length,
                               int selector, int unitId) = 0;
    virtual int setDataWithLengthSelectorUnitId(uint8_t* data, int length, int selector,
                                                UvcUnitKind kind, int unitId) = 0;
    virtual int getDataByTypeLengthSelectorUnitId(uint8_t* data, int type, int length,
                                                  int selector, UvcUnitKind kind, int unitId) = 0;
    virtual int setThenGetWithLengthSelectorUnitId(uint8_t* setData, uint8_t* getData, int length,
                                                   int selector, UvcUnitKind kind, int unitId) = 0;
    virtual uint8_t unitIdFor(UvcUnitKind kind) const = 0;
    virtual VideoControlUnits units() const = 0;
    virtual UvcTiming timing() const = 0;
    // Held across a longer exchange that must not interleave with others.
    virtual QRecursiveMutex* transferLock() = 0;
};

} // namespace pc
} // namespace vesk
