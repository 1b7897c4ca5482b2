// What the Linux backend reads from sysfs, on trees the tests build: devices
// and their interfaces, the capture node, the video-control descriptors, and
// the hot-plug bookkeeping that keeps a departed camera's ids.

#include "platform/linux/LinuxBackend.h"
#include "platform/linux/LinuxCamera.h"
#include "platform/linux/UsbDeviceTracker.h"
#include "platform/linux/VideoControlDescriptors.h"

#include <QtTest>

using namespace vesk::pc;

namespace {

// A UVC 1.1 camera as a composite device: device, configuration, interface
// association, video control with its units and interrupt endpoint, then the
// streaming interface.
const char kDevice[] = "12010002ef020140" "6435f2fe00010102" "0301";
const char kConfig[] = "09028b0002010080fa";
const char kAssociation[] = "080b00020e030002";
const char kVideoControl[] = "09040000010e010002";
const char kUnits[] =
    "0d24011001" "4e00006cdc020101"                                    // header, 78 bytes
    "1224020101020000" "00000000000003" "0a0800"                       // camera terminal
    "0b24050201000002" "7f1500"                                        // processing unit
    "1b240603a29e7641" "de0447e38b2bf434" "1aff003b07010202" "7f0000"  // extension unit
    "0924030401010003" "00";                                           // output terminal
const char kEndpoint[] = "07058303100006" "0525031000";
const char kStreaming[] = "09040100010e020000" "0e240101" "4d00810004000000" "0100";

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

QByteArray camera()
{
    return hex(kDevice) + hex(kConfig) + hex(kAssociation) + hex(kVideoControl) + hex(kUnits)
           + hex(kEndpoint) + hex(kStreaming);
}

struct Interface
{
    int cls;
    int subClass;
    QStringList nodes;  // "video0=0": name and index
};

// A device directory as sysfs has it, under devices/, with the link under
// bus/usb/devices/ that the enumeration follows.
class FakeSysfs
{
public:
    QString root() const { return dir_.path(); }

    QString addDevice(const QString& name, const char* vendor, const char* product,
                      const char* cls, const QList<Interface>& interfaces,
                      const QByteArray& descriptors = QByteArray())
    {
        const QString path = root() + "/devices/pci0000:00/usb1/" + name;
        QDir().mkpath(path);
        write(path + "/idVendor", vendor);
        write(path + "/idProduct", product);
        write(path + "/bDeviceClass", cls);
        write(path + "/bDeviceSubClass", QByteArray(cls).trimmed() == "ef" ? "02" : "00");
        if (!descriptors.isEmpty())
            write(path + "/descriptors", descriptors);
        for (int i = 0; i < interfaces.size(); ++i) {
            const QString dir = QString("%1/%2:1.%3").arg(path, name).arg(i);
            QDir().mkpath(dir);
            write(dir + "/bInterfaceClass", QByteArray::number(interfaces[i].cls, 16) + "\n");
            write(dir + "/bInterfaceSubClass", QByteArray::number(interfaces[i].subClass, 16));
            for (const QString& node : interfaces[i].nodes) {
                const QStringList parts = node.split('=');
                QDir().mkpath(dir + "/video4linux/" + parts[0]);
                write(dir + "/video4linux/" + parts[0] + "/index", parts[1].toLatin1());
            }
        }
        QDir().mkpath(root() + "/bus/usb/devices");
        QFile::link(path, root() + "/bus/usb/devices/" + name);
        return path;
    }

    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

private:
    QTemporaryDir dir_;
};

const QList<Interface> kCameraInterfaces = {{0x0e, 1, {"video1=0", "video2=1"}}, {0x0e, 2, {}}};
const QList<Interface> kKeyboardInterfaces = {{0x03, 1, {}}};

} // namespace

class tst_LinuxSysfs : public QObject
{
    Q_OBJECT

private slots:
    void descriptors_data();
    void descriptors();
    void readsDevice();
    void picksCaptureNode();
    void trackerReportsOnce();
    void removalKeepsArrivalRecord();
    void ignoresOtherEvents_data();
    void ignoresOtherEvents();
    void backendOnFakeTree();
    void hotPlugReportsAttachedFirst();
    void cameraWithoutNode();
};

void tst_LinuxSysfs::descriptors_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<int>("number");
    QTest::addColumn<QByteArray>("classSpecific");

    QTest::newRow("uvc 1.1 camera") << camera() << 0 << hex(kUnits);

    // Audio control first: its class-specific descriptor (also type 0x24)
    // belongs to it, not to the video control interface numbered 2.
    const QByteArray audioFirst = hex(kDevice) + hex(kConfig) + hex("090400000001010000")
                                  + hex("092401000109000101") + hex("090402000" "10e010002")
                                  + hex(kUnits) + hex(kEndpoint);
    QTest::newRow("after audio") << audioFirst << 2 << hex(kUnits);

    // Cut inside the extension unit: the walk keeps what lies wholly inside.
    const QByteArray prefix = hex(kDevice) + hex(kConfig) + hex(kAssociation) + hex(kVideoControl);
    QTest::newRow("truncated") << (prefix + hex(kUnits).left(13 + 18 + 11 + 10)) << 0
                               << hex(kUnits).left(13 + 18 + 11);
    QTest::newRow("zero length") << (prefix + hex("00240100")) << 0 << QByteArray();
    QTest::newRow("length past the end") << (prefix + hex("ff2401")) << 0 << QByteArray();
}

void tst_LinuxSysfs::descriptors()
{
    QFETCH(QByteArray, raw);
    QFETCH(int, number);
    QFETCH(QByteArray, classSpecific);
    VideoControlDescriptors found;
    QVERIFY(VideoControlDescriptors::find(raw, &found));
    QCOMPARE(found.interfaceNumber, number);
    QCOMPARE(found.classSpecific.toHex(), classSpecific.toHex());

    // The streaming interface alone is no video control interface.
    QVERIFY(!VideoControlDescriptors::find(hex(kDevice) + hex(kStreaming), &found));
}

void tst_LinuxSysfs::readsDevice()
{
    FakeSysfs sys;
    const QString path = sys.addDevice("1-2.3", "3564\n", "fef3\n", "ef\n", kCameraInterfaces);
    UsbSysfsDevice device;
    QVERIFY(UsbSysfsDevice::read(path, &device));
    QCOMPARE(device.portPath, QString("1-2.3"));
    QCOMPARE(device.info.key, path);
    QCOMPARE(device.info.vendorId, uint16_t(0x3564));
    QCOMPARE(device.info.productId, uint16_t(0xFEF3));
    QCOMPARE(device.info.deviceClass, uint8_t(239));
    QCOMPARE(device.info.deviceSubClass, uint8_t(2));
    QVERIFY(device.hasVideoControl);

    const QString keyboard = sys.addDevice("1-4", "046d", "c31c", "00", kKeyboardInterfaces);
    QVERIFY(UsbSysfsDevice::read(keyboard, &device));
    QVERIFY(!device.hasVideoControl);

    const QString broken = sys.addDevice("1-5", "zz", "0001", "00", {});
    QVERIFY(!UsbSysfsDevice::read(broken, &device));
    QDir().mkpath(sys.root() + "/devices/pci0000:00/usb1");
    QVERIFY(!UsbSysfsDevice::read(sys.root() + "/devices/pci0000:00/usb1", &device));

    QCOMPARE(UsbSysfsDevice::devicePaths(sys.root()).size(), 3);
}

void tst_LinuxSysfs::picksCaptureNode()
{
    FakeSysfs sys;
    // The metadata node comes first by name; the capture node has index 0.
    const QString path = sys.addDevice("2-1", "3564", "fef2", "ef",
                                       {{0x0e, 1, {"video4=1", "video5=0"}}});
    QCOMPARE(UsbSysfsDevice::captureNodeName(path), QString("video5"));
    const QString bare = sys.addDevice("2-2", "3564", "fef2", "ef", {{0x0e, 1, {}}});
    QCOMPARE(UsbSysfsDevice::captureNodeName(bare), QString());
}

void tst_LinuxSysfs::trackerReportsOnce()
{
    FakeSysfs sys;
    const QString path = sys.addDevice("3-1.4", "6e30", "fef2", "ef", kCameraInterfaces);
    UsbDeviceTracker tracker;
    UsbDeviceInfo info;
    bool arrived = false;
    // The interface's event may come before the device's.
    QVERIFY(tracker.onEvent("add", "usb_interface", path + "/3-1.4:1.0", &info, &arrived));
    QVERIFY(arrived);
    QCOMPARE(info.locationId, 0x03140000u);
    QCOMPARE(info.vendorId, uint16_t(0x6E30));
    QVERIFY(!tracker.onEvent("add", "usb_device", path, &info, &arrived));
    QVERIFY(!tracker.onEvent("bind", "usb_device", path, &info, &arrived));
    QCOMPARE(tracker.scan({path}).size(), 1);
}

void tst_LinuxSysfs::removalKeepsArrivalRecord()
{
    FakeSysfs sys;
    const QString path = sys.addDevice("1-16", "3564", "fef2", "ef", kCameraInterfaces);
    const QString other = sys.addDevice("1-2.16", "3564", "fef2", "ef", kCameraInterfaces);
    UsbDeviceTracker tracker;
    UsbDeviceInfo first;
    UsbDeviceInfo second;
    bool arrived = false;
    QVERIFY(tracker.onEvent("bind", "usb_device", path, &first, &arrived));
    QVERIFY(tracker.onEvent("add", "usb_device", other, &second, &arrived));
    QVERIFY(first.locationId != second.locationId);

    // The device is gone from sysfs before its removal event arrives.
    QVERIFY(QDir(path).removeRecursively());
    UsbDeviceInfo gone;
    QVERIFY(tracker.onEvent("remove", "usb_device", path, &gone, &arrived));
    QVERIFY(!arrived);
    QCOMPARE(gone.locationId, first.locationId);
    QCOMPARE(gone.vendorId, uint16_t(0x3564));
    QCOMPARE(gone.productId, uint16_t(0xFEF2));
    QCOMPARE(gone.key, path);
    QVERIFY(!tracker.onEvent("remove", "usb_device", path, &gone, &arrived));
}

void tst_LinuxSysfs::ignoresOtherEvents_data()
{
    QTest::addColumn<QByteArray>("action");
    QTest::addColumn<QByteArray>("devtype");
    QTest::addColumn<QString>("name");
    QTest::newRow("keyboard") << QByteArray("add") << QByteArray("usb_device") << "1-4";
    QTest::newRow("change") << QByteArray("change") << QByteArray("usb_device") << "1-3";
    QTest::newRow("interface removal") << QByteArray("remove") << QByteArray("usb_interface")
                                       << "1-3/1-3:1.0";
    QTest::newRow("unknown removal") << QByteArray("remove") << QByteArray("usb_device") << "1-9";
    QTest::newRow("endpoint") << QByteArray("add") << QByteArray("usb_endpoint") << "1-3";
}

void tst_LinuxSysfs::ignoresOtherEvents()
{
    QFETCH(QByteArray, action);
    QFETCH(QByteArray, devtype);
    QFETCH(QString, name);
    FakeSysfs sys;
    sys.addDevice("1-3", "3564", "fef2", "ef", kCameraInterfaces);
    sys.addDevice("1-4", "046d", "c31c", "00", kKeyboardInterfaces);
    UsbDeviceTracker tracker;
    UsbDeviceInfo info;
    bool arrived = false;
    const QString base = sys.root() + "/devices/pci0000:00/usb1/";
    QVERIFY(!tracker.onEvent(action, devtype, base + name, &info, &arrived));
}

void tst_LinuxSysfs::backendOnFakeTree()
{
    FakeSysfs sys;
    sys.addDevice("1-2", "3564", "fef2", "ef", kCameraInterfaces, camera());
    sys.addDevice("1-3.1", "6e30", "fef3", "ef", kCameraInterfaces, camera());
    sys.addDevice("1-4", "046d", "c31c", "00", kKeyboardInterfaces);
    LinuxBackend backend(sys.root());
    const QList<UsbDeviceInfo> found = backend.devices();
    QCOMPARE(found.size(), 2);
    QCOMPARE(found[0].locationId, 0x01200000u);
    QCOMPARE(found[1].locationId, 0x01310000u);
    UsbDeviceInfo info;
    QVERIFY(backend.findDevice(0x01310000u, &info));
    QCOMPARE(info.productId, uint16_t(0xFEF3));
    QVERIFY(!backend.findDevice(0x01400000u, &info));
    QVERIFY(!backend.openDevice(0x01400000u));
    const QSharedPointer<CameraHandle> handle = backend.openDevice(0x01200000u);
    QVERIFY(handle);
    QCOMPARE(handle->info().key, found[0].key);

    QVERIFY(LinuxBackend(sys.root() + "/nowhere").devices().isEmpty());
}

void tst_LinuxSysfs::hotPlugReportsAttachedFirst()
{
    FakeSysfs sys;
    sys.addDevice("1-2", "3564", "fef2", "ef", kCameraInterfaces);
    sys.addDevice("1-4", "046d", "c31c", "00", kKeyboardInterfaces);
    sys.addDevice("2-1.16", "6e30", "fef3", "ef", kCameraInterfaces);
    LinuxBackend backend(sys.root());
    QMutex mutex;
    QList<QPair<uint32_t, bool>> events;
    const bool started = backend.startHotPlug([&](const UsbDeviceInfo& info, bool arrived) {
        QMutexLocker lock(&mutex);
        events << qMakePair(info.locationId, arrived);
    });
    if (!started)
        QSKIP("no udev netlink monitor in this environment");
    QTRY_COMPARE_WITH_TIMEOUT([&] { QMutexLocker lock(&mutex); return events.size(); }(), 2, 5000);
    QElapsedTimer timer;
    timer.start();
    backend.stopHotPlug();  // the thread sits in poll(): the event fd ends it
    QVERIFY(timer.elapsed() < 2000);
    QCOMPARE(events[0], qMakePair(0x01200000u, true));
    QVERIFY(events[1].second);
    QCOMPARE(events[1].first & 0xFFF00000u, 0x02000000u);  // port 16: the fallback form
    // The ids the hot-plug thread gave are the ones the lookups answer with.
    UsbDeviceInfo info;
    QVERIFY(backend.findDevice(events[1].first, &info));
    QCOMPARE(info.vendorId, uint16_t(0x6E30));
}

void tst_LinuxSysfs::cameraWithoutNode()
{
    FakeSysfs sys;
    // "descriptors" is a directory: the read fails whoever runs the test.
    const QString path = sys.addDevice("1-2", "3564", "fef2", "ef", kCameraInterfaces);
    QDir().mkpath(path + "/descriptors");
    UsbDeviceInfo info;
    info.key = path;
    LinuxCamera camera(info);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Cannot read .*descriptors"));
    QVERIFY(!camera.openControlInterface());
    QVERIFY(!camera.isControlInterfaceOpen());
    QVERIFY(!camera.capture());
    uint8_t byte = 0;
    QTest::ignoreMessage(QtWarningMsg, "uvc device not open yet!");
    QCOMPARE(camera.controlRequest(UvcRequest::GetCur, UvcUnitKind::ExtensionUnit, 3, 2, &byte, 1),
             -1);
}

QTEST_GUILESS_MAIN(tst_LinuxSysfs)
#include "tst_linuxsysfs.moc"
