// The action reports on the wire: the table of the 56 actions as one
// data-driven test (name, "data", "comment", "trigger" and event path as the
// server gets them), then the main and extended event paths per family.

#include "support/CloudFixture.h"
#include "cloud/ActionReport.h"
#include "support/LogCapture.h"
#include "support/TestHome.h"

#include <QThreadPool>

Q_DECLARE_METATYPE(vesk::pc::ActionType)
Q_DECLARE_METATYPE(vesk::pc::ActionSourceType)

using namespace vesk::pc;

namespace {

const QByteArray kMain = "/dev/zuki/main_event/submit";
const QByteArray kExt = "/dev/zuki/ext_event/submit";

} // namespace

class tst_ActionReports : public QObject
{
    Q_OBJECT
    TestHome home_;
    FakeCloudServer server_;

private slots:
    void initTestCase();
    void init() { server_.clear(); }
    void actionTable_data();
    void actionTable();
    void eventPathsPerFamily_data();
    void eventPathsPerFamily();
};

void tst_ActionReports::initTestCase()
{
    QVERIFY(home_.isValid());
    QThreadPool::globalInstance()->setMaxThreadCount(3);
    QVERIFY(startSimulatedCameras());
    // The Zuki's gimbal off centre (pan 7, tilt -3): a failed read gives 0, 0.
    QVERIFY(sim().camera(kZukiLocation)->setControlValue(UvcUnitKind::CameraTerminal, 0x0D,
                                                          QByteArray::fromHex("07000000fdffffff")));
    QVERIFY(server_.listen());
    pointServersAt(server_);
}

// Each row: an action on the demo Zuki, and the body and path it makes.
void tst_ActionReports::actionTable_data()
{
    QTest::addColumn<ActionType>("action");
    QTest::addColumn<ActionSourceType>("trigger");
    QTest::addColumn<QVariant>("value1");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("data");  // JSON text; empty: no "data"
    QTest::addColumn<QByteArray>("comment");
    QTest::addColumn<QByteArray>("path");
    const QVariant none;
    const auto row = [](const char* tag, ActionType action, const QVariant& value1, const char* name,
                        const char* data, const QByteArray& path, ActionSourceType trigger = SourceMouse,
                        const char* comment = "c") {
        QTest::newRow(tag) << action << trigger << value1 << QByteArray(name) << QByteArray(data) << QByteArray(comment)
                           << path;
    };
    row("0 to sleep, state 3", ActionToSleep, 3, "to_sleep", "\"SLEEP\"", kMain);
    row("1 to privacy, state 4", ActionToPrivacy, 4, "to_privacy", "\"PRIVACY\"", kMain);
    row("2 to wake, state 1", ActionToWake, 1, "to_wake", "\"WAKE\"", kMain);
    row("3", ActionTrackingTapped, true, "tracking_tapped", "\"LOCK\"", kMain);
    row("4", ActionZooming, "1.5x", "zooming", "\"1.5x\"", kMain);
    row("5 reads the camera", ActionGimbalControl, none, "gimbal_control", "\"pan=7,pitch=-3\"", kMain);
    row("6", ActionGimbalReset, none, "gimbal_reset", "\"\"", kMain);
    row("7 replaces the comment", ActionAddPresetPosition, "home", "add_preset_position", "\"home\"", kMain,
        SourceMouse, "pan=10,pitch=-5,zoom=2");
    row("8 replaces the comment", ActionUpdatePresetPosition, "desk", "update_preset_position", "\"desk\"", kMain,
        SourceMouse, "pan=10,pitch=-5,zoom=2");
    row("9", ActionRenamePresetPosition, "door", "rename_preset_position", "\"door\"", kMain);
    row("10", ActionDeletePresetPosition, 2, "delete_preset_position", "\"2\"", kMain);
    row("11", ActionTriggerPresetPosition, 1, "trigger_preset_position", "\"1\"", kMain);
    row("12", ActionSetViewMode, "65", "set_view_mode", "\"65\"", kMain);
    row("13", ActionSetAutoFramingEnabled, true, "set_auto_framing_enabled", "\"ON\"", kMain);
    row("14 group", ActionSetAutoFramingMode, 0, "set_auto_framing_mode", "\"GROUP\"", kMain);
    row("14 single", ActionSetAutoFramingMode, 1, "set_auto_framing_mode", "\"SINGLE\"", kMain);
    row("15 close-up", ActionSetAutoFramingSize, 0, "set_auto_framing_size", "\"CLOSEUP\"", kMain);
    row("15 upper body", ActionSetAutoFramingSize, 1, "set_auto_framing_size", "\"UPPER BODY\"", kMain);
    row("16 reads the camera", ActionSetCropArea, none, "set_crop_area", "\"cx=7,cy=-3\"", kMain);
    row("17", ActionResetCropArea, none, "reset_crop_area", "\"\"", kMain);
    row("18", ActionSetBackgroundModeEnabled, false, "set_background_mode_enabled", "\"OFF\"", kMain);
    row("19", ActionSetBackgroundModeOption, "blur", "set_background_mode_option", "\"blur\"", kMain);
    row("20", ActionSetBackgroundBlurLevel, "40%", "set_background_blur_level", "\"40%\"", kMain);
    row("21", ActionSetBackgroundGreenScreenColor, "green", "set_background_green_screen_color", "\"green\"", kMain);
    row("22", ActionSetBackgroundReplacementImageIndex, 2, "set_background_replacement_image_index", "\"2\"", kMain);
    row("23", ActionDividerLine, "x", "action_divider_line", "", kExt);
    row("24 off", ActionSetAutoSleep, 0, "set_auto_sleep", "\"OFF\"", kExt);
    row("24 300 s", ActionSetAutoSleep, 300, "set_auto_sleep", "\"300s\"", kExt);
    row("25", ActionSetGestureControlTargetLockEnabled, true, "set_gesture_control_target_lock_enabled", "\"ON\"",
        kExt);
    row("26", ActionSetGestureControlZoomingEnabled, false, "set_gesture_control_zooming_enabled", "\"OFF\"", kExt);
    row("27 a number", ActionSetGestureZoomingRatio, 1.5, "set_gesture_zooming_ratio", "1.5", kExt);
    row("28", ActionGestureZoomingRatioSetUiOpened, none, "gesture_zooming_ratio_set_ui_opened", "\"\"", kExt);
    row("29", ActionSetTrackingMode, "x", "set_tracking_mode", "", kExt);
    row("30", ActionConfigureVideoOpened, none, "configure_video_opened", "\"\"", kExt);
    row("31", ActionConfigureVideoReset, none, "configure_video_reset", "\"\"", kExt);
    row("32", ActionSetAutoWhiteBalanceEnabled, true, "set_auto_white_balance_enabled",
        "\"Not implemented at Present\"", kExt);
    row("33", ActionSetBrightness, 1, "set_brightness", "\"Not implemented at Present\"", kExt);
    row("34", ActionSetContrast, 1, "set_contrast", "\"Not implemented at Present\"", kExt);
    row("35", ActionSetSaturation, 1, "set_saturation", "\"Not implemented at Present\"", kExt);
    row("36", ActionSetSharpness, 1, "set_sharpness", "\"Not implemented at Present\"", kExt);
    row("37", ActionSetHue, 1, "set_hue", "\"Not implemented at Present\"", kExt);
    row("38 50 Hz", ActionSetAntiFlickerMode, 1, "set_anti_flicker_mode", "\"50Hz\"", kExt);
    row("38 2", ActionSetAntiFlickerMode, 2, "set_anti_flicker_mode", "\"60Hz\"", kExt);
    row("38 7", ActionSetAntiFlickerMode, 7, "set_anti_flicker_mode", "\"60Hz\"", kExt);
    row("39", ActionSetFaceAeEnabled, true, "set_face_ae_enabled", "\"ON\"", kExt);
    row("40 set replaces the comment", ActionSetInitBootPosition, true, "set_init_boot_position", "\"SET\"", kExt,
        SourceMouse, "pan=10,pitch=-5,zoom=2");
    row("40 reset keeps it", ActionSetInitBootPosition, false, "set_init_boot_position", "\"RESET\"", kExt);
    row("41", ActionSetNoiseCancellationEnabled, true, "set_noise_cancellation_enabled", "\"ON\"", kExt);
    row("42", ActionSetPresetPositionEnabled, false, "set_preset_position_enabled", "\"OFF\"", kExt);
    row("43", ActionSetHdrEnabled, true, "set_hdr_enabled", "\"ON\"", kExt);
    row("44", ActionSetToLandscapeMode, none, "set_to_landscape_mode", "\"\"", kExt);
    row("45", ActionSetToPortraitMode, none, "set_to_portrait_mode", "\"\"", kExt);
    row("46", ActionSetAutoFocusEnabled, true, "set_auto_focus_enabled", "\"ON\"", kExt);
    row("47", ActionSetManualFocusValue, 35, "set_manual_focus_value", "\"35\"", kExt);
    row("48", ActionSetFaceFocusEnabled, false, "set_face_focus_enabled", "\"OFF\"", kExt);
    row("49", ActionResetGimbalInit, none, "reset_gimbal_init", "\"\"", kExt);
    row("50", ActionResetGimbalZero, none, "reset_gimbal_zero", "\"\"", kExt);
    row("51 default", ActionSetButtonWorkMode, 0, "set_button_work_mode", "\"DEFAULT\"", kExt);
    row("52", ActionSetButtonCustomizedDefaultState, "a", "set_button_customized_default_state", "\"a\"", kExt);
    row("53", ActionSetButtonCustomizedClickOnce, "b", "set_button_customized_click_once", "\"b\"", kExt);
    row("54", ActionSetButtonCustomizedClickTwice, "c", "set_button_customized_click_twice", "\"c\"", kExt);
    row("55", ActionButt, "x", "action_butt", "", kExt);
    row("trigger KEY", ActionSetAutoFramingEnabled, true, "set_auto_framing_enabled", "\"ON\"", kMain, SourceKey);
    row("trigger none", ActionSetAutoFramingEnabled, true, "set_auto_framing_enabled", "\"ON\"", kMain, SourceNone);
}

void tst_ActionReports::actionTable()
{
    QFETCH(ActionType, action);
    QFETCH(ActionSourceType, trigger);
    QFETCH(QVariant, value1);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, comment);
    QFETCH(QByteArray, path);
    static const char* const kTriggers[] = {"MOUSE", "KEY", "REMOTE", "DEVICE", ""};
    devActionToServer(kZukiSn, action, trigger, QStringLiteral("c"), value1, 10, -5, 2,
                      QStringLiteral("unused"));
    QVERIFY(server_.waitForRequests(1));
    const QByteArray body = "{\"action\":\"" + name + "\",\"comment\":\"" + comment + "\","
                            + (data.isEmpty() ? QByteArray() : "\"data\":" + data + ",")
                            + "\"platform\":\"SSC336Q\",\"sn\":\"ZK22A0000002\",\"trigger\":\"" + kTriggers[trigger]
                            + "\",\"version\":\"" + kDemoFirmware.toLatin1() + "\"}";
    QCOMPARE(server_.requests().first().body, body);
    QCOMPARE(server_.requests().first().path(), path);
}

void tst_ActionReports::eventPathsPerFamily_data()
{
    QTest::addColumn<int>("productType");
    QTest::addColumn<QByteArray>("sn");
    QTest::addColumn<QByteArray>("mainPath");  // to_sleep
    QTest::addColumn<QByteArray>("extPath");   // set_auto_sleep
    QTest::newRow("Zuki") << 0 << QByteArray("ZKPATH000001") << kMain << kExt;
    QTest::newRow("Zuki 4K") << 1 << QByteArray("ZK4KPATH0001") << QByteArray("/dev/zuki4k/main_event/submit")
                             << QByteArray("/dev/zuki4k/ext_event/submit");
    QTest::newRow("Orla") << 2 << QByteArray("ORPATH000001") << QByteArray("/dev/orla/main_event/submit")
                          << QByteArray("/dev/orla/ext_event/submit");
    QTest::newRow("Orla 4K") << 3 << QByteArray("OR4KPATH0001") << QByteArray("/dev/orla4k/main_event/submit")
                             << QByteArray("/dev/orla4k/ext_event/submit");
    QTest::newRow("Ko: no path") << 4 << QByteArray("KOPATH000001") << QByteArray() << QByteArray();
    QTest::newRow("not connected") << -1 << QByteArray("NOSUCHCAMERA") << QByteArray() << QByteArray();
}

void tst_ActionReports::eventPathsPerFamily()
{
    QFETCH(int, productType);
    QFETCH(QByteArray, sn);
    QFETCH(QByteArray, mainPath);
    QFETCH(QByteArray, extPath);
    if (productType >= 0)
        QVERIFY(plugCamera(productType, sn));
    LogCapture log;
    devActionToServer(QString::fromLatin1(sn), ActionToSleep, SourceMouse, QString(), 3);
    devActionToServer(QString::fromLatin1(sn), ActionSetAutoSleep, SourceMouse, QString(), 0);
    QTest::qWait(300);
    QTRY_VERIFY_WITH_TIMEOUT(QThreadPool::globalInstance()->activeThreadCount() == 0, 8000);
    QCOMPARE(getActionType(QString::fromLatin1(sn), ActionToSleep),
             productType < 0 ? 108u : PushDevUsageState::typeFor(productType, PushDevUsageState::MainEvent));
    if (mainPath.isEmpty()) {
        QVERIFY(server_.requests().isEmpty());
        QCOMPARE(log.count(QStringLiteral("Unknown type = 108"), true, QtCriticalMsg), productType == 4 ? 2 : 0);
        return;
    }
    QCOMPARE(server_.requests().size(), 2);
    QList<QByteArray> got{server_.requests().at(0).path(), server_.requests().at(1).path()};
    std::sort(got.begin(), got.end());  // two tasks: either may arrive first
    QList<QByteArray> expected{mainPath, extPath};
    std::sort(expected.begin(), expected.end());
    QCOMPARE(got, expected);
}

QTEST_GUILESS_MAIN(tst_ActionReports)
#include "tst_actionreports.moc"
