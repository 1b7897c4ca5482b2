// The setting page as the writer of a camera's newest firmware version: the
// query server's answer reaches the camera found by serial number and decides
// whether an upgrade is offered.

#include "support/TestHome.h"
#include "orlacam/SystemSettingUi.h"
#include "uvc/UvcDevices.h"

#include <QSignalSpy>
#include <QtTest>

using namespace vesk::pc;

namespace {
const char* const kDemoSn = "OR22A0000001";  // the simulated backend's demo Orla, 1.0.3.7
}

class tst_SystemSettingUi : public QObject
{
    Q_OBJECT
    TestHome home_;
private slots:
    void initTestCase();
    void answerDecidesTheUpgradeOffer_data();
    void answerDecidesTheUpgradeOffer();
    void answerForAnAbsentCamera();
};

void tst_SystemSettingUi::initTestCase()
{
    qputenv("ORLACAM_DEVICE_BACKEND", "sim");
    UvcTiming timing = UvcTiming::defaults();
    timing.passMs = 1;
    timing.replyWaitMs = 250;
    timing.settleBeforeOpenMs = 10;
    timing.settleAfterOpenMs = 10;
    UvcTiming::setDefaults(timing);
    QSignalSpy announced(&UvcDevices::get(), &UvcDevices::devChanged);
    initMacDeviceNotification();
    // The demo Orla, then the demo Zuki.
    QTRY_COMPARE_WITH_TIMEOUT(announced.count(), 2, 5000);
    QCOMPARE(announced.at(0).at(0).toByteArray(), QByteArray(kDemoSn));
}

void tst_SystemSettingUi::answerDecidesTheUpgradeOffer_data()
{
    QTest::addColumn<QJsonObject>("answer");
    QTest::addColumn<bool>("offered");
    QTest::addColumn<QString>("info");
    QTest::newRow("newer") << QJsonObject{{"version", "1.0.3.10"}} << true
                           << "New firmware is available: 1.0.3.10!";
    QTest::newRow("same") << QJsonObject{{"version", "1.0.3.7"}} << false
                          << "Current firmware is up to date!";
    QTest::newRow("older") << QJsonObject{{"version", "1.0.2.99"}} << false
                           << "Current firmware is up to date!";
    QTest::newRow("no version") << QJsonObject{{"md5", "x"}} << false
                                << "Cannot get latest firmware info from server!";
}

void tst_SystemSettingUi::answerDecidesTheUpgradeOffer()
{
    QFETCH(QJsonObject, answer);
    QFETCH(bool, offered);
    QFETCH(QString, info);
    SystemSettingUi page;
    page.setDevSn(kDemoSn);
    QSignalSpy changed(&page, &SystemSettingUi::upgradeOfferChanged);
    page.onFirmwareInfoFromServer(answer);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(page.upgradeOffered(), offered);
    QCOMPARE(page.upgradeInfo(), info);
    QCOMPARE(UvcDevices::get().getDevBySn(kDemoSn)->latestVersion(),
             answer.value("version").toString());
}

void tst_SystemSettingUi::answerForAnAbsentCamera()
{
    SystemSettingUi page;
    page.setDevSn("NOSUCHCAMERA");
    QSignalSpy changed(&page, &SystemSettingUi::upgradeOfferChanged);
    QTest::ignoreMessage(QtWarningMsg, "Firmware answer for a camera that is gone: \"NOSUCHCAMERA\"");
    page.onFirmwareInfoFromServer(QJsonObject{{"version", "9.9.9.9"}});
    QCOMPARE(changed.count(), 0);
    QVERIFY(!page.upgradeOffered());
}

QTEST_MAIN(tst_SystemSettingUi)
#include "tst_systemsettingui.moc"
