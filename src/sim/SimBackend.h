#pragma once

#include "platform/DeviceBackend.h"
#include "sim/SimCamera.h"

#include <QList>
#include <QMutex>
#include <QRecursiveMutex>
#include <QSharedPointer>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace vesk {
namespace pc {

// Simulated cameras behind the backend interface; plug and unplug are plain
// calls, and hot-plug listeners hear of them on the calling thread. Reboots
// run on the backend's own thread, which reports the removal at once and
// the arrival after the reboot's delay.
class SimBackend : public DeviceBackend
{
public:
    SimBackend() = default;
    ~SimBackend() override;
    SimBackend(const SimBackend&) = delete;
    SimBackend& operator=(const SimBackend&) = delete;

    QSharedPointer<SimCamera> plug(const SimCameraModel& model);
    bool unplug(uint32_t locationId);
    QSharedPointer<SimCamera> camera(uint32_t locationId) const;
    // The camera at the location goes away now and next is plugged there
    // after delayMs (never when negative), keeping the journal. Safe from any
    // thread, a camera's request under its lock included.
    void reboot(uint32_t locationId, const SimCameraModel& next, int delayMs);

    QList<UsbDeviceInfo> devices() const override;
    bool findDevice(uint32_t locationId, UsbDeviceInfo* info) const override;
    QSharedPointer<CameraHandle> openDevice(uint32_t locationId) override;
    bool startHotPlug(HotPlugListener listener) override;
    void stopHotPlug() override;

private:
    using Clock = std::chrono::steady_clock;

    // One half of a reboot, due at its time.
    struct Step
    {
        Clock::time_point due;
        uint32_t locationId = 0;
        bool arrival = false;
        SimCameraModel model;
        int delayMs = -1;  // of a removal: when the arrival follows
        QSharedPointer<SimJournal> journal;
    };

    QSharedPointer<SimCamera> plugCamera(const SimCameraModel& model,
                                         const QSharedPointer<SimJournal>& journal);
    QSharedPointer<SimCamera> takeCamera(uint32_t locationId);
    void notify(const UsbDeviceInfo& device, bool arrived);
    void schedule(const Step& step);
    void runSteps();
    void runStep(const Step& step);

    mutable QMutex mutex_;
    QList<QSharedPointer<SimCamera>> cameras_;
    HotPlugListener listener_;
    // Held while a listener runs, so that stopHotPlug returns only when no
    // report can reach the listener's owner any more.
    QRecursiveMutex notifyMutex_;
    // The reboot thread and its steps; stepsMutex_ is taken under a camera's
    // lock, so nothing is called while it is held.
    std::mutex stepsMutex_;
    std::condition_variable stepsChanged_;
    QList<Step> steps_;
    bool stopping_ = false;
    std::thread rebooter_;
};

} // namespace pc
} // namespace vesk
