#include "sim/SimBackend.h"

#include <QDebug>
#include <QMutexLocker>

#include <algorithm>

namespace vesk {
namespace pc {

SimBackend::~SimBackend()
{
    {
        std::lock_guard<std::mutex> lock(stepsMutex_);
        stopping_ = true;
    }
    stepsChanged_.notify_all();
    if (rebooter_.joinable())
        rebooter_.join();
    // Cameras that outlive the backend must not call back into it.
    QMutexLocker lock(&mutex_);
    for (const auto& camera : cameras_)
        camera->setRebootHandler(nullptr);
}

QSharedPointer<SimCamera> SimBackend::plug(const SimCameraModel& model)
{
    return plugCamera(model, QSharedPointer<SimJournal>());
}

QSharedPointer<SimCamera> SimBackend::plugCamera(const SimCameraModel& model,
                                                 const QSharedPointer<SimJournal>& journal)
{
    auto camera = QSharedPointer<SimCamera>::create(model, journal);
    const uint32_t locationId = model.usb.locationId;
    camera->setRebootHandler([this, locationId](const SimCameraModel& next, int delayMs) {
        reboot(locationId, next, delayMs);
    });
    {
        QMutexLocker lock(&mutex_);
        cameras_.append(camera);
    }
    qDebug() << "Simulated camera plugged:" << model.name << Qt::hex << model.usb.locationId;
    notify(model.usb, true);
    return camera;
}

QSharedPointer<SimCamera> SimBackend::takeCamera(uint32_t locationId)
{
    QMutexLocker lock(&mutex_);
    for (int i = 0; i < cameras_.size(); ++i) {
        if (cameras_[i]->info().locationId == locationId)
            return cameras_.takeAt(i);
    }
    return {};
}

bool SimBackend::unplug(uint32_t locationId)
{
    const QSharedPointer<SimCamera> camera = takeCamera(locationId);
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

void SimBackend::reboot(uint32_t locationId, const SimCameraModel& next, int delayMs)
{
    Step removal;
    removal.due = Clock::now();
    removal.locationId = locationId;
    removal.model = next;
    removal.delayMs = delayMs;
    schedule(removal);
}

void SimBackend::schedule(const Step& step)
{
    {
        std::lock_guard<std::mutex> lock(stepsMutex_);
        if (stopping_)
            return;
        const auto later = std::upper_bound(steps_.begin(), steps_.end(), step.due,
                                            [](Clock::time_point due, const Step& s) { return due < s.due; });
        steps_.insert(later, step);
        if (!rebooter_.joinable())
            rebooter_ = std::thread([this] { runSteps(); });
    }
    stepsChanged_.notify_all();
}

void SimBackend::runSteps()
{
    std::unique_lock<std::mutex> lock(stepsMutex_);
    while (!stopping_) {
        if (steps_.isEmpty()) {
            stepsChanged_.wait(lock);
            continue;
        }
        if (Clock::now() < steps_.first().due) {
            stepsChanged_.wait_until(lock, steps_.first().due);
            continue;
        }
        const Step step = steps_.takeFirst();
        lock.unlock();
        runStep(step);
        lock.lock();
    }
}

void SimBackend::runStep(const Step& step)
{
    if (step.arrival) {
        plugCamera(step.model, step.journal);
        return;
    }
    const QSharedPointer<SimCamera> camera = takeCamera(step.locationId);
    if (camera) {
        camera->unplug();
        notify(camera->info(), false);
    }
    if (step.delayMs < 0)
        return;
    Step arrival = step;
    arrival.due = Clock::now() + std::chrono::milliseconds(step.delayMs);
    arrival.arrival = true;
    arrival.journal = camera ? camera->journal() : QSharedPointer<SimJournal>();
    schedule(arrival);
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
