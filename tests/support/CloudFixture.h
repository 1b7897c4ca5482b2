#pragma once

// What the cloud tests share: the process's camera registry on simulated
// cameras (the demo Orla and Zuki from the start, more plugged on demand)
// and both cloud servers pointed at one fake server.

#include "cloudlink/CloudEndpoints.h"
#include "comm/GlobalParams.h"
#include "support/DemoCameras.h"
#include "support/FakeCloudServer.h"
#include "support/SimCameras.h"
#include "support/SimControlEdits.h"
#include "uvc/UvcDevices.h"

#include <QtTest>


// Call once, in initTestCase and after the test's home exists.
inline bool startSimulatedCameras()
{
    useSimulatedCameras();
    vesk::pc::UvcDevices& registry = vesk::pc::UvcDevices::get();
    registry.startHotPlug();
    return QTest::qWaitFor([&] { return registry.getDevBySn(kOrlaSn) && registry.getDevBySn(kZukiSn); }, 10000);
}

// A camera of product type 0 (Zuki) to 4 (Ko) with this serial number,
// status block and changes to its controls (as withControls takes them),
// plugged at a location of its own and announced.
inline QSharedPointer<vesk::pc::UvcDevice> plugCamera(int productType, const QByteArray& serial,
                                                      const QByteArray& status = QByteArray(60, '\0'),
                                                      const QString& controls = QString())
{
    static const uint8_t kIndices[][2] = {{2, 4}, {2, 5}, {4, 4}, {4, 5}, {3, 4}};  // product, platform
    static uint32_t next = 0x15000000;
    vesk::pc::SimCameraModel model = withControls(vesk::pc::SimCameraModel(), controls);
    next += 0x00100000;
    model.usb = {QStringLiteral("cloud-%1").arg(next, 0, 16), next, 0x3564, 0xFEF2, 0xEF, 0x02};
    model.productIndex = kIndices[productType][0];
    model.platformIndex = kIndices[productType][1];
    model.serial = serial.leftJustified(14, '\0');
    model.uuid = QByteArray("uuid-").append(serial).leftJustified(24, '\0');
    model.statusBlock = status;
    sim().plug(model);
    const QString sn = QString::fromLatin1(serial);
    (void)QTest::qWaitFor([&] { return !vesk::pc::UvcDevices::get().getDevBySn(sn).isNull(); }, 10000);
    return vesk::pc::UvcDevices::get().getDevBySn(sn);
}

inline void pointServersAt(const FakeCloudServer& server)
{
    vesk::pc::GlobalParams::get().log_server_host = QStringLiteral("127.0.0.1");
    vesk::pc::CloudEndpoints::setLogServerPort(server.port());
    vesk::pc::GlobalParams::get().fw_query_url = server.url(QStringLiteral("/firmware/dev_query/"));
}
