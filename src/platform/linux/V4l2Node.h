#pragma once

#include "platform/linux/V4l2ControlIo.h"

#include <QByteArray>
#include <QString>

namespace vesk {
namespace pc {

// One open V4L2 device node. Calls on a node whose camera has been pulled out
// fail with a log line (ENODEV) and nothing worse.
class V4l2Node : public V4l2ControlIo
{
public:
    V4l2Node() = default;
    ~V4l2Node() override;
    V4l2Node(const V4l2Node&) = delete;
    V4l2Node& operator=(const V4l2Node&) = delete;

    // Opens the node and checks that it is a capture node; logs why not.
    bool open(const QString& path);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    // Whether the last open failed on the node's permissions.
    bool accessDenied() const { return accessDenied_; }
    int fd() const { return fd_; }
    QString path() const { return path_; }

    // An ioctl retried on EINTR; errno is kept for the caller.
    int call(unsigned long request, void* argument) const;

    // One extension-unit request through UVCIOC_CTRL_QUERY; bytes moved or -1.
    int extensionUnitQuery(uint8_t unitId, uint8_t selector, uint8_t query, uint8_t* data,
                           int length);

    bool query(uint32_t id, v4l2_queryctrl* control) override;
    bool hasMenuItem(uint32_t id, uint32_t index) override;
    bool get(const uint32_t* ids, int32_t* values, int count) override;
    bool set(const uint32_t* ids, const int32_t* values, int count) override;

private:
    bool extendedControls(unsigned long request, const uint32_t* ids, int32_t* values, int count);

    int fd_ = -1;
    QString path_;
    bool accessDenied_ = false;
};

} // namespace pc
} // namespace vesk
