// The camera setting dialog against simulated cameras: each control group
// opened, changed, reset, cancelled and kept, with the bytes the camera got;
// reads that fail, controls the camera lacks, a departure during the dialog,
// the dialog's own loop, and its rendering in every language.

#include "orlacam/settings/CamSettingStyles.h"
#include "orlacam/settings/CamSettingTables.h"
#include "orlacam/settings/CamSettings.h"
#include "support/Legibility.h"
#include "support/ScreenArea.h"
#include "support/SimCameras.h"
#include "support/SimControlEdits.h"
#include "support/TestHome.h"
#include "uicomm/RSlider.h"
#include "uvc/ExtensionUnit.h"
#include "uvc/UvcDevices.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QtTest>

#include <functional>
#include <limits>

using namespace vesk::pc;

namespace {

const char* const kSn = "OR22A0000042";
const char* const kOtherSn = "OR22A0000043";
constexpr int kBoundMs = 5000;

template <typename T>
T* child(const QWidget& dialog, const char* name)
{
    T* found = dialog.findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no widget %s", name);
    return found;
}

void click(const QWidget& dialog, const char* name)
{
    QTest::mouseClick(child<QPushButton>(dialog, name), Qt::LeftButton);
}

// The values a camera was sent: standard controls as "CT:04=2c010000",
// parameter records as "REC:" and their id, length and first byte, message
// frames as "MSG:" and their command and first payload byte.
QStringList sent(const SimCamera& camera)
{
    QStringList lines;
    for (const SimRequestRecord& record : camera.requests()) {
        if (record.request != UvcRequest::SetCur)
            continue;
        const QString request = describeRequest(record);  // "SET_CUR PU:03/2 3c00"
        if (record.kind != UvcUnitKind::ExtensionUnit)
            lines << request.mid(8, 5) + QLatin1Char('=') + request.section(QLatin1Char(' '), 2);
        else if (record.selector == ExtensionUnit::kParamRecordSelector)
            lines << QStringLiteral("REC:") + QString::fromLatin1(record.data.left(3).toHex());
        else if (record.selector == ExtensionUnit::kMessageSelector)
            lines << QStringLiteral("MSG:") + QString::fromLatin1(record.data.mid(10, 3).toHex());
    }
    return lines;
}

// Message frames travel through the camera's device thread, so their order
// against the direct transfers is not fixed: they are compared after them.
QStringList directFirst(const QStringList& lines)
{
    QStringList direct;
    QStringList messages;
    for (const QString& line : lines)
        (line.startsWith(QLatin1String("MSG:")) ? messages : direct) << line;
    return direct + messages;
}

QStringList list(const char* text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// "1=01 25=80": status block bytes by index.
QByteArray statusBlock(const QString& bytes)
{
    QByteArray block(ExtensionUnit::kBlockSize, '\0');
    for (const QString& item : bytes.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        block[item.section(QLatin1Char('='), 0, 0).toInt()] = char(item.section(QLatin1Char('='), 1).toInt(nullptr, 16));
    return block;
}

void setSlider(const QWidget& dialog, const char* name, int value)
{
    child<RSlider>(dialog, name)->setValue(value);
}

// Opens the dialog, runs check on it and clicks Done after it, also when a
// check in it fails, so that no test leaves it open. 0 when the dialog
// ended once, as it should.
int execWith(CamSettings& dialog, const std::function<void()>& check)
{
    QSignalSpy ended(&dialog, &CamSettings::ended);
    dialog.open();
    check();
    click(dialog, "pbDone");
    return ended.count() == 1 ? 0 : -1;
}

using Action = std::function<void(CamSettings&)>;

const QHash<QString, Action>& actions()
{
    static const QHash<QString, Action> table = {
        {"HDR", [](CamSettings& d) { click(d, "pbHDR"); }},
        {"auto focus", [](CamSettings& d) { click(d, "pbAutoFocus"); }},
        {"focus Face", [](CamSettings& d) { click(d, "pbFocusModeFace"); }},
        {"manual focus 300", [](CamSettings& d) { setSlider(d, "slManualFocus", 300); }},
        {"auto exposure", [](CamSettings& d) { click(d, "pbAutoExposure"); }},
        {"exposure Face", [](CamSettings& d) { click(d, "pbExposureModeFace"); }},
        {"compensation 12", [](CamSettings& d) { setSlider(d, "slExposureCompensate", 12); }},
        {"exposure reset", [](CamSettings& d) { click(d, "pbExposureReset"); }},
        {"60Hz", [](CamSettings& d) { click(d, "pbAntiFlicker60"); }},
        {"shutter 5", [](CamSettings& d) { setSlider(d, "slShutter", 5); }},
        {"ISO 9", [](CamSettings& d) { setSlider(d, "slISO", 9); }},
        {"auto white balance", [](CamSettings& d) { click(d, "pbAutoWhiteBalance"); }},
        {"temperature 50", [](CamSettings& d) { setSlider(d, "slColorTemperature", 50); }},
        {"white balance reset", [](CamSettings& d) { click(d, "pbWhiteBalanceReset"); }},
        {"contrast 60", [](CamSettings& d) { setSlider(d, "slContrast", 60); }},
        {"saturation 70", [](CamSettings& d) { setSlider(d, "slSaturation", 70); }},
        {"hue -90", [](CamSettings& d) { setSlider(d, "slHue", -90); }},
        {"image reset", [](CamSettings& d) { click(d, "pbImageSettingsReset"); }},
    };
    return table;
}

const QHash<QString, Action>& closings()
{
    static const QHash<QString, Action> table = {
        {"Cancel", [](CamSettings& d) { click(d, "pbCancel"); }},
        {"Escape", [](CamSettings& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
        {"close", [](CamSettings& d) { d.close(); }},
        {"Done", [](CamSettings& d) { click(d, "pbDone"); }},
    };
    return table;
}

} // namespace

class tst_CamSettings : public QObject
{
    Q_OBJECT
    TestHome home_;
    const ScreenArea screen_{ScreenArea::fullHd()};  // room for the dialog's 870 px
    QList<uint32_t> plugged_;

    // productType: 0 Zuki, 1 Zuki 4K, 2 Orla, 4 Ko.
    QSharedPointer<SimCamera> plug(const char* sn, uint32_t location, const QString& controls,
                                   const QString& status = QString(), int productType = 2);

private slots:
    void initTestCase();
    void cleanup();

    void controlGroups_data();
    void controlGroups();
    void tableLookups_data();
    void tableLookups();
    void slidersFromRanges();
    void hdrSwitchLocks();
    void statusReadByFamily_data();
    void statusReadByFamily();
    void throttledSliderDeliversItsLastValue();
    void absentCameraShowsTheAbsentLook();
    void unreadAndMissingControlsAreLeftAlone();
    void departureEndsTheDialog();
    void hiddenDialogOpensAgain();
    void ownerGoingEndsTheDialog();
    void rendersLegibly_data();
    void rendersLegibly();
};

QSharedPointer<SimCamera> tst_CamSettings::plug(const char* sn, uint32_t location, const QString& controls,
                                                const QString& status, int productType)
{
    // Product and platform names of each type, as indices of the camera's string tables.
    static const uint8_t kIndices[][2] = {{2, 4}, {2, 5}, {4, 4}, {4, 5}, {3, 4}};
    SimCameraModel model = withControls(SimCameraModel(), controls);
    model.productIndex = kIndices[productType][0];
    model.platformIndex = kIndices[productType][1];
    model.usb = {QStringLiteral("sim-settings-%1").arg(location, 0, 16), location, 0x3564, 0xFEF2, 0xEF, 0x02};
    model.serial = QByteArray(sn).leftJustified(14, '\0');
    model.uuid[23] = char(location >> 20);  // one uuid per camera
    model.statusBlock = statusBlock(status);
    QSharedPointer<SimCamera> camera = sim().plug(model);
    plugged_ << location;
    if (!QTest::qWaitFor([&] { return UvcDevices::get().getDevBySn(QLatin1String(sn)); }, kBoundMs))
        return {};
    return camera;
}

void tst_CamSettings::initTestCase()
{
    QVERIFY(home_.isValid());
    QVERIFY(useProgramFonts());
    useSimulatedCameras();
    QSignalSpy announced(&UvcDevices::get(), &UvcDevices::devChanged);
    initMacDeviceNotification();
    QTRY_COMPARE_WITH_TIMEOUT(announced.count(), 2, kBoundMs);  // the demo cameras
}

void tst_CamSettings::cleanup()
{
    for (uint32_t location : plugged_)
        sim().unplug(location);
    plugged_.clear();
    QTRY_VERIFY_WITH_TIMEOUT(!UvcDevices::get().getDevBySn(QLatin1String(kSn))
                                 && !UvcDevices::get().getDevBySn(QLatin1String(kOtherSn)),
                             kBoundMs);
}

// The simulated camera's controls are those of a typical webcam: auto
// exposure (mode 8), exposure time 156 in 3..2047, auto focus at 0,
// compensation 1 in 0..2, gain 0, 50 Hz, contrast, saturation and
// sharpness 50 (default 50), hue 0, auto white balance at 4600 K.
void tst_CamSettings::controlGroups_data()
{
    QTest::addColumn<QString>("controls");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("changed");
    QTest::addColumn<QString>("closing");
    QTest::addColumn<QStringList>("restored");

    QTest::newRow("HDR on, cancelled") << "" << "1=00" << "HDR" << list("REC:010101") << "Cancel"
                                       << list("REC:010100 PU:0B=01");
    QTest::newRow("HDR on, kept") << "" << "1=00" << "HDR" << list("REC:010101") << "Done" << list("");
    QTest::newRow("auto focus off at the camera's position") << "" << "25=80" << "auto focus"
        << list("CT:08=00 CT:06=8000") << "Escape" << list("CT:08=01 PU:0B=01");
    QTest::newRow("focus mode Face") << "" << "23=00" << "focus Face" << list("MSG:13d201") << "Cancel"
                                     << list("MSG:13d200 PU:0B=01");
    QTest::newRow("manual focus") << "CT:08=00 CT:06=6400" << "" << "manual focus 300"
        << list("CT:08=00 CT:06=2c01") << "close" << list("CT:08=00 CT:06=6400 PU:0B=01");
    QTest::newRow("auto exposure off takes the camera's time")
        << "CT:04.min=01000000 CT:04.max=a00f0000 CT:04=64000000" << "" << "auto exposure"
        << list("CT:02=01 CT:04=64000000") << "Cancel" << list("CT:02=02 PU:0B=01");
    QTest::newRow("exposure mode Face") << "" << "3=00" << "exposure Face" << list("REC:030101") << "Cancel"
                                        << list("REC:030100 PU:0B=01");
    QTest::newRow("compensation in table mode") << "PU:01.max=1200 PU:01=0900" << "" << "compensation 12"
        << list("PU:01=0c00") << "Cancel" << list("PU:01=0900 PU:0B=01");
    QTest::newRow("exposure reset") << "CT:02=01 PU:01.max=1200 PU:01=0300" << "3=00" << "exposure reset"
        << list("CT:02=02 REC:030101 PU:01=0100") << "Cancel" << list("CT:02=01 CT:04=9c000000 REC:030100 PU:01=0300 PU:0B=01");
    QTest::newRow("anti-flicker 60 Hz") << "" << "7=01" << "60Hz" << list("PU:05=02") << "Cancel"
                                        << list("PU:0B=01 PU:05=01");
    QTest::newRow("anti-flicker needs auto exposure") << "CT:02=01" << "7=01" << "60Hz" << list("")
                                                      << "Cancel" << list("PU:0B=01");
    QTest::newRow("shutter in table mode") << "CT:02=01 CT:04.min=01000000 CT:04.max=a00f0000 CT:04=64000000"
        << "" << "shutter 5" << list("CT:02=01 CT:04=06000000") << "Cancel" << list("CT:02=01 CT:04=64000000 PU:0B=01");
    QTest::newRow("ISO in table mode") << "CT:02=01 PU:04.min=0100 PU:04.max=3000 PU:04=0500" << ""
        << "ISO 9" << list("PU:04=0a00") << "Cancel" << list("PU:04=0500 PU:0B=01");
    QTest::newRow("auto white balance off") << "" << "" << "auto white balance" << list("PU:0B=00 PU:0A=f811")
        << "Cancel" << list("PU:0B=01");
    QTest::newRow("colour temperature") << "PU:0B=00" << "" << "temperature 50" << list("PU:0B=00 PU:0A=8813")
        << "Cancel" << list("PU:0B=00 PU:0A=f811");
    QTest::newRow("white balance reset") << "PU:0B=00" << "" << "white balance reset" << list("PU:0B=01")
        << "Done" << list("");
    QTest::newRow("contrast alone") << "" << "" << "contrast 60" << list("PU:03=3c00") << "Cancel"
                                    << list("PU:0B=01 PU:03=3200");
    QTest::newRow("saturation kept") << "" << "" << "saturation 70" << list("PU:07=4600") << "Done" << list("");
    QTest::newRow("signed hue") << "" << "" << "hue -90" << list("PU:06=a6ff") << "Cancel" << list("PU:0B=01 PU:06=0000");
    QTest::newRow("image reset sends what moves") << "PU:03=1e00 PU:08=0a00" << "" << "image reset"
        << list("PU:03=3200 PU:08=3200") << "Cancel" << list("PU:0B=01 PU:03=1e00 PU:08=0a00");
}

void tst_CamSettings::controlGroups()
{
    QFETCH(QString, controls);
    QFETCH(QString, status);
    QFETCH(QString, action);
    QFETCH(QStringList, changed);
    QFETCH(QString, closing);
    QFETCH(QStringList, restored);
    const QSharedPointer<SimCamera> camera = plug(kSn, 0x14300000, controls, status);
    QVERIFY(camera);
    CamSettings dialog(QString::fromLatin1(kSn));
    dialog.show();
    QTest::qWait(60);  // past the sliders' 50 ms throttle of an earlier row
    camera->clearRequests();

    actions()[action](dialog);
    QTRY_COMPARE_WITH_TIMEOUT(directFirst(sent(*camera)), directFirst(changed), kBoundMs);
    camera->clearRequests();
    closings()[closing](dialog);
    QTRY_COMPARE_WITH_TIMEOUT(directFirst(sent(*camera)), directFirst(restored), kBoundMs);
    QTest::qWait(100);
    QCOMPARE(directFirst(sent(*camera)), directFirst(restored));  // and nothing more
    QVERIFY(!dialog.isVisible());
}

void tst_CamSettings::tableLookups_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("text");
    QTest::newRow("compensation 9") << "compensation" << 9 << 9 << "0";
    QTest::newRow("compensation 19 is no key") << "compensation" << 19 << 0 << "-3";
    QTest::newRow("ISO 1") << "ISO" << 1 << 0 << "100";
    QTest::newRow("ISO 48") << "ISO" << 48 << 47 << "4800";
    QTest::newRow("ISO 0 is no key") << "ISO" << 0 << 0 << "100";
    QTest::newRow("shutter 167") << "shutter" << 167 << 19 << "1/60";
    QTest::newRow("shutter 7 is no key") << "shutter" << 7 << 0 << "1/6400";
    QTest::newRow("shutter 4000") << "shutter" << 4000 << 33 << "1/2.5";
}

void tst_CamSettings::tableLookups()
{
    QFETCH(QString, table);
    QFETCH(int, key);
    QFETCH(int, position);
    QFETCH(QString, text);
    const CamSettingTable& values = table == "ISO" ? kIsoTable : table == "shutter" ? kShutterTable : kCompensationTable;
    QCOMPARE(values.positionOf(key), position);
    QCOMPARE(values.at(position).text, text);
}

// 64-bit ranges held inside the slider, table modes, and the colour
// temperature in hundreds of kelvin.
void tst_CamSettings::slidersFromRanges()
{
    QVERIFY(plug(kSn, 0x14300000,
                 "CT:02=01 CT:04.max=ffffffff PU:01.min=ffff PU:01.max=0500 PU:04.max=3000 PU:04.min=0100 "
                 "PU:04=3000 PU:0B=00 PU:0A=8813"));
    CamSettings dialog(QString::fromLatin1(kSn));
    dialog.show();
    auto* shutter = child<RSlider>(dialog, "slShutter");
    QCOMPARE(shutter->maximum(), std::numeric_limits<int>::max());
    QCOMPARE(shutter->value(), 156);
    QCOMPARE(child<QLabel>(dialog, "lbShutterValue")->text(), QStringLiteral("156"));
    // Minimum 65535 is no key: position 0; maximum 5 is at position 5.
    auto* compensation = child<RSlider>(dialog, "slExposureCompensate");
    QCOMPARE(compensation->minimum(), 0);
    QCOMPARE(compensation->maximum(), 5);
    QCOMPARE(child<QLabel>(dialog, "lbExposureCompensateValue")->text(), QStringLiteral("-2.7"));
    QCOMPARE(child<QLabel>(dialog, "lbISOVaule")->text(), QStringLiteral("4800"));
    auto* temperature = child<RSlider>(dialog, "slColorTemperature");
    QCOMPARE(temperature->minimum(), 28);
    QCOMPARE(temperature->maximum(), 65);
    QCOMPARE(temperature->pageStep(), 3);
    QVERIFY(temperature->isEnabled());
    QCOMPARE(child<QLabel>(dialog, "lbColorTemperatureValue")->text(), QStringLiteral("5000 K"));
    QCOMPARE(child<QStackedWidget>(dialog, "swExposure")->currentIndex(), 1);
}

// A second click within 2.5 s does nothing; status byte 23 = 2 is Global
// (only 1 is Face), face AE byte 3 = 2 is Face.
void tst_CamSettings::hdrSwitchLocks()
{
    const QSharedPointer<SimCamera> camera = plug(kSn, 0x14300000, QString(), "3=02 23=02");
    QVERIFY(camera);
    CamSettings dialog(QString::fromLatin1(kSn));
    dialog.show();
    QCOMPARE(child<QPushButton>(dialog, "pbFocusModeGlobal")->styleSheet(), kLeftOnStyle);
    QCOMPARE(child<QPushButton>(dialog, "pbExposureModeFace")->styleSheet(), kRightOnStyle);
    camera->clearRequests();
    click(dialog, "pbHDR");
    click(dialog, "pbHDR");
    QTest::qWait(100);
    QCOMPARE(sent(*camera), list("REC:010101"));
}

void tst_CamSettings::statusReadByFamily_data()
{
    QTest::addColumn<int>("productType");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("hdrClick");      // what a click on HDR sends; empty: the switch is off and deaf
    QTest::addColumn<QString>("exposureMode");  // the selected segment
    QTest::addColumn<QString>("antiFlicker");
    QTest::addColumn<QString>("manualFocus");   // the focus sent when auto focus goes off
    QTest::newRow("Orla") << 2 << "1=01 3=01 7=02 25=80" << "REC:010100" << "pbExposureModeFace"
                          << "pbAntiFlicker60" << "CT:06=8000";
    QTest::newRow("Zuki 4K") << 1 << "1=00 3=01 6=01 7=00 25=80" << "REC:010100" << "pbExposureModeGlobal"
                             << "pbAntiFlicker50" << "CT:06=0000";
    QTest::newRow("Zuki: no HDR") << 0 << "1=00 3=02 6=01 7=01 25=80" << "" << "pbExposureModeFace"
                                  << "pbAntiFlicker60" << "CT:06=0000";
    QTest::newRow("Ko: no status column") << 4 << "1=01 3=01 7=01 25=80" << "" << "pbExposureModeGlobal"
                                          << "pbAntiFlickerOff" << "CT:06=0000";
}

// HDR, face AE, anti-flicker and the manual focus position come from the
// bytes of the camera's own family.
void tst_CamSettings::statusReadByFamily()
{
    QFETCH(int, productType);
    QFETCH(QString, status);
    QFETCH(QString, hdrClick);
    QFETCH(QString, exposureMode);
    QFETCH(QString, antiFlicker);
    QFETCH(QString, manualFocus);
    const QSharedPointer<SimCamera> camera = plug(kSn, 0x14300000, QString(), status, productType);
    QVERIFY(camera);
    QCOMPARE(UvcDevices::get().getDevBySn(QLatin1String(kSn))->getProductType(), productType);
    CamSettings dialog(QString::fromLatin1(kSn));
    dialog.show();
    const QString selected = exposureMode.endsWith(QLatin1String("Face")) ? kRightOnStyle : kLeftOnStyle;
    QCOMPARE(child<QPushButton>(dialog, exposureMode.toLatin1())->styleSheet(), selected);
    const QHash<QString, QString> antiFlickerOn = {{"pbAntiFlickerOff", kLeftOnStyle},
                                                   {"pbAntiFlicker50", kMiddleOnStyle},
                                                   {"pbAntiFlicker60", kRightOnStyle}};
    QCOMPARE(child<QPushButton>(dialog, antiFlicker.toLatin1())->styleSheet(), antiFlickerOn[antiFlicker]);
    QCOMPARE(child<QPushButton>(dialog, "pbHDR")->isEnabled(), !hdrClick.isEmpty());
    camera->clearRequests();
    click(dialog, "pbHDR");
    click(dialog, "pbAutoFocus");
    QTRY_COMPARE_WITH_TIMEOUT(sent(*camera), list(qPrintable(hdrClick + " CT:08=00 " + manualFocus)), kBoundMs);
}

void tst_CamSettings::throttledSliderDeliversItsLastValue()
{
    const QSharedPointer<SimCamera> camera = plug(kSn, 0x14300000, QString());
    QVERIFY(camera);
    CamSettings dialog(QString::fromLatin1(kSn));
    dialog.show();
    QTest::qWait(60);
    camera->clearRequests();
    setSlider(dialog, "slContrast", 60);
    setSlider(dialog, "slContrast", 61);
    setSlider(dialog, "slContrast", 62);
    QCOMPARE(sent(*camera), list("PU:03=3c00"));
    QTRY_COMPARE_WITH_TIMEOUT(sent(*camera), list("PU:03=3c00 PU:03=3e00"), kBoundMs);
    // Done sends a change still held back.
    setSlider(dialog, "slContrast", 70);
    setSlider(dialog, "slContrast", 71);
    click(dialog, "pbDone");
    QCOMPARE(sent(*camera).last(), QStringLiteral("PU:03=4700"));
}

void tst_CamSettings::absentCameraShowsTheAbsentLook()
{
    CamSettings dialog(QStringLiteral("NOSUCHCAMERA"));
    const int result = execWith(dialog, [&] {
        QVERIFY(dialog.isVisible());
        QVERIFY(!child<RSlider>(dialog, "slContrast")->isEnabled());
        QVERIFY(child<QPushButton>(dialog, "pbHDR")->signalsBlocked());
        QCOMPARE(child<QLabel>(dialog, "lbHDR")->styleSheet(), kLabelGreyStyle);
    });
    QCOMPARE(result, 0);
    QVERIFY(!dialog.isVisible());
}

// Values the camera would not give are never written back, neither as 0 nor
// as those of the camera the dialog showed before; controls it lacks are off.
void tst_CamSettings::unreadAndMissingControlsAreLeftAlone()
{
    QVERIFY(plug(kSn, 0x14300000, "PU:03=1e00 CT:02=01"));
    const QSharedPointer<SimCamera> other = plug(kOtherSn, 0x14400000, "PU:03=x CT:04=x PU:07=-");
    QVERIFY(other);
    CamSettings dialog(QString::fromLatin1(kSn));
    dialog.show();
    dialog.setCurrentUvcDevSn(QString::fromLatin1(kOtherSn));
    QVERIFY(!child<RSlider>(dialog, "slSaturation")->isEnabled());
    QCOMPARE(child<QLabel>(dialog, "lbSaturation")->styleSheet(), kLabelGreyStyle);
    QVERIFY(!child<QPushButton>(dialog, "pbAutoExposure")->isEnabled());
    QVERIFY(child<RSlider>(dialog, "slContrast")->isEnabled());
    QCOMPARE(child<RSlider>(dialog, "slContrast")->value(), 50);  // its default, not 30
    QTest::qWait(60);
    other->clearRequests();
    click(dialog, "pbImageSettingsReset");  // all at their defaults or missing
    setSlider(dialog, "slSharpness", 20);
    setSlider(dialog, "slContrast", 20);
    click(dialog, "pbCancel");
    QTest::qWait(100);
    QCOMPARE(sent(*other), list("PU:08=1400 PU:03=1400 PU:0B=01 PU:08=3200"));
}

void tst_CamSettings::departureEndsTheDialog()
{
    const QSharedPointer<SimCamera> camera = plug(kSn, 0x14300000, QString());
    QVERIFY(camera);
    CamSettings dialog(QString::fromLatin1(kSn));
    QSignalSpy ended(&dialog, &CamSettings::ended);
    dialog.open();
    setSlider(dialog, "slContrast", 10);
    camera->clearRequests();
    sim().unplug(0x14300000);
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, kBoundMs);
    QVERIFY(!dialog.isVisible());
    QVERIFY(sent(*camera).isEmpty());
}

// Hidden by its owner and opened again: filled and shown, and Done ends it once.
void tst_CamSettings::hiddenDialogOpensAgain()
{
    QVERIFY(plug(kSn, 0x14300000, QString()));
    CamSettings dialog(QString::fromLatin1(kSn));
    bool shownAgain = false;
    QCOMPARE(execWith(dialog, [&] {
        dialog.hide();
        dialog.open();  // fills and shows
        shownAgain = dialog.isVisible();
    }), 0);
    QVERIFY(shownAgain);
    QVERIFY(!dialog.isVisible());
}

// As closing: the change is put back and the dialog says it ended, once.
void tst_CamSettings::ownerGoingEndsTheDialog()
{
    const QSharedPointer<SimCamera> camera = plug(kSn, 0x14300000, QString());
    QVERIFY(camera);
    auto* owner = new QWidget;
    QPointer<CamSettings> dialog = new CamSettings(QString::fromLatin1(kSn), owner);
    QSignalSpy ended(dialog.data(), &CamSettings::ended);
    dialog->open();
    QVERIFY(dialog->isVisible());
    camera->clearRequests();
    actions()[QStringLiteral("contrast 60")](*dialog);
    QTRY_COMPARE_WITH_TIMEOUT(sent(*camera), list("PU:03=3c00"), kBoundMs);
    camera->clearRequests();
    delete owner;
    QVERIFY(!dialog);
    QCOMPARE(ended.count(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(sent(*camera), list("PU:0B=01 PU:03=3200"), kBoundMs);
}

void tst_CamSettings::rendersLegibly_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("controls");
    for (const QString& code : languageCodes()) {
        QTest::newRow(qPrintable(code + QStringLiteral(" auto"))) << code << QString();
        QTest::newRow(qPrintable(code + QStringLiteral(" manual"))) << code << QStringLiteral("CT:08=00 CT:02=01");
    }
}

// Rendered for a person to look at (camsettings_<language>_<look>.png in the
// build directory); every shown widget lies inside its parent, overlaps no
// sibling and shows its whole text.
void tst_CamSettings::rendersLegibly()
{
    QFETCH(QString, language);
    QFETCH(QString, controls);
    QVERIFY(plug(kSn, 0x14300000, controls));
    QTranslator translator;
    QVERIFY(installLanguage(translator, language));
    CamSettings dialog(QString::fromLatin1(kSn));
    QString faults;
    execWith(dialog, [&] {
        const QString png = stagedFile(QStringLiteral("camsettings_%1_%2.png")
                                           .arg(language, controls.isEmpty() ? "auto" : "manual"));
        QVERIFY(dialog.grab().save(png));
        // At its full height nothing scrolls, once the window system has its size.
        auto* sections = child<QScrollArea>(dialog, "saSections");
        QTRY_COMPARE(sections->width(), dialog.width());
        QTRY_VERIFY(!sections->verticalScrollBar()->isVisible());
        QVERIFY(dialog.width() >= 410 && dialog.width() <= 600);
        QCOMPARE(dialog.height(), 870);
        QList<QWidget*> parents{&dialog};
        for (QWidget* widget : dialog.findChildren<QWidget*>()) {
            if (widget->isVisible() && !widget->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).isEmpty())
                parents << widget;
        }
        for (const QWidget* parent : parents)
            faults += legibilityFault(parent) + QLatin1Char(' ');
    });
    QVERIFY2(faults.trimmed().isEmpty(), qPrintable(faults));
    QCOMPARE(dialog.windowTitle(), translator.translate("CamSettings", "Camera Setting"));
}

QTEST_MAIN(tst_CamSettings)
#include "tst_camsettings.moc"
