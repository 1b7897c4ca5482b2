#include "support/TestHome.h"
#include "comm/Util.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using vesk::pc::Util;

class tst_UtilSystem : public QObject
{
    Q_OBJECT

private:
    TestHome home_;

private slots:
    void hidDevicesFromSysfs();
    void hidWithoutSysfs();
    void localAddressesFromSource();
};

void tst_UtilSystem::hidDevicesFromSysfs()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString devices = root.filePath("bus/hid/devices");
    const QString target = root.filePath("devices/pci0000:00/usb1");
    QVERIFY(QDir().mkpath(devices));
    QVERIFY(QDir().mkpath(target));
    // Created out of order; the kernel lists them as links into devices/.
    const QStringList dirs = {"0005:05AC:024F.0010", "0003:046D:C52B.0001", "foo",
                              "0003:046D.0002", "0003:XYZW:C52B.0003", "0003:046D:C52B",
                              "0003:0001046d:0000c52b.12345"};
    for (const QString& name : dirs)
        QVERIFY(QDir(devices).mkdir(name));
    QVERIFY(QFile::link(target, devices + "/0003:1234:ABCD.0002"));
    QVERIFY(QFile::link(root.filePath("gone"), devices + "/0003:2345:0001.0004"));
    QFile plain(devices + "/0003:FFFF:0002.0005");
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();

    const QList<uint32_t> expected = {0xC52B046Du, 0xC52B046Du, 0xABCD1234u, 0x00012345u,
                                      0x0002FFFFu, 0x024F05ACu};
    QCOMPARE(Util::findHidDevice(root.path()), expected);
}

void tst_UtilSystem::hidWithoutSysfs()
{
    QTemporaryDir root;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("No HID device list"));
    QVERIFY(Util::findHidDevice(root.path()).isEmpty());

    // A regular file where the folder should be.
    QVERIFY(QDir().mkpath(root.filePath("bus/hid")));
    QFile file(root.filePath("bus/hid/devices"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("No HID device list"));
    QVERIFY(Util::findHidDevice(root.path()).isEmpty());
}

void tst_UtilSystem::localAddressesFromSource()
{
    const QStringList fake = {"192.168.1.7", "127.0.0.1", "192.168.1.9", "203.0.113.77"};
    Util::setLocalIpSource([fake] { return fake; });
    QCOMPARE(Util::getLocalIpList(), fake);
    const QStringList segs = {"192.168.1", "127.0.0", "192.168.1", "203.0.113"};
    QCOMPARE(Util::getLocalIpSegs(), segs);

    Util::setLocalIpSource({});
    QVERIFY(!Util::getLocalIpList().contains("203.0.113.77"));
}

QTEST_GUILESS_MAIN(tst_UtilSystem)
#include "tst_utilsystem.moc"
