#include "uvc/UvcDevice.h"

#include "uvc/ReplyRelay.h"

#include <QDebug>
#include <QMutexLocker>

namespace vesk {
namespace pc {

namespace {

// Cameras whose device thread would not stop: kept, never freed under it.
QMutex& parkedMutex()
{
    static QMutex mutex;
    return mutex;
}

QList<UvcDevice*>& parkedDevices()
{
    static QList<UvcDevice*> devices;
    return devices;
}

} // namespace

UvcDevice::UvcDevice(QSharedPointer<CameraHandle> device, DevMode mode, QObject* parent)
    : QThread(parent)
    , device_(device)
    , mode_(mode)
    , timing_(UvcTiming::defaults())
    , controls_(*this)
    , identity_(*this, *this, networkQueries())
    , network_(*this, *this)
    , pictures_(*this, *this)
{
    setObjectName(QStringLiteral("UvcDevice"));
    // Direct: the parts emit on the device thread and receivers expect the
    // camera's signals at the moment they happen.
    connect(&pictures_, &PictureTransfers::fileDownloadDone, this, &UvcDevice::fileDownloadDone,
            Qt::DirectConnection);
    connect(&pictures_, &PictureTransfers::fileUploadProgress, this,
            &UvcDevice::fileUploadProgress, Qt::DirectConnection);
    if (device_) {
        const UsbDeviceInfo info = device_->info();
        locationId_ = info.locationId;
        vendorId_ = info.vendorId;
        productId_ = info.productId;
    }
    qDebug() << "location_id =" << Qt::hex << locationId_;
    qDebug() << "vendor_id =" << Qt::hex << vendorId_;
    qDebug() << "product_id =" << Qt::hex << productId_;
}

UvcDevice::~UvcDevice()
{
    inited_ = false;
    deinitAvCapture();  // no frame may reach the object once it is going
    close();
    if (isRunning()) {
        // Freeing the object under its running thread is never an option; a
        // camera made by create() is kept instead, so this is the last resort.
        qCritical() << "Device thread still running at destruction, waiting for it";
        wait();
    }
    QMutexLocker lock(&queueMutex_);
    queue_.clear();
}

QSharedPointer<UvcDevice> UvcDevice::create(QSharedPointer<CameraHandle> device, DevMode mode)
{
    return QSharedPointer<UvcDevice>(new UvcDevice(device, mode), &UvcDevice::destroy);
}

void UvcDevice::destroy(UvcDevice* device)
{
    if (!device)
        return;
    device->close();
    if (device->isRunning()) {
        qCritical() << "Device thread did not end, the camera object is kept alive";
        QMutexLocker lock(&parkedMutex());
        parkedDevices().append(device);
        return;
    }
    delete device;
    reapParkedDevices();
}

int UvcDevice::reapParkedDevices()
{
    QList<UvcDevice*> ended;
    int remaining = 0;
    {
        QMutexLocker lock(&parkedMutex());
        QList<UvcDevice*>& parked = parkedDevices();
        for (int i = parked.size() - 1; i >= 0; --i) {
            if (parked[i]->isFinished())
                ended << parked.takeAt(i);
        }
        remaining = parked.size();
    }
    for (UvcDevice* device : ended) {
        device->close();  // releases the interface now that nothing uses it
        delete device;
    }
    return remaining;
}

UvcTiming UvcDevice::timing() const
{
    QMutexLocker lock(&stateMutex_);
    return timing_;
}

void UvcDevice::setTiming(const UvcTiming& timing)
{
    QMutexLocker lock(&stateMutex_);
    timing_ = timing;
}

int UvcDevice::interfaceNumber() const
{
    QMutexLocker lock(&stateMutex_);
    return interfaceNumber_;
}

VideoControlUnits UvcDevice::units() const
{
    QMutexLocker lock(&stateMutex_);
    return units_;
}

int UvcDevice::open()
{
    if (devMode() == DevModeNet)
        return 0;
    if (isRunning()) {
        qWarning() << "uvc device is already open";
        return 0;
    }
    if (!device_) {
        qWarning() << "No USB device behind this camera";
        return -1;
    }
    if (!device_->openControlInterface()) {
        qWarning() << "Failed to open the video control interface";
        return -1;
    }
    {
        QMutexLocker lock(&stateMutex_);
        interfaceNumber_ = device_->interfaceNumber();
        units_ = VideoControlUnits::fromDescriptors(device_->controlDescriptors());
        qDebug() << "Unit ids: camera terminal" << units_.cameraTerminalId << "processing unit"
                 << units_.processingUnitId << "extension unit" << units_.extensionUnitId;
    }
    interfaceOpen_ = true;
    running_ = true;
    start(QThread::InheritPriority);
    return 0;
}

void UvcDevice::close()
{
    deinitAvCapture();
    {
        QMutexLocker lock(&passMutex_);
        running_ = false;
        passCondition_.wakeAll();
    }
    if (isRunning()) {
        const int bound = timing().closeWaitMs;
        if (!wait(QDeadlineTimer(qMax(bound, 0)))) {
            // The interface stays open: the thread may still be inside a transfer.
            qCritical() << "Device thread did not end within" << bound << "ms";
            return;
        }
    }
    if (devMode() == DevModeNet || !device_)
        return;
    // Not under a caller's transfer: a handle closed in the middle of a
    // request would have it land on whatever reuses the handle.
    QMutexLocker lock(&transferLock_);
    if (interfaceOpen_.exchange(false))
        device_->closeControlInterface();
}

} // namespace pc
} // namespace vesk
