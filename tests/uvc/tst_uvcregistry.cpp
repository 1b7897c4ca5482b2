// The camera registry against simulated hot-plug: the start-up scan, arrival
// and announcement, departures during the settle wait and during a blocked
// send, double arrivals, the upgrade-mode rule, a camera back in network
// mode, the USB identity tests and the look-ups. Every scenario counts
// devChanged under a hard time bound.

#include "support/LogCapture.h"
#include "support/RegistryThread.h"
#include "support/SimFixture.h"
#include "support/TestHome.h"
#include "uvc/UvcDevices.h"

#include <QElapsedTimer>
#include <QSemaphore>
#include <QSignalSpy>
#include <QtTest>

#include <atomic>

using namespace vesk::pc;

namespace {

constexpr int kBoundMs = 8000;  // any announcement comes well within this
constexpr int kSettleBeforeMs = 40;
constexpr int kSettleAfterMs = 250;

SimCameraModel cameraAt(uint32_t location, const char* serial, uint16_t vendor = 0x3564,
                       uint16_t product = 0xFEF2)
{
    SimCameraModel model;
    model.usb = {QStringLiteral("cam-%1").arg(location, 0, 16), location, vendor, product, 0xEF, 0x02};
    model.serial = QByteArray(serial).leftJustified(14, '\0');
    model.uuid = QByteArray("uuid-").append(serial).leftJustified(24, '\0');
    return model;
}

// The registry with its announcements recorded.
struct Registry : RegistryThread
{
    QSignalSpy changes{registry, &UvcDevices::devChanged};

    void start() { QVERIFY(registry->startHotPlug()); }
    // Keeps the registry's thread busy until release(): reports made meanwhile
    // are all queued before the first of them is handled.
    void hold()
    {
        QMetaObject::invokeMethod(registry, [this] { gate.acquire(); }, Qt::QueuedConnection);
    }
    void release() { gate.release(); }
    QSemaphore gate;
    // Plugs a camera and waits for its announcement: the registry's object.
    QSharedPointer<UvcDevice> plugAnnounced(const SimCameraModel& model)
    {
        const int before = changes.count();
        backend.plug(model);
        if (!QTest::qWaitFor([&] { return changes.count() > before; }, kBoundMs))
            return {};
        return registry->getDevBySn(QString::fromLatin1(model.serial.constData()));
    }
    // Whether no further devChanged comes while late work could still run.
    bool staysAt(int count)
    {
        QTest::qWait(3 * kSettleAfterMs);
        return changes.count() == count;
    }
    // The n-th devChanged as (serial, present).
    QPair<QByteArray, bool> change(int n) const
    {
        return {changes.at(n).at(0).toByteArray(), changes.at(n).at(1).toBool()};
    }
};

using Change = QPair<QByteArray, bool>;

// A camera announced, put in upgrade mode, then unplugged and plugged back
// at its location: the registry's object, or null.
QSharedPointer<UvcDevice> restartedInUpgradeMode(Registry& r, const SimCameraModel& model)
{
    const QSharedPointer<UvcDevice> device = r.plugAnnounced(model);
    if (!device)
        return device;
    device->setDevMode(UvcDevice::DevModeUvcUpgrade);
    r.backend.unplug(model.usb.locationId);
    r.backend.plug(model);
    return device;
}

} // namespace

class tst_UvcRegistry : public QObject
{
    Q_OBJECT
    TestHome home_;
private slots:
    void initTestCase();
    void identityTests_data();
    void identityTests();
    void startUpScanAnnouncesEachAcceptedCameraOnce();
    void arrivalIsAnnouncedAfterTheSettleWaitsWithItsIdentity();
    void arrivalWithTheRealSettleWaits();
    void removalDuringTheSettleWaitAnnouncesNothing();
    void removalBeforeOpeningCancelsThePendingArrival();
    void shutdownBetweenTheSettleWaitsEndsTheArrival();
    void secondArrivalAtAListedLocation_data();
    void secondArrivalAtAListedLocation();
    void removalWhileAnotherThreadIsBlockedInASend();
    void upgradeModeLocationsAreIgnored();
    void cameraRestartedInUpgradeModeIsTakenUpAfterwards();
    void cameraThatNeverInitialisesIsNotAnnounced();
    void cameraBackInNetworkModeIsListedSo();
    void lookUps();
    void objectsOutsideTheList();
};

void tst_UvcRegistry::initTestCase()
{
    QVERIFY(home_.isValid());
    UvcTiming timing = fastTiming();
    timing.settleBeforeOpenMs = kSettleBeforeMs;
    timing.settleAfterOpenMs = kSettleAfterMs;
    timing.initRetryMs = 20;
    UvcTiming::setDefaults(timing);
}

void tst_UvcRegistry::identityTests_data()
{
    QTest::addColumn<int>("vendor");
    QTest::addColumn<int>("product");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("3564:FEF2") << 0x3564 << 0xFEF2 << true;
    QTest::newRow("6E30:FEF3") << 0x6E30 << 0xFEF3 << true;
    QTest::newRow("3564:FEF4") << 0x3564 << 0xFEF4 << false;
    QTest::newRow("3564:FEF0") << 0x3564 << 0xFEF0 << false;
    QTest::newRow("2CA3:FEF2") << 0x2CA3 << 0xFEF2 << false;
    QTest::newRow("no vendor property") << 0 << 0xFEF2 << true;
    QTest::newRow("no product property") << 0x6E30 << 0 << true;
}

void tst_UvcRegistry::identityTests()
{
    QFETCH(int, vendor);
    QFETCH(int, product);
    QFETCH(bool, accepted);
    QCOMPARE(UvcDevices::vendorAccepted(uint16_t(vendor)) && UvcDevices::productAccepted(uint16_t(product)),
             accepted);
}

void tst_UvcRegistry::startUpScanAnnouncesEachAcceptedCameraOnce()
{
    Registry r;
    r.backend.plug(cameraAt(0x01100000, "SN0000000001"));
    r.backend.plug(cameraAt(0x01200000, "SN0000000002", 0x6E30, 0xFEF3));
    r.backend.plug(cameraAt(0x01300000, "SN0000000003", 0x3564, 0xFEF4));
    r.backend.plug(cameraAt(0x01400000, "SN0000000004", 0x2CA3, 0xFEF2));
    SimCameraModel otherClass = cameraAt(0x01500000, "SN0000000005");
    otherClass.usb.deviceClass = 0x0E;
    r.backend.plug(otherClass);
    r.start();

    QTRY_COMPARE_WITH_TIMEOUT(r.changes.count(), 2, kBoundMs);
    QVERIFY(r.staysAt(2));
    QSet<QByteArray> announced{r.change(0).first, r.change(1).first};
    QCOMPARE(announced, (QSet<QByteArray>{"SN0000000001", "SN0000000002"}));
    QVERIFY(r.change(0).second && r.change(1).second);
    QCOMPARE(r.registry->devList().size(), 2);
}

void tst_UvcRegistry::arrivalIsAnnouncedAfterTheSettleWaitsWithItsIdentity()
{
    Registry r;
    r.start();
    QElapsedTimer clock;
    clock.start();
    r.backend.plug(cameraAt(0x02100000, "OR22A0000001"));
    QTRY_COMPARE_WITH_TIMEOUT(r.changes.count(), 1, kBoundMs);
    QVERIFY(clock.elapsed() >= kSettleBeforeMs + kSettleAfterMs);
    QCOMPARE(r.change(0), Change("OR22A0000001", true));

    const QSharedPointer<UvcDevice> device = r.registry->getDevBySn("OR22A0000001");
    QVERIFY(device);
    QVERIFY(device->isInited());
    QCOMPARE(device->devVersion(), QStringLiteral("1.0.3.7"));
    QCOMPARE(device->devName(), QStringLiteral("KESTRO_OrlaCam_OR22A0000001"));
    QCOMPARE(device->locationId(), int64_t(0x02100000));

    QVERIFY(r.backend.unplug(0x02100000));
    QTRY_COMPARE_WITH_TIMEOUT(r.changes.count(), 2, kBoundMs);
    QCOMPARE(r.change(1), Change("OR22A0000001", false));
    QVERIFY(!r.registry->getDevBySn("OR22A0000001"));
    QVERIFY(!device->isOpen());  // closed although this test still holds it
}

void tst_UvcRegistry::arrivalWithTheRealSettleWaits()
{
    const UvcTiming fast = UvcTiming::defaults();
    UvcTiming::setDefaults(UvcTiming());  // 500 ms before opening, 4500 ms after
    Registry r;
    r.start();
    QElapsedTimer clock;
    clock.start();
    r.backend.plug(cameraAt(0x02200000, "OR22A0000002"));
    QTRY_COMPARE_WITH_TIMEOUT(r.changes.count(), 1, 9000);
    const qint64 elapsed = clock.elapsed();
    UvcTiming::setDefaults(fast);
    QVERIFY2(elapsed >= 5000 && elapsed < 8000, qPrintable(QString::number(elapsed)));
    QCOMPARE(r.change(0), Change("OR22A0000002", true));
}

void tst_UvcRegistry::removalDuringTheSettleWaitAnnouncesNothing()
{
    Registry r;
    r.start();
    r.backend.plug(cameraAt(0x03100000, "SN0000000031"));
    QTRY_VERIFY_WITH_TIMEOUT(r.registry->getDevByLocationId(0x03100000), kBoundMs);
    QWeakPointer<UvcDevice> listed = r.registry->getDevByLocationId(0x03100000);
    QVERIFY(!listed.toStrongRef()->isInited());  // opened, still settling
    QVERIFY(r.backend.unplug(0x03100000));
    QTRY_VERIFY_WITH_TIMEOUT(r.registry->devList().isEmpty(), kBoundMs);
    QTRY_VERIFY_WITH_TIMEOUT(listed.isNull(), kBoundMs);  // freed, not leaked
    QVERIFY(r.staysAt(0));
}

void tst_UvcRegistry::removalBeforeOpeningCancelsThePendingArrival()
{
    // A's arrival is still settling when A leaves and B takes its port: only
    // B may be opened and announced, once.
    Registry r;
    r.start();
    r.hold();
    r.backend.plug(cameraAt(0x04100000, "SN00000000A1"));
    QVERIFY(r.backend.unplug(0x04100000));
    SimCameraModel b = cameraAt(0x04100000, "SN00000000B1");
    b.usb.key = QStringLiteral("cam-b");
    r.backend.plug(b);
    r.release();
    QTRY_COMPARE_WITH_TIMEOUT(r.changes.count(), 1, kBoundMs);
    QVERIFY(r.staysAt(1));
    QCOMPARE(r.change(0), Change("SN00000000B1", true));
    QCOMPARE(r.registry->devList().size(), 1);
}

// Shutdown comes while the camera settles after opening: it is closed at
// once, and the settle timer still pending does nothing when it fires, even
// after arrivals have started again.
void tst_UvcRegistry::shutdownBetweenTheSettleWaitsEndsTheArrival()
{
    const UvcTiming fast = UvcTiming::defaults();
    UvcTiming slow = fast;
    slow.settleAfterOpenMs = 3000;
    UvcTiming::setDefaults(slow);
    auto restore = qScopeGuard([&] { UvcTiming::setDefaults(fast); });
    Registry r;
    r.start();
    r.backend.plug(cameraAt(0x04200000, "SN0000000042"));
    QTRY_VERIFY_WITH_TIMEOUT(r.registry->getDevByLocationId(0x04200000), kBoundMs);
    QWeakPointer<UvcDevice> settling = r.registry->getDevByLocationId(0x04200000);
    QElapsedTimer clock;
    clock.start();
    r.registry->beginShutdown();
    // Unlisted first, closed just after, on the registry's thread.
    const auto closed = [&settling] {
        const QSharedPointer<UvcDevice> device = settling.toStrongRef();
        return !device || !device->isOpen();
    };
    QTRY_VERIFY_WITH_TIMEOUT(r.registry->devList().isEmpty() && closed(), kBoundMs);
    // Well before the settle timer, which would close it too.
    QVERIFY2(clock.elapsed() < slow.settleAfterOpenMs / 2, qPrintable(QString::number(clock.elapsed())));
    r.start();  // arrivals go on; the old timer is still due
    QTest::qWait(slow.settleAfterOpenMs + 500);
    QCOMPARE(r.changes.count(), 0);
    QVERIFY(r.registry->devList().isEmpty());
}

void tst_UvcRegistry::secondArrivalAtAListedLocation_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QList<bool>>("presence");
    QTest::addColumn<bool>("sameObject");
    // The same device again is announced again; another device at the port
    // (its departure never reported) replaces the stale object.
    QTest::newRow("same device") << QString() << QList<bool>{true} << true;
    QTest::newRow("another device") << "another-device" << QList<bool>{false, true} << false;
}

void tst_UvcRegistry::secondArrivalAtAListedLocation()
{
    QFETCH(QString, key);
    QFETCH(QList<bool>, presence);
    QFETCH(bool, sameObject);
    Registry r;
    r.start();
    const SimCameraModel model = cameraAt(0x05100000, "SN0000000051");
    const QSharedPointer<UvcDevice> first = r.plugAnnounced(model);
    QVERIFY(first);

    UsbDeviceInfo again = model.usb;
    if (!key.isEmpty())
        again.key = key;
    emit r.registry->deviceInserted(again);
    const int expected = 1 + presence.size();
    QTRY_COMPARE_WITH_TIMEOUT(r.changes.count(), expected, kBoundMs);
    QVERIFY(r.staysAt(expected));
    for (int i = 0; i < presence.size(); ++i)
        QCOMPARE(r.change(1 + i), Change("SN0000000051", presence.at(i)));
    QCOMPARE(r.registry->devList().size(), 1);
    QCOMPARE(r.registry->getDevBySn("SN0000000051") == first, sameObject);
    QCOMPARE(first->isOpen(), sameObject);
}

void tst_UvcRegistry::removalWhileAnotherThreadIsBlockedInASend()
{
    UvcTiming timing = UvcTiming::defaults();
    const UvcTiming saved = timing;
    timing.replyWaitMs = 600;  // the blocked send lasts 1.2 s
    UvcTiming::setDefaults(timing);
    Registry r;
    r.start();
    QWeakPointer<UvcDevice> watched = r.plugAnnounced(cameraAt(0x07100000, "SN0000000071"));
    UvcTiming::setDefaults(saved);
    QVERIFY(!watched.isNull());

    QSharedPointer<SimCamera> camera = r.backend.camera(0x07100000);
    SimKnobs knobs = camera->knobs();
    knobs.noReply = true;
    camera->setKnobs(knobs);
    const int framesBefore = camera->writtenFrames().size();  // initialisation's own
    std::atomic<bool> inSend{false};
    std::atomic<bool> sendReturned{false};
    QString version = QStringLiteral("unset");
    QScopedPointer<QThread> worker(QThread::create([&] {
        QSharedPointer<UvcDevice> device = r.registry->getDevBySn("SN0000000071");
        inSend = true;
        version = device->getDevVersion();
        sendReturned = true;
    }));
    worker->start();
    // The version request is on the wire and unanswered.
    QTRY_VERIFY_WITH_TIMEOUT(inSend && camera->writtenFrames().size() > framesBefore, kBoundMs);

    QVERIFY(r.backend.unplug(0x07100000));
    QTRY_COMPARE_WITH_TIMEOUT(r.changes.count(), 2, kBoundMs);
    QVERIFY(!sendReturned);  // the departure overtook the blocked send
    QCOMPARE(r.change(1), Change("SN0000000071", false));
    QVERIFY(worker->wait(kBoundMs));
    QVERIFY(version.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(watched.isNull(), kBoundMs);
}

void tst_UvcRegistry::upgradeModeLocationsAreIgnored()
{
    Registry r;
    r.start();
    const QSharedPointer<UvcDevice> device = restartedInUpgradeMode(r, cameraAt(0x08100000, "SN0000000081"));
    QVERIFY(device);
    QTest::qWait(3 * (kSettleBeforeMs + kSettleAfterMs));
    QCOMPARE(r.changes.count(), 1);
    QCOMPARE(r.registry->getDevBySn("SN0000000081"), device);

    r.registry->deleteDeviceByLocationId(0x08100000);  // done on this thread, the registry's never waited for
    QCOMPARE(r.changes.count(), 2);
    QCOMPARE(r.change(1), Change("SN0000000081", false));
    QVERIFY(r.registry->devList().isEmpty());
}

// The camera went away and came back while its object was in upgrade mode:
// once the upgrade hands it back, a new object stands for it.
void tst_UvcRegistry::cameraRestartedInUpgradeModeIsTakenUpAfterwards()
{
    Registry r;
    r.start();
    const QSharedPointer<UvcDevice> device = restartedInUpgradeMode(r, cameraAt(0x08200000, "SN0000000082"));
    QVERIFY(device);
    QVERIFY(r.staysAt(1));

    device->setDevMode(UvcDevice::DevModeUvc);
    r.registry->takeUpAfterUpgrade(0x08200000);
    QTRY_COMPARE_WITH_TIMEOUT(r.changes.count(), 3, kBoundMs);
    QCOMPARE(r.change(1), Change("SN0000000082", false));
    QCOMPARE(r.change(2), Change("SN0000000082", true));
    const QSharedPointer<UvcDevice> now = r.registry->getDevBySn("SN0000000082");
    QVERIFY(now && now != device && now->isOpen());
    QVERIFY(!device->isOpen());

    r.registry->takeUpAfterUpgrade(0x08200000);  // nothing stale any more
    QVERIFY(r.staysAt(3));
}

void tst_UvcRegistry::cameraThatNeverInitialisesIsNotAnnounced()
{
    Registry r;
    r.start();
    SimCameraModel model = cameraAt(0x09100000, "SN0000000091");
    model.knobs.noReply = true;
    r.backend.plug(model);
    LogCapture log;
    QTest::ignoreMessage(QtWarningMsg, "Device init failed");
    QTRY_VERIFY_WITH_TIMEOUT(r.registry->getDevByLocationId(0x09100000), kBoundMs);
    // Three attempts, each failing after a resend: about 3 x 0.5 s.
    QTRY_VERIFY_WITH_TIMEOUT(log.contains("Device init failed"), kBoundMs);
    QCOMPARE(r.changes.count(), 0);
    QCOMPARE(r.registry->devList().size(), 1);  // listed, open, not announced
    emit r.registry->deviceInserted(model.usb);  // still no serial: still silent
    QTest::qWait(200);
    QCOMPARE(r.changes.count(), 0);
}

// Told to switch to its network, a camera leaves USB and comes back in
// network operation: listed in network mode at the address it held,
// initialised over HTTP (the registry used to make every camera a USB one,
// so the network road never found its camera), and not taken for stale.
void tst_UvcRegistry::cameraBackInNetworkModeIsListedSo()
{
    Registry r;
    r.start();
    const QSharedPointer<UvcDevice> usb = r.plugAnnounced(cameraAt(0x09100000, "SN0000000091"));
    QVERIFY(usb);
    const QString address = usb->ipAddr();
    QCOMPARE(usb->reqDevChangeIpAddr(address), 0);
    QTRY_COMPARE_WITH_TIMEOUT(r.changes.count(), 3, kBoundMs);
    QCOMPARE(r.change(1), Change("SN0000000091", false));
    QCOMPARE(r.change(2), Change("SN0000000091", true));
    const QSharedPointer<UvcDevice> net = r.registry->getDevBySn("SN0000000091");
    QVERIFY(net && net != usb);
    QCOMPARE(net->devMode(), UvcDevice::DevModeNet);
    QVERIFY(net->isInited());
    QCOMPARE(net->ipAddr(), address);
    r.registry->takeUpAfterUpgrade(0x09100000);
    QVERIFY(r.staysAt(3));
    QVERIFY(net->reqDevReboot());  // back onto USB
    QTRY_COMPARE_WITH_TIMEOUT(r.changes.count(), 5, kBoundMs);
    const QSharedPointer<UvcDevice> back = r.registry->getDevBySn("SN0000000091");
    QVERIFY(back);
    QCOMPARE(back->devMode(), UvcDevice::DevModeUvc);
}

void tst_UvcRegistry::lookUps()
{
    Registry r;
    r.start();
    r.backend.plug(cameraAt(0x0A100000, "AB12CD000001"));
    r.backend.plug(cameraAt(0x0A200000, "AB12CD000002"));
    QTRY_COMPARE_WITH_TIMEOUT(r.changes.count(), 2, kBoundMs);
    UvcDevices& reg = *r.registry;
    QVERIFY(reg.getDevBySn("AB12CD000001"));
    QVERIFY(!reg.getDevBySn("ab12cd000001"));  // exact and case-sensitive
    QVERIFY(!reg.getDevBySn("AB12CD00000"));
    QVERIFY(!reg.getDevBySn(QString()));
    QCOMPARE(reg.getDevByName("KESTRO_OrlaCam_AB12CD000002"), reg.getDevBySn("AB12CD000002"));
    const QByteArray uuid = QByteArray("uuid-AB12CD000001").leftJustified(24, '\0');
    QCOMPARE(reg.getDevByUuid(uuid), reg.getDevBySn("AB12CD000001"));
    QVERIFY(reg.containDev(uuid));
    QVERIFY(!reg.containDev(QByteArray(24, 'x')));
    QCOMPARE(reg.getDevVersion("AB12CD000002"), QStringLiteral("1.0.3.7"));
    QCOMPARE(reg.getDevVersion("nobody"), QString());
    QCOMPARE(reg.getDevByLocationId(0x0A200000), reg.getDevBySn("AB12CD000002"));
}

void tst_UvcRegistry::objectsOutsideTheList()
{
    Registry r;
    r.backend.plug(cameraAt(0x0B100000, "SN00000000B1"));
    r.backend.plug(cameraAt(0x0B200000, "SN00000000B2", 0x6E30, 0xFEF3));
    r.backend.plug(cameraAt(0x0B300000, "SN00000000B3", 0x3564, 0xFEF4));
    UvcDevices& reg = *r.registry;
    QVERIFY(reg.uvcDeviceExisted(0x0B300000));
    QVERIFY(!reg.uvcDeviceExisted(0x0B400000));
    QCOMPARE(reg.uvcDevices().size(), 2);

    const QSharedPointer<UvcDevice> one = reg.uvcDeviceWithLocationId(0x0B100000);
    QVERIFY(one);
    QVERIFY(one->isOpen());
    QCOMPARE(one->devMode(), UvcDevice::DevModeUvc);
    QVERIFY(!reg.uvcDeviceWithLocationId(0x0B300000));  // product test fails
    QVERIFY(reg.devList().isEmpty());                   // none of them is listed

    const auto byIds = reg.uvcDevicesWithVendorIdProductId(0x6E30, 0xFEF3);
    QCOMPARE(byIds.size(), 1);
    QCOMPARE(byIds.first()->locationId(), int64_t(0x0B200000));
    QCOMPARE(reg.uvcDeviceWithVendorIdProductId(0x6E30, 0xFEF3)->locationId(), int64_t(0x0B200000));
    QVERIFY(!reg.uvcDeviceWithVendorIdProductId(0x6E30, 0xFEF2));

    SimKnobs knobs;
    knobs.openFails = true;
    r.backend.camera(0x0B100000)->setKnobs(knobs);
    QVERIFY(!reg.uvcDeviceWithLocationId(0x0B100000));
}

QTEST_GUILESS_MAIN(tst_UvcRegistry)
#include "tst_uvcregistry.moc"
