// The state reports: the four records as functions of a camera snapshot,
// one row per case with the body the server gets; then the flag words on
// simulated cameras of each family, to the paths of their family, an
// Orla's two records on the wire, and a Zuki's when its camera refuses every
// read the records make.

#include "support/CloudFixture.h"
#include "support/CloudTaskRun.h"
#include "cloud/DeviceStateReport.h"
#include "cloud/PushDevUsageState.h"
#include "support/TestHome.h"

#include <functional>

using namespace vesk::pc;

using Setup = std::function<void(CameraSnapshot&)>;
Q_DECLARE_METATYPE(vesk::pc::CameraSnapshot)

namespace {

// A snapshot of a camera of this product type with these status bytes.
CameraSnapshot camera(int productType, std::initializer_list<std::pair<int, int>> bytes, const Setup& more = {})
{
    CameraSnapshot snapshot;
    snapshot.sn = QStringLiteral("S1");
    snapshot.platform = QStringLiteral("P");
    snapshot.version = QStringLiteral("1.2.3.4");
    snapshot.productType = productType;
    snapshot.is4K = productType == 1 || productType == 3;
    for (const auto& byte : bytes)
        snapshot.status.bytes[byte.first] = uint8_t(byte.second);
    if (more)
        more(snapshot);
    return snapshot;
}

QByteArray compact(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QList<QByteArray> paths(const FakeCloudServer& server)
{
    QList<QByteArray> found;
    for (const FakeCloudServer::Request& request : server.requests())
        found << request.path();
    return found;
}

} // namespace

class tst_StateReports : public QObject
{
    Q_OBJECT
    TestHome home_;
    FakeCloudServer server_;

private slots:
    void initTestCase();
    void records_data();
    void records();
    void flagWordsPerFamily_data();
    void flagWordsPerFamily();
    void orlaRecordsOnTheWire_data();
    void orlaRecordsOnTheWire();
    void readsRefusedOnTheWire_data();
    void readsRefusedOnTheWire();
};

void tst_StateReports::initTestCase()
{
    QVERIFY(home_.isValid());
    QVERIFY(startSimulatedCameras());
    QVERIFY(server_.listen());
    pointServersAt(server_);
}

void tst_StateReports::records_data()
{
    QTest::addColumn<CameraSnapshot>("snapshot");
    QTest::addColumn<bool>("main");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("Zuki main, asleep, tracking") << camera(0, {{9, 3}, {0, 1}}, [](CameraSnapshot& c) {
        c.zoomPercent = 50;
        c.positionRead = true;
        c.pan = 36000;
        c.tilt = -7200;
    }) << true << QByteArray("{\"auto_framing\":\"OFF\",\"platform\":\"P\",\"pos_p\":\"36000\",\"pos_t\":\"-7200\","
                             "\"pos_z\":\"1.5\",\"sn\":\"S1\",\"state\":\"Sleep\",\"tracking\":\"YES\",\"version\":\"1.2.3.4\"}");
    QTest::newRow("Zuki 4K main, privacy, position unread") << camera(1, {{9, 4}}, [](CameraSnapshot& c) {
        c.zoomPercent = 50;
        c.pan = 5;
    }) << true << QByteArray("{\"auto_framing\":\"OFF\",\"platform\":\"P\",\"pos_p\":\"0\",\"pos_t\":\"0\",\"pos_z\":\"2.5\","
                             "\"sn\":\"S1\",\"state\":\"PRIVACY\",\"tracking\":\"NO\",\"version\":\"1.2.3.4\"}");
    QTest::newRow("Zuki main, running") << camera(0, {{9, 1}}) << true
        << QByteArray("{\"auto_framing\":\"OFF\",\"platform\":\"P\",\"pos_p\":\"0\",\"pos_t\":\"0\",\"pos_z\":\"1\","
                      "\"sn\":\"S1\",\"state\":\"NORMAL\",\"tracking\":\"NO\",\"version\":\"1.2.3.4\"}");
    QTest::newRow("Orla main, auto framing") << camera(2, {{0, 2}, {5, 1}}, [](CameraSnapshot& c) {
        c.positionRead = true;
        c.pan = 100;
    }) << true << QByteArray("{\"auto_framing\":\"ON\",\"auto_framing_size\":\"CLOSEUP\",\"background_blur\":\"OFF\","
                             "\"background_enabled\":false,\"background_green_color\":\"GREEN\","
                             "\"background_replacement_image_index\":\"OFF\",\"crop_cx\":\"OFF\",\"crop_cy\":\"OFF\","
                             "\"platform\":\"P\",\"sn\":\"S1\",\"state\":\"NORMAL\",\"version\":\"1.2.3.4\",\"view\":\"OFF\","
                             "\"zoom_ratio\":\"1\"}");
    QTest::newRow("Orla 4K main, blurred, asleep") << camera(3, {{0, 1}, {5, 18}, {6, 40}, {2, 3}, {17, 1}},
                                                             [](CameraSnapshot& c) {
        c.zoomPercent = 100;
        c.positionRead = true;
        c.pan = -3600;
    }) << true << QByteArray("{\"auto_framing\":\"OFF\",\"auto_framing_size\":\"UPPER BODY\",\"background_blur\":\"40\","
                             "\"background_enabled\":true,\"background_green_color\":\"OFF\","
                             "\"background_replacement_image_index\":\"OFF\",\"crop_cx\":\"-3600\",\"crop_cy\":\"0\","
                             "\"platform\":\"P\",\"sn\":\"S1\",\"state\":\"Sleep\",\"version\":\"1.2.3.4\",\"view\":\"1\","
                             "\"zoom_ratio\":\"4\"}");
    QTest::newRow("Orla being upgraded") << camera(2, {}, [](CameraSnapshot& c) { c.devMode = 2; }) << true
                                         << QByteArray("{}");
    QTest::newRow("Ko has no family") << camera(4, {}) << false << QByteArray("{}");
    QTest::newRow("Zuki extended, presets read") << camera(0, {{10, 0xb4}, {3, 7}, {7, 1}, {6, 1}}, [](CameraSnapshot& c) {
        c.ai.trackingMode = 1;
        c.image = {false, 4600, -5, true, 0, 60, 3, false, -12};
        c.bootPos[0] = 9.0f;
        c.bootPos[1] = 1.5f;
        c.bootPos[2] = -20.25f;
        c.bootPos[3] = 2.0f;
        c.presetsRead = true;
        c.presets[0].id = 0, c.presets[0].pan = 1050, c.presets[0].tilt = -250, c.presets[0].zoom = 150;
        c.presets[1].id = 255;
        c.presets[2].id = 2, c.presets[2].pan = -9000, c.presets[2].zoom = 100;
    }) << false << QByteArray("{\"anti_flicker\":\"60Hz\",\"auto_sleep\":\"180s\",\"brightness\":\"-5\",\"contrast\":\"AUTO\","
                              "\"face_ae\":true,\"hue\":\"-12\",\"init_pos_p\":\"-20.25\",\"init_pos_t\":\"1.50\","
                              "\"init_pos_z\":\"2.00\",\"noise_cancellation\":false,\"platform\":\"P\","
                              "\"preset_1_pos_p\":\"10.5\",\"preset_1_pos_t\":\"-2.5\",\"preset_1_pos_z\":\"1.5\","
                              "\"preset_1_used\":true,\"preset_2_pos_p\":\"0\",\"preset_2_pos_t\":\"0\","
                              "\"preset_2_pos_z\":\"0\",\"preset_2_used\":false,\"preset_3_pos_p\":\"-90\","
                              "\"preset_3_pos_t\":\"0\",\"preset_3_pos_z\":\"1\",\"preset_3_used\":true,"
                              "\"saturation\":\"60\",\"sharpness\":\"3\",\"sn\":\"S1\",\"tracking_mode\":\"HEADROOM\","
                              "\"version\":\"1.2.3.4\",\"white_balance\":\"4600K\"}");
    QTest::newRow("Zuki 4K extended, portrait, stored presets")
        << camera(1, {{12, 1}, {6, 1}, {10, 0xff}, {11, 0xff}, {3, 1}, {8, 1}}, [](CameraSnapshot& c) {
        c.ai.trackingMode = 1;
        c.ai.portraitTrackingMode = 1;
        c.autoFocus = 1;
        c.faceFocus = true;
        c.presets[0].pan = 1000;  // read, but a later read failed
        c.storedPresets[0].pan = 150, c.storedPresets[0].tilt = -50, c.storedPresets[0].zoom = 1.5;
        c.storedPresets[0].used = true;
        c.storedPresets[2].zoom = 2.0;
    }) << false << QByteArray("{\"anti_flicker\":\"50Hz\",\"auto_focus\":true,\"auto_sleep\":\"OFF\",\"brightness\":\"0\","
                              "\"contrast\":\"0\",\"face_ae\":false,\"face_focus\":true,\"hdr\":true,\"hue\":\"0\","
                              "\"init_pos_p\":\"0.00\",\"init_pos_t\":\"0.00\",\"init_pos_z\":\"0.00\","
                              "\"landscape_or_portrait\":\"PORTRAIT\",\"noise_cancellation\":true,\"platform\":\"P\","
                              "\"preset_1_pos_p\":\"1.5\",\"preset_1_pos_t\":\"-0.5\",\"preset_1_pos_z\":\"2.5\","
                              "\"preset_1_used\":true,\"preset_2_pos_p\":\"0\",\"preset_2_pos_t\":\"0\","
                              "\"preset_2_pos_z\":\"1\",\"preset_2_used\":false,\"preset_3_pos_p\":\"0\","
                              "\"preset_3_pos_t\":\"0\",\"preset_3_pos_z\":\"4\",\"preset_3_used\":false,"
                              "\"saturation\":\"0\",\"sharpness\":\"0\",\"sn\":\"S1\",\"tracking_mode\":\"MOTION\","
                              "\"version\":\"1.2.3.4\",\"white_balance\":\"0K\"}");
    QTest::newRow("Orla extended") << camera(2, {{18, 0x88}, {19, 0xff}, {7, 2}, {1, 1}, {23, 1}, {15, 1}},
                                             [](CameraSnapshot& c) { c.image = {true, 0, 128, false, 50, 50, 50, true, 0}; })
        << false << QByteArray("{\"anti_flicker\":\"60Hz\",\"auto_focus\":false,\"auto_sleep\":\"OFF\",\"brightness\":\"128\","
                               "\"button_work_mode\":\"DEFAULT\",\"contrast\":\"50\",\"face_ae\":false,\"face_focus\":false,"
                               "\"hdr\":true,\"hue\":\"AUTO\",\"noise_cancellation\":false,\"platform\":\"P\","
                               "\"saturation\":\"50\",\"screen_mode\":\"PORTRAIT\",\"sharpness\":\"50\",\"sn\":\"S1\","
                               "\"version\":\"1.2.3.4\",\"white_balance\":\"AUTO\"}");
}

void tst_StateReports::records()
{
    QFETCH(CameraSnapshot, snapshot);
    QFETCH(bool, main);
    QFETCH(QByteArray, body);
    QCOMPARE(compact(main ? DeviceStateReport::mainStateInfo(snapshot) : DeviceStateReport::extStateInfo(snapshot)),
             body);
}

void tst_StateReports::flagWordsPerFamily_data()
{
    QTest::addColumn<int>("productType");  // -1: the demo camera named by sn
    QTest::addColumn<QString>("sn");
    QTest::addColumn<unsigned>("flags");
    QTest::addColumn<QList<QByteArray>>("paths");
    QTest::newRow("Zuki, both, main first") << -1 << kZukiSn << 0x30000u
        << QList<QByteArray>{"/dev/zuki/main_status/submit", "/dev/zuki/ext_status/submit"};
    QTest::newRow("Orla, main only") << -1 << kOrlaSn << 0x10000u << QList<QByteArray>{"/dev/orla/main_status/submit"};
    QTest::newRow("Zuki 4K, extended only") << 1 << "ZK4KFLAG0001" << 0x20000u
        << QList<QByteArray>{"/dev/zuki4k/ext_status/submit"};
    QTest::newRow("Orla 4K, both") << 3 << "OR4KFLAG0001" << 0x30000u
        << QList<QByteArray>{"/dev/orla4k/main_status/submit", "/dev/orla4k/ext_status/submit"};
    QTest::newRow("Ko: nothing") << 4 << "KOFLAG000001" << 0x30000u << QList<QByteArray>{};
    QTest::newRow("absent camera: nothing") << -1 << "NOSUCHCAMERA" << 0x30000u << QList<QByteArray>{};
}

void tst_StateReports::flagWordsPerFamily()
{
    QFETCH(int, productType);
    QFETCH(QString, sn);
    QFETCH(unsigned, flags);
    QFETCH(QList<QByteArray>, paths);
    if (productType >= 0)
        QVERIFY(plugCamera(productType, sn.toLatin1()));
    server_.clear();
    CloudTaskRun run;
    run.runToEnd(new PushDevUsageState(sn, flags));
    QVERIFY(run.idle());
    QCOMPARE(::paths(server_), paths);
}

void tst_StateReports::orlaRecordsOnTheWire_data()
{
    QTest::addColumn<QByteArray>("serial");
    QTest::addColumn<QString>("gimbal");  // its position control
    QTest::addColumn<QByteArray>("crop");
    QTest::newRow("off centre") << QByteArray("ORWIRE000001") << "CT:0D=07000000fdffffff"
                                << QByteArray("\"crop_cx\":\"7\",\"crop_cy\":\"-3\"");
    QTest::newRow("position unreadable") << QByteArray("ORWIRE000002") << "CT:0D=x"
                                         << QByteArray("\"crop_cx\":\"0\",\"crop_cy\":\"0\"");
}

void tst_StateReports::orlaRecordsOnTheWire()
{
    QFETCH(QByteArray, serial);
    QFETCH(QString, gimbal);
    QFETCH(QByteArray, crop);
    QByteArray status(60, '\0');
    status[5] = 17;                           // picture replacement
    status[8] = 0x2c, status[9] = 0x01;       // raw zoom 300 of 100..500
    status[18] = 60;                          // automatic sleep after 60 s
    status[10] = 1, status[3] = 1, status[7] = 1, status[14] = 1, status[23] = 1, status[24] = 1;
    const QSharedPointer<UvcDevice> orla = plugCamera(2, serial, status, gimbal);
    QVERIFY(orla);
    CameraStatus fresh;
    QVERIFY(orla->getCameraStatus(fresh));
    server_.clear();
    CloudTaskRun run;
    run.runToEnd(new PushDevUsageState(QString::fromLatin1(serial), PushDevUsageState::kAllStatesFlag));
    QCOMPARE(server_.requests().size(), 2);
    QCOMPARE(server_.requests().at(0).body,
             QByteArray("{\"auto_framing\":\"OFF\",\"auto_framing_size\":\"CLOSEUP\",\"background_blur\":\"OFF\","
                        "\"background_enabled\":false,\"background_green_color\":\"OFF\","
                        "\"background_replacement_image_index\":\"ON\"," + crop + ","
                        "\"platform\":\"SSC336Q\",\"sn\":\"" + serial + "\",\"state\":\"NORMAL\",\"version\":\"1.0.3.7\","
                        "\"view\":\"1\",\"zoom_ratio\":\"1.5\"}"));
    QCOMPARE(server_.requests().at(1).body,
             QByteArray("{\"anti_flicker\":\"50Hz\",\"auto_focus\":true,\"auto_sleep\":\"60s\",\"brightness\":\"128\","
                        "\"button_work_mode\":\"ROTATION\",\"contrast\":\"50\",\"face_ae\":true,\"face_focus\":true,"
                        "\"hdr\":false,\"hue\":\"0\",\"noise_cancellation\":true,\"platform\":\"SSC336Q\","
                        "\"saturation\":\"50\",\"screen_mode\":\"LANDSCAPE\",\"sharpness\":\"50\","
                        "\"sn\":\"" + serial + "\",\"version\":\"1.0.3.7\",\"white_balance\":\"AUTO\"}"));
}

// Every camera read the records make fails: the gimbal position, the image
// controls, the focus, the AI status and boot position (their replies carry
// an error) and the presets. Both records still go out, the position as 0,
// what was not read as nothing was set, the presets as stored here.
void tst_StateReports::readsRefusedOnTheWire_data()
{
    QTest::addColumn<int>("productType");
    QTest::addColumn<QByteArray>("serial");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QByteArray>("main");
    QTest::addColumn<QByteArray>("ext");
    // Running, zoom 300 of 100..500, anti-flicker 50 Hz, face exposure on,
    // auto sleep after 60 s; 4K: HDR on, portrait.
    QTest::newRow("Zuki") << 0 << QByteArray("ZKREFUSED001") << "9=01 4=2c 5=01 3=01 7=01 10=3c"
        << QByteArray("{\"auto_framing\":\"OFF\",\"platform\":\"SSC336Q\",\"pos_p\":\"0\",\"pos_t\":\"0\","
                      "\"pos_z\":\"1.5\",\"sn\":\"ZKREFUSED001\",\"state\":\"NORMAL\",\"tracking\":\"NO\","
                      "\"version\":\"1.0.3.7\"}")
        << QByteArray("{\"anti_flicker\":\"50Hz\",\"auto_sleep\":\"60s\",\"brightness\":\"0\",\"contrast\":\"0\","
                      "\"face_ae\":true,\"hue\":\"0\",\"init_pos_p\":\"0.00\",\"init_pos_t\":\"0.00\","
                      "\"init_pos_z\":\"0.00\",\"noise_cancellation\":false,\"platform\":\"SSC336Q\","
                      "\"preset_1_pos_p\":\"10.5\",\"preset_1_pos_t\":\"-2.5\",\"preset_1_pos_z\":\"1.5\","
                      "\"preset_1_used\":true,\"preset_2_pos_p\":\"0\",\"preset_2_pos_t\":\"0\","
                      "\"preset_2_pos_z\":\"1\",\"preset_2_used\":false,\"preset_3_pos_p\":\"-90\","
                      "\"preset_3_pos_t\":\"0\",\"preset_3_pos_z\":\"2\",\"preset_3_used\":true,"
                      "\"saturation\":\"0\",\"sharpness\":\"0\",\"sn\":\"ZKREFUSED001\",\"tracking_mode\":\"NORMAL\","
                      "\"version\":\"1.0.3.7\",\"white_balance\":\"0K\"}");
    // The stored zoom of a 4K camera is reported on its 1..4 scale.
    QTest::newRow("Zuki 4K, portrait") << 1 << QByteArray("ZK4KREFUSED1") << "9=01 4=2c 5=01 3=01 7=01 10=3c 6=01 12=01"
        << QByteArray("{\"auto_framing\":\"OFF\",\"platform\":\"SSC339G\",\"pos_p\":\"0\",\"pos_t\":\"0\","
                      "\"pos_z\":\"2.5\",\"sn\":\"ZK4KREFUSED1\",\"state\":\"NORMAL\",\"tracking\":\"NO\","
                      "\"version\":\"1.0.3.7\"}")
        << QByteArray("{\"anti_flicker\":\"50Hz\",\"auto_focus\":false,\"auto_sleep\":\"60s\",\"brightness\":\"0\","
                      "\"contrast\":\"0\",\"face_ae\":true,\"face_focus\":false,\"hdr\":true,\"hue\":\"0\","
                      "\"init_pos_p\":\"0.00\",\"init_pos_t\":\"0.00\",\"init_pos_z\":\"0.00\","
                      "\"landscape_or_portrait\":\"PORTRAIT\",\"noise_cancellation\":false,\"platform\":\"SSC339G\","
                      "\"preset_1_pos_p\":\"10.5\",\"preset_1_pos_t\":\"-2.5\",\"preset_1_pos_z\":\"2.5\","
                      "\"preset_1_used\":true,\"preset_2_pos_p\":\"0\",\"preset_2_pos_t\":\"0\","
                      "\"preset_2_pos_z\":\"1\",\"preset_2_used\":false,\"preset_3_pos_p\":\"-90\","
                      "\"preset_3_pos_t\":\"0\",\"preset_3_pos_z\":\"4\",\"preset_3_used\":true,"
                      "\"saturation\":\"0\",\"sharpness\":\"0\",\"sn\":\"ZK4KREFUSED1\",\"tracking_mode\":\"NORMAL\","
                      "\"version\":\"1.0.3.7\",\"white_balance\":\"0K\"}");
}

void tst_StateReports::readsRefusedOnTheWire()
{
    QFETCH(int, productType);
    QFETCH(QByteArray, serial);
    QFETCH(QString, status);
    QFETCH(QByteArray, main);
    QFETCH(QByteArray, ext);
    const QString sn = QString::fromLatin1(serial);
    GlobalParams& params = GlobalParams::get();
    params.addOneDevInfo(QStringLiteral("1"), sn);
    GlobalParams::PrePosParam stored;
    stored.pan = 1050, stored.tilt = -250, stored.zoom = 1.5, stored.used = true;
    params.setPreposParam(sn, stored, 0);
    stored.pan = -9000, stored.tilt = 0, stored.zoom = 2.0;
    params.setPreposParam(sn, stored, 2);
    const QSharedPointer<UvcDevice> zuki =
        plugCamera(productType, serial, statusBytes(status),
                   "CT:0D=x CT:08=x PU:0A=x PU:0B=x PU:02=x PU:03=x PU:13=x PU:07=x PU:08=x PU:06=x PU:10=x");
    QVERIFY(zuki);
    CameraStatus fresh;
    QVERIFY(zuki->getCameraStatus(fresh));
    const QSharedPointer<SimCamera> camera = sim().camera(uint32_t(zuki->locationId()));
    QVERIFY(camera);
    // Were they read, the AI status would say "HEADROOM" and the boot position 3.00.
    camera->setReply(0x3092, QByteArray(38, '\x01'));
    camera->setReply(0x3036, QByteArray(20, '\x40'));
    SimKnobs knobs = camera->knobs();
    knobs.resultCode = 1;
    knobs.getFailsOnSelector = 7;  // the presets
    camera->setKnobs(knobs);
    server_.clear();
    CloudTaskRun run;
    run.runToEnd(new PushDevUsageState(sn, PushDevUsageState::kAllStatesFlag));
    QVERIFY(run.idle());
    QCOMPARE(server_.requests().size(), 2);
    QCOMPARE(server_.requests().at(0).body, main);
    QCOMPARE(server_.requests().at(1).body, ext);
}

QTEST_GUILESS_MAIN(tst_StateReports)
#include "tst_statereports.moc"
