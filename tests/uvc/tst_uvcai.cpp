// AI and gimbal commands against a simulated camera: the bytes of every
// command on the wire, the decoding of the three queries, the guards in the
// order each command tests them, the switches on selectors 3 to 6, and the
// mended faults (short replies, upgrade mode).

#include "support/CommandFixture.h"
#include "support/TestHome.h"

#include <QtTest>

#include <functional>

using namespace vesk::pc;

using Command = std::function<int(UvcDevice&)>;
Q_DECLARE_METATYPE(Command)

namespace {

QByteArray zeros(int count) { return QByteArray(count, '\0'); }

// Reply data of the short AI status: bytes 30 to 37 as given, the rest zero.
QByteArray aiStatusReply(const char* bytes30to37)
{
    return zeros(30) + QByteArray::fromHex(bytes30to37);
}

// Commands by name with their guards as the command table lists them, and
// the command word or selector that shows they reached the camera.
struct GuardRow
{
    const char* name;
    const char* guards;
    int command;   // 0 for a switch
    int selector;  // extension-unit selector of a switch
    Command call;
};

const QList<GuardRow>& guardRows()
{
    static const QList<GuardRow> rows = {
        {"aiSetGestureCtrlIndividual", "INS", 0x3090, 0, [](UvcDevice& d) { return d.aiSetGestureCtrlIndividual(1, true); }},
        {"aiSetTrackingMode", "N", 0x3091, 0, [](UvcDevice& d) { return d.aiSetTrackingMode(1); }},
        {"aiGetAiStatus", "INS", 0x3092, 0, [](UvcDevice& d) { AiStatus s; return d.aiGetAiStatus(&s); }},
        {"aiSetGestureZoomFactor", "INS", 0x3093, 0, [](UvcDevice& d) { return d.aiSetGestureZoomFactor(2.0f); }},
        {"aiSetButtonSwitchForKo", "INS", 0x3094, 0, [](UvcDevice& d) { return d.aiSetButtonSwitchForKo(true); }},
        {"aiGimbalSpeedCtrl", "INS", 0x3023, 0, [](UvcDevice& d) { return d.aiGimbalSpeedCtrl(0.1, 0.1); }},
        {"aiSetGimbalBootPos", "INS", 0x3035, 0, [](UvcDevice& d) { return d.aiSetGimbalBootPos(1, 2, 3, 4); }},
        {"aiGetGimbalBootPos", "INS", 0x3036, 0, [](UvcDevice& d) { float a, b, c, e; return d.aiGetGimbalBootPos(a, b, c, e); }},
        {"aiTrgGimbalBootPos", "INS", 0x303A, 0, [](UvcDevice& d) { return d.aiTrgGimbalBootPos(); }},
        {"aiSetEnabled", "NS", 0x3051, 0, [](UvcDevice& d) { return d.aiSetEnabled(true); }},
        {"gimbalGetAttitudeInfo", "INS", 0x2001, 0, [](UvcDevice& d) { int16_t x, y, z; return d.gimbalGetAttitudeInfo(x, y, z); }},
        {"gimbalSpeedCtrl", "INS", 0x2004, 0, [](UvcDevice& d) { return d.gimbalSpeedCtrl(0.1, 0.1); }},
        {"gimbalSetSpeedPosition", "INS", 0x2006, 0, [](UvcDevice& d) { return d.gimbalSetSpeedPosition(1, 2, 3, 1, 1, 1); }},
        {"gimbalLock", "INS", 0x2022, 0, [](UvcDevice& d) { return d.gimbalLock(true); }},
        {"aiSetTargetSelect", "INS", 0, 3, [](UvcDevice& d) { return d.aiSetTargetSelect(true); }},
        {"aiGetTargetSelect", "INS", 0, 3, [](UvcDevice& d) { bool v; return d.aiGetTargetSelect(v); }},
        {"aiSetGestureCtrl", "NS", 0, 4, [](UvcDevice& d) { return d.aiSetGestureCtrl(true); }},
        {"aiGetGestureCtrl", "ISN", 0, 4, [](UvcDevice& d) { bool v; return d.aiGetGestureCtrl(v); }},
        {"aiSetGimbalLock", "NS", 0, 5, [](UvcDevice& d) { return d.aiSetGimbalLock(true); }},
        {"aiGetGimbalLock", "NS", 0, 5, [](UvcDevice& d) { bool v; return d.aiGetGimbalLock(v); }},
        {"gimbalReset", "NS", 0, 6, [](UvcDevice& d) { return d.gimbalReset(); }},
    };
    return rows;
}

struct Situation
{
    const char* name;
    bool inited;
    bool netMode;
    bool mainSystem;
};

const Situation kSituations[] = {
    {"not inited, net mode", false, true, true},
    {"not inited", false, false, true},
    {"net mode", true, true, true},
    {"not main system", true, false, false},
    {"net mode, not main system", true, true, false},
};

// The first of the row's guards that the situation fails, as its log line.
QString refusal(const char* guards, const Situation& s)
{
    for (const char* g = guards; *g; ++g) {
        if (*g == 'I' && !s.inited)
            return QStringLiteral("Device has not been inited");
        if (*g == 'N' && s.netMode)
            return QStringLiteral("Net mode not supported");
        if (*g == 'S' && !s.mainSystem)
            return QStringLiteral("Only supported in main sys");
    }
    return {};
}

bool reachedCamera(const CommandCamera& camera, int command, int selector)
{
    if (command)
        return !camera.framesFor(uint16_t(command)).isEmpty();
    for (const auto& record : camera.camera->requests()) {
        if (record.kind == UvcUnitKind::ExtensionUnit && record.selector == selector
            && (selector != 6 || record.request == UvcRequest::SetCur))
            return true;
    }
    return false;
}

} // namespace

class AiReceiver : public QObject
{
    Q_OBJECT
public:
    QVariantList received;
public slots:
    void onAiStatus(int state, int mode, int tracking, int portrait, float value)
    {
        received = {state, mode, tracking, portrait, value};
    }
};

class tst_UvcAi : public QObject
{
    Q_OBJECT
    TestHome home_;
private slots:
    void queuedCommands_data();
    void queuedCommands();
    void blockingQueries();
    void aiStatusTrackingModes_data();
    void aiStatusTrackingModes();
    void aiStatusToAReceiver();
    void aiStatusNeedsARecordWhenBlocking();
    void shortRepliesLeaveOutputsAlone_data();
    void shortRepliesLeaveOutputsAlone();
    void failedQueryLeavesOutputsAlone();
    void guards_data();
    void guards();
    void switches_data();
    void switches();
    void switchFailures_data();
    void switchFailures();
    void directTransfersRefusedWhileUpgrading();
};

void tst_UvcAi::queuedCommands_data()
{
    QTest::addColumn<Command>("call");
    QTest::addColumn<int>("command");
    QTest::addColumn<QByteArray>("expected");  // the frame, bytes 4 to 8 zeroed

    QTest::newRow("gesture individual") << Command([](UvcDevice& d) { return d.aiSetGestureCtrlIndividual(0x105, true); })
        << 0x3090 << padded60("AA000E10 0000000000 E3 3090 0501");
    QTest::newRow("tracking mode") << Command([](UvcDevice& d) { return d.aiSetTrackingMode(2); })
        << 0x3091 << padded60("AA000D10 0000000000 E3 3091 02");
    QTest::newRow("gesture zoom factor 1.5") << Command([](UvcDevice& d) { return d.aiSetGestureZoomFactor(1.5f); })
        << 0x3093 << padded60("AA001010 0000000000 E3 3093 0000C03F");
    QTest::newRow("button switch for Ko") << Command([](UvcDevice& d) { return d.aiSetButtonSwitchForKo(true); })
        << 0x3094 << padded60("AA000D10 0000000000 E3 3094 01");
    QTest::newRow("AI gimbal speed 0.5 -0.25") << Command([](UvcDevice& d) { return d.aiGimbalSpeedCtrl(0.5, -0.25); })
        << 0x3023 << padded60("AA001910 0000000000 E3 3023 03 00004843 0000003F 000080BE");
    QTest::newRow("set boot position") << Command([](UvcDevice& d) { return d.aiSetGimbalBootPos(1.0f, -2.0f, 0.5f, 100.0f); })
        << 0x3035 << padded60("AA001C10 0000000000 E3 3035 0000803F 000000C0 0000003F 0000C842");
    QTest::newRow("trigger boot position") << Command([](UvcDevice& d) { return d.aiTrgGimbalBootPos(); })
        << 0x303A << padded60("AA000C10 0000000000 E3 303A");
    QTest::newRow("AI enabled") << Command([](UvcDevice& d) { return d.aiSetEnabled(true); })
        << 0x3051 << padded60("AA000E10 0000000000 E3 3051 0001");
    QTest::newRow("AI disabled") << Command([](UvcDevice& d) { return d.aiSetEnabled(false); })
        << 0x3051 << padded60("AA000E10 0000000000 E3 3051 0000");
    QTest::newRow("gimbal speed truncates") << Command([](UvcDevice& d) { return d.gimbalSpeedCtrl(0.123, -0.129); })
        << 0x2004 << padded60("AA001210 0000000000 E2 2004 0000 0C00 F4FF");
    QTest::newRow("gimbal speed keeps 16 bits") << Command([](UvcDevice& d) { return d.gimbalSpeedCtrl(400.0, -1e12); })
        << 0x2004 << padded60("AA001210 0000000000 E2 2004 0000 409C 0000");
    QTest::newRow("speed and position") << Command([](UvcDevice& d) { return d.gimbalSetSpeedPosition(100, -200, 0, 1.0, 0.5, 0.0); })
        << 0x2006 << padded60("AA001810 0000000000 E2 2006 6400 3200 0000 6400 38FF 0000");
    QTest::newRow("gimbal lock") << Command([](UvcDevice& d) { return d.gimbalLock(true); })
        << 0x2022 << padded60("AA000F10 0000000000 E2 2022 010101");
    QTest::newRow("gimbal unlock") << Command([](UvcDevice& d) { return d.gimbalLock(false); })
        << 0x2022 << padded60("AA000F10 0000000000 E2 2022 000000");
}

void tst_UvcAi::queuedCommands()
{
    QFETCH(Command, call);
    QFETCH(int, command);
    QFETCH(QByteArray, expected);
    CommandCamera camera;
    QVERIFY(camera.inited);
    QCOMPARE(call(*camera.device), 0);
    QCOMPARE(camera.waitForFrame(uint16_t(command)).toHex(), expected.toHex());
    QCOMPARE(camera.camera->droppedFrames(), 0);  // sequence and checksums were right
}

void tst_UvcAi::blockingQueries()
{
    SimCameraModel model;
    model.replies.insert(0x3036, QByteArray::fromHex("DEADBEEF 0000803F 000020C0 0000803E 00007A44"));
    model.replies.insert(0x2001, QByteArray::fromHex("3412 CEFF 0080"));
    model.replies.insert(0x3092, aiStatusReply("05 07 01 0000403F 02"));
    CommandCamera camera(model);
    QVERIFY(camera.inited);

    float a = 0, b = 0, c = 0, d = 0;
    QCOMPARE(camera.device->aiGetGimbalBootPos(a, b, c, d), 0);
    QCOMPARE(QList<float>({a, b, c, d}), QList<float>({1.0f, -2.5f, 0.25f, 1000.0f}));
    QCOMPARE(camera.framesFor(0x3036).value(0).toHex(), padded60("AA000C12 0000000000 E3 3036").toHex());

    int16_t x = 0, y = 0, z = 0;
    QCOMPARE(camera.device->gimbalGetAttitudeInfo(x, y, z), 0);
    QCOMPARE(QList<int>({x, y, z}), QList<int>({4660, -50, -32768}));
    QCOMPARE(camera.framesFor(0x2001).value(0).toHex(), padded60("AA000C12 0000000000 E2 2001").toHex());

    AiStatus status;
    QCOMPARE(camera.device->aiGetAiStatus(&status), 0);
    QCOMPARE(QList<int>({status.state, status.mode, status.trackingMode, status.portraitTrackingMode,
                         status.portraitRaw}),
             QList<int>({5, 7, 1, 2, 2}));
    const float value = status.value;  // a packed field: copy before binding a reference
    QCOMPARE(value, 0.75f);
    QCOMPARE(camera.framesFor(0x3092).value(0).toHex(), padded60("AA000C12 0000000000 E3 3092").toHex());
}

void tst_UvcAi::aiStatusTrackingModes_data()
{
    QTest::addColumn<QByteArray>("bytes30to37");
    QTest::addColumn<QList<int>>("fields");  // state, mode, tracking, portrait, portrait raw

    QTest::newRow("byte 32 of 3 reads 0") << QByteArray("0000 03 00000000 00") << QList<int>{0, 0, 0, 0, 0};
    QTest::newRow("byte 37 of 2 kept") << QByteArray("0102 02 00000000 02") << QList<int>{1, 2, 2, 2, 2};
    QTest::newRow("byte 37 of 9") << QByteArray("0000 01 00000000 09") << QList<int>{0, 0, 1, 0, 9};
    // Compared as signed bytes: 0x80 and above pass through.
    QTest::newRow("bytes of 0x80 and more") << QByteArray("0000 80 00000000 FF") << QList<int>{0, 0, 0x80, 0xFF, 0xFF};
}

void tst_UvcAi::aiStatusTrackingModes()
{
    QFETCH(QByteArray, bytes30to37);
    QFETCH(QList<int>, fields);
    SimCameraModel model;
    model.replies.insert(0x3092, aiStatusReply(bytes30to37.constData()));
    CommandCamera camera(model);
    AiStatus status;
    QCOMPARE(camera.device->aiGetAiStatus(&status), 0);
    QCOMPARE(QList<int>({status.state, status.mode, status.trackingMode, status.portraitTrackingMode,
                         status.portraitRaw}),
             fields);
}

void tst_UvcAi::aiStatusToAReceiver()
{
    SimCameraModel model;
    model.replies.insert(0x3092, aiStatusReply("05 07 80 0000403F 09"));
    CommandCamera camera(model);
    AiReceiver receiver;
    // A null record is fine here: the reply goes to the receiver.
    QCOMPARE(camera.device->aiGetAiStatus(nullptr, QSharedPointer<QString>::create("onAiStatus"),
                                          &receiver, UvcDevice::GetMethodNonBlock),
             0);
    QTRY_COMPARE_WITH_TIMEOUT(receiver.received.size(), 5, 3000);
    // The receiver's road compares unsigned: 0x80 reads 0 there.
    QCOMPARE(receiver.received, QVariantList({5, 7, 0, 0, 0.75f}));
    QCOMPARE(camera.framesFor(0x3092).value(0).toHex(), padded60("AA000C12 0000000000 E3 3092").toHex());
}

void tst_UvcAi::aiStatusNeedsARecordWhenBlocking()
{
    CommandCamera camera;
    QCOMPARE(camera.device->aiGetAiStatus(nullptr), -1);
    QThread::msleep(20);
    QVERIFY(camera.framesFor(0x3092).isEmpty());
}

void tst_UvcAi::shortRepliesLeaveOutputsAlone_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("dataBytes");
    QTest::newRow("boot position, 19 of 20") << 0x3036 << 19;
    QTest::newRow("attitude, 5 of 6") << 0x2001 << 5;
    QTest::newRow("AI status, 37 of 38") << 0x3092 << 37;
}

void tst_UvcAi::shortRepliesLeaveOutputsAlone()
{
    QFETCH(int, command);
    QFETCH(int, dataBytes);
    SimCameraModel model;
    model.replies.insert(uint16_t(command), QByteArray(dataBytes, '\x11'));
    CommandCamera camera(model);
    QTest::ignoreMessage(QtCriticalMsg, QStringLiteral("Reply too short: %1 data bytes, needed %2")
                                            .arg(dataBytes).arg(dataBytes + 1).toUtf8().constData());
    float f[4] = {7, 7, 7, 7};
    int16_t s[3] = {7, 7, 7};
    AiStatus status;
    status.state = 7;
    int result = 0;
    if (command == 0x3036)
        result = camera.device->aiGetGimbalBootPos(f[0], f[1], f[2], f[3]);
    else if (command == 0x2001)
        result = camera.device->gimbalGetAttitudeInfo(s[0], s[1], s[2]);
    else
        result = camera.device->aiGetAiStatus(&status);
    QCOMPARE(result, -1);
    QCOMPARE(QList<float>({f[0], f[1], f[2], f[3]}), QList<float>({7, 7, 7, 7}));
    QCOMPARE(QList<int>({s[0], s[1], s[2]}), QList<int>({7, 7, 7}));
    QCOMPARE(status.state, uint8_t(7));
    QCOMPARE(status.trackingMode, uint8_t(0));
}

void tst_UvcAi::failedQueryLeavesOutputsAlone()
{
    CommandCamera camera;
    SimKnobs knobs = camera.camera->knobs();
    knobs.resultCode = 6;
    camera.camera->setKnobs(knobs);
    QTest::ignoreMessage(QtCriticalMsg, "Error occurred in sendMsgSync, ret_val = 6");
    int16_t x = 9, y = 9, z = 9;
    QCOMPARE(camera.device->gimbalGetAttitudeInfo(x, y, z), -1);
    QCOMPARE(QList<int>({x, y, z}), QList<int>({9, 9, 9}));
}

void tst_UvcAi::guards_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<int>("situation");
    QTest::addColumn<QString>("refusal");  // empty: the command goes through
    for (const GuardRow& row : guardRows()) {
        for (int s = 0; s < int(std::size(kSituations)); ++s)
            QTest::addRow("%s, %s", row.name, kSituations[s].name)
                << QString::fromLatin1(row.name) << s << refusal(row.guards, kSituations[s]);
    }
}

void tst_UvcAi::guards()
{
    QFETCH(QString, method);
    QFETCH(int, situation);
    QFETCH(QString, refusal);
    const Situation& s = kSituations[situation];
    const GuardRow* row = nullptr;
    for (const GuardRow& r : guardRows())
        row = method == QLatin1String(r.name) ? &r : row;
    QVERIFY(row);

    CommandCamera camera(SimCameraModel(), s.inited);
    QCOMPARE(camera.inited, s.inited);
    camera.device->setSystemType(s.mainSystem ? 1 : 0);
    if (s.netMode)
        camera.device->setDevMode(UvcDevice::DevModeNet);
    if (refusal.isEmpty()) {
        row->call(*camera.device);
        QTRY_VERIFY_WITH_TIMEOUT(reachedCamera(camera, row->command, row->selector), 3000);
        return;
    }
    const QtMsgType level = refusal.startsWith(QLatin1String("Net")) ? QtCriticalMsg : QtWarningMsg;
    QTest::ignoreMessage(level, refusal.toUtf8().constData());
    QCOMPARE(row->call(*camera.device), -1);
    QThread::msleep(20);
    QVERIFY(!reachedCamera(camera, row->command, row->selector));
}

void tst_UvcAi::switches_data()
{
    QTest::addColumn<Command>("call");
    QTest::addColumn<int>("selector");
    QTest::addColumn<QByteArray>("block");  // SET: the block sent; GET: the camera's block
    QTest::addColumn<int>("value");         // GET: the output expected

    QTest::newRow("target select on") << Command([](UvcDevice& d) { return d.aiSetTargetSelect(true); })
        << 3 << padded60("01") << -1;
    QTest::newRow("target select off") << Command([](UvcDevice& d) { return d.aiSetTargetSelect(false); })
        << 3 << padded60("00") << -1;
    QTest::newRow("gesture control on") << Command([](UvcDevice& d) { return d.aiSetGestureCtrl(true); })
        << 4 << padded60("01") << -1;
    QTest::newRow("gimbal lock on") << Command([](UvcDevice& d) { return d.aiSetGimbalLock(true); })
        << 5 << padded60("01") << -1;
    QTest::newRow("gimbal reset") << Command([](UvcDevice& d) { return d.gimbalReset(); })
        << 6 << padded60("") << -1;

    auto getter = [](int (UvcDevice::*get)(bool&)) {
        return Command([get](UvcDevice& d) {
            bool value = false;
            const int result = (d.*get)(value);
            return result == 0 ? int(value) : -100;
        });
    };
    QTest::newRow("target select reads 1") << getter(&UvcDevice::aiGetTargetSelect) << 3 << padded60("01") << 1;
    QTest::newRow("target select reads 0") << getter(&UvcDevice::aiGetTargetSelect) << 3 << padded60("00FF") << 0;
    QTest::newRow("gesture control reads 0x80") << getter(&UvcDevice::aiGetGestureCtrl) << 4 << padded60("80") << 1;
    QTest::newRow("gimbal lock reads 1") << getter(&UvcDevice::aiGetGimbalLock) << 5 << padded60("01") << 1;
}

void tst_UvcAi::switches()
{
    QFETCH(Command, call);
    QFETCH(int, selector);
    QFETCH(QByteArray, block);
    QFETCH(int, value);
    CommandCamera camera;
    if (value < 0) {
        QCOMPARE(call(*camera.device), 0);
        QCOMPARE(camera.blocksSetOn(uint8_t(selector)), QList<QByteArray>{block});
        return;
    }
    camera.camera->setExtensionReply(uint8_t(selector), block);
    QCOMPARE(call(*camera.device), value);
    QCOMPARE(camera.requestsOn(uint8_t(selector), UvcRequest::GetCur).size(), 1);
}

void tst_UvcAi::switchFailures_data()
{
    QTest::addColumn<Command>("call");
    QTest::addColumn<int>("selector");
    QTest::addColumn<bool>("shortRead");  // else the transfer fails
    QTest::addColumn<QString>("logLine");

    QTest::newRow("target select set") << Command([](UvcDevice& d) { return d.aiSetTargetSelect(true); })
        << 3 << false << "set ai select target true  failed";
    QTest::newRow("gesture set") << Command([](UvcDevice& d) { return d.aiSetGestureCtrl(false); })
        << 4 << false << "set ai gesture false failed";
    QTest::newRow("gimbal lock set") << Command([](UvcDevice& d) { return d.aiSetGimbalLock(true); })
        << 5 << false << "set gimbal lock true failed";
    QTest::newRow("gimbal reset") << Command([](UvcDevice& d) { return d.gimbalReset(); })
        << 6 << false << "gimbal reset failed, ret = -1";

    auto getter = [](int (UvcDevice::*get)(bool&)) {
        return Command([get](UvcDevice& d) {
            bool value = true;
            const int result = (d.*get)(value);
            return value ? result : -100;  // the output must stay as it was
        });
    };
    QTest::newRow("target select short") << getter(&UvcDevice::aiGetTargetSelect) << 3 << true << "Invalid ret = 59";
    QTest::newRow("gesture short") << getter(&UvcDevice::aiGetGestureCtrl) << 4 << true << "Invalid ret  59";
    QTest::newRow("gimbal lock short") << getter(&UvcDevice::aiGetGimbalLock) << 5 << true << "Invalid ret_val = 59";
    QTest::newRow("gimbal lock fails") << getter(&UvcDevice::aiGetGimbalLock) << 5 << false << "Invalid ret_val = -1";
}

void tst_UvcAi::switchFailures()
{
    QFETCH(Command, call);
    QFETCH(int, selector);
    QFETCH(bool, shortRead);
    QFETCH(QString, logLine);
    CommandCamera camera;
    SimKnobs knobs = camera.camera->knobs();
    knobs.setFailsOnSelector = selector;
    knobs.getFailsOnSelector = shortRead ? -1 : selector;
    camera.camera->setKnobs(knobs);
    camera.camera->setExtensionReply(uint8_t(selector), QByteArray(59, '\0'));
    QTest::ignoreMessage(QtCriticalMsg, logLine.toUtf8().constData());
    QCOMPARE(call(*camera.device), -1);
}

void tst_UvcAi::directTransfersRefusedWhileUpgrading()
{
    CommandCamera camera;
    camera.device->setDevMode(UvcDevice::DevModeUvcUpgrade);
    bool value = true;
    const QList<std::function<int()>> calls = {
        [&] { return camera.device->aiSetTargetSelect(true); },
        [&] { return camera.device->aiGetTargetSelect(value); },
        [&] { return camera.device->aiSetGestureCtrl(true); },
        [&] { return camera.device->aiGetGestureCtrl(value); },
        [&] { return camera.device->aiSetGimbalLock(true); },
        [&] { return camera.device->aiGetGimbalLock(value); },
        [&] { return camera.device->gimbalReset(); },
    };
    for (const auto& call : calls) {
        QTest::ignoreMessage(QtWarningMsg, "Not supported in upgrade mode");
        QCOMPARE(call(), -1);
    }
    QVERIFY(value);
    QVERIFY(camera.camera->requests().isEmpty());
}

QTEST_GUILESS_MAIN(tst_UvcAi)
#include "tst_uvcai.moc"
