#include "platform/sim/SimBackend.h"

#include <QDebug>
#include <QMutexLocker>

namespace vesk {
namespace pc {

QSharedPointer<SimCamera> SimBackend::plug(const SimCameraModel& model)
{
    auto camera = QSharedPointer<SimCamera>::create(model);
    {
        QMutexLocker lock(&mutex_);
        cameras_.append(camera);
    }
    qDebug() << "Simulated camera plugged:" << model.name << Qt::hex << model.usb.locationId;
    notify(model.usb, true);
    return camera;
}

bool SimBackend::unplug(uint32_t locationId)
{
    QSharedPointer<SimCamera> camera;
    {
        QMutexLocker lock(&mutex_);
        for (int i = 0; i < cameras_.size() && !camera; ++i) {
            if (cameras_[i]->info().locationId == locationId)
                camera = cameras_.takeAt(i);
        }
    }
    if (!camera)
        return false;
    camera->unplug();
    notify(camera->info(), false);
    return true;
}

QSharedPointer<SimCamera> SimBackend::camera(uint32_t locationId) const
{
    QMutexLocker lock(&mutex_);
    for (const auto& camera : cameras_) {
        if (camera->info().locationId == locationId)
            return camera;
    }
    return {};
}

QList<UsbDeviceInfo> SimBackend::devices() const
{
    QMutexLocker lock(&mutex_);
    QList<UsbDeviceInfo> list;
    for (const auto& camera : cameras_)
        list << camera->info();
    return list;
}

bool SimBackend::findDevice(uint32_t locationId, UsbDeviceInfo* info) const
{
    const auto found = camera(locationId);
    if (found && info)
        *info = found->info();
    return bool(found);
}

QSharedPointer<CameraHandle> SimBackend::openDevice(uint32_t locationId)
{
    return camera(locationId);
}

bool SimBackend::startHotPlug(HotPlugListener listener)
{
    {
        QMutexLocker lock(&mutex_);
        listener_ = listener;
    }
    for (const UsbDeviceInfo& device : devices())
        notify(device, true);
    return true;
}

void SimBackend::stopHotPlug()
{
    QMutexLocker notifying(&notifyMutex_);
    QMutexLocker lock(&mutex_);
    listener_ = nullptr;
}

void SimBackend::notify(const UsbDeviceInfo& device, bool arrived)
{
    QMutexLocker notifying(&notifyMutex_);
    HotPlugListener listener;
    {
        QMutexLocker lock(&mutex_);
        listener = listener_;
    }
    if (listener)
        listener(device, arrived);
}

} // namespace pc
} // namespace vesk
