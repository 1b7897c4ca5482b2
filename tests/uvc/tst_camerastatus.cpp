// The status block's fields by camera family: the Zuki and Orla columns,
// the 4K-only bytes, and Ko or unknown cameras that have no column at all.

#include "uvc/CameraStatus.h"
#include "uvc/ExtensionUnit.h"

#include <QtTest>

using vesk::pc::CameraStatus;
using vesk::pc::ExtensionUnit;
using F = CameraStatus::Field;

namespace {

// A block with the given bytes set: "offset=value" pairs in hex values.
CameraStatus blockWith(std::initializer_list<std::pair<int, int>> bytes)
{
    CameraStatus status;
    for (const auto& [offset, value] : bytes)
        status.bytes[offset] = uint8_t(value);
    return status;
}

CameraStatus allOnes()
{
    CameraStatus status;
    std::memset(status.bytes, 0xFF, ExtensionUnit::kBlockSize);
    return status;
}

} // namespace

class tst_CameraStatus : public QObject
{
    Q_OBJECT
private slots:
    void fields_data();
    void fields();
    void faceFocusNeedsAutoFocus();
    void autoSleepOffWhenNotPositive();
    void runStates();
    void antiFlickerAndBackground();
    void noColumnReadsOffOrNone_data();
    void noColumnReadsOffOrNone();
};

void tst_CameraStatus::fields_data()
{
    QTest::addColumn<int>("productType");
    QTest::addColumn<CameraStatus>("status");
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("expected");

    const CameraStatus zuki = blockWith({{0, 1}, {3, 1}, {4, 0x34}, {5, 0x12}, {6, 1}, {7, 1},
                                         {8, 1}, {10, 0x58}, {11, 0x02}, {12, 1}});
    QTest::newRow("zuki ai tracking") << 0 << zuki << int(F::AiTracking) << 1;
    QTest::newRow("zuki zoom") << 0 << zuki << int(F::Zoom) << 0x1234;
    QTest::newRow("zuki face ae") << 0 << zuki << int(F::FaceAe) << 1;
    QTest::newRow("zuki noise cancellation") << 0 << zuki << int(F::NoiseCancellation) << 1;
    QTest::newRow("zuki auto sleep") << 0 << zuki << int(F::AutoSleep) << 600;
    QTest::newRow("zuki hdr not read") << 0 << zuki << int(F::Hdr) << 0;
    QTest::newRow("zuki 4k hdr") << 1 << zuki << int(F::Hdr) << 1;
    QTest::newRow("zuki portrait not read") << 0 << zuki << int(F::Portrait) << 0;
    QTest::newRow("zuki 4k portrait") << 1 << zuki << int(F::Portrait) << 1;
    QTest::newRow("zuki has no media mode") << 0 << zuki << int(F::MediaMode) << 0;

    CameraStatus orla = blockWith({{0, 2}, {1, 1}, {3, 1}, {4, 7}, {5, 18}, {6, 40}, {8, 0x78},
                                   {9, 0x56}, {10, 1}, {14, 1}, {15, 1}, {16, 9}, {17, 1},
                                   {18, 0x2C}, {19, 0x01}, {20, 5}, {22, 6}, {24, 1}, {25, 77}});
    QTest::newRow("orla media mode") << 2 << orla << int(F::MediaMode) << 2;
    QTest::newRow("orla hdr") << 2 << orla << int(F::Hdr) << 1;
    QTest::newRow("orla face ae") << 3 << orla << int(F::FaceAe) << 1;
    QTest::newRow("orla view area") << 2 << orla << int(F::ViewArea) << 7;
    QTest::newRow("orla background kind") << 2 << orla << int(F::BackgroundKind) << 18;
    QTest::newRow("orla blur level") << 2 << orla << int(F::BlurLevel) << 40;
    QTest::newRow("orla zoom") << 2 << orla << int(F::Zoom) << 0x5678;
    QTest::newRow("orla button mode") << 2 << orla << int(F::ButtonMode) << 1;
    QTest::newRow("orla noise cancellation") << 2 << orla << int(F::NoiseCancellation) << 1;
    QTest::newRow("orla portrait") << 2 << orla << int(F::Portrait) << 1;
    QTest::newRow("orla auto framing") << 2 << orla << int(F::AutoFramingParam) << 9;
    QTest::newRow("orla auto framing size") << 2 << orla << int(F::AutoFramingSize) << 1;
    QTest::newRow("orla auto sleep") << 2 << orla << int(F::AutoSleep) << 300;
    QTest::newRow("orla protect area") << 2 << orla << int(F::BgProtectArea2) << 6;
    QTest::newRow("orla manual focus") << 2 << orla << int(F::ManualFocus) << 77;
    QTest::newRow("orla has no ai tracking byte") << 2 << orla << int(F::AiTracking) << 0;
}

void tst_CameraStatus::fields()
{
    QFETCH(int, productType);
    QFETCH(CameraStatus, status);
    QFETCH(int, field);
    QFETCH(int, expected);
    QCOMPARE(status.field(F(field), productType), expected);
}

void tst_CameraStatus::faceFocusNeedsAutoFocus()
{
    QVERIFY(!blockWith({{23, 1}, {24, 0}}).faceFocusOn(2));
    QVERIFY(blockWith({{23, 1}, {24, 1}}).faceFocusOn(2));
    QVERIFY(blockWith({{24, 1}}).autoFocusOn(3));
    QVERIFY(!blockWith({{23, 1}, {24, 1}}).faceFocusOn(0));  // Zuki has neither byte
}

void tst_CameraStatus::autoSleepOffWhenNotPositive()
{
    QCOMPARE(blockWith({{10, 0xFF}, {11, 0xFF}}).autoSleepSeconds(0), 0);
    QCOMPARE(blockWith({{10, 0xFF}, {11, 0xFF}}).field(F::AutoSleep, 0), -1);
    QCOMPARE(blockWith({{18, 0x3C}}).autoSleepSeconds(2), 60);
}

void tst_CameraStatus::runStates()
{
    QCOMPARE(blockWith({{2, 1}}).runState(2), CameraStatus::RunRunning);
    QCOMPARE(blockWith({{2, 3}}).runState(3), CameraStatus::RunSleeping);
    QCOMPARE(blockWith({{2, 4}}).runState(2), CameraStatus::RunPrivacy);
    QCOMPARE(blockWith({{2, 9}}).runState(2), CameraStatus::RunNormal);
    QCOMPARE(blockWith({{9, 3}}).runState(0), CameraStatus::RunSleeping);
    QCOMPARE(blockWith({{9, 1}}).runState(1), CameraStatus::RunNormal);  // Zuki has no "running"
}

void tst_CameraStatus::antiFlickerAndBackground()
{
    QCOMPARE(blockWith({{3, 0}}).antiFlicker(0), CameraStatus::AntiFlickerOff);
    QCOMPARE(blockWith({{3, 1}}).antiFlicker(0), CameraStatus::AntiFlicker50Hz);
    QCOMPARE(blockWith({{3, 7}}).antiFlicker(0), CameraStatus::AntiFlicker60Hz);
    QCOMPARE(blockWith({{7, 1}}).antiFlicker(2), CameraStatus::AntiFlicker50Hz);
    QCOMPARE(blockWith({{5, 17}}).backgroundKind(2), CameraStatus::BgReplace);
    QCOMPARE(blockWith({{5, 0}}).backgroundKind(2), CameraStatus::BgBlue);
    QCOMPARE(blockWith({{5, 5}}).backgroundKind(2), CameraStatus::BgNone);
    QCOMPARE(blockWith({{0, 1}}).mediaMode(3), CameraStatus::MediaVirtualBackground);
    QCOMPARE(blockWith({{0, 3}}).mediaMode(3), CameraStatus::MediaNone);
    QVERIFY(blockWith({}).virtualBackgroundOn(2));  // the switch reads inverted
    QVERIFY(!blockWith({{26, 1}}).virtualBackgroundOn(2));
}

void tst_CameraStatus::noColumnReadsOffOrNone_data()
{
    QTest::addColumn<int>("productType");
    QTest::newRow("ko") << 4;
    QTest::newRow("not recognised") << 5;
    QTest::newRow("out of range") << -1;
}

void tst_CameraStatus::noColumnReadsOffOrNone()
{
    QFETCH(int, productType);
    const CameraStatus status = allOnes();
    for (int field = int(F::AiTracking); field <= int(F::VirtualBgSwitch); ++field) {
        QVERIFY(!CameraStatus::hasField(F(field), productType));
        QCOMPARE(status.field(F(field), productType), 0);
    }
    QCOMPARE(status.mediaMode(productType), CameraStatus::MediaNone);
    QCOMPARE(status.runState(productType), CameraStatus::RunNormal);
    QCOMPARE(status.antiFlicker(productType), CameraStatus::AntiFlickerOff);
    QCOMPARE(status.backgroundKind(productType), CameraStatus::BgNone);
    QCOMPARE(status.autoSleepSeconds(productType), 0);
    QVERIFY(!status.hdrOn(productType));
    QVERIFY(!status.faceFocusOn(productType));
    QVERIFY(!status.virtualBackgroundOn(productType));
}

QTEST_GUILESS_MAIN(tst_CameraStatus)
#include "tst_camerastatus.moc"
