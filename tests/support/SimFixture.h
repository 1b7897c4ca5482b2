#pragma once

// A simulated camera behind a camera object, with timing fast enough that a
// test of the device thread takes milliseconds.

#include "sim/SimBackend.h"
#include "uvc/UvcDevice.h"

#include <QByteArray>
#include <QList>
#include <QSharedPointer>

#include <cstring>

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

// Requests the camera saw on one extension-unit selector, by request code.
inline QList<vesk::pc::SimRequestRecord> extensionRequests(const vesk::pc::SimCamera& camera,
                                                           uint8_t selector,
                                                           vesk::pc::UvcRequest request)
{
    QList<vesk::pc::SimRequestRecord> found;
    for (const auto& record : camera.requests()) {
        if (record.kind == vesk::pc::UvcUnitKind::ExtensionUnit && record.selector == selector
            && record.request == request)
            found << record;
    }
    return found;
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

    QList<vesk::pc::SimRequestRecord> requestsOn(uint8_t selector, vesk::pc::UvcRequest request) const
    {
        return extensionRequests(*camera, selector, request);
    }
};

// A message frame: addresses, command word and payload.
inline vesk::pc::ProtocolMsg::FrmPacket makeFrame(uint16_t command, uint8_t addresses,
                                                  const QByteArray& payload)
{
    vesk::pc::ProtocolMsg::FrmPacket frame;
    frame.setAddresses(addresses);
    frame.setCommand(command);
    std::memcpy(frame.payload(), payload.constData(), size_t(payload.size()));
    frame.setPayloadLength(payload.size());
    return frame;
}

// The camera's version query.
inline vesk::pc::ProtocolMsg::FrmPacket versionRequest()
{
    return makeFrame(0x8010, 0xE8, {});
}

inline QByteArray padded60(const char* hex)
{
    QByteArray bytes = QByteArray::fromHex(hex);
    bytes.append(QByteArray(60 - bytes.size(), '\0'));
    return bytes;
}
