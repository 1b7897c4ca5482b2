#include "support/ParamsTestEnv.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QSettings>
#include <QThread>
#include <QtTest>

#include <atomic>

using vesk::pc::GlobalParams;

namespace {

// A dev_info array with one record per time, serials S0, S1, ...
QByteArray devInfoIni(const QList<qint64>& times)
{
    QByteArray ini = "[dev_info]\n";
    for (int i = 0; i < times.size(); ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        ini += n + "\\dev_name=Cam" + QByteArray::number(i) + "\n";
        ini += n + "\\dev_sn=S" + QByteArray::number(i) + "\n";
        ini += n + "\\dev_time=" + QByteArray::number(times[i]) + "\n";
    }
    return ini + "size=" + QByteArray::number(times.size()) + "\n";
}

QStringList serials(const GlobalParams& p)
{
    QStringList list;
    const auto infos = p.devInfos();
    for (const GlobalParams::DevInfo& info : infos)
        list << info.dev_sn;
    return list;
}

} // namespace

class tst_DevInfo : public QObject
{
    Q_OBJECT

    TestHome home_;
    ParamsTestEnv env_{home_};

private slots:
    void init() { env_.reset(); }
    void cleanup() { ParamsTestEnv::restoreIps(); }

    void eleventhCameraDropsOldest()
    {
        env_.writeFile(env_.dataIni(), devInfoIni({100, 50, 50, 70, 80, 90, 110, 120, 130, 140}));
        auto p = env_.open();
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        p->addOneDevInfo(QStringLiteral("New"), QStringLiteral("NEW"));
        QCOMPARE(serials(*p), QStringList({"S0", "S2", "S3", "S4", "S5", "S6", "S7", "S8", "S9", "NEW"}));
        QVERIFY(qAbs(p->devInfos().last().dev_time - now) <= 2);
        p.reset();
        QCOMPARE(serials(*env_.open()).last(), QStringLiteral("NEW"));  // saved by the add
    }

    void knownSerialIsRenamed()
    {
        env_.writeFile(env_.dataIni(), devInfoIni({100, 50, 50, 70, 80, 90, 110, 120, 130, 140}));
        auto p = env_.open();
        p->addOneDevInfo(QStringLiteral("Renamed"), QStringLiteral("S3"));
        QCOMPARE(p->devInfos().size(), 10);
        QCOMPARE(p->devInfos().at(3).dev_name, QStringLiteral("Renamed"));
        QCOMPARE(p->devInfos().at(3).dev_time, qint64(70));
        QSettings saved(env_.dataIni(), QSettings::IniFormat);
        QCOMPARE(saved.value("dev_info/4/dev_name").toString(), QStringLiteral("Renamed"));
    }

    void twelveLoadedStayTwelve()
    {
        env_.writeFile(env_.dataIni(), devInfoIni({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
        auto p = env_.open();
        p->addOneDevInfo(QStringLiteral("A"), QStringLiteral("NA"));
        p->addOneDevInfo(QStringLiteral("B"), QStringLiteral("NB"));
        QCOMPARE(p->devInfos().size(), 12);
        QCOMPARE(serials(*p).mid(0, 2), QStringList({"S2", "S3"}));
    }

    void letterCaseRules()
    {
        auto p = env_.open();
        p->addOneDevInfo(QStringLiteral("Desk"), QStringLiteral("ABC123"));
        QCOMPARE(p->getDevInfo(QStringLiteral("abc123")).dev_name, QStringLiteral("Desk"));
        p->setDevName(QStringLiteral("Other"), QStringLiteral("abc123"));
        QCOMPARE(p->getDevInfo(QStringLiteral("ABC123")).dev_name, QStringLiteral("Desk"));
        p->setDevFocusMode(2, QStringLiteral("abc123"));
        QCOMPARE(p->getDevFocusMode(QStringLiteral("ABC123")), 0u);
        p->setDevFocusMode(2, QStringLiteral("ABC123"));
        QCOMPARE(p->getDevFocusMode(QStringLiteral("ABC123")), 2u);
        QCOMPARE(p->getDevFocusMode(QStringLiteral("abc123")), 0u);
        QCOMPARE(p->getDevInfo(QStringLiteral("none")).dev_sn, QString());
    }

    void focusModeIsNotSavedBySetter()
    {
        auto p = env_.open();
        p->addOneDevInfo(QStringLiteral("Desk"), QStringLiteral("SN"));
        p->setDevFocusMode(7, QStringLiteral("SN"));
        QSettings saved(env_.dataIni(), QSettings::IniFormat);
        QCOMPARE(saved.value("dev_info/1/focus_mode").toInt(), 0);
    }

    void presets_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("stored");
        QTest::newRow("0") << 0 << true;
        QTest::newRow("2") << 2 << true;
        QTest::newRow("3") << 3 << false;
        QTest::newRow("-1") << -1 << false;
    }

    void presets()
    {
        QFETCH(int, index);
        QFETCH(bool, stored);
        auto p = env_.open();
        p->addOneDevInfo(QStringLiteral("Desk"), QStringLiteral("SN"));
        GlobalParams::PrePosParam preset;
        preset.pan = -1200;
        preset.tilt = 300;
        preset.name = QStringLiteral("door");
        preset.zoom = 2.5;
        preset.used = true;
        p->setPreposParam(QStringLiteral("SN"), preset, index);
        const GlobalParams::PrePosParam got = p->getPreposParam(QStringLiteral("SN"), index);
        QCOMPARE(got.pan, int16_t(stored ? -1200 : 0));
        QCOMPARE(got.zoom, stored ? 2.5 : 1.0);
        QCOMPARE(got.used, stored);
        QCOMPARE(p->getPreposParam(QStringLiteral("sn"), index).used, false);  // case-sensitive
        p.reset();
        QCOMPARE(env_.open()->getPreposParam(QStringLiteral("SN"), index).used, false);  // memory only
    }

    void loadedElementDefaults()
    {
        env_.writeFile(env_.dataIni(), "[dev_info]\n1\\dev_time=5\n2\\dev_name=Named\n2\\focus_mode=abc\n"
                                       "2\\dev_image\\1\\img_mini=m1\n2\\dev_image\\3\\img_preview=p3\n"
                                       "2\\dev_image\\4\\img_mini=m4\n2\\dev_image\\size=4\nsize=2\n");
        auto p = env_.open();
        const QList<GlobalParams::DevInfo> infos = p->devInfos();
        QCOMPARE(infos.size(), 2);
        QCOMPARE(infos[0].dev_name, QStringLiteral("0"));
        QCOMPARE(infos[0].dev_sn, QStringLiteral("null"));
        QCOMPARE(infos[0].dev_time, qint64(5));
        QCOMPARE(infos[1].dev_name, QStringLiteral("Named"));
        QCOMPARE(infos[1].focus_mode, 0u);
        QCOMPARE(infos[1].img_mini[0], QStringLiteral("m1"));
        QCOMPARE(infos[1].img_preview[2], QStringLiteral("p3"));
        QCOMPARE(infos[1].img_mini[2], QString());
    }

    void saveWritesThreeImagesAndNoStaleTail()
    {
        env_.writeFile(env_.dataIni(), "[dev_info]\n1\\dev_sn=A\n2\\dev_sn=B\n70\\dev_sn=Z\nsize=2147483647\n");
        env_.open().reset();
        QSettings saved(env_.dataIni(), QSettings::IniFormat);
        QCOMPARE(saved.value("dev_info/size").toInt(), 64);
        QCOMPARE(saved.value("dev_info/1/dev_sn").toString(), QStringLiteral("A"));
        QCOMPARE(saved.value("dev_info/1/dev_image/size").toInt(), 3);
        QVERIFY(saved.contains("dev_info/1/dev_image/3/img_preview"));
        QVERIFY(!saved.contains("dev_info/70/dev_sn"));
    }

    // The registry, the server and the main thread reach the records at once:
    // the list must stay whole and at its limit, and what is saved must be it.
    void concurrentRecordOperations()
    {
        auto p = env_.open();
        constexpr int kWriters = 4;
        std::atomic<int> inFlight{0}, maxInFlight{0}, adds{0}, reads{0}, badReads{0};
        std::atomic<bool> stop{false};
        auto enter = [&] {
            const int now = ++inFlight;
            int seen = maxInFlight.load();
            while (now > seen && !maxInFlight.compare_exchange_weak(seen, now)) {
            }
        };
        QList<QThread*> threads;
        for (int t = 0; t < kWriters; ++t) {
            threads << QThread::create([&, t] {
                for (int n = 0; !stop; ++n) {
                    const QString sn = QStringLiteral("T%1-%2").arg(t).arg(n);
                    enter();
                    p->addOneDevInfo(QStringLiteral("Cam"), sn);
                    p->setDevName(QStringLiteral("Renamed"), sn);
                    p->setDevFocusMode(uint(n), sn);
                    GlobalParams::PrePosParam preset;
                    preset.used = true;
                    p->setPreposParam(sn, preset, n % 3);
                    --inFlight;
                    ++adds;
                    QThread::usleep(200);  // lets the reader in between saves
                }
            });
        }
        threads << QThread::create([&] {
            while (!stop) {
                enter();
                const QStringList snapshot = serials(*p);
                if (snapshot.size() > GlobalParams::kMaxDevInfos
                    || QSet<QString>(snapshot.begin(), snapshot.end()).size() != snapshot.size())
                    ++badReads;
                p->getDevInfo(QStringLiteral("t0-0"));
                p->getPreposParam(QStringLiteral("T0-0"), 0);
                --inFlight;
                ++reads;
            }
        });
        QElapsedTimer timer;
        timer.start();
        QVERIFY2(ParamsTestEnv::runThreadsFor(threads, 500, stop, [&] {
                     return adds > GlobalParams::kMaxDevInfos && maxInFlight > 1 && reads > 1;
                 }), "threads did not finish in time");
        QVERIFY(timer.elapsed() < 30000);
        qInfo() << "adds" << adds << "reads" << reads << "most at once" << maxInFlight;
        QVERIFY(adds > GlobalParams::kMaxDevInfos);  // evictions happened
        QVERIFY(maxInFlight > 1);                    // calls did overlap
        QVERIFY(reads > 1);
        QCOMPARE(badReads.load(), 0);

        const QList<GlobalParams::DevInfo> last = p->devInfos();
        QCOMPARE(last.size(), GlobalParams::kMaxDevInfos);
        QSet<QString> unique;
        for (const GlobalParams::DevInfo& info : last) {
            QVERIFY2(QRegularExpression("^T[0-3]-\\d+$").match(info.dev_sn).hasMatch(),
                     qPrintable(info.dev_sn));
            QCOMPARE(info.dev_name, QStringLiteral("Renamed"));
            unique.insert(info.dev_sn);
        }
        QCOMPARE(unique.size(), GlobalParams::kMaxDevInfos);
        const QStringList inMemory = serials(*p);
        p.reset();
        QCOMPARE(serials(*env_.open()), inMemory);
    }
};

QTEST_GUILESS_MAIN(tst_DevInfo)
#include "tst_devinfo.moc"
