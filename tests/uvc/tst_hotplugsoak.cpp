// A thousand arrivals and departures of simulated cameras while other
// threads keep sending commands to whichever cameras are listed: nothing
// crashes or leaks (the sanitizers watch), every announced arrival is
// followed by exactly one departure, and the memory in use comes back to
// where it was.

#include "support/RegistryThread.h"
#include "support/SimFixture.h"
#include "support/TestHome.h"
#include "uvc/UvcDevices.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <cstdio>
#include <malloc.h>
#include <memory>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's count (gcc ships no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

using namespace vesk::pc;

namespace {

constexpr int kArrivals = 1000;
constexpr int kLocations = 4;
constexpr int kSenders = 3;
constexpr int kBoundMs = 30000;  // generous: a loaded machine runs this under ASan
// What a thousand cycles may leave in use (the change log's own entries
// among it): far less than a camera each.
constexpr qint64 kMemorySlackBytes = 2 * 1024 * 1024;

// Heap bytes in use now; under AddressSanitizer its own count, which leaves
// out the freed blocks it holds in quarantine.
qint64 heapInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return qint64(__sanitizer_get_current_allocated_bytes());
#else
    return qint64(mallinfo2().uordblks);
#endif
}

SimCameraModel cameraAt(int location, int arrival)
{
    SimCameraModel model;
    const uint32_t id = 0x05100000u + uint32_t(location) * 0x100000u;
    model.usb = {QStringLiteral("soak-%1").arg(location), id, 0x3564, 0xFEF2, 0xEF, 0x02};
    model.serial = QByteArray("SOAK").append(QByteArray::number(arrival).rightJustified(8, '0')).leftJustified(14, '\0');
    model.uuid = QByteArray("uuid-soak-").append(QByteArray::number(arrival)).leftJustified(24, '\0');
    return model;
}

UvcTiming soakTiming()
{
    UvcTiming timing = fastTiming();
    // A camera whose initialisation replies time out three times is, rightly,
    // never announced; on a loaded machine replies can take that long.
    timing.replyWaitMs = 1000;
    timing.settleBeforeOpenMs = 1;
    timing.settleAfterOpenMs = 2;
    timing.initRetryMs = 2;
    return timing;
}

// devChanged as it happens, from the registry's thread.
class ChangeLog
{
public:
    void add(const QByteArray& sn, bool present)
    {
        QMutexLocker lock(&mutex_);
        events_[sn] << present;
        ++count_;
    }
    int count() const
    {
        QMutexLocker lock(&mutex_);
        return count_;
    }
    int arrivals(const QByteArray& sn) const
    {
        QMutexLocker lock(&mutex_);
        return events_.value(sn).count(true);
    }
    // Serials whose events are not exactly "arrived, left" (or nothing).
    QStringList unpaired() const
    {
        QMutexLocker lock(&mutex_);
        QStringList bad;
        for (auto it = events_.cbegin(); it != events_.cend(); ++it) {
            if (it.value() != QList<bool>{true, false})
                bad << QString::fromLatin1(it.key());
        }
        return bad;
    }
    int announced() const
    {
        QMutexLocker lock(&mutex_);
        return events_.size();
    }

private:
    mutable QMutex mutex_;
    QHash<QByteArray, QList<bool>> events_;
    int count_ = 0;
};

// Threads that send commands to listed cameras until told to stop.
class Senders
{
public:
    explicit Senders(UvcDevices* registry)
    {
        for (int i = 0; i < kSenders; ++i) {
            threads_.emplace_back(QThread::create([this, registry, i] { loop(registry, i); }));
            threads_.back()->start();
        }
    }
    ~Senders() { stop(); }
    bool stop()
    {
        stop_ = true;
        bool ended = true;
        for (auto& thread : threads_)
            ended = thread->wait(kBoundMs) && ended;
        return ended;
    }
    int sent() const { return sent_.load(); }

private:
    void loop(UvcDevices* registry, int which)
    {
        while (!stop_) {
            const QList<QSharedPointer<UvcDevice>> devices = registry->devList();
            if (devices.isEmpty()) {
                QThread::usleep(200);
                continue;
            }
            const QSharedPointer<UvcDevice> device = devices.at((sent_ + which) % devices.size());
            if (device->isInited())
                command(*device, (sent_++ + which) % 3);
            QThread::usleep(500);
        }
    }
    static void command(UvcDevice& device, int kind)
    {
        CameraStatus status;
        ProtocolMsg::FrmPacket frame;
        switch (kind) {
        case 0:
            device.getCameraStatus(status);
            break;
        case 1:
            device.getDevVersion();
            break;
        default:
            frame.setCommand(0x0101);
            device.sendMsgAsync(frame, true);
        }
    }
    std::vector<std::unique_ptr<QThread>> threads_;
    std::atomic<bool> stop_{false};
    std::atomic<int> sent_{0};
};

// The registry with its announcements logged.
struct Registry : RegistryThread
{
    ChangeLog changes;

    Registry()
    {
        QObject::connect(registry, &UvcDevices::devChanged, registry,
                         [this](const QByteArray& sn, bool present) { changes.add(sn, present); },
                         Qt::DirectConnection);
    }
    bool emptied() const
    {
        return QTest::qWaitFor([this] { return registry->devList().isEmpty(); }, kBoundMs);
    }
};

} // namespace

class tst_HotPlugSoak : public QObject
{
    Q_OBJECT
    TestHome home_;
private slots:
    void initTestCase()
    {
        UvcTiming::setDefaults(soakTiming());
        // Every arrival logs dozens of lines; a thousand of them only slow
        // the run down. The summary goes to stderr.
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    }
    void arrivalsAndDeparturesWithCommandsInFlight();
};

void tst_HotPlugSoak::arrivalsAndDeparturesWithCommandsInFlight()
{
    QElapsedTimer timer;
    timer.start();
    qint64 before = 0;
    {
        Registry r;
        QVERIFY(r.registry->startHotPlug());
        Senders senders(r.registry);
        bool present[kLocations] = {};
        const auto unplugAll = [&] {
            for (int location = 0; location < kLocations; ++location) {
                if (present[location])
                    r.backend.unplug(cameraAt(location, 0).usb.locationId);
                present[location] = false;
            }
            return r.emptied();
        };
        for (int i = 0; i < kArrivals; ++i) {
            const int location = i % kLocations;
            const SimCameraModel model = cameraAt(location, i);
            if (present[location])
                QVERIFY(r.backend.unplug(model.usb.locationId));
            r.backend.plug(model);
            present[location] = true;
            // Most arrivals are announced before they leave; some leave at
            // once, while the registry still settles or initialises them.
            if (i % 8 == 7) {
                QVERIFY(r.backend.unplug(model.usb.locationId));
                present[location] = false;
            } else {
                QVERIFY2(QTest::qWaitFor([&] { return r.changes.arrivals(model.serial.left(12)) == 1; }, kBoundMs),
                         model.serial.constData());
            }
            if (i == 40) {
                // Caches and pools have reached their size by now.
                QVERIFY(unplugAll());
                before = heapInUse();
            }
        }
        QVERIFY(unplugAll());
        QVERIFY(senders.stop());
        QVERIFY(senders.sent() > 0);
        QTRY_VERIFY_WITH_TIMEOUT(r.changes.count() == 2 * r.changes.announced(), kBoundMs);
        QCOMPARE(r.changes.unpaired(), QStringList());
        QVERIFY(r.changes.announced() >= kArrivals * 3 / 4);
        QTRY_COMPARE_WITH_TIMEOUT(UvcDevice::reapParkedDevices(), 0, kBoundMs);
        // Threads that have just ended still free their last blocks.
        QTest::qWait(300);
        const qint64 after = heapInUse();
        std::fprintf(stderr, "%d of %d arrivals announced, %d commands sent, heap in use %lld before "
                     "and %lld after, in %lld ms\n", r.changes.announced(), kArrivals, senders.sent(),
                     qint64(before), qint64(after), qint64(timer.elapsed()));
        QVERIFY2(after - before < kMemorySlackBytes, qPrintable(QString::number(after - before)));
    }
}

QTEST_GUILESS_MAIN(tst_HotPlugSoak)
#include "tst_hotplugsoak.moc"
