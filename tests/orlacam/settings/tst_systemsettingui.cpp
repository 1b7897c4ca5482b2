// The system setting page against simulated cameras and a fake cloud
// server: each row puts its record on the wire and reports its action, the
// camera setting and virtual background rows follow the firmware, the
// firmware reply goes to the camera it was asked for and never to a page
// that is gone, the height rule, popup placement and hover, and legible
// renderings in every language.

#include "support/CloudFixture.h"
#include "orlacam/settings/ButtonModeHelp.h"
#include "orlacam/settings/SettingPageHost.h"
#include "orlacam/settings/SystemSettingUi.h"
#include "support/Legibility.h"
#include "support/PointerPath.h"
#include "support/ScreenArea.h"
#include "support/TestHome.h"
#include "support/BoxTestSupport.h"
#include "uicomm/ButtonMode.h"
#include "uicomm/ForMoreUi.h"
#include "uicomm/HotKeyList.h"
#include "uicomm/Language.h"

#include <QComboBox>
#include <QHoverEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

#include <memory>

using namespace vesk::pc;

namespace {

constexpr uint8_t kRecordSelector = 6;
const QByteArray kOrlaPackage =
    "{\"errorcode\":200,\"reason\":\"\",\"packages\":[{\"product\":\"Kestro_orla\",\"branch\":\"OA_E\","
    "\"platform\":\"SSC336Q\",\"url\":\"http://127.0.0.1:9/f.bin\",\"pkgsize\":2048,"
    "\"md5\":\"00112233445566778899aabbccddeeff\",\"version\":\"4.2.7.0\",\"status\":\"release\"}]}";

// An Orla (type 2) or Orla 4K (type 3) with this firmware and status block.
QSharedPointer<UvcDevice> plugOrla(int productType, uint32_t version, const QByteArray& serial,
                                   const QByteArray& status = QByteArray(60, '\0'))
{
    static uint32_t next = 0x16000000;
    SimCameraModel model;
    next += 0x00100000;
    model.usb = {QStringLiteral("page-%1").arg(next, 0, 16), next, 0x3564, 0xFEF2, 0xEF, 0x02};
    model.productIndex = 4;
    model.platformIndex = productType == 3 ? 5 : 4;
    model.version = version;
    model.serial = serial.leftJustified(14, '\0');
    model.uuid = QByteArray("uuid-").append(serial).leftJustified(24, '\0');
    model.statusBlock = status;
    sim().plug(model);
    const QString sn = QString::fromLatin1(serial);
    (void)QTest::qWaitFor([&] { return !UvcDevices::get().getDevBySn(sn).isNull(); }, 10000);
    return UvcDevices::get().getDevBySn(sn);
}

QByteArray statusWith(std::initializer_list<std::pair<int, uint8_t>> bytes)
{
    QByteArray block(60, '\0');
    block[2] = 1;  // running
    for (const auto& b : bytes)
        block[b.first] = char(b.second);
    return block;
}

// Parameter records a camera got, as id, length and data.
QList<QByteArray> records(const QString& sn)
{
    QList<QByteArray> sent;
    const auto camera = sim().camera(UvcDevices::get().getDevBySn(sn)->locationId());
    for (const SimRequestRecord& r : camera->requests()) {
        if (r.request == UvcRequest::SetCur && r.kind == UvcUnitKind::ExtensionUnit && r.selector == kRecordSelector)
            sent << r.data.left(2 + uint8_t(r.data.at(1)));
    }
    return sent;
}

template<typename T = QWidget>
T* child(QWidget* parent, const char* name)
{
    return parent->findChild<T*>(QLatin1String(name));
}

// A window as the page sees it: what it answers, and what it was told.
struct RecordingHost : SettingPageHost
{
    bool awake = true;
    QJsonObject offer;
    qint64 lastActionMs = 0;
    QStringList prompts;  // "current<minimum"
    QList<bool> virtualBg;

    bool isDevAwake() const override { return awake; }
    QJsonObject getUgInfo() const override { return offer; }
    void setLastUserActionMs(qint64 ms) override { lastActionMs = ms; }
    bool onPromptDevUpgrade(const QString& current, const QString& minimum, const QString&) override
    {
        prompts << current + QLatin1Char('<') + minimum;
        return true;
    }
    void enableVirtualBg(bool on) override { virtualBg << on; }
};

} // namespace

class tst_SystemSettingUi : public QObject
{
    Q_OBJECT
    TestHome home_;
    const ScreenArea screen_{ScreenArea::fullHd()};  // room for the page's 736 px
    FakeCloudServer server_;
    QSharedPointer<UvcDevice> orla_;  // firmware 4.2.3.1: every row shows

    bool actionReported(const QByteArray& name, int withinMs);

private slots:
    void initTestCase();
    void init();
    void rowsSendAndReport_data();
    void rowsSendAndReport();
    void cameraSettingNeedsItsFirmware_data();
    void cameraSettingNeedsItsFirmware();
    void firmwareReply_data();
    void firmwareReply();
    void lateReplyGoesToItsOwnCamera();
    void pageGoneGetsNoReply();
    void noCameraLook();
    void featuresTheCameraLacks();
    void switchesWithoutCamera();
    void hostIsAskedAndTold();
    void heightRule_data();
    void heightRule();
    void languagePageTicksTheCurrentOne_data();
    void languagePageTicksTheCurrentOne();
    void popupsBesideTheirRows();
    void popupsUsableWhereverThePageLies_data();
    void popupsUsableWhereverThePageLies();
    void hoverOpensAfterTheDelayOnly();
    void windowsStayOnALowScreen();
    void rendersLegibly_data();
    void rendersLegibly();
};

void tst_SystemSettingUi::initTestCase()
{
    QVERIFY(home_.isValid());
    QVERIFY(useProgramFonts());
    QVERIFY(server_.listen());
    QVERIFY(startSimulatedCameras());
    pointServersAt(server_);
    orla_ = plugOrla(2, 0x04020301, "ORPAGE000001");
    QVERIFY(orla_);
}

void tst_SystemSettingUi::init()
{
    server_.clear();
    server_.setAnswer({});
    GlobalParams::get().language_type = 0;
}

bool tst_SystemSettingUi::actionReported(const QByteArray& name, int withinMs)
{
    return QTest::qWaitFor([&] {
        for (const FakeCloudServer::Request& request : server_.requests()) {
            if (request.json().value(QLatin1String("action")).toString().toLatin1() == name)
                return true;
        }
        return false;
    }, withinMs);
}

void tst_SystemSettingUi::rowsSendAndReport_data()
{
    QTest::addColumn<QByteArray>("status");
    // A button (with "|26=<byte>" a status update of byte 26 while its notice
    // waits), "cb:<index>" or "mode:<mode>".
    QTest::addColumn<QString>("control");
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QByteArray>("action");  // empty: none
    QTest::newRow("noise on") << statusWith({}) << "pbNoiseCancellation" << QByteArray("0a0101")
                              << QByteArray("set_noise_cancellation_enabled");
    QTest::newRow("noise off") << statusWith({{14, 1}}) << "pbNoiseCancellation" << QByteArray("0a0100")
                               << QByteArray("set_noise_cancellation_enabled");
    QTest::newRow("auto sleep on, camera kept -120") << statusWith({{18, 0x88}, {19, 0xFF}}) << "pbDevAutoSleep"
                                                     << QByteArray("0b027800") << QByteArray("set_auto_sleep");
    QTest::newRow("auto sleep off at 2 min") << statusWith({{18, 120}}) << "pbDevAutoSleep"
                                             << QByteArray("0b0288ff") << QByteArray("set_auto_sleep");
    // The bands' edges: the delay shown for a status, and the one picked
    // for a delay the camera kept.
    QTest::newRow("auto sleep off at 30 s") << statusWith({{18, 30}}) << "pbDevAutoSleep" << QByteArray("0b02e2ff")
                                            << QByteArray("set_auto_sleep");
    QTest::newRow("auto sleep off at 31 s") << statusWith({{18, 31}}) << "pbDevAutoSleep" << QByteArray("0b0288ff")
                                            << QByteArray("set_auto_sleep");
    QTest::newRow("auto sleep off at 121 s") << statusWith({{18, 121}}) << "pbDevAutoSleep" << QByteArray("0b02a8fd")
                                             << QByteArray("set_auto_sleep");
    QTest::newRow("auto sleep on, camera kept -30") << statusWith({{18, 0xE2}, {19, 0xFF}}) << "pbDevAutoSleep"
                                                    << QByteArray("0b021e00") << QByteArray("set_auto_sleep");
    QTest::newRow("auto sleep on, camera kept -31") << statusWith({{18, 0xE1}, {19, 0xFF}}) << "pbDevAutoSleep"
                                                    << QByteArray("0b027800") << QByteArray("set_auto_sleep");
    QTest::newRow("auto sleep on, camera kept -121") << statusWith({{18, 0x87}, {19, 0xFF}}) << "pbDevAutoSleep"
                                                     << QByteArray("0b025802") << QByteArray("set_auto_sleep");
    QTest::newRow("10 min while on") << statusWith({{18, 30}}) << "cb:2" << QByteArray("0b025802")
                                     << QByteArray("set_auto_sleep");
    QTest::newRow("10 min while off") << statusWith({}) << "cb:2" << QByteArray() << QByteArray();
    QTest::newRow("rotation") << statusWith({}) << "mode:1" << QByteArray("070101") << QByteArray("set_button_work_mode");
    QTest::newRow("virtual background off") << statusWith({{26, 0}}) << "pbVirtualBg" << QByteArray("110101")
                                            << QByteArray();
    QTest::newRow("virtual background on, after the notice") << statusWith({{26, 1}}) << "pbVirtualBg"
                                                             << QByteArray("110100") << QByteArray();
    QTest::newRow("virtual background on, a status update during the notice")
        << statusWith({{26, 1}}) << "pbVirtualBg|26=0" << QByteArray("110100") << QByteArray();
    QTest::newRow("asleep: nothing") << statusWith({{2, 3}}) << "pbNoiseCancellation" << QByteArray()
                                     << QByteArray();
}

void tst_SystemSettingUi::rowsSendAndReport()
{
    QFETCH(QByteArray, status);
    QFETCH(QString, control);
    QFETCH(QByteArray, record);
    QFETCH(QByteArray, action);
    CameraStatus block;
    memcpy(block.bytes, status.constData(), 60);
    sim().camera(orla_->locationId())->setStatusBlock(status);
    SystemSettingUi page;
    page.setCurrentUvcDevSn(orla_->sn(), &block);
    const int before = records(orla_->sn()).size();
    int notices = 0;
    QObject noticeWatch;  // ends the box watch with this row
    if (control.startsWith(QLatin1String("cb:"))) {
        child<QComboBox>(&page, "cbDevAutoSleep")->setCurrentIndex(control.mid(3).toInt());
    } else if (control.startsWith(QLatin1String("mode:"))) {
        page.buttonModePage()->show();
        QTest::mouseClick(child<QPushButton>(page.buttonModePage(), "pbRotation"), Qt::LeftButton);
        QCOMPARE(child<QLabel>(&page, "lbCurrButtonAdapt")->text(), QStringLiteral("Rotation"));
    } else {
        const QString update = control.section(QLatin1Char('|'), 1);
        whenModal([&](QWidget* box) {
            ++notices;
            if (!update.isEmpty())
                page.setVirtualBg(update.section(QLatin1Char('='), 1).toInt());
            childButton(box, "pbYes")->click();
        }, 1500, &noticeWatch);
        child<QPushButton>(&page, control.section(QLatin1Char('|'), 0, 0).toLatin1())->click();
        QTRY_VERIFY_WITH_TIMEOUT(!QApplication::activeModalWidget(), 8000);  // answered
    }
    const QList<QByteArray> sent = records(orla_->sn()).mid(before);
    QCOMPARE(sent.isEmpty() ? QByteArray() : sent.last().toHex(), record);
    QCOMPARE(notices, int(record == "110100"));
    if (record.startsWith("11"))
        QCOMPARE(GlobalParams::get().pc_virtual_bg, record == "110100");
    if (action.isEmpty())
        QVERIFY(!actionReported("set_", 300));
    else
        QVERIFY2(actionReported(action, 8000), action.constData());
}

void tst_SystemSettingUi::cameraSettingNeedsItsFirmware_data()
{
    QTest::addColumn<int>("productType");
    QTest::addColumn<uint>("version");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("virtualBg");  // its row shows
    QTest::newRow("4K 4.0.2.0") << 3 << 0x04000200u << false << false;
    QTest::newRow("4K 4.0.2.1") << 3 << 0x04000201u << false << true;
    QTest::newRow("4K 4.0.3.0") << 3 << 0x04000300u << false << true;
    QTest::newRow("4K 4.0.3.1") << 3 << 0x04000301u << true << true;
    QTest::newRow("Orla 4.2.2.0") << 2 << 0x04020200u << false << false;
    QTest::newRow("Orla 4.2.2.1") << 2 << 0x04020201u << false << true;
    QTest::newRow("Orla 4.2.3.0") << 2 << 0x04020300u << false << true;
    QTest::newRow("Orla 4.2.3.1") << 2 << 0x04020301u << true << true;
}

// Only a camera new enough opens the dialog and reports action 30; the
// virtual background row shows from 4.0.2.1 (4K) and 4.2.2.1 on.
void tst_SystemSettingUi::cameraSettingNeedsItsFirmware()
{
    QFETCH(int, productType);
    QFETCH(uint, version);
    QFETCH(bool, opens);
    QFETCH(bool, virtualBg);
    const QByteArray serial = "ORCAM" + QByteArray::number(version, 16).toUpper();
    const QSharedPointer<UvcDevice> camera = plugOrla(productType, version, serial, statusWith({}));
    QVERIFY(camera);
    QCOMPARE(camera->is4K(), productType == 3);
    SystemSettingUi page;
    page.show();
    page.setCurrentUvcDevSn(camera->sn());
    QCOMPARE(child(&page, "wVirtualBg")->isVisible(), virtualBg);
    QObject dialogWatch;
    bool dialogShown = false;
    if (opens) {
        whenModal([&](QWidget* dialog) {
            dialogShown = dialog->inherits("CamSettings");
            dialog->close();
        }, 8000, &dialogWatch);
    }
    child<QPushButton>(&page, "pbCameraSettings")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!QApplication::activeModalWidget(), 8000);  // answered
    QCOMPARE(dialogShown, opens);
    QCOMPARE(actionReported("configure_video_opened", opens ? 8000 : 300), opens);
    sim().unplug(camera->locationId());
}

void tst_SystemSettingUi::firmwareReply_data()
{
    QTest::addColumn<QJsonObject>("reply");
    QTest::addColumn<bool>("shown");
    QTest::newRow("newer") << QJsonObject{{"version", "4.2.4.0"}} << true;
    QTest::newRow("same") << QJsonObject{{"version", "4.2.3.1"}} << false;
    QTest::newRow("empty") << QJsonObject() << false;
    QTest::newRow("no version: button as it was") << QJsonObject{{"md5", "x"}} << true;
}

void tst_SystemSettingUi::firmwareReply()
{
    QFETCH(QJsonObject, reply);
    QFETCH(bool, shown);
    orla_->setLatestVersion(QStringLiteral("4.2.9.9"));
    SystemSettingUi page;
    page.show();
    page.setCurrentUvcDevSn(orla_->sn());
    auto* update = child<QPushButton>(&page, "pbFirmwareUpgrade");
    QVERIFY(update->isVisible());
    page.onFirmwareInfoFromServer(reply);
    QCOMPARE(update->isVisible(), shown);
    if (reply.contains(QLatin1String("version")))
        QCOMPARE(page.getUgInfo(), reply);
}

// The reply to the Orla's query arrives after the user chose another camera:
// it is the Orla's newest version, and the page's button stays the new
// camera's.
void tst_SystemSettingUi::lateReplyGoesToItsOwnCamera()
{
    const QSharedPointer<UvcDevice> demo = UvcDevices::get().getDevBySn(kOrlaSn);
    demo->setLatestVersion(QString());
    orla_->setLatestVersion(QStringLiteral("4.2.3.1"));
    server_.setAnswer({200, kOrlaPackage});
    SystemSettingUi page;
    page.show();
    page.setCurrentUvcDevSn(kOrlaSn);
    page.setCurrentUvcDevSn(orla_->sn());
    QVERIFY(QTest::qWaitFor([&] { return demo->latestVersion() == QLatin1String("4.2.7.0"); }, 8000));
    QTest::qWait(50);
    QCOMPARE(orla_->latestVersion(), QStringLiteral("4.2.3.1"));
    QVERIFY(child(&page, "pbFirmwareUpgrade")->isHidden());
    page.setCurrentUvcDevSn(kOrlaSn);
    QVERIFY(child(&page, "pbFirmwareUpgrade")->isVisible());
}

void tst_SystemSettingUi::pageGoneGetsNoReply()
{
    const QSharedPointer<UvcDevice> demo = UvcDevices::get().getDevBySn(kOrlaSn);
    demo->setLatestVersion(QString());
    server_.setAnswer({200, kOrlaPackage});
    auto page = std::make_unique<SystemSettingUi>();
    page->setCurrentUvcDevSn(kOrlaSn);
    page.reset();
    QVERIFY(server_.waitForRequests(1));
    QTest::qWait(300);
    QVERIFY(demo->latestVersion().isEmpty());
}

void tst_SystemSettingUi::noCameraLook()
{
    SystemSettingUi page;
    page.show();
    page.setCurrentUvcDevSn(orla_->sn());
    page.setCurrentUvcDevSn(QStringLiteral("NOSUCHCAMERA"));
    QCOMPARE(child<QLabel>(&page, "lbFirmwareVersionValue")->text(), QStringLiteral("0.0.0.0"));
    for (const char* name : {"pbFirmwareUpgrade", "wVirtualBg", "wButtonAdapt"})
        QVERIFY2(child(&page, name)->isHidden(), name);
    const int before = records(orla_->sn()).size();
    for (const char* name : {"pbDevAutoSleep", "pbNoiseCancellation", "pbCameraSettings"})
        child<QPushButton>(&page, name)->click();
    QCOMPARE(records(orla_->sn()).size(), before);
    QVERIFY(!actionReported("set_", 300));
}

// A Zuki has no virtual background or button mode; a Ko reports none of
// the switches' settings, which then show off and cannot be clicked.
void tst_SystemSettingUi::featuresTheCameraLacks()
{
    SystemSettingUi page;
    page.show();
    page.setCurrentUvcDevSn(kZukiSn);
    QVERIFY(child(&page, "wVirtualBg")->isHidden());
    QVERIFY(child(&page, "wButtonAdapt")->isHidden());
    QVERIFY(child(&page, "pbNoiseCancellation")->isEnabled());
    const QSharedPointer<UvcDevice> ko = plugCamera(4, "KOPAGE000001");
    QVERIFY(ko);
    page.setCurrentUvcDevSn(ko->sn());
    QVERIFY(page.devAwake());
    for (const char* name : {"pbDevAutoSleep", "pbNoiseCancellation"})
        QVERIFY2(!child(&page, name)->isEnabled(), name);
    QVERIFY(child(&page, "pbCameraSettings")->isEnabled());
    sim().unplug(ko->locationId());
}

// The two application switches need no camera and tell the main window.
void tst_SystemSettingUi::switchesWithoutCamera()
{
    GlobalParams::get().shortcut_range = 1;
    GlobalParams::get().shortcut_ext = false;
    SystemSettingUi page;
    QSignalSpy events(&page, &SystemSettingUi::sendSettingEvent);
    for (const char* name : {"pbGlobalHotkeys", "pbRemoteCtrl", "pbRemoteCtrl", "pbGlobalHotkeys"})
        child<QPushButton>(&page, name)->click();
    QList<int> sent;
    for (const QList<QVariant>& event : events)
        sent << event.first().toInt();
    QCOMPARE(sent, (QList<int>{8, 9, 10, 7}));
    page.show();
    page.close();
    QCOMPARE(events.last().first().toInt(), int(SystemSettingUi::SettingPageClosed));
    QVERIFY(page.isHidden());
    GlobalParams::get().shortcut_range = 0;
}

// With a host, the page takes the camera's state and the firmware offer from
// it, not from what it was given, and tells it what the user did.
void tst_SystemSettingUi::hostIsAskedAndTold()
{
    RecordingHost host;
    host.offer = QJsonObject{{"version", "4.2.8.0"}};
    const QByteArray status = statusWith({{26, 0}});  // running, virtual background on
    CameraStatus block;
    memcpy(block.bytes, status.constData(), 60);
    sim().camera(orla_->locationId())->setStatusBlock(status);
    SystemSettingUi page;
    page.setHost(&host);
    page.setCurrentUvcDevSn(orla_->sn(), &block);
    QCOMPARE(page.getUgInfo(), host.offer);
    const int before = records(orla_->sn()).size();
    host.awake = false;
    child<QPushButton>(&page, "pbNoiseCancellation")->click();
    QCOMPARE(records(orla_->sn()).size(), before);
    QCOMPARE(host.lastActionMs, qint64(0));
    host.awake = true;
    child<QPushButton>(&page, "pbVirtualBg")->click();  // off: no notice
    const QList<QByteArray> sent = records(orla_->sn()).mid(before);
    QCOMPARE(sent.isEmpty() ? QByteArray() : sent.last().toHex(), QByteArray("110101"));
    QCOMPARE(host.virtualBg, QList<bool>{false});
    QVERIFY(host.lastActionMs > 0);

    const QSharedPointer<UvcDevice> old = plugOrla(2, 0x04020300, "ORHOST000001", statusWith({}));
    QVERIFY(old);
    page.setCurrentUvcDevSn(old->sn());
    child<QPushButton>(&page, "pbCameraSettings")->click();
    QCOMPARE(host.prompts, QStringList{QStringLiteral("4.2.3.0<4.2.3.1")});
    sim().unplug(old->locationId());
}

void tst_SystemSettingUi::heightRule_data()
{
    QTest::addColumn<bool>("virtualBgRows");
    QTest::addColumn<int>("sleepSeconds");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("screenHeight");
    QTest::newRow("eleven rows, auto sleep on") << true << 30 << 600 << 736 << 1080;
    QTest::newRow("eleven rows, off") << true << 0 << 550 << 550 << 1080;
    QTest::newRow("nine rows, off") << false << -30 << 450 << 450 << 1080;
    QTest::newRow("nine rows, on") << false << 600 << 600 << 636 << 1080;
    QTest::newRow("eleven rows, on, a low screen") << true << 30 << 576 << 576 << 576;
    QTest::newRow("eleven rows, off, a low screen") << true << 0 << 550 << 550 << 576;
}

void tst_SystemSettingUi::heightRule()
{
    QFETCH(bool, virtualBgRows);
    QFETCH(int, sleepSeconds);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, screenHeight);
    const ScreenArea screen(QRect(0, 0, 1024, screenHeight));
    SystemSettingUi page;
    page.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);  // as the main window has it
    page.setCurrentUvcDevSn(orla_->sn());
    child(&page, "wVirtualBg")->setVisible(virtualBgRows);
    child(&page, "wButtonAdapt")->setVisible(virtualBgRows);
    page.setDevAutoSleep(sleepSeconds);
    QCOMPARE(page.maximumHeight(), 736);  // hidden: the rule waits for show
    page.show();
    QCOMPARE(page.minimumHeight(), minimum);
    QCOMPARE(page.maximumHeight(), maximum);
    QVERIFY(page.height() >= minimum && page.height() <= maximum);
}

// Top level with its row, or upwards level with the row's bottom when it
// would leave the screen; a second click closes it.
void tst_SystemSettingUi::languagePageTicksTheCurrentOne_data()
{
    QTest::addColumn<int>("stored");     // the language the program runs in
    QTest::addColumn<QString>("chosen");  // clicked on the page next
    QTest::newRow("English, then German") << 0 << "pbLanguageGE";
    QTest::newRow("Japanese, then English") << 3 << "pbLanguageUS";
}

// As the button mode page ticks its choice: the running language once the
// page is built, then the one chosen on it (the page used to tick none).
void tst_SystemSettingUi::languagePageTicksTheCurrentOne()
{
    QFETCH(int, stored);
    QFETCH(QString, chosen);
    GlobalParams::get().language_type = stored;
    SystemSettingUi page;
    Language* languages = page.languagePage();
    const QStringList rows = {"pbLanguageUS", "pbLanguageCN", "pbLanguageHK",
                              "pbLanguageJP", "pbLanguageGE", "pbLanguageES"};
    const auto ticked = [&] {
        QStringList names;
        for (const QString& name : rows) {
            if (!languages->findChild<QPushButton*>(name)->icon().isNull())
                names << name;
        }
        return names;
    };
    QCOMPARE(ticked(), QStringList{rows.at(stored)});
    languages->show();
    QTest::mouseClick(languages->findChild<QPushButton*>(chosen), Qt::LeftButton);
    QCOMPARE(ticked(), QStringList{chosen});
}

void tst_SystemSettingUi::popupsBesideTheirRows()
{
    SystemSettingUi page;
    page.setCurrentUvcDevSn(orla_->sn());
    page.move(20, 0);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    const QRect screen = availableScreenArea(QPoint());
    QWidget* row = child(&page, "wLanguage");
    page.findChild<QPushButton*>(QStringLiteral("pbLanguage"))->click();
    QWidget* language = page.languagePage();
    QVERIFY(language->isVisible());
    const QPoint rowTop = row->mapToGlobal(QPoint(row->width() - 1, 0));
    const QPoint rowBottom = row->mapToGlobal(QPoint(row->width() - 1, row->height() - 1));
    if (rowTop.y() + language->height() > screen.bottom() + 1)
        QCOMPARE(language->frameGeometry().bottomLeft(), QPoint(rowBottom.x() - 4, rowBottom.y()));
    else
        QCOMPARE(language->pos(), QPoint(rowTop.x() - 4, rowTop.y()));
    QVERIFY(screen.contains(language->frameGeometry()));
    QCOMPARE(language->parentWidget(), row);
    page.findChild<QPushButton*>(QStringLiteral("pbForMore"))->click();
    QVERIFY(page.morePage()->isVisible());
    QVERIFY(screen.contains(page.morePage()->frameGeometry()));
    page.findChild<QPushButton*>(QStringLiteral("pbLanguage"))->click();
    QVERIFY(language->isHidden());
    page.hide();
    QVERIFY(page.morePage()->isHidden());
}

// Wherever the page lies, a popup opens whole on the screen beside its row
// (right of the page, else left of it) or, with room for neither, over the
// page next to the row. The pointer going into it and back onto the row
// keeps it open; going on out through its far side hides it.
void tst_SystemSettingUi::popupsUsableWhereverThePageLies_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("page");
    QTest::addColumn<QString>("arrow");
    QTest::addColumn<QString>("side");
    const QRect laptop = ScreenArea::laptop();
    const QRect narrow(0, 0, 640, 768);
    QTest::newRow("language, right") << laptop << QPoint(100, 20) << "pbLanguage" << "right";
    QTest::newRow("language, page at the right edge") << laptop << QPoint(1006, 20) << "pbLanguage" << "left";
    QTest::newRow("more, page at the right edge") << laptop << QPoint(1006, 20) << "pbForMore" << "left";
    QTest::newRow("button mode, no room beside") << narrow << QPoint(140, 0) << "pbButtonAdapt" << "below";
    QTest::newRow("language, no room beside") << narrow << QPoint(140, 0) << "pbLanguage" << "above";
}

void tst_SystemSettingUi::popupsUsableWhereverThePageLies()
{
    QFETCH(QRect, screen);
    QFETCH(QPoint, page);
    QFETCH(QString, arrow);
    QFETCH(QString, side);
    const ScreenArea area(screen);
    sim().camera(orla_->locationId())->setStatusBlock(statusWith({}));  // with the button configuration row
    SystemSettingUi settings;
    settings.setCurrentUvcDevSn(orla_->sn());
    settings.move(page);
    settings.show();
    auto* button = child<QPushButton>(&settings, arrow.toLatin1().constData());
    QWidget* row = button->parentWidget();
    QWidget* popup = openPopup(button);
    QVERIFY(popup && popup->isVisible());
    const QRect line = globalRect(row);
    const QRect frame = popup->frameGeometry();
    QVERIFY(screen.contains(frame));
    const QMap<QString, bool> beside{{"right", frame.left() == line.right() - 4},
                                     {"left", frame.right() == line.left() + 4},
                                     {"below", frame.top() == line.bottom() + 1},
                                     {"above", frame.bottom() == line.top() - 1}};
    QVERIFY(beside.value(side));
    const QPoint inside = hoverIntoPopup(row, popup);
    moveHover({popup, row}, inside, line.center());
    QVERIFY(popup->isVisible());
    hoverIntoPopup(row, popup);
    const QPoint way = inside - line.center();
    moveHover({popup, row}, inside, inside + way * (600 / way.manhattanLength() + 1));
    QVERIFY(popup->isHidden());
}

void tst_SystemSettingUi::hoverOpensAfterTheDelayOnly()
{
    SystemSettingUi page;
    page.show();
    QWidget* row = child(&page, "wLanguage");
    QHoverEvent enter(QEvent::HoverEnter, QPointF(10, 10), QPointF(-1, -1));
    QCoreApplication::sendEvent(row, &enter);
    QTest::qWait(300);
    QVERIFY(page.languagePage()->isHidden());  // the pointer did not stay
    row->setAttribute(Qt::WA_UnderMouse, true);
    QCoreApplication::sendEvent(row, &enter);
    QTRY_VERIFY_WITH_TIMEOUT(page.languagePage()->isVisible(), 3000);
    QHoverEvent towardsPopup(QEvent::HoverLeave, QPointF(-1, -1), QPointF(320, 20));
    QCoreApplication::sendEvent(row, &towardsPopup);
    QVERIFY(page.languagePage()->isVisible());
    QHoverEvent away(QEvent::HoverLeave, QPointF(-1, -1), QPointF(100, 20));
    QCoreApplication::sendEvent(row, &away);
    QVERIFY(page.languagePage()->isHidden());
}

// On a 1366 x 768 screen with the main window in its middle, the camera
// setting dialog, the hotkey list and the button-mode help lie whole on the
// screen, over the main window below its top edge (its title bar), the
// dialog's sections scroll without being cut, and the help closes on Escape.
void tst_SystemSettingUi::windowsStayOnALowScreen()
{
    const QRect screen = ScreenArea::laptop();
    const ScreenArea area(screen);
    QWidget main;
    main.setGeometry(283, 84, 800, 600);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    sim().camera(orla_->locationId())->setStatusBlock(statusWith({}));
    auto* page = new SystemSettingUi;
    page->setParent(&main, Qt::Window | Qt::FramelessWindowHint);
    page->setCurrentUvcDevSn(orla_->sn());
    page->show();
    QStringList faults;
    const auto placed = [&](QWidget* window) {
        const QRect frame = window->frameGeometry();
        return screen.contains(frame) && !(frame.intersects(main.frameGeometry()) && frame.top() < main.geometry().top());
    };
    // Once the window system has moved it.
    const auto check = [&](QWidget* window) {
        if (QTest::qWaitFor([&] { return placed(window); }, 3000))
            return;
        const QRect frame = window->frameGeometry();
        faults << QStringLiteral("%1 at %2,%3 %4x%5").arg(window->objectName()).arg(frame.x()).arg(frame.y())
                      .arg(frame.width()).arg(frame.height());
    };

    child<QPushButton>(page, "pbCameraSettings")->click();
    QWidget* dialog = QApplication::activeModalWidget();
    QVERIFY(dialog && dialog->inherits("CamSettings"));
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    check(dialog);
    auto* sections = dialog->findChild<QScrollArea*>(QStringLiteral("saSections"));
    QTRY_VERIFY(sections->verticalScrollBar()->isVisible());
    QVERIFY(sections->viewport()->width() >= sections->widget()->minimumSizeHint().width());
    QVERIFY(dialog->findChild<QWidget*>(QStringLiteral("pbDone"))->isVisible());
    dialog->close();

    child<QPushButton>(page, "pbHotkeysHelp")->click();
    QVERIFY(page->hotkeyListWindow()->isVisible());
    check(page->hotkeyListWindow());
    page->hotkeyListWindow()->close();

    QObject helpWatch;
    whenModal([&](QWidget* help) {
        check(help);
        QTest::keyClick(help, Qt::Key_Escape);  // as the hotkey list, it closes on Escape
    }, 5000, &helpWatch);
    child<QPushButton>(page, "pbButtonAdaptHelp")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!QApplication::activeModalWidget(), 8000);
    delete page;
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
}

// Rendered for a person to look at (systemsetting_<language>.png,
// systemsetting_default_<language>.png and buttonmodehelp_<language>.png in
// the build directory) with every row shown: each row's widgets lie inside
// it, overlap nothing and show their whole text, the button mode's value
// label with either value, and the "Update" buttons have their language's
// width.
void tst_SystemSettingUi::rendersLegibly_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("languageType");  // the codes come in the order of the language numbers
    QTest::addColumn<int>("updateWidth");
    const int widths[] = {80, 80, 80, 80, 130, 100};
    const QStringList codes = languageCodes();
    for (int i = 0; i < codes.size(); ++i)
        QTest::newRow(codes[i].toLatin1()) << codes[i] << i << widths[i];
}

void tst_SystemSettingUi::rendersLegibly()
{
    QFETCH(QString, language);
    QFETCH(int, languageType);
    QFETCH(int, updateWidth);
    GlobalParams::get().language_type = languageType;
    orla_->setLatestVersion(QStringLiteral("4.2.9.9"));
    sim().camera(orla_->locationId())->setStatusBlock(statusWith({{10, 1}, {18, 120}}));
    SystemSettingUi page;
    page.setCurrentUvcDevSn(orla_->sn());
    page.enableSoftwareUpgrade(true);
    page.show();
    QTranslator translator;
    QVERIFY(installLanguage(translator, language));
    QTRY_COMPARE(child<QLabel>(&page, "lbLanguage")->text(), translator.translate("SystemSettingUi", "Language"));
    QCOMPARE(child<QLabel>(&page, "lbCurrButtonAdapt")->text(), translator.translate("SystemSettingUi", "Rotation"));
    QCOMPARE(child(&page, "pbFirmwareUpgrade")->width(), updateWidth);
    QCOMPARE(child(&page, "pbSoftwareUpgrade")->width(), updateWidth);
    QVERIFY(child(&page, "scrollAreaWidgetContents")->grab().save(stagedFile(QStringLiteral("systemsetting_%1.png").arg(language))));
    QStringList faults;
    for (QWidget* row : child(&page, "scrollAreaWidgetContents")->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        QVERIFY2(row->isVisible(), qPrintable(row->objectName()));
        faults << legibilityFault(row);
    }
    // The button mode's other value.
    page.setBtnAdaptationMode(0);
    QCOMPARE(child<QLabel>(&page, "lbCurrButtonAdapt")->text(), translator.translate("SystemSettingUi", "Default"));
    QWidget* buttonModeRow = child(&page, "wButtonAdapt");
    QVERIFY(buttonModeRow->grab().save(stagedFile(QStringLiteral("systemsetting_default_%1.png").arg(language))));
    faults << legibilityFault(buttonModeRow);
    ButtonModeHelp help;
    help.show();
    QVERIFY(help.grab().save(stagedFile(QStringLiteral("buttonmodehelp_%1.png").arg(language))));
    faults << legibilityFault(&help);
    faults.removeAll(QString());
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
}

QTEST_MAIN(tst_SystemSettingUi)
#include "tst_systemsettingui.moc"
