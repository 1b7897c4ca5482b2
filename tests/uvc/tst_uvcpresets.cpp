// Gimbal presets against a simulated camera: the request blocks on selector
// 7, the decoding of get replies with the longest names and one byte too
// many, presets that are not there, failed transfers, short replies, and a
// round trip through the camera's own store.

#include "support/CommandFixture.h"
#include "support/TestHome.h"

#include <QtTest>

using namespace vesk::pc;

namespace {

constexpr uint8_t kSelector = 7;

QByteArray recordBytes(const UvcPreSetPosInfo& info, int length)
{
    return QByteArray(reinterpret_cast<const char*>(&info), length);
}

UvcPreSetPosInfo recordFrom(const QByteArray& bytes)
{
    UvcPreSetPosInfo info;
    std::memcpy(&info, bytes.constData(), size_t(qMin(int(bytes.size()), int(sizeof info))));
    return info;
}

// Id 2, position 1, tilt -15.00, pan 20.00, zoom 1.50, name "Door".
const char* const kDoorRecord = "02 0100 24FA D007 9600 04 446F6F72";

} // namespace

class tst_UvcPresets : public QObject
{
    Q_OBJECT
    TestHome home_;
private slots:
    void requestBlocks_data();
    void requestBlocks();
    void nameTooLongIsRefusedUnsent();
    void getReplies_data();
    void getReplies();
    void failedTransfers_data();
    void failedTransfers();
    void roundTripThroughTheCamera();
    void refusedWhileUpgrading();
};

void tst_UvcPresets::requestBlocks_data()
{
    QTest::addColumn<int>("operation");  // 0 add, 1 remove, 2 get, 3 trigger
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<int>("id");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("add") << 0 << QByteArray::fromHex(kDoorRecord) << 0
                         << padded60("00 02 0100 24FA D007 9600 04 446F6F72");
    QTest::newRow("add, 49-byte name") << 0 << QByteArray::fromHex("05 0000 0000 0000 0000 31") + QByteArray(49, 'A') << 0
                                       << QByteArray::fromHex("00 05 0000 0000 0000 0000 31") + QByteArray(49, 'A');
    QTest::newRow("remove 5") << 1 << QByteArray() << 5 << padded60("0105");
    QTest::newRow("get 5") << 2 << QByteArray() << 5 << padded60("020105");
    QTest::newRow("trigger 5") << 3 << QByteArray() << 5 << padded60("0305");
}

void tst_UvcPresets::requestBlocks()
{
    QFETCH(int, operation);
    QFETCH(QByteArray, record);
    QFETCH(int, id);
    QFETCH(QByteArray, expected);
    CommandCamera camera;
    UvcPreSetPosInfo info = recordFrom(record);
    int result = -1;
    switch (operation) {
    case 0: result = camera.device->presetPositionAdd(&info); break;
    case 1: result = camera.device->presetPositionRemove(uint8_t(id)); break;
    case 2: result = camera.device->presetPositionGet(uint8_t(id), &info); break;
    default: result = camera.device->presetPositionTrigger(uint8_t(id)); break;
    }
    QCOMPARE(result, 0);
    QCOMPARE(expected.size(), 60);
    QCOMPARE(camera.blocksSetOn(kSelector).value(0).toHex(), expected.toHex());
    QCOMPARE(camera.blocksSetOn(kSelector).size(), 1);
    QCOMPARE(camera.requestsOn(kSelector, UvcRequest::GetCur).size(), operation == 2 ? 1 : 0);
}

void tst_UvcPresets::nameTooLongIsRefusedUnsent()
{
    CommandCamera camera;
    UvcPreSetPosInfo info;
    info.nameLen = 50;
    QCOMPARE(camera.device->presetPositionAdd(&info), -1);
    QCOMPARE(camera.device->presetPositionAdd(nullptr), -1);
    QVERIFY(camera.requestsOn(kSelector, UvcRequest::SetCur).isEmpty());
}

void tst_UvcPresets::getReplies_data()
{
    QTest::addColumn<QByteArray>("reply");      // what the camera's GET moves
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("record");     // the record afterwards, its meaningful bytes
    QTest::addColumn<QString>("logLine");

    // The record starts as id 9 with pan 0x0101, so that untouched bytes show.
    const QByteArray untouched = QByteArray::fromHex("09 0000 0000 0101 0000 00");
    QTest::newRow("present") << padded60("AA0100 02 0100 24FA D007 9600 04 446F6F72") << 0
                             << QByteArray::fromHex(kDoorRecord) << QString();
    const QByteArray name47 = QByteArray::fromHex("07 0000 0000 0000 0000 2F") + QByteArray(47, 'n');
    QTest::newRow("47-byte name ends at byte 59") << QByteArray::fromHex("AA0100") + name47 << 0 << name47 << QString();
    QTest::newRow("48-byte name") << padded60("AA0100 07 0000 0000 0000 0000 30") << -1 << untouched
                                  << "Preset info name len error 48";
    QTest::newRow("not present") << padded60("AA0101") << 0
                                 << QByteArray::fromHex("FF 0000 0000 0101 0000 00") << "Preset not present 1";
    QTest::newRow("AA 02 refused") << padded60("AA0200 02 0100 24FA D007 9600 04 446F6F72") << -1
                                   << untouched << "Preset info invalid 170 2";
    // A short read used to be taken with zeros in place of the missing name.
    QTest::newRow("short read") << QByteArray::fromHex("AA0100 02 0100 24FA D007 9600 14 446F6F72") << -1
                                << untouched << "Preset reply too short: 17";
    QTest::newRow("no status byte") << QByteArray::fromHex("AA01") << -1 << untouched
                                    << "Preset reply too short: 2";
}

void tst_UvcPresets::getReplies()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, result);
    QFETCH(QByteArray, record);
    QFETCH(QString, logLine);
    CommandCamera camera;
    camera.camera->setExtensionReply(kSelector, reply);
    UvcPreSetPosInfo info;
    info.id = 9;
    info.pan = 0x0101;
    if (!logLine.isEmpty())
        QTest::ignoreMessage(result == 0 ? QtInfoMsg : QtCriticalMsg, logLine.toUtf8().constData());
    QCOMPARE(camera.device->presetPositionGet(2, &info), result);
    QCOMPARE(recordBytes(info, record.size()).toHex(), record.toHex());
}

void tst_UvcPresets::failedTransfers_data()
{
    QTest::addColumn<int>("operation");
    QTest::addColumn<bool>("getFails");  // else the SET fails
    QTest::addColumn<QString>("logLine");
    QTest::newRow("add") << 0 << false << "add gimbal preset pose failed";
    QTest::newRow("remove") << 1 << false << "remove gimbal preset pose failed";
    QTest::newRow("trigger") << 3 << false << "trigger gimbal preset pose failed";
    QTest::newRow("get, request") << 2 << false << "query gimbal preset failed";
    QTest::newRow("get, reply") << 2 << true << "get gimbal preset failed";
}

void tst_UvcPresets::failedTransfers()
{
    QFETCH(int, operation);
    QFETCH(bool, getFails);
    QFETCH(QString, logLine);
    SimCameraModel model;
    model.presets << QByteArray::fromHex(kDoorRecord);
    CommandCamera camera(model);
    SimKnobs knobs = camera.camera->knobs();
    (getFails ? knobs.getFailsOnSelector : knobs.setFailsOnSelector) = kSelector;
    camera.camera->setKnobs(knobs);
    QTest::ignoreMessage(QtCriticalMsg, logLine.toUtf8().constData());
    UvcPreSetPosInfo info = recordFrom(QByteArray::fromHex(kDoorRecord));
    info.id = 9;
    int result = 0;
    switch (operation) {
    case 0: result = camera.device->presetPositionAdd(&info); break;
    case 1: result = camera.device->presetPositionRemove(2); break;
    case 2: result = camera.device->presetPositionGet(2, &info); break;
    default: result = camera.device->presetPositionTrigger(2); break;
    }
    QCOMPARE(result, -1);
    QCOMPARE(int(info.id), 9);
    QCOMPARE(camera.requestsOn(kSelector, UvcRequest::GetCur).size(), getFails ? 1 : 0);
}

void tst_UvcPresets::roundTripThroughTheCamera()
{
    CommandCamera camera;
    UvcPreSetPosInfo door = recordFrom(QByteArray::fromHex(kDoorRecord));
    QCOMPARE(camera.device->presetPositionAdd(&door), 0);
    QCOMPARE(camera.camera->preset(2).toHex(), QByteArray(kDoorRecord).replace(" ", "").toLower());

    UvcPreSetPosInfo read;
    QCOMPARE(camera.device->presetPositionGet(2, &read), 0);
    QCOMPARE(int(read.id), 2);
    QCOMPARE(int(read.tilt), -1500);
    QCOMPARE(int(read.pan), 2000);
    QCOMPARE(int(read.zoom), 150);
    QCOMPARE(QByteArray(read.name, read.nameLen), QByteArray("Door"));

    QCOMPARE(camera.device->presetPositionTrigger(2), 0);
    QCOMPARE(camera.camera->triggeredPreset(), 2);
    QCOMPARE(camera.device->presetPositionRemove(2), 0);
    QCOMPARE(camera.device->presetPositionGet(2, &read), 0);
    QCOMPARE(int(read.id), 255);
    QCOMPARE(int(read.pan), 2000);  // only the id changes
}

void tst_UvcPresets::refusedWhileUpgrading()
{
    CommandCamera camera;
    camera.device->setDevMode(UvcDevice::DevModeUvcUpgrade);
    UvcPreSetPosInfo info = recordFrom(QByteArray::fromHex(kDoorRecord));
    for (int i = 0; i < 4; ++i)
        QTest::ignoreMessage(QtWarningMsg, "Not supported in upgrade mode");
    QCOMPARE(camera.device->presetPositionAdd(&info), -1);
    QCOMPARE(camera.device->presetPositionRemove(2), -1);
    QCOMPARE(camera.device->presetPositionTrigger(2), -1);
    QCOMPARE(camera.device->presetPositionGet(2, &info), -1);
    QVERIFY(camera.requestsOn(kSelector, UvcRequest::SetCur).isEmpty());
    QVERIFY(camera.requestsOn(kSelector, UvcRequest::GetCur).isEmpty());
}

QTEST_GUILESS_MAIN(tst_UvcPresets)
#include "tst_uvcpresets.moc"
