#include "support/ParamsTestEnv.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QSet>
#include <QThread>
#include <QtTest>

#include <atomic>

using vesk::pc::GlobalParams;
using IpList = QList<GlobalParams::IpAddrInfo>;

namespace {

QStringList ipsOf(const IpList& list)
{
    QStringList ips;
    for (const GlobalParams::IpAddrInfo& e : list)
        ips << e.ip;
    return ips;
}

QByteArray camera(int i)
{
    return "cam-" + QByteArray::number(i);
}

} // namespace

class tst_AddressPool : public QObject
{
    Q_OBJECT

    TestHome home_;
    ParamsTestEnv env_{home_};

private slots:
    void init() { env_.reset(); }
    void cleanup() { ParamsTestEnv::restoreIps(); }

    void buildSkipsLocalSubnets()
    {
        ParamsTestEnv::setLocalIps({"127.0.0.1", "192.168.90.20", "192.168.95.1"});
        const IpList pool = env_.open()->ipPool();
        QCOMPARE(pool.size(), 22);
        for (int i = 0; i < pool.size(); ++i) {
            QCOMPARE(pool[i].ip, QStringLiteral("192.168.%1.10").arg(89 + i));
            QCOMPARE(pool[i].existed, i + 89 == 90 || i + 89 == 95);
            QCOMPARE(pool[i].inUse, false);
            QVERIFY(pool[i].owner.isNull());
        }
    }

    void segmentBounds_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QStringList>("ips");
        QTest::newRow("start above end") << QByteArray("host_ip_seg_start=100\nhost_ip_seg_end=90")
                                         << QStringList{"192.168.100.10"};
        QTest::newRow("short range") << QByteArray("host_ip_prefix=10.0.\nhost_ip_seg_start=254\nhost_ip_seg_end=255")
                                     << QStringList{"10.0.254.10", "10.0.255.10"};
    }

    void segmentBounds()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, ips);
        env_.writeFile(env_.dataIni(), "[local_server]\n" + ini + "\n");
        QCOMPARE(ipsOf(env_.open()->ipPool()), ips);
    }

    void cameraGetsItsAddressBack()
    {
        auto p = env_.open();
        const QString mine = p->applyForAnIpAddr(camera(1), true);
        QCOMPARE(mine, QStringLiteral("192.168.89.10"));
        p->releaseAnIpAddr(mine);
        for (int tick = 0; tick < 300; ++tick)
            p->updateGlobalParams();
        QCOMPARE(p->applyForAnIpAddr(camera(2), true), QStringLiteral("192.168.90.10"));
        QCOMPARE(p->applyForAnIpAddr(camera(1), true), mine);
        QCOMPARE(p->applyForAnIpAddr(camera(1), true), mine);  // asking again while held
    }

    void exhaustionAndBrokenReservation()
    {
        auto p = env_.open();
        for (int i = 0; i < 20; ++i)
            QCOMPARE(p->applyForAnIpAddr(camera(i), true), QStringLiteral("192.168.%1.10").arg(89 + i));
        QCOMPARE(p->applyForAnIpAddr(camera(20), true), QString());
        p->releaseAnIpAddr(QStringLiteral("192.168.95.10"));
        p->releaseAnIpAddr(QStringLiteral("10.0.0.10"));  // not in the pool: nothing
        QCOMPARE(p->applyForAnIpAddr(camera(20), true), QStringLiteral("192.168.95.10"));
        QCOMPARE(p->ipPool().at(6).owner, camera(20));
    }

    void reservationAges()
    {
        auto p = env_.open();
        const QString ip = p->applyForAnIpAddr(camera(1), true);
        p->releaseAnIpAddr(ip);
        for (int tick = 0; tick < 359; ++tick)
            p->updateGlobalParams();
        QCOMPARE(p->ipPool().at(0).owner, camera(1));
        QCOMPARE(p->ipPool().at(0).idleMs, 359 * 500);
        p->updateGlobalParams();
        QVERIFY(p->ipPool().at(0).owner.isNull());
        QCOMPARE(p->ipPool().at(0).idleMs, 0);
        QCOMPARE(p->applyForAnIpAddr(camera(2), false), ip);
    }

    void justAddedIp()
    {
        ParamsTestEnv::setLocalIps({"10.1.1.20", "192.168.93.20"});
        auto p = env_.open();
        GlobalParams::IpAddrInfo added = p->getLocalJustAddedIp();
        QCOMPARE(added.ip, QStringLiteral("192.168.93.10"));
        QCOMPARE(added.existed, true);
        for (int i = 0; i < 5; ++i)  // 89..92, then the existed 93
            p->applyForAnIpAddr(camera(i), true);
        QCOMPARE(p->ipPool().at(4).inUse, true);
        QCOMPARE(p->getLocalJustAddedIp().ip, QString());

        ParamsTestEnv::setLocalIps({"192.168.93.20", "192.168.88.20"});
        added = p->getLocalJustAddedIp();
        QCOMPARE(added.ip, QStringLiteral("192.168.88.10"));
        QCOMPARE(added.inUse, false);
        QCOMPARE(added.existed, false);
        QVERIFY(added.owner.isNull());
    }

    void justRemovedAndDeleted()
    {
        ParamsTestEnv::setLocalIps({"192.168.90.20"});
        auto p = env_.open();
        QCOMPARE(p->applyForAnIpAddr(camera(1), true), QStringLiteral("192.168.89.10"));
        QCOMPARE(p->applyForAnIpAddr(camera(2), true), QStringLiteral("192.168.90.10"));
        QCOMPARE(p->applyForAnIpAddr(camera(3), true), QStringLiteral("192.168.91.10"));
        QCOMPARE(ipsOf(p->getLocalJustRemovedIps()), QStringList({"192.168.89.10", "192.168.91.10"}));

        p->deleteAnIpAddr(QStringLiteral("192.168.89.10"));  // not existed: stays
        p->deleteAnIpAddr(QStringLiteral("192.168.90.10"));
        QCOMPARE(ipsOf(p->ipPool()).mid(0, 2), QStringList({"192.168.89.10", "192.168.91.10"}));
        QCOMPARE(p->ipPool().size(), 20);
    }

    void entriesCompareWithoutExisted()
    {
        GlobalParams::IpAddrInfo a;
        a.ip = QStringLiteral("192.168.89.10");
        GlobalParams::IpAddrInfo b = a;
        b.existed = true;
        QVERIFY(a == b);
        b.idleMs = 500;
        QVERIFY(!(a == b));
    }

    // Threads of the registry, the camera set-up and the main thread use the
    // pool at once: no two holders may ever share an address.
    void concurrentUse()
    {
        auto p = env_.open();
        constexpr int kThreads = 8;
        constexpr int kIdsPerThread = 5;  // 40 cameras for 20 entries: reservations get broken
        QMutex holdersMutex;
        QHash<QString, QByteArray> holders;
        std::atomic<int> applies{0}, collisions{0}, emptyAnswers{0}, maxHeld{0};
        std::atomic<bool> stop{false};

        auto worker = [&](int t) {
            for (int round = 0; !stop; ++round) {
                const QByteArray id = camera(t * kIdsPerThread + round % kIdsPerThread);
                const QString ip = p->applyForAnIpAddr(id, true);
                ++applies;
                if (ip.isEmpty()) {
                    ++emptyAnswers;
                    continue;
                }
                {
                    QMutexLocker lock(&holdersMutex);
                    if (holders.contains(ip))
                        ++collisions;
                    holders.insert(ip, id);
                    maxHeld = qMax(maxHeld.load(), holders.size());
                }
                QThread::yieldCurrentThread();
                {
                    QMutexLocker lock(&holdersMutex);
                    holders.remove(ip);
                }
                p->releaseAnIpAddr(ip);
            }
        };
        QList<QThread*> threads;
        for (int t = 0; t < kThreads; ++t)
            threads << QThread::create(worker, t);
        threads << QThread::create([&] {
            while (!stop) {
                p->updateGlobalParams();
                p->getLocalJustRemovedIps();
            }
        });
        QElapsedTimer timer;
        timer.start();
        QVERIFY2(ParamsTestEnv::runThreadsFor(threads, 400, stop, [&] { return applies > 1000 && maxHeld > 1; }),
                 "threads did not finish in time");
        QVERIFY(timer.elapsed() < 30000);
        qInfo() << "applies" << applies << "most held at once" << maxHeld;
        QVERIFY(applies > 1000);
        QVERIFY(maxHeld > 1);  // holders did overlap
        QCOMPARE(collisions.load(), 0);
        QCOMPARE(emptyAnswers.load(), 0);
        for (const GlobalParams::IpAddrInfo& e : p->ipPool())
            QCOMPARE(e.inUse, false);
    }
};

QTEST_GUILESS_MAIN(tst_AddressPool)
#include "tst_addresspool.moc"
