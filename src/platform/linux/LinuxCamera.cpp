#include "platform/linux/LinuxCamera.h"

#include "platform/linux/UsbSysfsDevice.h"
#include "platform/linux/VideoControlDescriptors.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QThread>

namespace vesk {
namespace pc {

namespace {

// uvcvideo creates the node a little after the USB device appears.
constexpr int kNodeWaitMs = 2000;
constexpr int kNodePollMs = 100;

} // namespace

QString LinuxCamera::waitForCaptureNode() const
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        const QString name = UsbSysfsDevice::captureNodeName(info_.key);
        if (!name.isEmpty())
            return "/dev/" + name;
        if (timer.elapsed() >= kNodeWaitMs)
            return {};
        QThread::msleep(kNodePollMs);
    }
}

bool LinuxCamera::openControlInterface()
{
    QWriteLocker lock(&lock_);
    if (node_.isOpen())
        return true;
    VideoControlDescriptors found;
    if (!VideoControlDescriptors::readFile(info_.key, &found))
        return false;
    const QString nodePath = waitForCaptureNode();
    if (nodePath.isEmpty()) {
        qWarning() << "No V4L2 capture node for" << info_.key << "- is uvcvideo loaded?";
        return false;
    }
    const bool opened = node_.open(nodePath);
    deniedNode_ = node_.accessDenied() ? nodePath : QString();
    if (!opened)
        return false;
    interfaceNumber_ = found.interfaceNumber;
    descriptors_ = found.classSpecific;
    if (!capture_)  // callers may hold the session across a reopen
        capture_ = std::make_unique<V4l2Capture>(nodePath);
    qInfo() << "Camera" << info_.key << "on" << nodePath << "interface" << interfaceNumber_;
    return true;
}

void LinuxCamera::closeControlInterface()
{
    if (capture_)
        capture_->close();
    QWriteLocker lock(&lock_);
    node_.close();
}

bool LinuxCamera::isControlInterfaceOpen() const
{
    QReadLocker lock(&lock_);
    return node_.isOpen();
}

int LinuxCamera::interfaceNumber() const
{
    QReadLocker lock(&lock_);
    return interfaceNumber_;
}

CaptureSession* LinuxCamera::capture()
{
    QReadLocker lock(&lock_);  // an open may be making it on another thread
    return capture_.get();
}

QString LinuxCamera::accessDeniedNode() const
{
    QReadLocker lock(&lock_);
    return deniedNode_;
}

QByteArray LinuxCamera::controlDescriptors() const
{
    QReadLocker lock(&lock_);
    return descriptors_;
}

// The unit id matters only to the extension unit: uvcvideo finds camera
// terminal and processing unit controls by the V4L2 id alone.
int LinuxCamera::controlRequest(UvcRequest request, UvcUnitKind kind, uint8_t unitId,
                                uint8_t selector, uint8_t* data, int length)
{
    QReadLocker lock(&lock_);
    if (!node_.isOpen()) {
        qWarning() << "uvc device not open yet!";
        return -1;
    }
    if (kind == UvcUnitKind::ExtensionUnit)
        return node_.extensionUnitQuery(unitId, selector, uint8_t(request), data, length);
    return bridge_.request(request, kind, selector, data, length);
}

} // namespace pc
} // namespace vesk
