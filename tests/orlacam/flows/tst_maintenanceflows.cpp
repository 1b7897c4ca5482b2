// The main window's maintenance flows against the simulated Orla and Zuki:
// each flow's answers, its camera leaving midway, failed downloads and
// listens, and the window painting on while a flow waits.
#include "comm/AppPaths.h"
#include "comm/GlobalParams.h"
#include "download/PkgDownloader.h"
#include "support/LogCapture.h"
#include "support/FlowBoxes.h"
#include "support/SimWindowSupport.h"
#include "support/StartFolder.h"
#include "support/FakePackageServer.h"
#include "support/TestHome.h"
#include "orlacam/flows/DownloadProgress.h"
#include "orlacam/flows/MaintenanceFlow.h"
#include "uicomm/MsgInfoUi.h"
#include "uicomm/MsgProgressUi.h"
#include "orlacam/flows/UpgradeProgress.h"
#include "orlacam/flows/UvcUpgradeProgress.h"
#include "orlacam/window/DevSleep.h"
#include "package/CameraPackage.h"
#include "package/FirmwareStore.h"
#include "support/PackageBuilder.h"
#include "support/FakeCameraHttp.h"
#include "support/TaskRun.h"
#include "uvc/CameraHttpCall.h"
#include "uvc/UvcDevice.h"
#include "uvc/UvcDevices.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include <functional>
#include <memory>

using namespace vesk::pc;

Q_DECLARE_METATYPE(vesk::pc::SimKnobs)

namespace {

// A flow whose one step is a camera HTTP call to url; the answer lands in *result.
class HttpCallFlow : public MaintenanceFlow
{
public:
    using MaintenanceFlow::MaintenanceFlow;
    void start() override {}
    void call(const QUrl& url, int* result)
    {
        callCamera(
            [url](UvcDevice&) {
                CameraHttpCall::Limits limits;  // above the test's wait for the answer
                limits.idleMs = 30000;
                limits.totalMs = 30000;
                CameraHttpCall call(QStringLiteral("slow"), limits);
                return call.run(qhttp::EHTTP_GET, url).isOk() ? 0 : 1;
            },
            [result](int answer) { *result = answer; });
    }
};

// The Orla plugged again with a change, listed and selected in the window;
// plugged as it was once *restore goes.
void replugOrla(MainUserUi& window, const std::function<void(SimCameraModel&)>& change,
                std::shared_ptr<void>* restore)
{
    const SimCameraModel plain = sim().camera(kOrlaLocation)->model();
    SimCameraModel model = plain;
    change(model);
    restore->reset(static_cast<void*>(nullptr), [plain](void*) {
        sim().unplug(kOrlaLocation);
        sim().plug(plain);
    });
    QVERIFY(sim().unplug(kOrlaLocation));
    QTRY_VERIFY_WITH_TIMEOUT(!UvcDevices::get().getDevBySn(kOrlaSn), kBoundMs);
    sim().plug(model);
    QTRY_VERIFY_WITH_TIMEOUT(UvcDevices::get().getDevBySn(kOrlaSn) && buttonFor(window, kOrlaSn), kBoundMs);
    if (window.currentSn() != kOrlaSn)
        QTest::mouseClick(buttonFor(window, kOrlaSn), Qt::LeftButton);
    QCOMPARE(window.currentSn(), kOrlaSn);
}

// An Orla package of version 4.2.7.0 that the simulated Orla installs once
// it runs SoC version 3 (as the package's header says).
QByteArray installableOrlaPackage()
{
    return pkgtest::package({"Kestro_orla", "OA_E", "SSC336Q", "release", 0x04020700},
                            {{1, pkgtest::cameraPackage({{0, QByteArray(3000, 'b')},
                                                         {CameraPackage::CamMdlSsUpdater, QByteArray(2500, 'u')},
                                                         {20, QByteArray(6000, 'a')}})}});
}

constexpr int kOrlaSoc = 2;  // the simulated Orla's SoC version

// A valid package of version 1.0.4.0 for the Orla's platform, made for SoC
// version soc.
QByteArray packageOn(const char* product, const char* branch, int soc)
{
    QByteArray file = pkgtest::package(
        {product, branch, "SSC336Q", "release", 0x01000400},
        {{1, pkgtest::cameraPackage({{0, QByteArray(3000, 'b')}, {10, QByteArray(2000, 's')}})}});
    file[0x68] = char(soc);
    pkgtest::reseal(file);
    return file;
}

// What the row showed each time the registry said the Orla left or came
// back, looked at once the window had taken the news: connected after the
// window's own connection, the watch is called after it.
class OrlaWatch : public QObject
{
public:
    struct Seen
    {
        bool present;
        int index;           // of the Orla's button, -1 without one
        bool selected;       // that button
        bool otherSelected;  // another button, or the window on another camera
        QColor look;         // inside the button's border, clear of its text
    };

    explicit OrlaWatch(const MainUserUi& window) : window_(window)
    {
        connect(&UvcDevices::get(), &UvcDevices::devChanged, this,
                [this](const QByteArray& sn, bool present) {
                    if (QString::fromLatin1(sn) == kOrlaSn)
                        seen_ << look(present);
                },
                Qt::QueuedConnection);
    }
    const QList<Seen>& seen() const { return seen_; }
    // The Orla left, then came back.
    bool cameBack() const
    {
        bool left = false;
        for (const Seen& seen : seen_) {
            if (left && seen.present)
                return true;
            left = left || !seen.present;
        }
        return false;
    }

private:
    Seen look(bool present) const
    {
        DevButton* orla = buttonFor(window_, kOrlaSn);
        bool other = window_.currentSn() != kOrlaSn && !window_.currentSn().isEmpty();
        for (const DevButton* button : window_.devButtons())
            other = other || (button != orla && button->isSelected());
        const QColor look = orla ? orla->grab().toImage().pixelColor(DevButton::kSize / 2, 10) : QColor();
        return {present, orla ? orla->index() : -1, orla && orla->isSelected(), other, look};
    }

    const MainUserUi& window_;
    QList<Seen> seen_;
};

// The row as the Orla first, then the Zuki: a window opened on the Orla
// alone, the Zuki plugged after it.
void listOrlaFirst(std::unique_ptr<MainUserUi>& window)
{
    const SimCameraModel zuki = sim().camera(kZukiLocation)->model();
    QVERIFY(sim().unplug(kZukiLocation));
    QTRY_VERIFY_WITH_TIMEOUT(!UvcDevices::get().getDevBySn(kZukiSn), kBoundMs);
    const bool opened = openWindowOnOrla(window);
    sim().plug(zuki);
    QVERIFY(opened);
    QTRY_VERIFY_WITH_TIMEOUT(buttonFor(*window, kZukiSn), kBoundMs);
    QCOMPARE(buttonFor(*window, kOrlaSn)->index(), 0);
    QCOMPARE(window->currentSn(), kOrlaSn);
}

// The Orla, restarted by a flow that still runs, back in its own button:
// the first of the row, "1", selected, after keeping that place and the
// selection, greyed, while it was away (the selection used to go to the
// Zuki meanwhile, and the Orla came back as the second button).
void checkBackInItsButton(const MainUserUi& window, const OrlaWatch& watch, const QPointer<DevButton>& before)
{
    QVERIFY(QTest::qWaitFor([&] { return watch.cameBack(); }, 4 * kBoundMs));
    for (const OrlaWatch::Seen& seen : watch.seen()) {
        QCOMPARE(seen.index, 0);
        QVERIFY(seen.selected);
        QVERIFY(!seen.otherSelected);
        QCOMPARE(seen.look, seen.present ? QColor(221, 34, 34) : QColor(50, 50, 50));
    }
    QCOMPARE(buttonFor(window, kOrlaSn), before.data());
    QCOMPARE(before->text(), QStringLiteral("1"));
    QVERIFY(before->isEnabled());
    QCOMPARE(window.currentSn(), kOrlaSn);
    QCOMPARE(window.sleepOverlay()->devButtons().size(), 2);
}

// Once the flow has ended: Alt+1 selects the Orla again, Alt+2 the Zuki.
void checkKeysFollowTheRow(MainUserUi& window)
{
    QTRY_VERIFY_WITH_TIMEOUT(!window.flowRunning(), kBoundMs);
    pressAltNumber(window, 2);
    QCOMPARE(window.currentSn(), kZukiSn);
    pressAltNumber(window, 1);
    QCOMPARE(window.currentSn(), kOrlaSn);
}

// A text of the window in the language installed.
QString shownText(const char* source)
{
    return QCoreApplication::translate("MainUserUi", source);
}

// The flow of slot started and its Tips box answered Yes.
void startPastTips(MainUserUi& window, void (MainUserUi::*slot)())
{
    (window.*slot)();
    QVERIFY(waitForBox(shownText("Tips")));
    click(shownText("Tips"), "pbYes");
}

// The program's firmware store while it lives.
struct TempStore : QTemporaryDir
{
    TempStore() { FirmwareStore::setDefaultDir(path()); }
    ~TempStore() { FirmwareStore::setDefaultDir(QString()); }
};

} // namespace

static void answerFileDialog(const char* name, const QString& path);

class tst_MaintenanceFlows : public QObject
{
    Q_OBJECT

private:
    TestHome home_;
    std::unique_ptr<LogCapture> log_;  // from before the window exists
    std::unique_ptr<MainUserUi> window_;

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void withoutCameraNothingStarts_data();
    void withoutCameraNothingStarts();
    void tipsAnsweredOtherThanYesEnds_data();
    void tipsAnsweredOtherThanYesEnds();
    void firmwareWithoutNewerVersionTells();
    void firmwareDownloadFailureEndsFlow();
    void firmwareCameraGoneDuringDownload();
    void upgradeOverUsbInstallsThePackage_data();
    void upgradeOverUsbInstallsThePackage();
    void logExportOverUsb_data();
    void logExportOverUsb();
    void logExportOverNetwork();
    void factoryResetBoxShowsItsTitle_data();
    void factoryResetBoxShowsItsTitle();
    void factoryReset_data();
    void factoryReset();
    void factoryResetCameraGone();
    void flowPausesSelection();
    void reselectionEndsWithItsFlow_data();
    void reselectionEndsWithItsFlow();
    void manualUpgradeStartFolder_data();
    void manualUpgradeStartFolder();
    void manualUpgradeRefusesInvalidFile_data();
    void manualUpgradeRefusesInvalidFile();
    void manualUpgradeOfCameraNotInUsbModeTells();
    void manualUpgradeHandsOverThePick();
    void upgradeManual_data();
    void upgradeManual();
    void softwareUpdate_data();
    void softwareUpdate();
    void networkUpgrade_data();
    void networkUpgrade();
    void slowCameraCallLeavesTheWindowRunning();
};

void tst_MaintenanceFlows::initTestCase()
{
    QVERIFY(home_.isValid());
    QVERIFY(useProgramFonts());
    QVERIFY(QDir().mkpath(AppPaths::dataPath(QStringLiteral("log"))));  // made at start-up
    giveCamerasASubnet();  // a camera in network mode is a fake on the loopback network
    useSimulatedCameras();
    // The camera tasks' waits scaled as the upgrade tests do.
    UvcTiming timing = UvcTiming::defaults();
    timing.upgradeTimePercent = 5;
    timing.upgradeTimeoutPercent = 20;
    timing.netAddressWaitMs = 20;  // a camera back in network mode looks for its network
    UvcTiming::setDefaults(timing);
    qRegisterMetaType<PkgDownloader::InfoType>("vesk::pc::PkgDownloader::InfoType");
}

void tst_MaintenanceFlows::init()
{
    GlobalParams::get().upgrade_method = 0;
    // The window's own software query at start finds no server.
    GlobalParams::get().fw_query_url = QStringLiteral("http://127.0.0.1:9/query");
    if (!sim().camera(kOrlaLocation))
        QSKIP("no simulated Orla");
    log_ = std::make_unique<LogCapture>();
    QVERIFY(openWindowOnOrla(window_));
}

void tst_MaintenanceFlows::cleanup()
{
    window_.reset();
    log_.reset();
    QTest::qWait(20);
    if (!sim().camera(kOrlaLocation))
        QTRY_VERIFY_WITH_TIMEOUT(!sim().devices().isEmpty(), kBoundMs);
}

void tst_MaintenanceFlows::withoutCameraNothingStarts_data()
{
    QTest::addColumn<QByteArray>("slot");
    QTest::addColumn<QString>("told");  // the box shown, if any
    QTest::newRow("firmware") << QByteArray("onFirmwareUpgrade") << QStringLiteral("No Device Connected");
    QTest::newRow("manual") << QByteArray("onManualUpgrade") << QString();
    QTest::newRow("log") << QByteArray("onExportLog") << QString();
    QTest::newRow("reset") << QByteArray("onRestoreFactorySetting") << QString();
}

void tst_MaintenanceFlows::withoutCameraNothingStarts()
{
    QFETCH(QByteArray, slot);
    QFETCH(QString, told);
    // Both cameras go, so that the window cannot select the other one
    // between the unplug and the flow's start.
    QList<SimCameraModel> gone;
    auto replug = qScopeGuard([&] {
        for (const SimCameraModel& model : gone)
            sim().plug(model);
    });
    for (const uint32_t location : {kOrlaLocation, kZukiLocation}) {
        if (const auto camera = sim().camera(location)) {
            gone << camera->model();
            QVERIFY(sim().unplug(location));
        }
    }
    QTRY_VERIFY_WITH_TIMEOUT(UvcDevices::get().devList().isEmpty() && window_->currentSn().isEmpty(), kBoundMs);
    window_->onDevSnMarked(QString());
    QVERIFY(QMetaObject::invokeMethod(window_.get(), slot.constData()));
    if (!told.isEmpty()) {
        QVERIFY(waitForBox(told));
        click(told, "pbYes");
    }
    QTRY_VERIFY_WITH_TIMEOUT(!window_->flowRunning(), kBoundMs);
    QVERIFY(!shownBox(QStringLiteral("Tips")));
}

void tst_MaintenanceFlows::tipsAnsweredOtherThanYesEnds_data()
{
    QTest::addColumn<QByteArray>("slot");
    QTest::addColumn<QString>("how");
    for (const char* slot : {"onFirmwareUpgrade", "onExportLog", "onManualUpgrade"}) {
        for (const char* how : {"no", "escape", "close"})
            QTest::addRow("%s %s", slot, how) << QByteArray(slot) << QString::fromLatin1(how);
    }
}

// A closed box is not a yes: Escape or the window system's close ends the
// flow as No does.
void tst_MaintenanceFlows::tipsAnsweredOtherThanYesEnds()
{
    QFETCH(QByteArray, slot);
    QFETCH(QString, how);
    QVERIFY(QMetaObject::invokeMethod(window_.get(), slot.constData()));
    QVERIFY(window_->flowRunning());
    QVERIFY(waitForBox(QStringLiteral("Tips")));
    QWidget* box = shownBox(QStringLiteral("Tips"));
    if (how == QLatin1String("no"))
        click(QStringLiteral("Tips"), "pbNo");
    else if (how == QLatin1String("escape"))
        QTest::keyClick(box, Qt::Key_Escape);
    else
        box->windowHandle()->close();
    QTRY_VERIFY_WITH_TIMEOUT(!window_->flowRunning(), kBoundMs);
    QVERIFY(!shownBox(QStringLiteral("Extracting Log")));
    QVERIFY(!shownBox(QStringLiteral("Firmware upgrade info")));
    QVERIFY(!window_->findChild<QFileDialog*>(QStringLiteral("chooseFirmware")));
}

void tst_MaintenanceFlows::firmwareWithoutNewerVersionTells()
{
    UvcDevices::get().getDevBySn(kOrlaSn)->setLatestVersion(QString());
    window_->onFirmwareUpgrade();
    QVERIFY(waitForBox(QStringLiteral("Tips")));
    click(QStringLiteral("Tips"), "pbYes");
    QVERIFY(waitForBox(QStringLiteral("Firmware upgrade info")));
    QCOMPARE(textOf(shownBox(QStringLiteral("Firmware upgrade info"))),
             QStringLiteral("Cannot get latest firmware info from server!"));
    click(QStringLiteral("Firmware upgrade info"), "pbYes");
    QTRY_VERIFY_WITH_TIMEOUT(!window_->flowRunning(), kBoundMs);
}

void tst_MaintenanceFlows::firmwareDownloadFailureEndsFlow()
{
    FakePackageServer server;
    QVERIFY(server.listen());
    GlobalParams::get().fw_query_url = server.queryUrl();  // offers nothing
    QTemporaryDir store;
    FirmwareStore::setDefaultDir(store.path());
    auto restore = qScopeGuard([] { FirmwareStore::setDefaultDir(QString()); });
    reachDownload(*window_);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(window_->downloader().downloadDir, store.path() + QLatin1Char('/'));  // the program's one store
    QTRY_COMPARE_WITH_TIMEOUT(textOf(window_->downloadBox()), QStringLiteral("Download error!"), kBoundMs);
    QVERIFY(window_->flowRunning());
    click(QStringLiteral("Downloading Firmware"), "pbOk");
    QTRY_VERIFY_WITH_TIMEOUT(!window_->flowRunning(), kBoundMs);
    QVERIFY(window_->downloader().wait(kBoundMs));
}

// The box answered Yes after a verified download, but the camera has left:
// the flow says so and touches nothing.
void tst_MaintenanceFlows::firmwareCameraGoneDuringDownload()
{
    GlobalParams::get().fw_query_url = QStringLiteral("http://127.0.0.1:9/query");
    reachDownload(*window_);
    if (QTest::currentTestFailed())
        return;
    const SimCameraModel model = sim().camera(kOrlaLocation)->model();
    QVERIFY(sim().unplug(kOrlaLocation));
    QTRY_VERIFY_WITH_TIMEOUT(!UvcDevices::get().getDevBySn(kOrlaSn), kBoundMs);
    passDownload(*window_);
    QVERIFY(waitForBox(QStringLiteral("No Device Connected")));
    click(QStringLiteral("No Device Connected"), "pbYes");
    QTRY_VERIFY_WITH_TIMEOUT(!window_->flowRunning(), kBoundMs);
    QVERIFY(!shownUpgradeBox());
    sim().plug(model);
}

void tst_MaintenanceFlows::upgradeOverUsbInstallsThePackage_data()
{
    QTest::addColumn<bool>("picked");
    QTest::newRow("named by the query server") << false;
    QTest::newRow("picked by the user") << true;
}

// A newer package, downloaded and verified into the store or picked by the
// user, brought on over USB: the camera runs it afterwards. It restarts into
// it, and once back it is the selected camera again with its new version on
// the setting page (the other camera used to stay selected).
void tst_MaintenanceFlows::upgradeOverUsbInstallsThePackage()
{
    QFETCH(bool, picked);
    std::shared_ptr<void> restore;
    replugOrla(*window_, [](SimCameraModel& model) {
        model.socVersion = 3;  // as the package's header says
        model.rebootDelayMs = 10;
        model.upgrade.presentImage = QByteArray(4000, 'i');
    }, &restore);
    if (QTest::currentTestFailed())
        return;
    listOrlaFirst(window_);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(QDir().mkpath(AppPaths::dataPath(QStringLiteral("firmware"))));  // made at start-up
    const QByteArray package = installableOrlaPackage();
    const QPointer<DevButton> button = buttonFor(*window_, kOrlaSn);
    const OrlaWatch watch(*window_);
    FakePackageServer server;  // listens only to name the package
    if (picked) {
        const QString path = home_.path() + QStringLiteral("/Kestro_orla_OA_E_SSC336Q_4.2.7.0.bin");
        QVERIFY(pkgtest::writeFile(path, package));
        startPastTips(*window_, &MainUserUi::onManualUpgrade);
        answerFileDialog("chooseFirmware", path);
    } else {
        QVERIFY(server.listen());
        GlobalParams::get().fw_query_url = server.queryUrl();
        const QJsonObject identity{{"product", "Kestro_orla"}, {"branch", "OA_E"}, {"platform", "SSC336Q"},
                                   {"status", "release"}, {"version", "4.2.7.0"}};
        server.offer(FakePackageServer::record(identity, package, server.fileUrl(QStringLiteral("orla.bin"))), package);
        reachDownload(*window_);
        if (QTest::currentTestFailed())
            return;
        auto* ok = window_->downloadBox()->findChild<QPushButton*>(QStringLiteral("pbOk"));
        QTRY_VERIFY_WITH_TIMEOUT(ok->isEnabled(), kBoundMs);
        QVERIFY(!window_->downloadBox()->errorLatched);
        QCOMPARE(server.requestsFor(QStringLiteral("/pkg/")), 1);
        click(QStringLiteral("Downloading Firmware"), "pbOk");
    }

    UvcUpgradeProgress* box = nullptr;
    QVERIFY(QTest::qWaitFor([&] { return (box = window_->findChild<UvcUpgradeProgress*>()) && box->isVisible(); },
                            kBoundMs));
    QCOMPARE(shownUpgradeBox(), box);
    auto* ok = box->findChild<QPushButton*>(QStringLiteral("pbOk"));
    QTRY_VERIFY_WITH_TIMEOUT(ok->isEnabled(), 8 * kBoundMs);
    QCOMPARE(textOf(box), QStringLiteral("Upgrade successfully!"));
    const SimCameraModel after = sim().camera(kOrlaLocation)->model();
    QCOMPARE(after.upgrade.installedFirmware, package);  // byte for byte
    QCOMPARE(after.version, 0x04020700u);
    checkBackInItsButton(*window_, watch, button);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(window_->settingWindow()->findChild<QLabel*>(QStringLiteral("lbFirmwareVersionValue"))->text(),
             QStringLiteral("4.2.7.0"));
    QTest::mouseClick(ok, Qt::LeftButton);
    checkKeysFollowTheRow(*window_);
}

void tst_MaintenanceFlows::logExportOverUsb_data()
{
    addLanguageRows();
}

// The success box names the stored archive whole, in every language
// (logexport_<language>.png in the build directory), and the user can
// select and copy its path.
void tst_MaintenanceFlows::logExportOverUsb()
{
    QFETCH(QString, language);
    QTranslator translator;
    QVERIFY(installLanguage(translator, language));
    std::shared_ptr<void> restore;
    replugOrla(*window_, [](SimCameraModel& model) { model.upgrade.logArchive = QByteArray("the camera's log archive"); },
               &restore);
    if (QTest::currentTestFailed())
        return;
    listOrlaFirst(window_);
    if (QTest::currentTestFailed())
        return;
    const QPointer<DevButton> button = buttonFor(*window_, kOrlaSn);
    const OrlaWatch watch(*window_);
    const QDir logDir(AppPaths::dataPath(QStringLiteral("log")));
    for (const QString& earlier : logDir.entryList(QDir::Files))
        QVERIFY(QFile::remove(logDir.filePath(earlier)));  // another language's row
    startPastTips(*window_, &MainUserUi::onExportLog);
    QVERIFY(waitForBox(shownText("Extracting Log")));
    QPointer<QWidget> box = shownBox(shownText("Extracting Log"));
    auto* yes = box->findChild<QPushButton*>(QStringLiteral("pbYes"));
    QVERIFY(!yes->isEnabled());
    // A wait: neither Escape nor the window's close cuts the export.
    QVERIFY(outlastsDismissal(box));
    QTRY_VERIFY_WITH_TIMEOUT(yes->isEnabled(), 60000);
    const QStringList stored = logDir.entryList(QDir::Files);
    QCOMPARE(stored.size(), 1);
    // Where the archive went, on a line of its own and shown whole: the
    // box used to keep its first width, narrower than the archive's name.
    const QString path = AppPaths::dataPath(QStringLiteral("log/")) + stored.first();
    QCOMPARE(textOf(box), shownText("Extract the log file successfully!") + QLatin1Char('\n') + path);
    QVERIFY(box->grab().save(stagedFile(QStringLiteral("logexport_%1.png").arg(language))));
    const QString cut = legibilityFault(box);
    QVERIFY2(cut.isEmpty(), qPrintable(cut));
    // Selected and copied, the path is the path.
    auto* content = box->findChild<QLabel*>(QStringLiteral("lbContent"));
    content->setSelection(content->text().indexOf(path), path.size());
    QCOMPARE(content->selectedText(), path);
    QApplication::clipboard()->clear();
    QTest::keyClick(content, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), path);
    // On the wire: the gathering lines, the restart into the upgrade system
    // for the archive, and the closing reboot.
    QStringList road;
    for (const SimEvent& event : sim().camera(kOrlaLocation)->journal()->events()) {
        if (event.kind == SimEvent::Shell || event.kind == SimEvent::Syscall || event.kind == SimEvent::Reboot)
            road << QString::fromLatin1(event.text);
    }
    QCOMPARE(road, QStringList({"cp /app/private/LogFac* /log/ai/ -rf &", "cp /factory/*.json /log/ai/ &",
                                "upgrade", "reboot", "main"}));
    // The camera restarted: once back it is the selected one again.
    checkBackInItsButton(*window_, watch, button);
    if (QTest::currentTestFailed())
        return;
    QTest::mouseClick(yes, Qt::LeftButton);
    checkKeysFollowTheRow(*window_);
}

// The network road with the simulated Orla alone (it used to wait for a
// switch that never came, and fail after a minute): told its pool address,
// the Orla leaves USB and comes back in network mode there, serves its
// archive over HTTP, and once the user has read the outcome it is asked to
// reboot and comes back on USB at the same address.
void tst_MaintenanceFlows::logExportOverNetwork()
{
    const QByteArray archive("the camera's log archive");
    std::shared_ptr<void> restore;
    replugOrla(*window_, [&](SimCameraModel& model) { model.upgrade.logArchive = archive; }, &restore);
    if (QTest::currentTestFailed())
        return;
    GlobalParams::get().upgrade_method = 1;
    auto method = qScopeGuard([] { GlobalParams::get().upgrade_method = 0; });
    const QString address = UvcDevices::get().getDevBySn(kOrlaSn)->ipAddr();
    QCOMPARE(address, QStringLiteral("127.0.89.10"));  // the pool's first
    const QDir logs(AppPaths::dataPath(QStringLiteral("log")));
    const QStringList before = logs.entryList(QDir::Files);
    window_->onExportLog();
    QVERIFY(waitForBox(QStringLiteral("Extracting Log")));
    QPointer<QWidget> box = shownBox(QStringLiteral("Extracting Log"));
    auto* yes = box->findChild<QPushButton*>(QStringLiteral("pbYes"));
    QVERIFY(!yes->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(yes->isEnabled(), 4 * kBoundMs);
    QVERIFY2(textOf(box).startsWith(QStringLiteral("Extract the log file successfully")), qPrintable(textOf(box)));
    const QSharedPointer<UvcDevice> net = UvcDevices::get().getDevBySn(kOrlaSn);
    QVERIFY(net);
    QCOMPARE(net->devMode(), UvcDevice::DevModeNet);
    QCOMPARE(net->ipAddr(), address);
    QStringList added = logs.entryList(QDir::Files);
    for (const QString& name : before)
        added.removeOne(name);
    QCOMPARE(added.size(), 1);
    QVERIFY2(added.first().endsWith(QStringLiteral("_vesk_log.tar.gz")), qPrintable(added.first()));
    QCOMPARE(pkgtest::readFile(logs.filePath(added.first())), archive);
    QCOMPARE(textOf(box), QStringLiteral("Extract the log file successfully and device will reboot now!\n")
                              + logs.filePath(added.first()));
    QTest::mouseClick(yes, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->flowRunning(), kBoundMs);
    QSharedPointer<UvcDevice> usb;
    QTRY_VERIFY_WITH_TIMEOUT((usb = UvcDevices::get().getDevBySn(kOrlaSn)) && usb->devMode() == UvcDevice::DevModeUvc
                                 && usb->isInited(),
                             4 * kBoundMs);
    QCOMPARE(usb->ipAddr(), address);
    // On the wire: the change of address (127.0.89.10 little-endian, then
    // network mode 3), the download and the reboot over HTTP; boots aside.
    QStringList road;
    for (const QString& line : sim().camera(kOrlaLocation)->journal()->lines()) {
        const QString event = line.section(QLatin1Char(' '), 1);
        if (event.startsWith(QLatin1String("frame 8064")) || event.startsWith(QLatin1String("reboot"))
            || event.contains(QLatin1String("/download_log")) || event.contains(QLatin1String("/run_shell_script")))
            road << event;
    }
    QCOMPARE(road, QStringList({"frame 8064 0a59007f03", "reboot network", "request GET /download_log",
                                "request POST /run_shell_script reboot", "reboot main"}));
}

void tst_MaintenanceFlows::factoryResetBoxShowsItsTitle_data()
{
    logExportOverUsb_data();
}

// The question's box keeps its size while the flow goes on, and used to
// cut the German title at both sides.
void tst_MaintenanceFlows::factoryResetBoxShowsItsTitle()
{
    QFETCH(QString, language);
    QTranslator translator;
    QVERIFY(installLanguage(translator, language));
    window_->onRestoreFactorySetting();
    const QString title = shownText("Restore Factory Settings");
    QVERIFY(waitForBox(title));
    const QString cut = legibilityFault(shownBox(title));
    QVERIFY2(cut.isEmpty(), qPrintable(cut));
    click(title, "pbNo");
    QTRY_VERIFY_WITH_TIMEOUT(!window_->flowRunning(), kBoundMs);
}

void tst_MaintenanceFlows::factoryReset_data()
{
    QTest::addColumn<SimKnobs>("knobs");
    QTest::addColumn<bool>("restarts");   // the camera leaves and comes back once it took the frame
    QTest::addColumn<int>("comeBackMs");  // the flow's wait for that
    QTest::addColumn<bool>("taken");      // the camera took a copy of the frame
    QTest::addColumn<QString>("outcome");
    const QString done = QStringLiteral("Factory reset successfully!");
    const QString failed = QStringLiteral("Factory reset failed, please try again later!");
    SimKnobs knobs;
    QTest::newRow("confirmed") << knobs << false << 60000 << true << done;
    knobs.setFailsOnSelector = 2;
    // Used to say success: the frame was queued, its failed writes only logged.
    // The camera then leaves and comes back, which after an unanswered reset
    // is a success: only the failed write can tell the two apart, not a wait.
    QTest::newRow("never written") << knobs << true << 600000 << false << failed;
    knobs = SimKnobs();
    knobs.resultCode = 1;
    QTest::newRow("refused by the camera") << knobs << false << 60000 << true << failed;
    knobs = SimKnobs();
    knobs.noReply = true;
    QTest::newRow("unanswered, the camera stays") << knobs << false << 2500 << true << failed;
    QTest::newRow("unanswered, the camera restarts") << knobs << true << 60000 << true << done;
}

// The reset frame on the wire and the box's outcome. While the box waits,
// neither Escape nor the window's close ends it.
void tst_MaintenanceFlows::factoryReset()
{
    QFETCH(SimKnobs, knobs);
    QFETCH(bool, restarts);
    QFETCH(int, comeBackMs);
    QFETCH(bool, taken);
    QFETCH(QString, outcome);
    const SimCameraModel plain = sim().camera(kOrlaLocation)->model();
    auto restore = qScopeGuard([&] {
        if (const auto camera = sim().camera(kOrlaLocation))
            camera->setKnobs(plain.knobs);
    });
    WindowTiming timing = window_->timing();
    timing.resetComeBackMs = comeBackMs;
    window_->setTiming(timing);
    window_->onRestoreFactorySetting();
    const QString title = QStringLiteral("Restore Factory Settings");
    QVERIFY(waitForBox(title));
    sim().camera(kOrlaLocation)->clearRequests();
    sim().camera(kOrlaLocation)->setKnobs(knobs);
    click(title, "pbYes");
    QPointer<QWidget> box = shownBox(title);
    QVERIFY(box);
    auto* yes = box->findChild<QPushButton*>(QStringLiteral("pbYes"));
    QCOMPARE(textOf(box), QStringLiteral("Device is restoring the factory settings, please waiting..."));
    QVERIFY(!yes->isEnabled());
    QVERIFY(outlastsDismissal(box));
    QVERIFY(window_->flowRunning());

    const QByteArray expected = QByteArray::fromHex("AA000D12 0000000000 E1 13C4 01") + QByteArray(47, '\0');
    QVERIFY(QTest::qWaitFor([&] { return !orlaFrames(0x13C4).isEmpty(); }, kBoundMs));
    QList<QByteArray> sent;
    int copies = 0;
    if (restarts) {
        sent = orlaFrames(0x13C4, &copies);  // the camera's record goes with it
        QVERIFY(sim().unplug(kOrlaLocation));
        QTRY_VERIFY_WITH_TIMEOUT(!UvcDevices::get().getDevBySn(kOrlaSn), kBoundMs);
        sim().plug(plain);
    }
    QTRY_COMPARE_WITH_TIMEOUT(textOf(box), outcome, 2 * kBoundMs);
    QVERIFY(yes->isEnabled());
    if (!restarts)
        sent = orlaFrames(0x13C4, &copies);
    for (const QByteArray& frame : qAsConst(sent))
        QCOMPARE(frame.toHex(), expected.toHex());
    QCOMPARE(copies > 0, taken);
    QTest::mouseClick(yes, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->flowRunning(), kBoundMs);
}

// Unplugged before the command and never back: no success.
void tst_MaintenanceFlows::factoryResetCameraGone()
{
    window_->onRestoreFactorySetting();
    const QString title = QStringLiteral("Restore Factory Settings");
    QVERIFY(waitForBox(title));
    const SimCameraModel model = sim().camera(kOrlaLocation)->model();
    QVERIFY(sim().unplug(kOrlaLocation));
    QTRY_VERIFY_WITH_TIMEOUT(!UvcDevices::get().getDevBySn(kOrlaSn), kBoundMs);
    click(title, "pbYes");
    QTRY_COMPARE_WITH_TIMEOUT(textOf(shownBox(title)), QStringLiteral("Factory reset failed, please try again later!"),
                              kBoundMs);
    click(title, "pbYes");
    QTRY_VERIFY_WITH_TIMEOUT(!window_->flowRunning(), kBoundMs);
    sim().plug(model);
}

// A click on another camera changes neither the selection nor its looks
// (the clicked button used to look selected too).
void tst_MaintenanceFlows::flowPausesSelection()
{
    window_->onRestoreFactorySetting();
    QVERIFY(window_->flowRunning());
    for (DevButton* button : window_->devButtons()) {
        if (button->hasDevice() && button->sn() != kOrlaSn)
            QTest::mouseClick(button, Qt::LeftButton);
    }
    QCOMPARE(window_->currentSn(), kOrlaSn);
    for (const DevButton* button : window_->devButtons())
        QCOMPARE(button->btnStyle(), int(button->sn() == kOrlaSn ? DevButton::Selected : DevButton::Normal));
    QCOMPARE(window_->sleepOverlay()->selectedIndex(), buttonFor(*window_, kOrlaSn)->index());
    window_->onExportLog();  // refused while the reset runs
    QVERIFY(!shownBox(QStringLiteral("Tips")));
    click(QStringLiteral("Restore Factory Settings"), "pbNo");
    QTRY_VERIFY_WITH_TIMEOUT(!window_->flowRunning(), kBoundMs);
}

void tst_MaintenanceFlows::reselectionEndsWithItsFlow_data()
{
    QTest::addColumn<QString>("orla");  // what the flow's camera does
    QTest::newRow("alone, back while the flow runs") << "alone";
    QTest::newRow("no file picked, the camera stayed") << "stayed";
    QTest::newRow("away when the flow ended, selected once back") << "away";
}

// The camera a flow expects back is selected again once: plugged again
// later beside the selected camera, it takes the selection no more (the
// serial to reselect used to stay set). One still away when its flow ended
// (restarting as the user closed the last box) is selected when back.
void tst_MaintenanceFlows::reselectionEndsWithItsFlow()
{
    QFETCH(QString, orla);
    const SimCameraModel orlaModel = sim().camera(kOrlaLocation)->model();
    const SimCameraModel zuki = sim().camera(kZukiLocation)->model();
    // While its flow runs, the camera keeps its button, greyed.
    const auto orlaListed = [&] { return buttonFor(*window_, kOrlaSn) && !buttonFor(*window_, kOrlaSn)->isAway(); };
    const auto orlaGone = [&] {
        return sim().unplug(kOrlaLocation) && QTest::qWaitFor([&] { return !orlaListed(); }, kBoundMs);
    };
    const auto orlaBack = [&] {
        sim().plug(orlaModel);
        return QTest::qWaitFor(orlaListed, kBoundMs);
    };
    auto restore = qScopeGuard([&] {
        if (!sim().camera(kZukiLocation))
            sim().plug(zuki);
        if (!sim().camera(kOrlaLocation))
            sim().plug(orlaModel);
    });
    const QString reset = QStringLiteral("Restore Factory Settings");
    if (orla == QLatin1String("stayed")) {
        startPastTips(*window_, &MainUserUi::onManualUpgrade);  // the pick marks the camera to select again
        answerFileDialog("chooseFirmware", QString());
    } else {
        const bool alone = orla == QLatin1String("alone");
        if (alone) {
            QVERIFY(sim().unplug(kZukiLocation));
            QTRY_VERIFY_WITH_TIMEOUT(!buttonFor(*window_, kZukiSn), kBoundMs);
        }
        window_->onRestoreFactorySetting();
        QVERIFY(waitForBox(reset));
        QVERIFY(orlaGone());
        QVERIFY(!alone || orlaBack());
        click(reset, "pbNo");
        QTRY_VERIFY_WITH_TIMEOUT(!window_->flowRunning(), kBoundMs);
        QVERIFY(alone || orlaBack());  // away: back only now
        QCOMPARE(window_->currentSn(), kOrlaSn);
        if (alone)
            sim().plug(zuki);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!window_->flowRunning() && buttonFor(*window_, kZukiSn), kBoundMs);
    QTest::mouseClick(buttonFor(*window_, kZukiSn), Qt::LeftButton);
    QCOMPARE(window_->currentSn(), kZukiSn);
    QVERIFY(orlaGone() && orlaBack());
    QCOMPARE(window_->currentSn(), kZukiSn);
}

// The Qt file dialog of a flow once shown; null when none came.
static QFileDialog* shownFileDialog(const char* name)
{
    QFileDialog* dialog = nullptr;
    return QTest::qWaitFor([&] {
        dialog = QApplication::activeModalWidget() ? QApplication::activeModalWidget()->findChild<QFileDialog*>(
                                                         QLatin1String(name))
                                                   : nullptr;
        const auto tops = QApplication::topLevelWidgets();
        for (QWidget* w : tops)
            if (!dialog && w->objectName() == QLatin1String(name) && w->isVisible())
                dialog = qobject_cast<QFileDialog*>(w);
        return dialog != nullptr;
    }, kBoundMs) ? dialog : nullptr;
}

// The Qt file dialog of a flow, answered with path, or cancelled when empty.
static void answerFileDialog(const char* name, const QString& path)
{
    QFileDialog* dialog = shownFileDialog(name);
    QVERIFY(dialog);
    if (path.isEmpty()) {
        dialog->reject();
        return;
    }
    dialog->selectFile(path);
    QMetaObject::invokeMethod(dialog, "accept");
}

void tst_MaintenanceFlows::manualUpgradeStartFolder_data()
{
    StartFolder::addRows();  // what ~/Downloads is
}

// The firmware chooser starts in the download folder, or in the home folder
// when that is no folder.
void tst_MaintenanceFlows::manualUpgradeStartFolder()
{
    QFETCH(QString, startFolder);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    QVERIFY(folder.startsWith(home_.path()));
    const StartFolder downloads(folder, startFolder);
    QVERIFY(downloads.isMade());
    startPastTips(*window_, &MainUserUi::onManualUpgrade);
    QFileDialog* dialog = shownFileDialog("chooseFirmware");
    QVERIFY(dialog);
    downloads.check(*dialog);
    dialog->reject();
    QTRY_VERIFY_WITH_TIMEOUT(!window_->flowRunning(), kBoundMs);
}

void tst_MaintenanceFlows::manualUpgradeRefusesInvalidFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("no file chosen") << QStringLiteral("Orla_bad.bin") << QByteArray();
    QTest::newRow("not a package") << QStringLiteral("Orla_bad.bin") << QByteArray("not a firmware package");
    QTest::newRow("another product") << QStringLiteral("Kestro_zuki_2P_main_SSC336Q_1.0.4.0.bin")
                                     << packageOn("Kestro_zuki_2P", "main", kOrlaSoc);
    // Used to be taken and to fail at 0 %, however often retried.
    QTest::newRow("another SoC version") << QStringLiteral("Kestro_orla_OA_E_SSC336Q_1.0.4.0.bin")
                                         << packageOn("Kestro_orla", "OA_E", kOrlaSoc + 1);
}

// Refused before the camera is touched, and nothing of the pick stays.
void tst_MaintenanceFlows::manualUpgradeRefusesInvalidFile()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    const TempStore store;
    const QString path = home_.path() + QLatin1Char('/') + name;
    QVERIFY(pkgtest::writeFile(path, content));
    startPastTips(*window_, &MainUserUi::onManualUpgrade);
    answerFileDialog("chooseFirmware", content.isEmpty() ? QString() : path);
    if (!content.isEmpty()) {
        QVERIFY(waitForBox(QStringLiteral("Firmware Invalid")));
        click(QStringLiteral("Firmware Invalid"), "pbYes");
    }
    QTRY_VERIFY_WITH_TIMEOUT(!window_->flowRunning(), kBoundMs);
    QVERIFY(!shownUpgradeBox());
    QCOMPARE(QDir(store.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

// A camera that is not in USB mode has no road for a picked package: the
// user is told (the flow used to end without a word).
void tst_MaintenanceFlows::manualUpgradeOfCameraNotInUsbModeTells()
{
    const TempStore store;
    const QSharedPointer<UvcDevice> orla = UvcDevices::get().getDevBySn(kOrlaSn);
    const int port = GlobalParams::get().device_port;
    auto restore = qScopeGuard([orla, port] {
        orla->setDevMode(UvcDevice::DevModeUvc);
        GlobalParams::get().device_port = port;
    });
    // In network mode the camera tells who it is over HTTP: the package's
    // camera, SoC version included.
    FakeCameraHttp camera;
    QVERIFY(camera.listen(QHostAddress(orla->ipAddr())));
    camera.setReply(QStringLiteral("/query_device_info"),
                    FakeCameraHttp::json(R"({"product":"Kestro_orla","branch":"OA_E","platform":"SSC336Q",)"
                                         R"("status":"release","version":"4.2.6.0","systype":1,"socver":3})"));
    GlobalParams::get().device_port = camera.port();
    const QString path = home_.path() + QStringLiteral("/Kestro_orla_OA_E_SSC336Q_4.2.7.0.bin");
    QVERIFY(pkgtest::writeFile(path, installableOrlaPackage()));
    startPastTips(*window_, &MainUserUi::onManualUpgrade);
    orla->setDevMode(UvcDevice::DevModeNet);
    answerFileDialog("chooseFirmware", path);
    const QString title = QStringLiteral("Firmware upgrade info");
    QVERIFY(waitForBox(title));
    QCOMPARE(textOf(shownBox(title)), QStringLiteral("Upgrade failed, please try again later."));
    click(title, "pbYes");
    QTRY_VERIFY_WITH_TIMEOUT(!window_->flowRunning(), kBoundMs);
    QVERIFY(!shownUpgradeBox());
}

// The picked package becomes the store's only one of the camera, with its
// upgrade-system companion, under a name (no channel) the store would never
// choose by. The upgrade it starts stops before touching the camera or the
// store, the camera's stream held by another program, so that the store is
// seen as the pick left it.
void tst_MaintenanceFlows::manualUpgradeHandsOverThePick()
{
    const TempStore store;
    const QString name = QStringLiteral("Kestro_orla_OA_E_SSC336Q_1.0.4.0.bin");
    QVERIFY(pkgtest::writeFile(store.filePath(QStringLiteral("Kestro_orla_OA_E_SSC336Q_1.0.3.0_release.bin")),
                               "older"));
    const QString picked = home_.path() + QLatin1Char('/') + name;
    const QByteArray bytes = packageOn("Kestro_orla", "OA_E", kOrlaSoc);
    QVERIFY(pkgtest::writeFile(picked, bytes));
    QVERIFY(pkgtest::writeFile(store.filePath(name), "other bytes"));  // replaced by the pick
    const QSharedPointer<SimCamera> orla = sim().camera(kOrlaLocation);
    SimStreamFaults held;
    held.heldChecks = -1;
    orla->setStreamFaults(held);
    auto release = qScopeGuard([orla] { orla->setStreamFaults(SimStreamFaults()); });
    startPastTips(*window_, &MainUserUi::onManualUpgrade);
    answerFileDialog("chooseFirmware", picked);
    UvcUpgradeProgress* box = nullptr;
    QVERIFY(QTest::qWaitFor([&] { return (box = window_->findChild<UvcUpgradeProgress*>()) && box->isVisible(); },
                            kBoundMs));
    QTRY_VERIFY_WITH_TIMEOUT(box->errorLatched, kBoundMs);
    QVERIFY(log_->startsWith(QStringLiteral("streamIsOccupied")));
    QCOMPARE(QDir(store.path()).entryList(QDir::Files), (QStringList{name, "Ugsys_" + name}));
    QCOMPARE(pkgtest::readFile(store.filePath(name)), bytes);
    QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("pbOk")), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->flowRunning(), kBoundMs);
}

void tst_MaintenanceFlows::upgradeManual_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QString>("address");
    QTest::newRow("English, a browser starts")
        << 0 << true << "https://www.kestro.invalid/service/faq/orla-upgrade-manual?fl=en";
    // Used to do nothing visible.
    QTest::newRow("simplified Chinese, no browser: the address is shown")
        << 1 << false << "https://www.kestro.invalid/cn/service/faq/orla-upgrade-manual?fl=cn";
}

void tst_MaintenanceFlows::upgradeManual()
{
    QFETCH(int, language);
    QFETCH(bool, opens);
    QFETCH(QString, address);
    const int before = GlobalParams::get().language_type;
    GlobalParams::get().language_type = language;
    auto restore = qScopeGuard([before] { GlobalParams::get().language_type = before; });
    QList<QUrl> opened;
    window_->urlOpener = [&](const QUrl& url) {
        opened << url;
        return opens;
    };
    window_->onUpgradeManual();
    QCOMPARE(opened, QList<QUrl>{QUrl(address)});
    MsgInfoUi* notice = window_->findChild<MsgInfoUi*>(QStringLiteral("linkNotOpened"));
    QCOMPARE(notice != nullptr, !opens);
    if (opens)
        return;
    QVERIFY(notice->isVisible());
    QVERIFY(textOf(notice).contains(address.toHtmlEscaped()));
    QTest::mouseClick(notice->findChild<QPushButton*>(QStringLiteral("pbYes")), Qt::LeftButton);
    QTRY_VERIFY(!window_->findChild<MsgInfoUi*>(QStringLiteral("linkNotOpened")));
}

void tst_MaintenanceFlows::softwareUpdate_data()
{
    QTest::addColumn<bool>("opens");
    QTest::newRow("installer opens, program quits") << true;
    QTest::newRow("installer cannot open, program stays") << false;
}

// A newer package named by the query server, downloaded into the chosen
// folder and handed to the opener.
void tst_MaintenanceFlows::softwareUpdate()
{
    QFETCH(bool, opens);
    // The window's own query at start must not reach the package server
    // below: under load it could come after this flow and start another.
    QTRY_VERIFY_WITH_TIMEOUT(log_->contains(QStringLiteral("No software package from the query server")), kBoundMs);
    FakePackageServer server;
    QVERIFY(server.listen());
    GlobalParams::get().fw_query_url = server.queryUrl();
    QJsonObject identity = GlobalParams::get().getPcSoftwareInfo();
    identity.remove(QStringLiteral("seqid"));
    identity.remove(QStringLiteral("pkg_type"));
    identity.insert(QStringLiteral("version"), QStringLiteral("9.0.0.1"));
    const QByteArray data(300000, 'p');
    server.offer(FakePackageServer::record(identity, data, server.fileUrl(QStringLiteral("OrlaCam.dmg"))), data);
    QList<QUrl> opened;
    window_->urlOpener = [&](const QUrl& url) {
        opened << url;
        return opens;
    };
    const QString folder = home_.path() + QStringLiteral("/Downloads");
    QVERIFY(QDir().mkpath(folder));

    window_->onInfoFromServer(QJsonObject{{"version", "9.0.0.1"}, {"release_notes_en", "Faster."}});
    const QString title = QStringLiteral("Software upgrade info");
    QVERIFY(waitForBox(title));
    QCOMPARE(textOf(shownBox(title)), QStringLiteral("New software is available: 9.0.0.1!\nFaster."));
    click(title, "pbYes");
    answerFileDialog("chooseStoragePath", folder);
    QVERIFY(waitForBox(QStringLiteral("Downloading Software")));
    QTRY_VERIFY_WITH_TIMEOUT(window_->downloadBox()->findChild<QPushButton*>(QStringLiteral("pbOk"))->isEnabled(),
                             kBoundMs);
    QVERIFY(!window_->downloadBox()->errorLatched);
    click(QStringLiteral("Downloading Software"), "pbOk");
    QTRY_COMPARE_WITH_TIMEOUT(opened.size(), 1, kBoundMs);
    QVERIFY(QFile::exists(opened.first().toLocalFile()));
    QCOMPARE(QFileInfo(opened.first().toLocalFile()).absolutePath(), folder);
    if (opens) {
        QTRY_VERIFY_WITH_TIMEOUT(!window_->isVisible(), kBoundMs);
        return;
    }
    // Nothing opened it: the installer's path is shown and the program stays.
    MsgInfoUi* notice = nullptr;
    QVERIFY(QTest::qWaitFor([&] { return (notice = window_->findChild<MsgInfoUi*>(QStringLiteral("linkNotOpened")))
                                         && notice->isVisible(); }, kBoundMs));
    QVERIFY(textOf(notice).contains(opened.first().toLocalFile()));
    QVERIFY(window_->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!window_->flowRunning(), kBoundMs);
    QTest::mouseClick(notice->findChild<QPushButton*>(QStringLiteral("pbYes")), Qt::LeftButton);
}

void tst_MaintenanceFlows::networkUpgrade_data()
{
    QTest::addColumn<bool>("portTaken");
    QTest::addColumn<int>("report");
    QTest::newRow("listen fails") << true << 0;
    QTest::newRow("camera reports failure") << false << int(GlobalParams::UgFailure);
}

// The camera fetches from the local server, which listens only while the
// flow runs; a port already taken is shown to the user.
void tst_MaintenanceFlows::networkUpgrade()
{
    QFETCH(bool, portTaken);
    QFETCH(int, report);
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::AnyIPv4));
    GlobalParams::get().host_port = probe.serverPort();
    if (!portTaken)
        probe.close();
    GlobalParams::get().upgrade_method = 1;
    auto method = qScopeGuard([] { GlobalParams::get().upgrade_method = 0; });
    GlobalParams::get().fw_query_url = QStringLiteral("http://127.0.0.1:9/query");
    reachDownload(*window_);
    if (QTest::currentTestFailed())
        return;
    passDownload(*window_);
    if (portTaken) {
        QVERIFY(waitForBox(QStringLiteral("Firmware upgrade info")));
        QVERIFY(textOf(shownBox(QStringLiteral("Firmware upgrade info")))
                    .startsWith(QStringLiteral("The firmware server of this computer cannot start")));
        click(QStringLiteral("Firmware upgrade info"), "pbYes");
        QTRY_VERIFY_WITH_TIMEOUT(!window_->flowRunning(), kBoundMs);
        return;
    }
    UpgradeProgress* box = nullptr;
    QVERIFY(QTest::qWaitFor([&] { return (box = window_->findChild<UpgradeProgress*>()) && box->isVisible(); },
                            kBoundMs));
    QTcpServer again;
    QVERIFY(!again.listen(QHostAddress::AnyIPv4, GlobalParams::get().host_port));  // the server listens
    emit GlobalParams::get().devUpgradeProgress(GlobalParams::UgProgressEnum(report), QString(), QString());
    QTRY_VERIFY_WITH_TIMEOUT(box->errorLatched, kBoundMs);
    QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("pbOk")), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->flowRunning(), kBoundMs);
    QVERIFY(QTest::qWaitFor([] { return QTcpServer().listen(QHostAddress::AnyIPv4, GlobalParams::get().host_port); },
                            kBoundMs));
}

// The camera answers a flow's call from the window's own thread, once the
// window's timers have fired meanwhile: a call run in place would block that
// thread, and with it the answer, until the call gave up.
void tst_MaintenanceFlows::slowCameraCallLeavesTheWindowRunning()
{
    QTcpServer camera;
    QVERIFY(camera.listen(QHostAddress::LocalHost));
    std::unique_ptr<HttpCallFlow> flow = std::make_unique<HttpCallFlow>(window_.get(), kOrlaSn);
    int result = -2;
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(20);
    flow->call(QUrl(QStringLiteral("http://127.0.0.1:%1/slow").arg(camera.serverPort())), &result);
    const int atCall = ticks;
    QTRY_VERIFY_WITH_TIMEOUT(camera.hasPendingConnections() && ticks - atCall >= 3, kBoundMs);
    std::unique_ptr<QTcpSocket> socket(camera.nextPendingConnection());
    QByteArray request;
    QTRY_VERIFY_WITH_TIMEOUT((request += socket->readAll()).contains("\r\n\r\n"), kBoundMs);
    QVERIFY(request.startsWith("GET /slow "));
    QCOMPARE(result, -2);
    socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 2\r\n\r\n{}");
    QTRY_COMPARE_WITH_TIMEOUT(result, 0, kBoundMs);
}

QTEST_MAIN(tst_MaintenanceFlows)
#include "tst_maintenanceflows.moc"
