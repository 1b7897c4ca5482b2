#pragma once

#include "platform/CameraHandle.h"
#include "uvc/ControlPort.h"
#include "uvc/UvcTiming.h"
#include "uvc/VideoControlUnits.h"

#include <QMutex>
#include <QRecursiveMutex>
#include <QSharedPointer>

#include <atomic>
#include <cstdint>

namespace vesk {
namespace pc {

// A camera's video-control interface: opening and closing it, the unit ids
// its descriptors announce, the timing record, and the class-specific
// requests. Every request runs under the transfer lock, which close takes
// too, so the handle is never closed under a request.
class ControlTransport : public ControlPort
{
public:
    explicit ControlTransport(QSharedPointer<CameraHandle> handle);

    // Opens the interface and reads the unit ids; false (logged) when it
    // cannot. Requests go through from here until close.
    bool open();
    // Waits for a request under way, then closes the interface.
    void close();
    bool isOpen() const { return open_; }

    UvcTiming timing() const override;
    void setTiming(const UvcTiming& timing);
    int interfaceNumber() const;
    VideoControlUnits units() const override;
    uint8_t unitIdFor(UvcUnitKind kind) const override;

    int controlRequest(UvcRequest request, UvcUnitKind kind, uint8_t* data, int length,
                       int selector, int unitId) override;
    int setDataWithLengthSelectorUnitId(uint8_t* data, int length, int selector, UvcUnitKind kind,
                                        int unitId) override;
    int getDataByTypeLengthSelectorUnitId(uint8_t* data, int type, int length, int selector,
                                          UvcUnitKind kind, int unitId) override;
    int setThenGetWithLengthSelectorUnitId(uint8_t* setData, uint8_t* getData, int length,
                                           int selector, UvcUnitKind kind, int unitId) override;
    QRecursiveMutex* transferLock() override { return &transferLock_; }

private:
    const QSharedPointer<CameraHandle> handle_;
    std::atomic<bool> open_{false};
    QRecursiveMutex transferLock_;

    mutable QMutex stateMutex_;  // timing, units, interface number
    UvcTiming timing_;
    VideoControlUnits units_;
    int interfaceNumber_ = 0;
};

} // namespace pc
} // namespace vesk
