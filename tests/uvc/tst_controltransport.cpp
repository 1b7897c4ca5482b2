// The control transport on its own, over a simulated camera's handle:
// requests refused when closed or malformed before anything reaches the
// camera, close under a request, and the transfer lock.

#include "support/SimFixture.h"
#include "uvc/ControlTransport.h"

#include <QThread>
#include <QtTest>

#include <atomic>

using namespace vesk::pc;

namespace {

struct TransportRig
{
    SimBackend backend;
    QSharedPointer<SimCamera> camera;
    ControlTransport transport;

    explicit TransportRig(const SimCameraModel& model = SimCameraModel())
        : camera(backend.plug(model))
        , transport(backend.openDevice(model.usb.locationId))
    {
    }
};

} // namespace

class tst_ControlTransport : public QObject
{
    Q_OBJECT
private slots:
    void openReadsTheUnits();
    void requestsOnAClosedCamera();
    void malformedRequests_data();
    void malformedRequests();
    void closeWaitsForATransferUnderWay();
    void requestsAfterCloseAreRefused();
    void setThenGetPairsDoNotInterleave();
};

void tst_ControlTransport::openReadsTheUnits()
{
    TransportRig sim;
    QVERIFY(!sim.transport.isOpen());
    QVERIFY(sim.transport.open());
    QVERIFY(sim.transport.isOpen());
    QCOMPARE(int(sim.transport.unitIdFor(UvcUnitKind::CameraTerminal)), 1);
    QCOMPARE(int(sim.transport.unitIdFor(UvcUnitKind::ProcessingUnit)), 2);
    QCOMPARE(int(sim.transport.unitIdFor(UvcUnitKind::ExtensionUnit)), 3);
    QCOMPARE(sim.transport.timing().passMs, UvcTiming::defaults().passMs);

    TransportRig failing;
    SimKnobs knobs;
    knobs.openFails = true;
    failing.camera->setKnobs(knobs);
    QTest::ignoreMessage(QtWarningMsg, "Failed to open the video control interface");
    QVERIFY(!failing.transport.open());
    QVERIFY(!failing.transport.isOpen());

    ControlTransport orphan{QSharedPointer<CameraHandle>()};
    QTest::ignoreMessage(QtWarningMsg, "No USB device behind this camera");
    QVERIFY(!orphan.open());
}

void tst_ControlTransport::malformedRequests_data()
{
    QTest::addColumn<int>("request");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("selector");
    QTest::addColumn<int>("unit");
    QTest::addColumn<bool>("nullData");
    const int getCur = int(UvcRequest::GetCur);
    QTest::newRow("zero length") << getCur << 0 << 2 << 3 << false;
    QTest::newRow("negative length") << getCur << -1 << 2 << 3 << false;
    QTest::newRow("length beyond 16 bits") << getCur << 0x10000 << 2 << 3 << false;
    QTest::newRow("selector beyond a byte") << getCur << 60 << 0x100 << 3 << false;
    QTest::newRow("negative selector") << getCur << 60 << -1 << 3 << false;
    QTest::newRow("unit beyond a byte") << getCur << 60 << 2 << 0x100 << false;
    QTest::newRow("negative unit") << getCur << 60 << 2 << -1 << false;
    QTest::newRow("no buffer") << getCur << 60 << 2 << 3 << true;
    QTest::newRow("SET_CUR as a GET") << int(UvcRequest::SetCur) << 60 << 2 << 3 << false;
}

void tst_ControlTransport::malformedRequests()
{
    QFETCH(int, request);
    QFETCH(int, length);
    QFETCH(int, selector);
    QFETCH(int, unit);
    QFETCH(bool, nullData);
    TransportRig sim;
    QVERIFY(sim.transport.open());
    QByteArray buffer(0x10000, '\0');
    auto* data = nullData ? nullptr : reinterpret_cast<uint8_t*>(buffer.data());
    QCOMPARE(sim.transport.getDataByTypeLengthSelectorUnitId(data, request, length, selector,
                                                             UvcUnitKind::ExtensionUnit, unit),
             -1);
    QVERIFY(sim.camera->requests().isEmpty());
}

// Once closed, however it was closed, nothing reaches the camera.
void tst_ControlTransport::requestsAfterCloseAreRefused()
{
    TransportRig sim;
    QVERIFY(sim.transport.open());
    uint8_t block[60] = {};
    QCOMPARE(sim.transport.setDataWithLengthSelectorUnitId(block, 60, 2, UvcUnitKind::ExtensionUnit, 3), 60);
    sim.transport.close();
    sim.transport.close();  // twice is harmless
    QVERIFY(!sim.camera->isControlInterfaceOpen());
    QTest::ignoreMessage(QtWarningMsg, "uvc device not open yet!");
    QCOMPARE(sim.transport.setThenGetWithLengthSelectorUnitId(block, block, 60, 4,
                                                              UvcUnitKind::ExtensionUnit, 3),
             -1);
    QCOMPARE(sim.camera->requests().size(), 1);
}

void tst_ControlTransport::requestsOnAClosedCamera()
{
    TransportRig sim;
    uint8_t block[60] = {};
    QTest::ignoreMessage(QtWarningMsg, "uvc device not open yet!");
    QCOMPARE(sim.transport.setDataWithLengthSelectorUnitId(block, 60, 2, UvcUnitKind::ExtensionUnit, 3), -1);
    QTest::ignoreMessage(QtWarningMsg, "uvc device not open yet!");
    QCOMPARE(sim.transport.getDataByTypeLengthSelectorUnitId(block, 0x81, 60, 2, UvcUnitKind::ExtensionUnit, 3), -1);
    QVERIFY(sim.camera->requests().isEmpty());
}

void tst_ControlTransport::closeWaitsForATransferUnderWay()
{
    SimCameraModel model;
    model.knobs.transferDelayMs = 300;
    TransportRig sim(model);
    QVERIFY(sim.transport.open());
    std::atomic<int> moved{-2};
    QThread* caller = QThread::create([&] {
        uint8_t block[60] = {};
        moved = sim.transport.getDataByTypeLengthSelectorUnitId(block, 0x81, 60, 6, UvcUnitKind::ExtensionUnit,
                                                              3);
    });
    caller->start();
    QTRY_VERIFY_WITH_TIMEOUT(sim.camera->activeRequests() > 0, 5000);
    sim.transport.close();
    const int activeAfterClose = sim.camera->activeRequests();
    const bool ended = caller->wait(5000);
    if (ended)
        delete caller;  // a running thread is never deleted
    QVERIFY(ended);
    // The interface was closed only after the request had ended, whole.
    QCOMPARE(activeAfterClose, 0);
    QVERIFY(!sim.camera->isControlInterfaceOpen());
    QCOMPARE(moved.load(), 60);
    QCOMPARE(sim.camera->requests().size(), 1);
}

void tst_ControlTransport::setThenGetPairsDoNotInterleave()
{
    SimCameraModel model;
    model.knobs.transferDelayMs = 1;  // a slow bus makes interleaving all but certain
    TransportRig sim(model);
    QVERIFY(sim.transport.open());
    const int threads = 4;
    const int rounds = 15;

    auto run = [&](bool locked) -> QPair<int, int> {
        std::atomic<int> matched{0};
        std::atomic<int> mismatched{0};
        QList<QThread*> workers;
        for (int t = 0; t < threads; ++t) {
            workers << QThread::create([&, t] {
                for (int r = 0; r < rounds; ++r) {
                    QByteArray out(60, char(t * rounds + r + 1));
                    QByteArray in(60, '\0');
                    auto* o = reinterpret_cast<uint8_t*>(out.data());
                    auto* i = reinterpret_cast<uint8_t*>(in.data());
                    if (locked) {
                        sim.transport.setThenGetWithLengthSelectorUnitId(o, i, 60, 4, UvcUnitKind::ExtensionUnit, 3);
                    } else {  // the same pair without the lock, straight to the camera
                        sim.camera->controlRequest(UvcRequest::SetCur, UvcUnitKind::ExtensionUnit, 3, 4, o, 60);
                        sim.camera->controlRequest(UvcRequest::GetCur, UvcUnitKind::ExtensionUnit, 3, 4, i, 60);
                    }
                    (in == out ? matched : mismatched)++;
                }
            });
            workers.last()->start();
        }
        for (QThread* worker : workers) {
            if (!worker->wait(20000))
                return {-1, -1};  // never delete a running thread
            delete worker;
        }
        return qMakePair(matched.load(), mismatched.load());
    };

    const auto unlocked = run(false);
    QVERIFY2(unlocked.second > 0, "the unlocked pairs never interleaved: the test shows nothing");
    const auto locked = run(true);
    QCOMPARE(locked.first, threads * rounds);
    QCOMPARE(locked.second, 0);
}

QTEST_GUILESS_MAIN(tst_ControlTransport)
#include "tst_controltransport.moc"
