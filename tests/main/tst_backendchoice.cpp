// The program's device backend choice: the platform's own by default, the
// simulated demo cameras on request.

#include "main/BackendChoice.h"
#include "platform/linux/LinuxBackend.h"
#include "platform/sim/SimBackend.h"
#include "uvc/UvcDevices.h"

#include <QtTest>

using namespace vesk::pc;

class tst_BackendChoice : public QObject
{
    Q_OBJECT

private slots:
    void backendChoice();
};

void tst_BackendChoice::backendChoice()
{
    // Without the variable the real cameras of this machine are used (there
    // may be some, so only the kind of backend is checked).
    qunsetenv("ORLACAM_DEVICE_BACKEND");
    BackendChoice::install();
    QVERIFY(dynamic_cast<LinuxBackend*>(&DeviceBackend::instance()));
    QVERIFY(dynamic_cast<LinuxBackend*>(BackendChoice::create("").get()));
    QVERIFY(!dynamic_cast<SimBackend*>(BackendChoice::create("").get()));
    // Two cameras of different families, on ids the registry accepts.
    const auto sim = BackendChoice::create("sim");
    QCOMPARE(sim->devices().size(), 2);
    QCOMPARE(sim->devices().at(0).key, QStringLiteral("sim-orla"));
    QCOMPARE(sim->devices().at(1).key, QStringLiteral("sim-zuki"));
    for (const UsbDeviceInfo& device : sim->devices()) {
        QVERIFY(UvcDevices::productAccepted(device.productId) && UvcDevices::vendorAccepted(device.vendorId));
        QVERIFY(sim->openDevice(device.locationId));
    }
}

QTEST_GUILESS_MAIN(tst_BackendChoice)
#include "tst_backendchoice.moc"
