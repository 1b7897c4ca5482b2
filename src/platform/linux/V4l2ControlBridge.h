#pragma once

#include "platform/UvcRequest.h"
#include "platform/linux/V4l2ControlMap.h"

namespace vesk {
namespace pc {

class V4l2ControlIo;

// Camera-terminal and processing-unit requests answered through V4L2
// controls: the kernel driver holds the interface, so raw class requests
// cannot reach these units. GET_MIN/MAX/RES/DEF come from the control's
// query, GET_INFO from its flags.
class V4l2ControlBridge
{
public:
    explicit V4l2ControlBridge(V4l2ControlIo& io) : io_(io) {}

    // Bytes moved (the control's length, 1 for GET_INFO) or -1.
    int request(UvcRequest request, UvcUnitKind unit, uint8_t selector, uint8_t* data, int length);

private:
    int getCurrent(const V4l2ControlRow& row, uint8_t* data);
    int setCurrent(const V4l2ControlRow& row, const uint8_t* data);
    int getInfo(const V4l2ControlRow& row, uint8_t* data);
    int getLimit(UvcRequest request, const V4l2ControlRow& row, uint8_t* data);
    int getExposureLimit(UvcRequest request, const V4l2ControlRow& row, uint8_t* data);

    V4l2ControlIo& io_;
};

} // namespace pc
} // namespace vesk
