#pragma once

// A message channel over a control transport on a simulated camera, with
// its own device thread: the channel's parts without a camera object.

#include "support/SimFixture.h"
#include "uvc/ControlTransport.h"
#include "uvc/MessageChannel.h"

#include <QThread>

#include <memory>

struct ChannelRig
{
    vesk::pc::SimBackend backend;
    QSharedPointer<vesk::pc::SimCamera> camera;
    vesk::pc::ControlTransport transport;
    vesk::pc::MessageChannel channel;
    std::unique_ptr<QThread> thread;

    explicit ChannelRig(const vesk::pc::SimCameraModel& model = vesk::pc::SimCameraModel(),
                        const vesk::pc::UvcTiming& timing = fastTiming(),
                        vesk::pc::MessageChannel::Hooks hooks = {})
        : camera(backend.plug(model))
        , transport(backend.openDevice(model.usb.locationId))
        , channel(transport, withOpenTest(std::move(hooks)))
    {
        transport.setTiming(timing);
    }

    ~ChannelRig() { close(); }

    vesk::pc::MessageChannel::Hooks withOpenTest(vesk::pc::MessageChannel::Hooks hooks)
    {
        if (!hooks.interfaceOpen)
            hooks.interfaceOpen = [this] { return transport.isOpen(); };
        return hooks;
    }

    bool open()
    {
        if (!transport.open())
            return false;
        channel.resume();
        thread.reset(QThread::create([this] { channel.runPasses(); }));
        thread->start();
        return true;
    }

    // True when the device thread ended within the bound.
    bool close(int boundMs = 5000)
    {
        channel.stop();
        bool ended = true;
        if (thread) {
            ended = thread->wait(boundMs);
            if (!ended)
                (void)thread.release();  // never deleted while it runs
            thread.reset();
        }
        transport.close();
        return ended;
    }

    QList<vesk::pc::SimRequestRecord> requestsOn(uint8_t selector, vesk::pc::UvcRequest request) const
    {
        return extensionRequests(*camera, selector, request);
    }
};
