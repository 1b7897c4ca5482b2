// The camera object's life: its parts and their wiring, open, close, the
// device thread and the frames it receives, kept cameras, its guards and
// its initialisation.

#include "uvc/UvcDevice.h"

#include <QDebug>
#include <QMutexLocker>

#include <climits>

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
    , transport_(device)
    , channel_(transport_, passHooks())
    , controlGuards_(channel_, commandState())
    , controls_(transport_)
    , identity_(channel_, transport_, networkQueries())
    , network_(channel_, transport_)
    , pictures_(transport_, channel_)
    , ai_(transport_, channel_, commandState())
    , presets_(transport_, channel_, commandState())
    , camera_(transport_, channel_, commandState())
    , records_(transport_, channel_, commandState())
    , upgradeSelectors_(transport_)
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
}

MessageChannel::Hooks UvcDevice::passHooks()
{
    MessageChannel::Hooks hooks;
    hooks.netMode = [this] { return devMode() == DevModeNet; };
    hooks.upgradeMode = [this] { return devMode() == DevModeUvcUpgrade; };
    hooks.interfaceOpen = [this] { return transport_.isOpen(); };
    hooks.beforeRead = [this] { pictures_.runPictureTransfer(); };
    hooks.afterWrite = [this] { pollStatus(); };
    return hooks;
}

UvcCommand::DeviceState UvcDevice::commandState() const
{
    UvcCommand::DeviceState state;
    state.inited = [this] { return isInited(); };
    state.netMode = [this] { return devMode() == DevModeNet; };
    state.mainSystem = [this] { return systemType() == 1; };
    state.upgradeMode = [this] { return devMode() == DevModeUvcUpgrade; };
    return state;
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

int UvcDevice::open()
{
    if (devMode() == DevModeNet)
        return 0;
    if (isRunning()) {
        qWarning() << "uvc device is already open";
        return 0;
    }
    if (!transport_.open())
        return -1;
    channel_.resume();
    start(QThread::InheritPriority);
    return 0;
}

void UvcDevice::close()
{
    deinitAvCapture();
    channel_.stop();
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
    transport_.close();
}

void UvcDevice::run()
{
    channel_.runPasses();
}

void UvcDevice::onStreamVideoData(const uint8_t* data, unsigned int length)
{
    if (!data || length > unsigned(INT_MAX)) {
        qWarning() << "Stream frame refused:" << length << "bytes";
        return;
    }
    emit streamVideoData(QByteArray(reinterpret_cast<const char*>(data), int(length)));
}

DeviceIdentity::NetworkQueries UvcDevice::networkQueries()
{
    DeviceIdentity::NetworkQueries queries;
    queries.version = [this] { return network_.netDevVersion(ipAddr()); };
    queries.uuid = [this] { return network_.netDevUuid(ipAddr()); };
    queries.info = [this] { return network_.netDevInfo(ipAddr()); };
    queries.changeIp = [this](const QString& ip) { return changeIpAddr(ip); };
    return queries;
}

bool UvcDevice::identityQueryAllowed() const
{
    if (!inited_)
        qWarning() << "Device has not been inited";
    return inited_;
}

bool UvcDevice::netModeOnly() const
{
    if (!viaNetwork())
        qWarning() << "Only supported in net mode";
    return viaNetwork();
}

bool UvcDevice::initDev()
{
    inited_ = false;  // true only once every step has succeeded
    const DeviceIdentity::InitResult result =
        identity_.initDev(viaNetwork(), devMode() == DevModeUvc ? 1 : 0);
    if (result.systemType >= 0)
        setSystemType(result.systemType);
    inited_ = result.inited;
    return result.inited;
}

} // namespace pc
} // namespace vesk
