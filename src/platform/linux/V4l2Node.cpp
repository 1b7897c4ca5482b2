#include "platform/linux/V4l2Node.h"

#include <QDebug>

#include <linux/usb/video.h>
#include <linux/uvcvideo.h>
#include <linux/videodev2.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace vesk {
namespace pc {

namespace {

constexpr int kMaxParts = 2;

} // namespace

V4l2Node::~V4l2Node()
{
    close();
}

bool V4l2Node::open(const QString& path)
{
    close();
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    const int error = errno;
    accessDenied_ = fd < 0 && (error == EACCES || error == EPERM);
    if (fd < 0) {
        if (accessDenied_)
            qWarning() << "Cannot open" << path << "- permission denied; is the OrlaCam udev rule"
                       << "installed and the user logged in at the seat?";
        else
            qWarning() << "Cannot open" << path << "-" << strerror(error);
        return false;
    }
    fd_ = fd;
    path_ = path;
    v4l2_capability caps{};
    if (call(VIDIOC_QUERYCAP, &caps) < 0) {
        qWarning() << "VIDIOC_QUERYCAP refused on" << path << "-" << strerror(errno);
        close();
        return false;
    }
    const uint32_t nodeCaps = caps.capabilities & V4L2_CAP_DEVICE_CAPS ? caps.device_caps
                                                                         : caps.capabilities;
    if (!(nodeCaps & V4L2_CAP_VIDEO_CAPTURE)) {
        qWarning() << path << "is no video capture node";
        close();
        return false;
    }
    return true;
}

void V4l2Node::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

int V4l2Node::call(unsigned long request, void* argument) const
{
    int result;
    do {
        result = ::ioctl(fd_, request, argument);
    } while (result < 0 && errno == EINTR);
    return result;
}

int V4l2Node::extensionUnitQuery(uint8_t unitId, uint8_t selector, uint8_t query, uint8_t* data,
                                 int length)
{
    if (length < 0 || length > 0xFFFF)
        return -1;
    uvc_xu_control_query request{};
    request.unit = unitId;
    request.selector = selector;
    request.query = query;
    request.size = uint16_t(length);
    request.data = data;
    if (call(UVCIOC_CTRL_QUERY, &request) < 0) {
        qWarning("UVCIOC_CTRL_QUERY unit %u selector %u query 0x%02x refused: %s", unitId,
                 selector, query, strerror(errno));
        return -1;
    }
    return length;
}

bool V4l2Node::query(uint32_t id, v4l2_queryctrl* control)
{
    std::memset(control, 0, sizeof *control);
    control->id = id;
    if (call(VIDIOC_QUERYCTRL, control) < 0) {
        qWarning("VIDIOC_QUERYCTRL 0x%x refused: %s", id, strerror(errno));
        return false;
    }
    if (control->flags & V4L2_CTRL_FLAG_DISABLED) {
        qWarning("V4L2 control 0x%x is disabled", id);
        return false;
    }
    return true;
}

bool V4l2Node::hasMenuItem(uint32_t id, uint32_t index)
{
    v4l2_querymenu item{};
    item.id = id;
    item.index = index;
    return call(VIDIOC_QUERYMENU, &item) == 0;  // a gap in the menu is no failure
}

bool V4l2Node::get(const uint32_t* ids, int32_t* values, int count)
{
    return extendedControls(VIDIOC_G_EXT_CTRLS, ids, values, count);
}

bool V4l2Node::set(const uint32_t* ids, const int32_t* values, int count)
{
    int32_t copy[kMaxParts] = {};
    std::memcpy(copy, values, sizeof(int32_t) * size_t(qBound(0, count, kMaxParts)));
    return extendedControls(VIDIOC_S_EXT_CTRLS, ids, copy, count);
}

bool V4l2Node::extendedControls(unsigned long request, const uint32_t* ids, int32_t* values,
                                int count)
{
    if (count < 1 || count > kMaxParts)
        return false;
    v4l2_ext_control controls[kMaxParts]{};
    for (int i = 0; i < count; ++i) {
        controls[i].id = ids[i];
        controls[i].value = values[i];
    }
    v4l2_ext_controls all{};
    all.which = V4L2_CTRL_WHICH_CUR_VAL;
    all.count = uint32_t(count);
    all.controls = controls;
    if (call(request, &all) < 0) {
        qWarning("%s 0x%x refused: %s", request == VIDIOC_S_EXT_CTRLS ? "VIDIOC_S_EXT_CTRLS"
                                                                        : "VIDIOC_G_EXT_CTRLS",
                 ids[0], strerror(errno));
        return false;
    }
    for (int i = 0; i < count; ++i)
        values[i] = controls[i].value;
    return true;
}

} // namespace pc
} // namespace vesk
