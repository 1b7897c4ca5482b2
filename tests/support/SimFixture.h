#pragma once

// A simulated camera behind a camera object, with timing fast enough that a
// test of the device thread takes milliseconds.

#include "platform/sim/SimBackend.h"
#include "uvc/UvcDevice.h"

#include <QByteArray>
#include <QList>
#include <QSharedPointer>

inline vesk::pc::UvcTiming fastTiming()
{
    vesk::pc::UvcTiming timing;
    timing.passMs = 1;
    timing.upgradePauseMs = 5;
    timing.replyWaitMs = 250;
    timing.statusPollPasses = 5;
    timing.closeWaitMs = 3000;
    timing.netAddressWaitMs = 1;
    return timing;
}

struct SimFixture
{
    vesk::pc::SimBackend backend;
    QSharedPointer<vesk::pc::SimCamera> camera;
    QSharedPointer<vesk::pc::UvcDevice> device;

    explicit SimFixture(const vesk::pc::SimCameraModel& model = vesk::pc::SimCameraModel(),
                        vesk::pc::UvcDevice::DevMode mode = vesk::pc::UvcDevice::DevModeUvc,
                        const vesk::pc::UvcTiming& timing = fastTiming())
    {
        camera = backend.plug(model);
        device = vesk::pc::UvcDevice::create(backend.openDevice(model.usb.locationId), mode);
        device->setTiming(timing);
    }

    // Requests the camera saw on one extension-unit selector, by request code.
    QList<vesk::pc::SimRequestRecord> requestsOn(uint8_t selector, vesk::pc::UvcRequest request) const
    {
        QList<vesk::pc::SimRequestRecord> found;
        for (const auto& record : camera->requests()) {
            if (record.kind == vesk::pc::UvcUnitKind::ExtensionUnit && record.selector == selector
                && record.request == request)
                found << record;
        }
        return found;
    }
};

inline QByteArray padded60(const char* hex)
{
    QByteArray bytes = QByteArray::fromHex(hex);
    bytes.append(QByteArray(60 - bytes.size(), '\0'));
    return bytes;
}
