#pragma once

#include "platform/CameraHandle.h"
#include "sim/SimCameraModel.h"
#include "sim/SimCapture.h"
#include "sim/SimJournal.h"
#include "sim/SimMessageChannel.h"
#include "sim/SimNetService.h"
#include "sim/SimOldShell.h"
#include "sim/SimPictures.h"
#include "sim/SimUpgradeService.h"
#include "sim/SimPresets.h"
#include "sim/SimStateReplies.h"
#include "sim/SimStreamSource.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QSharedPointer>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace vesk {
namespace pc {

// One request as the simulated camera saw it, for tests to assert the wire.
struct SimRequestRecord
{
    UvcRequest request = UvcRequest::GetCur;
    UvcUnitKind kind = UvcUnitKind::ExtensionUnit;
    uint8_t unitId = 0;
    uint8_t selector = 0;
    int length = 0;
    QByteArray data;  // what was written (SET_CUR) or read back (GET_*)
    int result = -1;
};

// A camera that answers as its record describes. Thread-safe: the camera
// link calls it from its device thread and from callers' threads at once.
// Its part in upgrades (reboots, upgrade frames, an old camera's shell) is
// in _upgrade.cpp, its network operation in _network.cpp.
class SimCamera : public CameraHandle
{
public:
    // Told the model the camera comes back with and how long it is away
    // (-1: it does not come back); called under the camera's lock.
    using RebootHandler = std::function<void(const SimCameraModel& next, int delayMs)>;

    // journal: what the host did before this boot; a new one when null.
    explicit SimCamera(const SimCameraModel& model,
                       const QSharedPointer<SimJournal>& journal = QSharedPointer<SimJournal>());
    ~SimCamera() override;

    UsbDeviceInfo info() const override;
    bool openControlInterface() override;
    void closeControlInterface() override;
    bool isControlInterfaceOpen() const override;
    int interfaceNumber() const override;
    // "/dev/sim/" and the device key while the openDenied knob is set.
    QString accessDeniedNode() const override;
    QByteArray controlDescriptors() const override;
    int controlRequest(UvcRequest request, UvcUnitKind kind, uint8_t unitId, uint8_t selector,
                       uint8_t* data, int length) override;
    // Null when the model has no capture.
    CaptureSession* capture() override;

    // Stream capture. The formats the model offers; whether another program
    // holds the stream (a counted check uses up one of the held-checks
    // knob); the frames the download stream sends next to a capture in a
    // format, taken under the camera's lock; and the stream's faults
    // (setting them re-arms the one-time ones).
    SimCapture& simCapture() { return capture_; }
    QList<CaptureSession::Format> captureFormats() const;
    bool streamHeld(bool counted);
    QList<QByteArray> takeStreamFrames(CaptureSession::PixelFormat format);
    SimStreamFaults streamFaults() const;
    void setStreamFaults(const SimStreamFaults& faults);

    // Test side.
    SimKnobs knobs() const;
    void setKnobs(const SimKnobs& knobs);
    void setReply(uint16_t command, const QByteArray& data);
    void setStatusBlock(const QByteArray& block);
    // GET_CUR on an extension-unit selector (not 2 or 6) answers these bytes
    // from now on; fewer than asked make a short read. Empty: the camera's own answer.
    void setExtensionReply(uint8_t selector, const QByteArray& block);
    // Whether the camera runs its upgrade system, where the upgrade service
    // answers the extension-unit selectors other than 2; and a copy of that
    // service to look at what the host did.
    void setRunsUpgradeSystem(bool on);
    SimUpgradeService upgradeService() const;
    // A gimbal preset as the camera holds it (empty when it has none), and
    // the last one the host triggered (-1 for none).
    QByteArray preset(uint8_t id) const;
    int triggeredPreset() const;
    // The picture service (selectors 3 and 4 on the main system).
    void setPicture(const QByteArray& name, const QByteArray& full,
                    const QByteArray& thumbnail = QByteArray());
    void removePicture(const QByteArray& name);
    void setPictureFaults(const SimPictures::Faults& faults);
    SimPictures pictures() const;
    QByteArray controlValue(UvcUnitKind unit, uint8_t selector) const;
    // A control's current value changed on the camera's side (a hand turned
    // the gimbal); false when the camera has no such control.
    bool setControlValue(UvcUnitKind unit, uint8_t selector, const QByteArray& cur);
    QList<SimRequestRecord> requests() const;
    // Frames the host wrote on the message selector, as 60-byte blocks.
    QList<QByteArray> writtenFrames() const;
    void clearRequests();
    int pendingReplies() const;
    // Requests under way right now (a test waits for a slow one to start).
    int activeRequests() const { return active_; }
    int droppedFrames() const;
    void unplug();
    bool isPlugged() const;
    // The model as it stands: settings, pictures, upgrade files and
    // installed packages, as the camera keeps them across a reboot.
    SimCameraModel model() const;
    QSharedPointer<SimJournal> journal() const { return journal_; }
    void setRebootHandler(const RebootHandler& handler);

private:
    int answer(UvcRequest request, UvcUnitKind kind, uint8_t selector, uint8_t* data, int length);
    int answerStandard(UvcRequest request, UvcUnitKind kind, uint8_t selector, uint8_t* data,
                       int length);
    int answerExtension(UvcRequest request, uint8_t selector, uint8_t* data, int length);
    int takeMessage(uint8_t* data, int length);
    uint8_t unitIdOf(UvcUnitKind kind) const;
    void takeCameraFrame(const uint8_t* frame);
    void restoreFactorySettings();
    // model() under the lock.
    SimCameraModel current() const;
    // Upgrades (_upgrade.cpp).
    SimUpgradeKnobs upgradeKnobs() const;
    bool isOldCamera() const;
    bool transferFails(uint8_t selector);
    void takeUpgradeFrame(const uint8_t* frame);
    void takeUpgradeWrite(uint8_t selector, const uint8_t* data);
    void restart(const SimUpgradeService::Restart& asked);
    // Stops answering at once; the backend brings next after delayMs (never
    // when negative). into names the reboot in the journal.
    void leave(const SimCameraModel& next, int delayMs, const QByteArray& into);
    // Network operation (_network.cpp).
    void takeNetworkFrame(const uint8_t* frame);
    void switchNetwork(const QString& address);
    void startNetwork();
    void endNetwork();
    SimNetService::Answer answerRequest(const QByteArray& method, const QString& path, const QByteArray& body);

    mutable QMutex mutex_;
    std::atomic<int> active_{0};
    SimCameraModel model_;
    QHash<uint16_t, QByteArray> replies_;  // the model's, over the identity replies
    SimStateReplies stateReplies_;         // answers to the state queries the above lack
    QSharedPointer<SimJournal> journal_;
    SimMessageChannel channel_;
    SimPresets presets_;
    SimPictures pictures_;
    QHash<uint8_t, QByteArray> extensionRecords_;  // last SET_CUR per other selector
    QHash<uint8_t, QByteArray> extensionReplies_;  // forced GET_CUR answers
    SimUpgradeService upgrade_;
    bool upgradeSystem_ = false;
    SimOldShell shell_;
    QHash<uint8_t, int> transfers_;  // extension-unit requests per selector, this boot
    std::optional<SimUpgradeService::Restart> restart_;  // asked for by the request under way
    std::optional<QString> switchAsked_;                 // a change of address the request under way made
    std::unique_ptr<SimNetService> net_;                 // in network operation
    RebootHandler reboot_;
    int productType_ = 0;  // from the model's product and platform, as the host decides it
    QList<SimRequestRecord> log_;
    SimStreamSource stream_;
    SimCapture capture_{*this};  // its destructor joins the thread that calls back into us
    bool open_ = false;
    bool plugged_ = true;
};

} // namespace pc
} // namespace vesk
