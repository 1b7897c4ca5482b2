// Location ids from USB port paths: one nibble per hub level below the bus
// byte, and ids that stay unique when a path does not fit that form.

#include "platform/linux/UsbLocationId.h"

#include <QtTest>

using namespace vesk::pc;

class tst_UsbLocationId : public QObject
{
    Q_OBJECT

private slots:
    void nibbleForm_data();
    void nibbleForm();
    void notAPortPath_data();
    void notAPortPath();
    void fallbackForm_data();
    void fallbackForm();
    void fallbackStaysUnique();
};

void tst_UsbLocationId::nibbleForm_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<uint>("id");
    QTest::newRow("root port") << "1-2" << 0x01200000u;
    QTest::newRow("one hub") << "3-1.4" << 0x03140000u;
    QTest::newRow("two hubs") << "1-2.3.1" << 0x01231000u;
    QTest::newRow("six levels") << "2-1.2.3.4.5.6" << 0x02123456u;
    QTest::newRow("highest port and bus") << "255-15.15" << 0xFFFF0000u;
}

void tst_UsbLocationId::nibbleForm()
{
    QFETCH(QString, path);
    QFETCH(uint, id);
    QCOMPARE(UsbLocationId::assign(path, {}), uint32_t(id));
    // Stable: the same port gives the same id whatever else is attached.
    QCOMPARE(UsbLocationId::assign(path, {0x01200000u, 0x03140000u}), uint32_t(id));
}

void tst_UsbLocationId::notAPortPath_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("root hub") << "usb1";
    QTest::newRow("interface") << "1-2:1.0";
    QTest::newRow("no port") << "1-";
    QTest::newRow("no bus") << "-2";
    QTest::newRow("empty level") << "1-2..3";
    QTest::newRow("letters") << "x-1";
    QTest::newRow("signed port") << "1-+2";
}

void tst_UsbLocationId::notAPortPath()
{
    QFETCH(QString, name);
    int bus = 0;
    QVector<int> ports;
    QVERIFY(!UsbLocationId::parsePortPath(name, &bus, &ports));
    QCOMPARE(UsbLocationId::assign(name, {}), 0u);
}

void tst_UsbLocationId::fallbackForm_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("port 16") << "1-16";
    QTest::newRow("port 16 below a hub") << "1-2.16";
    QTest::newRow("seven levels") << "1-1.1.1.1.1.1.1";
    QTest::newRow("port 0") << "1-0";
    QTest::newRow("bus 300") << "300-1";
}

void tst_UsbLocationId::fallbackForm()
{
    QFETCH(QString, path);
    const uint32_t id = UsbLocationId::assign(path, {});
    QVERIFY(id != 0);
    // First port nibble 0 with lower bits set: never a nibble-form id.
    QCOMPARE(id & 0x00F00000u, 0u);
    QVERIFY((id & 0x000FFFFFu) != 0);
    QCOMPARE(UsbLocationId::assign(path, {}), id);
}

void tst_UsbLocationId::fallbackStaysUnique()
{
    // Distinct ports on a big hub and deep chains: every id distinct, none
    // equal to an id in the nibble form.
    QSet<uint32_t> taken;
    for (int port = 1; port <= 40; ++port) {
        for (const QString& path : {QString("1-%1").arg(port), QString("1-3.%1").arg(port),
                                    QString("1-1.1.1.1.1.1.%1").arg(port)}) {
            const uint32_t id = UsbLocationId::assign(path, taken);
            QVERIFY2(!taken.contains(id), qPrintable(path));
            taken.insert(id);
        }
    }
    QCOMPARE(taken.size(), 120);

    // A fallback id that is already taken moves on to a free one.
    const uint32_t first = UsbLocationId::assign("2-99", {});
    const uint32_t second = UsbLocationId::assign("2-99", {first});
    QVERIFY(second != first);
    QCOMPARE(second & 0xFFF00000u, 0x02000000u);
}

QTEST_GUILESS_MAIN(tst_UsbLocationId)
#include "tst_usblocationid.moc"
