#pragma once

// An opened, initialised simulated camera for the command tests, and helpers
// to find the frames and extension-unit blocks that a command put on the wire.

#include "support/SimFixture.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QtEndian>

struct CommandCamera : SimFixture
{
    static constexpr int kInitBoundMs = 30000;
    bool inited = false;
    explicit CommandCamera(const vesk::pc::SimCameraModel& model = vesk::pc::SimCameraModel(),
                           bool init = true)
        : SimFixture(model)
    {
        // On a loaded machine the device thread may not write a query within
        // the send's two waits; like the registry, try again (within a bound).
        QElapsedTimer clock;
        clock.start();
        if (device->open() == 0 && init) {
            while (!(inited = device->initDev()) && clock.elapsed() < kInitBoundMs) {
            }
        }
        camera->clearRequests();
    }

    // The frames written with this command word, sequence and checksums
    // (bytes 4 to 8) zeroed so that a test compares them with a literal.
    QList<QByteArray> framesFor(uint16_t command) const
    {
        QList<QByteArray> found;
        for (QByteArray frame : camera->writtenFrames()) {
            if (qFromBigEndian<quint16>(frame.constData() + 10) == command) {
                frame.replace(4, 5, QByteArray(5, '\0'));
                found << frame;
            }
        }
        return found;
    }

    // Waits until the device thread has written one frame of this command.
    QByteArray waitForFrame(uint16_t command, int timeoutMs = 3000) const
    {
        for (int waited = 0; waited < timeoutMs; waited += 2) {
            const QList<QByteArray> found = framesFor(command);
            if (!found.isEmpty())
                return found.first();
            QThread::msleep(2);
        }
        return {};
    }

    // Blocks moved by SET_CUR on an extension-unit selector.
    QList<QByteArray> blocksSetOn(uint8_t selector) const
    {
        QList<QByteArray> blocks;
        for (const auto& record : requestsOn(selector, vesk::pc::UvcRequest::SetCur))
            blocks << record.data;
        return blocks;
    }
};
