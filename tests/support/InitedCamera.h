#pragma once

// An opened and initialised simulated camera, and the requests it saw in a
// compact text form that tests compare with literals:
// "<request> <unit>:<selector>/<length> <data>", e.g. "SET_CUR PU:06/2 4cff";
// data is what was written, or what a GET moved back.

#include "support/SimFixture.h"
#include "support/SimControlEdits.h"

#include <QStringList>
#include <QtTest>

// Fast timing without status polls, so that the wire holds only what a test sent.
inline vesk::pc::UvcTiming quietTiming()
{
    vesk::pc::UvcTiming timing = fastTiming();
    timing.statusPollPasses = 1 << 30;
    return timing;
}

inline vesk::pc::UvcTiming patientTiming()
{
    vesk::pc::UvcTiming timing = quietTiming();
    timing.replyWaitMs = 2000;
    return timing;
}

struct InitedCamera : SimFixture
{
    bool inited = false;

    // The set-up's sends wait long for replies (a loaded machine answers in
    // hundreds of milliseconds); the test's own run on the quiet timing.
    explicit InitedCamera(const vesk::pc::SimCameraModel& model = vesk::pc::SimCameraModel())
        : SimFixture(model, vesk::pc::UvcDevice::DevModeUvc, patientTiming())
    {
        if (device->open() == 0)
            inited = device->initDev();
        device->setTiming(quietTiming());
        camera->clearRequests();
    }

    // Requests other than those of the message channel (selector 2 of the
    // extension unit), which the device thread polls on its own.
    QStringList wire() const
    {
        QStringList lines;
        for (const auto& record : camera->requests()) {
            if (record.kind == vesk::pc::UvcUnitKind::ExtensionUnit && record.selector == 2)
                continue;
            lines << describe(record);
        }
        return lines;
    }

    static QString describe(const vesk::pc::SimRequestRecord& record) { return describeRequest(record); }
};

// The guard tests: each row a camera state and the refusal it gives, in the
// order the guards are tested.
inline void addGuardRows()
{
    using vesk::pc::UvcDevice;
    QTest::addColumn<bool>("init");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("systemType");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("message");
    QTest::newRow("not initialised comes first") << false << int(UvcDevice::DevModeNet) << 2
        << int(QtWarningMsg) << "Device has not been inited";
    QTest::newRow("network mode before system type") << true << int(UvcDevice::DevModeNet) << 2
        << int(QtCriticalMsg) << "Net mode not supported";
    QTest::newRow("upgrade mode refuses direct transfers") << true << int(UvcDevice::DevModeUvcUpgrade)
        << 2 << int(QtWarningMsg) << "Not supported in upgrade mode";
    QTest::newRow("upgrade system") << true << int(UvcDevice::DevModeUvc) << 2 << int(QtWarningMsg)
        << "Only supported in main sys";
}

// A camera in the state of the current guard row, with an empty request log.
struct GuardedCamera
{
    InitedCamera inited;
    SimFixture bare{vesk::pc::SimCameraModel(), vesk::pc::UvcDevice::DevModeUvc, quietTiming()};
    SimFixture* chosen = nullptr;
    QtMsgType level = QtWarningMsg;
    QByteArray message;

    GuardedCamera()
    {
        QFETCH(bool, init);
        QFETCH(int, mode);
        QFETCH(int, systemType);
        QFETCH(int, level);
        QFETCH(QString, message);
        this->level = QtMsgType(level);
        this->message = message.toUtf8();
        bare.device->open();
        chosen = init ? static_cast<SimFixture*>(&inited) : &bare;
        chosen->device->setDevMode(vesk::pc::UvcDevice::DevMode(mode));
        chosen->device->setSystemType(systemType);
        chosen->camera->clearRequests();
    }
    ~GuardedCamera() { chosen->device->setDevMode(vesk::pc::UvcDevice::DevModeUvc); }

    vesk::pc::UvcDevice& device() { return *chosen->device; }
    void expectRefusal() { QTest::ignoreMessage(level, message.constData()); }
    bool nothingSent() const { return chosen->camera->requests().isEmpty(); }
};
