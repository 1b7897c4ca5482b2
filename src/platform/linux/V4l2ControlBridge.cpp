#include "platform/linux/V4l2ControlBridge.h"

#include "platform/linux/V4l2ControlIo.h"

#include <QDebug>

#include <linux/videodev2.h>

namespace vesk {
namespace pc {

namespace {

// Bits of the UVC GET_INFO byte.
constexpr uint8_t kInfoGet = 0x01;
constexpr uint8_t kInfoSet = 0x02;
constexpr uint8_t kInfoDisabledByAuto = 0x04;
constexpr uint8_t kInfoAutoUpdate = 0x08;

int32_t limitOf(UvcRequest request, const v4l2_queryctrl& control)
{
    switch (request) {
    case UvcRequest::GetMin: return control.minimum;
    case UvcRequest::GetMax: return control.maximum;
    case UvcRequest::GetRes: return control.step;
    default: return control.default_value;
    }
}

} // namespace

int V4l2ControlBridge::request(UvcRequest request, UvcUnitKind unit, uint8_t selector,
                               uint8_t* data, int length)
{
    const int index = V4l2ControlMap::rowOf(unit, selector);
    if (index < 0) {
        qWarning() << "No standard control" << int(unit) << "selector" << selector;
        return -1;
    }
    const V4l2ControlRow& row = V4l2ControlMap::kRows[index];
    if (row.packing == V4l2Packing::None) {
        qDebug() << "Standard control" << index << "has no V4L2 counterpart";
        return -1;
    }
    const int expected = request == UvcRequest::GetInfo ? 1 : row.length;
    if (!data || length != expected) {
        qWarning() << "Standard control" << index << "length" << length << "expected" << expected;
        return -1;
    }
    switch (request) {
    case UvcRequest::SetCur: return setCurrent(row, data);
    case UvcRequest::GetCur: return getCurrent(row, data);
    case UvcRequest::GetInfo: return getInfo(row, data);
    default:
        if (row.packing == V4l2Packing::ExposureMode)
            return getExposureLimit(request, row, data);
        return getLimit(request, row, data);
    }
}

int V4l2ControlBridge::getCurrent(const V4l2ControlRow& row, uint8_t* data)
{
    const uint32_t ids[2] = {row.parts[0].id, row.parts[1].id};
    int32_t values[2] = {};
    if (!io_.get(ids, values, V4l2ControlMap::partCount(row)))
        return -1;
    if (!V4l2ControlMap::toUvc(row, values, data)) {
        qWarning() << "V4L2 value" << values[0] << "of control" << Qt::hex << ids[0]
                   << "has no UVC form";
        return -1;
    }
    return row.length;
}

int V4l2ControlBridge::setCurrent(const V4l2ControlRow& row, const uint8_t* data)
{
    const uint32_t ids[2] = {row.parts[0].id, row.parts[1].id};
    int32_t values[2] = {};
    if (!V4l2ControlMap::toV4l2(row, data, values)) {
        qWarning() << "UVC value" << data[0] << "of control" << Qt::hex << ids[0]
                   << "has no V4L2 form";
        return -1;
    }
    return io_.set(ids, values, V4l2ControlMap::partCount(row)) ? row.length : -1;
}

int V4l2ControlBridge::getInfo(const V4l2ControlRow& row, uint8_t* data)
{
    v4l2_queryctrl control{};
    if (!io_.query(row.parts[0].id, &control))
        return -1;
    const uint32_t flags = control.flags;
    uint8_t info = 0;
    if (!(flags & V4L2_CTRL_FLAG_WRITE_ONLY))
        info |= kInfoGet;
    if (!(flags & V4L2_CTRL_FLAG_READ_ONLY))
        info |= kInfoSet;
    if (flags & V4L2_CTRL_FLAG_INACTIVE)
        info |= kInfoDisabledByAuto;
    if (flags & V4L2_CTRL_FLAG_VOLATILE)
        info |= kInfoAutoUpdate;
    data[0] = info;
    return 1;
}

int V4l2ControlBridge::getLimit(UvcRequest request, const V4l2ControlRow& row, uint8_t* data)
{
    int32_t values[2] = {};
    for (int i = 0; i < V4l2ControlMap::partCount(row); ++i) {
        v4l2_queryctrl control{};
        if (!io_.query(row.parts[i].id, &control))
            return -1;
        values[i] = limitOf(request, control);
    }
    return V4l2ControlMap::toUvc(row, values, data) ? row.length : -1;
}

// The auto-exposure mode knows no minimum or maximum in UVC; its GET_RES is
// the bitmap of the modes offered, and its default is a mode bit.
int V4l2ControlBridge::getExposureLimit(UvcRequest request, const V4l2ControlRow& row,
                                        uint8_t* data)
{
    const uint32_t id = row.parts[0].id;
    v4l2_queryctrl control{};
    if (request == UvcRequest::GetMin || request == UvcRequest::GetMax || !io_.query(id, &control))
        return -1;
    if (request == UvcRequest::GetDef) {
        const int mode = V4l2ControlMap::exposureUvcMode(control.default_value);
        data[0] = uint8_t(qMax(mode, 0));
        return mode > 0 ? 1 : -1;
    }
    // The driver's maximum bounds nothing we can trust; no item past the
    // last exposure mode has a UVC bit anyway.
    const int32_t last = qMin<int32_t>(control.maximum, V4L2_EXPOSURE_APERTURE_PRIORITY);
    uint8_t modes = 0;
    for (int32_t item = qMax(control.minimum, 0); item <= last; ++item) {
        const int mode = V4l2ControlMap::exposureUvcMode(item);
        if (mode > 0 && io_.hasMenuItem(id, uint32_t(item)))
            modes |= uint8_t(mode);
    }
    data[0] = modes;
    return 1;
}

} // namespace pc
} // namespace vesk
