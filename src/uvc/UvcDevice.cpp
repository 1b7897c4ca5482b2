// The camera object's life (open, close, the device thread, kept cameras)
// and its forwarding to the transport and the message channel.

#include "uvc/UvcDevice.h"

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
    , transport_(device)
    , channel_(transport_, passHooks())
    , controls_(transport_)
    , identity_(channel_, transport_, networkQueries())
    , network_(channel_, transport_)
    , pictures_(transport_, channel_)
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
    hooks.beforeRead = [this] { runPictureTransfer(); };
    hooks.afterWrite = [this] { pollStatus(); };
    return hooks;
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

UvcTiming UvcDevice::timing() const
{
    return transport_.timing();
}

void UvcDevice::setTiming(const UvcTiming& timing)
{
    transport_.setTiming(timing);
}

int UvcDevice::interfaceNumber() const
{
    return transport_.interfaceNumber();
}

VideoControlUnits UvcDevice::units() const
{
    return transport_.units();
}

uint8_t UvcDevice::unitIdFor(UvcUnitKind kind) const
{
    return transport_.unitIdFor(kind);
}

int UvcDevice::controlRequest(UvcRequest request, UvcUnitKind kind, uint8_t* data, int length,
                              int selector, int unitId)
{
    return transport_.controlRequest(request, kind, data, length, selector, unitId);
}

int UvcDevice::setDataWithLengthSelectorUnitId(uint8_t* data, int length, int selector,
                                               UvcUnitKind kind, int unitId)
{
    return transport_.setDataWithLengthSelectorUnitId(data, length, selector, kind, unitId);
}

int UvcDevice::getDataByTypeLengthSelectorUnitId(uint8_t* data, int type, int length, int selector,
                                                 UvcUnitKind kind, int unitId)
{
    return transport_.getDataByTypeLengthSelectorUnitId(data, type, length, selector, kind, unitId);
}

int UvcDevice::setThenGetWithLengthSelectorUnitId(uint8_t* setData, uint8_t* getData, int length,
                                                  int selector, UvcUnitKind kind, int unitId)
{
    return transport_.setThenGetWithLengthSelectorUnitId(setData, getData, length, selector, kind,
                                                         unitId);
}

UvcDevice::ErrorType UvcDevice::sendMsgSync(ProtocolMsg::FrmPacket& frame, QByteArray& response)
{
    return channel_.sendMsgSync(frame, response);
}

UvcDevice::ErrorType UvcDevice::sendMsgSyncNonBlock(ProtocolMsg::FrmPacket& frame,
                                                    QSharedPointer<QString> method,
                                                    QObject* receiver)
{
    return channel_.sendMsgSyncNonBlock(frame, std::move(method), receiver);
}

UvcDevice::ErrorType UvcDevice::sendMsgAsync(ProtocolMsg::FrmPacket& frame, bool needResponse)
{
    return channel_.sendMsgAsync(frame, needResponse);
}

UvcDevice::ErrorType UvcDevice::sendMsgAsyncDirectly(ProtocolMsg::FrmPacket& frame)
{
    return channel_.sendMsgAsyncDirectly(frame);
}

} // namespace pc
} // namespace vesk
