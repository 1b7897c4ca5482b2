// The download, network-upgrade and USB-upgrade progress boxes: what each
// notice shows, their time-outs, the thread they own, and how they look in
// every language.

#include "support/Legibility.h"
#include "support/TestHome.h"
#include "orlacam/flows/DownloadProgress.h"
#include "orlacam/flows/UpgradeProgress.h"
#include "orlacam/flows/UvcUpgradeProgress.h"
#include "sim/SimBackend.h"
#include "upgrade/UpgradeTexts.h"
#include "upgrade/UvcPatchUpgrade.h"
#include "comm/UpgradeCodes.h"
#include "uvc/UvcDevices.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QSignalSpy>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTranslator>

using namespace vesk::pc;
using Info = PkgDownloader::InfoType;

namespace {

QString statusText(QWidget* box)
{
    return box->findChild<QLabel*>(QStringLiteral("lbInfo"))->text();
}

int barValue(QWidget* box)
{
    return box->findChild<QProgressBar*>(QStringLiteral("pbProgress"))->value();
}

struct Notice
{
    int type;
    int value;
    int waitMs;  // before the notice
};

} // namespace
Q_DECLARE_METATYPE(QList<Notice>)

class tst_ProgressDialogs : public QObject
{
    Q_OBJECT

private:
    TestHome home;

private slots:
    void downloadNotices_data();
    void downloadNotices();
    void earlierTimeoutSparesLaterRun();
    void upgradeOpensWithStartReport_data();
    void upgradeOpensWithStartReport();
    void upgradeSteps();
    void upgradeTimeout();
    void uvcUpgradeOwnsItsThread();
    void rendersLegibly_data();
    void rendersLegibly();
};

void tst_ProgressDialogs::downloadNotices_data()
{
    QTest::addColumn<QList<Notice>>("notices");
    QTest::addColumn<int>("bar");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("latched");
    QTest::newRow("just below a MB") << QList<Notice>{{Info::kInfoStart, 1048575, 0}} << 0
                                     << "pkg.bin\n0MB/s - 0MB, total 0MB" << false;
    QTest::newRow("early bytes counted, shown later")
        << QList<Notice>{{Info::kInfoStart, 4 * 1048576, 0}, {Info::kInfoProgress, 1048576, 0},
                         {Info::kInfoProgress, 1048576, 300}}
        << 50 << "" << false;
    QTest::newRow("size 0 never divides")
        << QList<Notice>{{Info::kInfoStart, 0, 0}, {Info::kInfoProgress, 5000, 300}} << 0 << "" << false;
    QTest::newRow("error") << QList<Notice>{{Info::kInfoStart, 100, 0}, {Info::kInfoError, 0, 0}} << 0
                           << "Download error!" << true;
    QTest::newRow("verified") << QList<Notice>{{Info::kInfoStart, 3 * 1048576, 0}, {Info::kInfoFinished, 0, 0}}
                              << 100 << "pkg.bin\n0MB/s - 3MB, total 3MB" << false;
}

void tst_ProgressDialogs::downloadNotices()
{
    QFETCH(QList<Notice>, notices);
    QFETCH(int, bar);
    QFETCH(QString, text);
    QFETCH(bool, latched);
    DownloadProgress box;
    box.open();
    for (const Notice& n : notices) {
        QTest::qWait(n.waitMs);
        box.onDownloadProgressUpdate(Info(n.type), n.value, QStringLiteral("pkg.bin"));
    }
    QCOMPARE(barValue(&box), bar);
    if (!text.isEmpty())
        QCOMPARE(statusText(&box), text);
    QCOMPARE(box.errorLatched, latched);
    if (latched) {
        QSignalSpy answered(&box, &MsgProgressUi::answered);
        QTest::mouseClick(box.findChild<QPushButton*>(QStringLiteral("pbOk")), Qt::LeftButton);
        QCOMPARE(answered.value(0).value(0).toInt(), int(QMessageBox::No));
    }
}

void tst_ProgressDialogs::earlierTimeoutSparesLaterRun()
{
    constexpr int kTimeoutMs = 3000;
    DownloadProgress box(kTimeoutMs, nullptr);
    QElapsedTimer first;
    first.start();
    box.open();
    box.close();
    QTest::qWait(kTimeoutMs / 2);
    QElapsedTimer later;
    later.start();
    box.open();
    // Past the first run's deadline; a latch seen before the later run's own
    // deadline came from the first (a loaded machine may only see it later).
    qint64 latchedAt = -1;
    QVERIFY(QTest::qWaitFor([&] {
        latchedAt = box.errorLatched && latchedAt < 0 ? later.elapsed() : latchedAt;
        return first.elapsed() >= kTimeoutMs + 500;
    }, 20000));
    QVERIFY2(latchedAt < 0 || latchedAt >= kTimeoutMs * 9 / 10, qPrintable(QString::number(latchedAt)));
    QTRY_VERIFY_WITH_TIMEOUT(box.errorLatched, 20000);
    QCOMPARE(statusText(&box), QStringLiteral("Download timeout, please try again later!"));
}

void tst_ProgressDialogs::upgradeOpensWithStartReport_data()
{
    QTest::addColumn<int>("infoType");
    QTest::addColumn<QString>("text");
    QTest::newRow("fixed warning by default")
        << 0 << "Warning: Do not disconnect the device during upgrade, otherwise the device will crash!";
    QTest::newRow("the report's own text") << 1 << "Start to upgrade. Please do not disconnect!";
}

// The box opens with a start report, whose text follows ug_info_type as
// every report of the camera does.
void tst_ProgressDialogs::upgradeOpensWithStartReport()
{
    QFETCH(int, infoType);
    QFETCH(QString, text);
    const int before = GlobalParams::get().ug_info_type;
    GlobalParams::get().ug_info_type = infoType;
    auto restore = qScopeGuard([before] { GlobalParams::get().ug_info_type = before; });
    UpgradeProgress box;
    QCOMPARE(statusText(&box), text);
    QCOMPARE(barValue(&box), 0);
    QVERIFY(!box.errorLatched);
}

void tst_ProgressDialogs::upgradeSteps()
{
    UpgradeProgress box(1500, nullptr);
    box.successDelayMs = 200;
    box.open();
    for (int i = 0; i < 12; ++i)
        box.onUpgradeProgressUpdate(GlobalParams::UgStep, QString(), QStringLiteral("camera text"));
    QCOMPARE(barValue(&box), 90);
    QCOMPARE(statusText(&box),
             QStringLiteral("Warning: Do not disconnect the device during upgrade, otherwise the device will crash!"));
    box.onUpgradeProgressUpdate(GlobalParams::UgSuccess, QString(), QString());
    QTRY_COMPARE_WITH_TIMEOUT(barValue(&box), 100, 10000);
    QTest::qWait(2000);  // the time-out has passed and changed nothing
    QCOMPARE(statusText(&box), QStringLiteral("Upgrade successfully!"));
    QVERIFY(!box.errorLatched);
}

void tst_ProgressDialogs::upgradeTimeout()
{
    UpgradeProgress box(500, nullptr);
    box.open();
    box.onUpgradeProgressUpdate(GlobalParams::UgError, QString(), QString());
    QTRY_COMPARE_WITH_TIMEOUT(statusText(&box),
                              QStringLiteral("No response from device for a long time, please restart device and "
                                             "try again!"),
                              10000);
    QVERIFY(box.errorLatched);
    // A report arriving after the time-out leaves the failure standing.
    box.onUpgradeProgressUpdate(GlobalParams::UgStart, QString(), QString());
    QVERIFY(box.errorLatched);
}

// No camera answers to the serial: the thread ends with a failure that the
// box shows; a box closed while its thread runs stops it first.
void tst_ProgressDialogs::uvcUpgradeOwnsItsThread()
{
    SimBackend backend;
    UvcDevices registry(backend);
    {
        UvcUpgradeProgress box(QStringLiteral("NOSUCHCAMERA"), QString(), registry);
        box.open();
        QTRY_VERIFY_WITH_TIMEOUT(box.errorLatched, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(box.task()->isFinished(), 30000);
    }
    QPointer<UvcPatchUpgrade> task;
    {
        UvcUpgradeProgress box(QStringLiteral("NOSUCHCAMERA"), QString(), registry);
        task = box.task();
    }
    QVERIFY(!task);
}

void tst_ProgressDialogs::rendersLegibly_data()
{
    QTest::addColumn<QString>("language");
    for (const QString& code : languageCodes())
        QTest::newRow(code.toLatin1()) << code;
}

// Rendered for a person to look at (progress_<box>_<language>.png in the
// build directory), each with its longest text. The USB box is looked at in
// known states only: its thread reports through the event loop, so before
// events run it shows its warning, and once the thread has ended, the
// failure; then each other text its task reports.
void tst_ProgressDialogs::rendersLegibly()
{
    QFETCH(QString, language);
    QVERIFY(useProgramFonts());
    QTranslator translator;
    QVERIFY(installLanguage(translator, language));
    QStringList faults;
    const auto look = [&](MsgProgressUi* box, const QString& name) {
        faults << legibilityFault(box);
        return box->grab().save(stagedFile(QStringLiteral("progress_%1_%2.png").arg(name, language)));
    };
    DownloadProgress download;
    download.onDownloadProgressUpdate(Info::kInfoStart, 3 * 1048576,
                                      QStringLiteral("Orla_main_v1_1.2.3.4_release.bin"));
    download.onTimeout();
    UpgradeProgress upgrade;
    upgrade.onUpgradeProgressUpdate(GlobalParams::UgStep, QString(), QString());
    for (const auto& [name, box] : {qMakePair(QStringLiteral("download"), static_cast<MsgProgressUi*>(&download)),
                                    qMakePair(QStringLiteral("upgrade"), static_cast<MsgProgressUi*>(&upgrade))}) {
        box->open();
        QCOMPARE(box->width(), 360);
        QCoreApplication::processEvents();
        QVERIFY(look(box, name));
    }

    SimBackend backend;
    UvcDevices registry(backend);
    UvcUpgradeProgress uvc(QStringLiteral("NOSUCHCAMERA"), QString(), registry);
    uvc.open();
    QCOMPARE(uvc.width(), 360);
    QVERIFY(look(&uvc, QStringLiteral("uvcupgrade")));
    QVERIFY(!uvc.errorLatched);  // looked at with the warning
    QTRY_VERIFY_WITH_TIMEOUT(uvc.task()->isFinished(), 30000);
    QCoreApplication::sendPostedEvents();  // the thread's last reports
    QVERIFY(uvc.errorLatched);
    QCOMPARE(statusText(&uvc), UpgradeTexts::text(UpgradeTexts::kFailed));
    QVERIFY(look(&uvc, QStringLiteral("uvcupgrade_failed")));
    // A warning shows any text, whatever was shown before.
    for (const char* text : {UpgradeTexts::kStartWarning, UpgradeTexts::kCloseOthers, UpgradeTexts::kOutOfDate,
                             UpgradeTexts::kSucceeded}) {
        uvc.onProgressUpdate(kErrCodeWarn, UpgradeTexts::text(text));
        QCOMPARE(statusText(&uvc), UpgradeTexts::text(text));
        faults << legibilityFault(&uvc);
    }
    faults.removeAll(QString());
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
}

QTEST_MAIN(tst_ProgressDialogs)
#include "tst_progressdialogs.moc"
