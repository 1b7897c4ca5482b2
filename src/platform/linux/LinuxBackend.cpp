#include "platform/linux/LinuxBackend.h"

#include "platform/linux/LinuxCamera.h"

#include <QDebug>
#include <QMutexLocker>

#include <libudev.h>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace vesk {
namespace pc {

LinuxBackend::LinuxBackend(const QString& sysRoot)
    : sysRoot_(sysRoot)
{
}

LinuxBackend::~LinuxBackend()
{
    stopHotPlug();
}

QStringList LinuxBackend::devicePaths() const
{
    if (!sysRoot_.isEmpty())
        return UsbSysfsDevice::devicePaths(sysRoot_);
    QStringList paths;
    udev* context = udev_new();
    if (!context) {
        qCritical() << "udev_new failed";
        return paths;
    }
    udev_enumerate* enumerate = udev_enumerate_new(context);
    if (enumerate) {
        udev_enumerate_add_match_subsystem(enumerate, "usb");
        udev_enumerate_add_match_property(enumerate, "DEVTYPE", "usb_device");
        if (udev_enumerate_scan_devices(enumerate) < 0)
            qWarning() << "udev could not list the USB devices";
        udev_list_entry* entry = udev_enumerate_get_list_entry(enumerate);
        for (; entry; entry = udev_list_entry_get_next(entry))
            paths << QString::fromLocal8Bit(udev_list_entry_get_name(entry));
        udev_enumerate_unref(enumerate);
    }
    udev_unref(context);
    return paths;
}

QList<UsbDeviceInfo> LinuxBackend::devices() const
{
    const QStringList paths = devicePaths();
    QMutexLocker lock(&mutex_);
    const QList<UsbDeviceInfo> found = tracker_.scan(paths);
    if (found.isEmpty())
        qInfo() << "No USB video device attached";
    return found;
}

bool LinuxBackend::findDevice(uint32_t locationId, UsbDeviceInfo* info) const
{
    for (const UsbDeviceInfo& device : devices()) {
        if (device.locationId == locationId) {
            if (info)
                *info = device;
            return true;
        }
    }
    return false;
}

QSharedPointer<CameraHandle> LinuxBackend::openDevice(uint32_t locationId)
{
    UsbDeviceInfo info;
    if (!findDevice(locationId, &info))
        return {};
    return QSharedPointer<LinuxCamera>::create(info);
}

bool LinuxBackend::startHotPlug(HotPlugListener listener)
{
    stopHotPlug();
    if (!openMonitor()) {
        closeMonitor();
        return false;
    }
    {
        QMutexLocker lock(&mutex_);
        listener_ = std::move(listener);
        tracker_.clear();
    }
    thread_ = std::thread([this] { runHotPlug(); });
    return true;
}

void LinuxBackend::stopHotPlug()
{
    if (thread_.joinable()) {
        const uint64_t one = 1;
        if (::write(stopFd_, &one, sizeof one) < 0)
            qWarning() << "Cannot signal the hot-plug thread:" << strerror(errno);
        thread_.join();
    }
    closeMonitor();
    QMutexLocker lock(&mutex_);
    listener_ = nullptr;
}

// The monitor is enabled before the attached devices are listed, so nothing
// plugged in between is missed; the tracker drops what is reported twice.
bool LinuxBackend::openMonitor()
{
    stopFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    udev_ = udev_new();
    if (stopFd_ < 0 || !udev_) {
        qCritical() << "Cannot set up hot-plug:" << strerror(errno);
        return false;
    }
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (!monitor_ || udev_monitor_filter_add_match_subsystem_devtype(monitor_, "usb", nullptr) < 0
        || udev_monitor_enable_receiving(monitor_) < 0) {
        qCritical() << "could not add hotplug event source: udev monitor";
        return false;
    }
    return true;
}

void LinuxBackend::closeMonitor()
{
    if (monitor_)
        udev_monitor_unref(monitor_);
    if (udev_)
        udev_unref(udev_);
    if (stopFd_ >= 0)
        ::close(stopFd_);
    monitor_ = nullptr;
    udev_ = nullptr;
    stopFd_ = -1;
}

void LinuxBackend::runHotPlug()
{
    pthread_setname_np(pthread_self(), "orlacam-hotplug");
    reportAttached();
    qDebug() << "udev hot-plug thread ready to receive events";
    pollfd fds[2] = {{udev_monitor_get_fd(monitor_), POLLIN, 0}, {stopFd_, POLLIN, 0}};
    for (;;) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;  // revents are not to be trusted then
            qCritical() << "hot-plug poll failed:" << strerror(errno);
            break;
        }
        if (fds[1].revents & POLLIN)
            break;
        // An overrun shows as POLLERR until a receive takes the error away;
        // skipping it would spin.
        if (fds[0].revents & (POLLIN | POLLERR)) {
            receiveEvent();
        } else if (fds[0].revents & (POLLHUP | POLLNVAL)) {
            qCritical() << "hot-plug monitor closed";
            break;
        }
    }
    qDebug() << "udev hot-plug thread exiting";
}

void LinuxBackend::reportAttached()
{
    const QStringList paths = devicePaths();
    int count = 0;
    for (const QString& path : paths) {
        UsbDeviceInfo info;
        bool arrived = false;
        {
            QMutexLocker lock(&mutex_);
            arrived = tracker_.arrive(path, &info);
        }
        if (arrived) {
            ++count;
            report(info, true);
        }
    }
    if (count == 0)
        qInfo() << "No USB video device attached";
}

void LinuxBackend::receiveEvent()
{
    udev_device* device = udev_monitor_receive_device(monitor_);
    if (!device)
        return;
    const char* action = udev_device_get_action(device);
    const char* devtype = udev_device_get_devtype(device);
    const char* syspath = udev_device_get_syspath(device);
    UsbDeviceInfo info;
    bool arrived = false;
    bool reported = false;
    if (action && devtype && syspath) {
        QMutexLocker lock(&mutex_);
        reported = tracker_.onEvent(action, devtype, QString::fromLocal8Bit(syspath), &info,
                                    &arrived);
    }
    udev_device_unref(device);
    if (reported)
        report(info, arrived);
}

void LinuxBackend::report(const UsbDeviceInfo& device, bool arrived)
{
    HotPlugListener listener;
    {
        QMutexLocker lock(&mutex_);
        listener = listener_;
    }
    qDebug() << (arrived ? "USB video device arrived:" : "USB video device left:") << device.key
             << Qt::hex << device.locationId << device.vendorId << device.productId;
    if (listener)
        listener(device, arrived);
}

} // namespace pc
} // namespace vesk
