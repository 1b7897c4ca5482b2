#pragma once

#include "platform/UsbDeviceInfo.h"
#include "uvc/UvcDevice.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMetaType>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QSharedPointer>
#include <QString>

#include <atomic>
#include <cstdint>

namespace vesk {
namespace pc {

class CameraHandle;
class DeviceBackend;

// The registry of connected cameras: follows the backend's hot-plug reports,
// opens, initialises and announces each camera by serial number, and answers
// look-ups. Cameras are handed out as shared pointers: a departure closes and
// unlists a camera, and it is freed when its last holder lets go.
//
// Arrivals and departures run on the registry's own thread; each arrival
// settles on timers there, so a departure can overtake a pending arrival. The
// list is locked for look-ups from any thread, never across a wait.
class UvcDevices : public QObject
{
    Q_OBJECT
public:
    static UvcDevices& get();
    // The process's registry is get(); tests build their own on a backend.
    explicit UvcDevices(DeviceBackend& backend, QObject* parent = nullptr);
    ~UvcDevices() override;

    // USB identity. A zero id stands for a missing property and passes.
    static bool vendorAccepted(uint16_t vendorId);
    static bool productAccepted(uint16_t productId);
    // Hot-plug follows composite devices with interface associations only.
    static bool hotPlugMatches(const UsbDeviceInfo& info);

    // Look-ups over the list: first match in list order, null when none.
    QSharedPointer<UvcDevice> getDevBySn(const QString& sn) const;
    QSharedPointer<UvcDevice> getDevByName(const QString& name) const;
    QSharedPointer<UvcDevice> getDevByUuid(const QByteArray& uuid) const;
    QSharedPointer<UvcDevice> getDevByLocationId(uint32_t locationId) const;
    bool containDev(const QByteArray& uuid) const;
    QString getDevVersion(const QString& sn) const;
    QList<QSharedPointer<UvcDevice>> devList() const;
    void notifyDevList() {}

    // Camera objects outside the list for the caller: mode 0 and opened (in
    // network mode for a camera the backend reports in network operation),
    // or null when opening failed.
    QSharedPointer<UvcDevice> initWithIoServiceObject(const UsbDeviceInfo& info);
    QSharedPointer<UvcDevice> uvcDeviceWithService(const UsbDeviceInfo& info);
    QList<QSharedPointer<UvcDevice>> uvcDevices();
    QSharedPointer<UvcDevice> uvcDeviceWithLocationId(uint32_t locationId);
    bool uvcDeviceExisted(uint32_t locationId) const;
    QSharedPointer<UvcDevice> uvcDeviceWithVendorIdProductId(uint16_t vendorId, uint16_t productId);
    QList<QSharedPointer<UvcDevice>> uvcDevicesWithVendorIdProductId(uint16_t vendorId,
                                                                      uint16_t productId);

    // Drops the listed camera at locationId whatever its mode, as a departure
    // does, on the calling thread: the upgrade thread calls it while the
    // registry's thread may be waiting for that very thread.
    void deleteDeviceByLocationId(uint32_t locationId);
    // From any thread, when an upgrade or a log export of the camera at
    // locationId has ended: a listed object that went stale meanwhile (closed
    // by the task, or its camera re-enumerated while hot-plug reports were
    // ignored) is replaced by the camera attached there now.
    void takeUpAfterUpgrade(uint32_t locationId);
    // Closes and unlists every camera without announcing it (shutdown).
    void releaseAll();

    // The backend's hot-plug; its first reports are the cameras present.
    bool startHotPlug();
    void stopHotPlug();
    bool hotPlugStarted() const { return hotPlugStarted_; }
    // From any thread, first thing at shutdown: the settle waits end at once,
    // and arrivals under way or still queued are abandoned (their cameras
    // closed, never announced), until hot-plug starts again.
    void beginShutdown();

signals:
    void devChanged(const QByteArray& sn, bool present);
    // A camera's device node refused this user (its permissions); once per
    // node for the registry's life.
    void devAccessDenied(const QString& node);
    // From the hot-plug thread, one per matching device.
    void deviceInserted(const vesk::pc::UsbDeviceInfo& info);
    void deviceRemoved(const vesk::pc::UsbDeviceInfo& info);

public slots:
    void onDevInserted(const vesk::pc::UsbDeviceInfo& info);
    void onDevRemoved(const vesk::pc::UsbDeviceInfo& info);

private:
    struct Entry
    {
        QSharedPointer<UvcDevice> device;
        UsbDeviceInfo usb;
    };
    // An arrival between its settle waits, by its report's stamp.
    struct Arrival
    {
        UsbDeviceInfo info;
        QSharedPointer<UvcDevice> device;  // once opened and listed
        int attempt = 0;                   // failed initialisations
    };

    void onHotPlug(const UsbDeviceInfo& info, bool arrived);
    template <typename Match>
    QSharedPointer<UvcDevice> findFirst(Match match) const;
    bool findEntry(uint32_t locationId, Entry* entry) const;
    QList<UsbDeviceInfo> attachedWithIds(uint16_t vendorId, uint16_t productId) const;
    bool isListed(const UvcDevice* device) const;
    quint64 takeArrivalStamp(uint32_t locationId);
    bool removedSince(uint32_t locationId, quint64 stamp) const;
    void addListed(const Entry& entry);
    void after(int ms, quint64 stamp, void (UvcDevices::*step)(quint64));
    void openArrival(quint64 stamp);
    void initArrival(quint64 stamp);
    void endArrival(quint64 stamp);
    void endArrivals();
    void removeListed(const QSharedPointer<UvcDevice>& device);
    // False when another thread had already unlisted it.
    bool closeUnlisted(const QSharedPointer<UvcDevice>& device);
    void replaceStale(uint32_t locationId);
    void noteMissedInUpgrade(uint32_t locationId);
    bool takeMissedInUpgrade(uint32_t locationId);
    void abandon(const QSharedPointer<UvcDevice>& device);
    void deleteListedAt(uint32_t locationId);
    void reportAccessDenied(const CameraHandle& handle);

    DeviceBackend& backend_;
    mutable QMutex mutex_;  // the list, the report stamps and the denied nodes
    QList<Entry> entries_;
    // Every hot-plug report is numbered when the backend makes it, so that an
    // arrival still settling learns of a later departure even before that
    // departure's event has reached the registry's thread.
    quint64 reports_ = 0;
    QHash<uint32_t, quint64> lastRemoval_;
    QHash<uint32_t, QList<quint64>> pendingArrivals_;
    QSet<QString> deniedNodes_;
    // Locations whose hot-plug reports were ignored while their camera upgraded.
    QSet<uint32_t> missedInUpgrade_;
    QHash<quint64, Arrival> arrivals_;  // the registry's thread only
    std::atomic<bool> hotPlugStarted_{false};
    std::atomic<bool> stopping_{false};
};

// Starts the hot-plug of the process's registry (once); the main window
// calls it after moving the registry to its thread.
void initMacDeviceNotification();
void deinitMacDeviceNotification();

} // namespace pc
} // namespace vesk

Q_DECLARE_METATYPE(vesk::pc::UsbDeviceInfo)
