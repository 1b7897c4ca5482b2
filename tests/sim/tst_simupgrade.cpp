// The simulated camera's side of an upgrade, driven through a camera object
// and the upgrade selectors: uploads kept by path (containers unpacked), the
// patch list applied and the package installed with a reboot at the same
// location, the upgrade request and "reboot", an old camera's shell upload,
// the packed log, the fault knobs, reboots reported off the camera's lock,
// pictures kept across reboots, the stream the camera is told to send on,
// the download request's expected length and packet size, and resent
// upload packets.

#include "support/LzmaAlone.h"
#include "support/PackageBuilder.h"
#include "support/StreamPackets.h"
#include "package/UpgradePkgPatch.h"
#include "support/TestHome.h"
#include "support/InitedCamera.h"
#include "uvc/UpgradeMagic.h"

#include "comm/AppPaths.h"
#include "comm/GlobalParams.h"
#include "comm/Util.h"
#include "package/DevPlatformType.h"

#include <QSettings>
#include <QtTest>

#include <functional>

using namespace vesk::pc;
using pkgtest::put32;

namespace {

constexpr uint32_t kLoc = 0x14100000;  // where the default model is plugged
const QByteArray kFw("/app/updater/fw");
const QByteArray kPatchCommand = QByteArray("05") + QByteArray("/app/updater/fw#/app/updater/fw#/app/updater/fwpt#").toHex();
// Install: channel 0 ("release"), version 1.0.4.0 big-endian, "/app/updater/fw ".
const char* const kInstall = "0300" "01000400" "2f6170702f757064617465722f667720";

const uint8_t* bytes(const QByteArray& block)
{
    return reinterpret_cast<const uint8_t*>(block.constData());
}

QByteArray block(const QByteArray& hex)
{
    return padded60(hex.constData());
}

// A camera on a backend whose hot-plug reports are recorded, and a camera
// object at its location in upgrade mode, as the upgrade thread holds one.
struct Rig
{
    SimBackend backend;
    QMutex mutex;
    QList<QPair<uint32_t, bool>> plugs;
    QSharedPointer<UvcDevice> device;

    explicit Rig(const SimCameraModel& model)
    {
        backend.startHotPlug([this](const UsbDeviceInfo& info, bool arrived) {
            QMutexLocker lock(&mutex);
            plugs.append({info.locationId, arrived});
        });
        backend.plug(model);
        device = openAt(UvcDevice::DevModeUvcUpgrade);
        QMutexLocker lock(&mutex);
        plugs.clear();
    }
    ~Rig() { backend.stopHotPlug(); }

    QSharedPointer<UvcDevice> openAt(UvcDevice::DevMode mode)
    {
        auto opened = UvcDevice::create(backend.openDevice(kLoc), mode);
        opened->setTiming(quietTiming());
        return opened->open() == 0 ? opened : QSharedPointer<UvcDevice>();
    }
    bool waitForBoot(int boot)
    {
        return QTest::qWaitFor([&] {
            const auto camera = backend.camera(kLoc);
            return camera && camera->model().boot == boot;
        }, 3000);
    }
    SimCameraModel model() { return backend.camera(kLoc)->model(); }
    QList<QPair<uint32_t, bool>> seen()
    {
        QMutexLocker lock(&mutex);
        return plugs;
    }
};

const QList<QPair<uint32_t, bool>> kRebooted = {{kLoc, false}, {kLoc, true}};
const QList<QPair<uint32_t, bool>> kGone = {{kLoc, false}};

bool startUpload(UvcDevice& d, const QByteArray& path, uint32_t length, uint8_t flags)
{
    QByteArray start(60, '\0');
    start[0] = char(flags);
    put32(start, 1, length);
    start[5] = 52;
    start.replace(7, path.size(), path);
    return d.ugUpCmd(bytes(block("08"))) && d.transFileStart(bytes(start));
}

// Upload packet seq of a file: sequence, CRC-16, length, 52 bytes at most.
void sendPacket(UvcDevice& d, const QByteArray& file, int seq)
{
    const QByteArray piece = file.mid((seq - 1) * 52, 52);
    QByteArray packet(60, '\0');
    put32(packet, 0, uint32_t(seq));
    packet[6] = char(piece.size());
    packet.replace(8, piece.size(), piece);
    const uint16_t crc = Util::crc16ForBuf(bytes(packet), uint32_t(8 + piece.size()));
    qToLittleEndian<quint16>(crc, packet.data() + 4);
    d.transFileTrans(bytes(packet));
}

int upState(UvcDevice& d)
{
    UpgradeFileUpState state;
    return d.transFileTransStateGet(&state) == 0 ? state.state : -1;
}

// Sends a file as the host's record upload does; the upload state after it.
int upload(UvcDevice& d, const QByteArray& path, const QByteArray& file, uint8_t flags)
{
    if (!startUpload(d, path, uint32_t(file.size()), flags))
        return -1;
    for (int seq = 1; (seq - 1) * 52 < file.size(); ++seq)
        sendPacket(d, file, seq);
    return upState(d);
}

// A capture of the camera in one format, counting the frames it is sent.
struct Watch
{
    FrameLog log;
    SimCapture& capture;
    Watch(SimCamera& camera, CaptureSession::PixelFormat pixel) : capture(camera.simCapture())
    {
        const CaptureSession::Format format = CaptureSession::streamFormats().at(pixel == CaptureSession::PixelFormat::Mjpeg ? 0 : 1);
        capture.open(format, [this](const QByteArray& frame, const CaptureSession::Format&) { log.add(frame); });
        capture.start();
    }
    ~Watch() { capture.close(); }
};

QString lengthsOf(const QList<QByteArray>& frames)
{
    QStringList lengths;
    for (const QByteArray& frame : frames)
        lengths << QString::number(stream::decode(frame).data.size());
    return lengths.join(' ');
}

QByteArray commandState(UvcDevice& d, int length)
{
    QByteArray state(60, '\0');
    d.ugUpCmdState(reinterpret_cast<uint8_t*>(state.data()));
    return state.left(length).toHex();
}

bool readsMagic(UvcDevice& d, const char* magic)
{
    uint8_t read[60] = {};
    return d.transFileMagicGet(read) && UpgradeMagic::matches(read, magic);
}

QByteArray container(const QByteArray& file)
{
    QByteArray packed;
    unsigned char prop = 0;
    LZMA::encode2(file, &packed, &prop, 5);
    QByteArray head("lzma");
    head += char(prop);
    head += QByteArray(4, '\0');
    put32(head, 5, uint32_t(file.size()));
    return head + packed;
}

// Our own patch list: the header, one entry per chunk ending at each cut,
// then the patches made by our diff.
QByteArray patchList(const QByteArray& oldImage, const QByteArray& newImage, const QList<int>& cuts)
{
    QTemporaryDir dir;
    const int start = 64 * (cuts.size() + 1);
    QByteArray entries, patches;
    int from = 0;
    for (int k = 0; k < cuts.size(); ++k) {
        const QString path = dir.filePath(QString::number(k));
        const int length = cuts[k] - from;
        UpgradePkgPatch::generatePatchFile(bytes(oldImage) + from, length, bytes(newImage) + from,
                                           length, path);
        const QByteArray patch = pkgtest::readFile(path);
        QByteArray entry(64, '\0');
        put32(entry, 0, uint32_t(k));
        put32(entry, 4, uint32_t(start + patches.size()));
        put32(entry, 8, uint32_t(patch.size()));
        put32(entry, 12, uint32_t(from));
        put32(entry, 16, uint32_t(length));
        entry.replace(20, 16, pkgtest::md5(patch));
        put32(entry, 60, pkgtest::crc32(entry.left(60)));
        entries += entry;
        patches += patch;
        from = cuts[k];
    }
    QByteArray header = QByteArray::fromHex("62737074") + QByteArray(60, '\0');
    put32(header, 4, uint32_t(start));
    put32(header, 8, uint32_t(start + patches.size()));
    put32(header, 12, uint32_t(cuts.size()));
    put32(header, 60, pkgtest::crc32(header.left(60)));
    return header + entries + patches;
}

// A package of version 1.0.4.0: the main one has an application module
// beside the base and the updater, the upgrade-system one has not.
QByteArray package(bool upgradeSystem)
{
    pkgtest::Identity id;
    id.version = 0x01000400;
    QList<pkgtest::Module> modules = {{0, QByteArray(700, 'b')}, {10, QByteArray(900, 'u')}};
    if (!upgradeSystem)
        modules.append({20, QByteArray(1500, 'a')});
    return pkgtest::package(id, {{1, pkgtest::cameraPackage(modules)}});
}

QByteArray changed(QByteArray image)
{
    for (int i = 300; i < image.size(); i += 97)
        image[i] = char(image[i] ^ 0x5A);
    return image;
}

bool shell(UvcDevice& d, const QByteArray& line)
{
    ProtocolMsg::FrmPacket frame;
    return UvcDevice::makeShellFrame(line, frame) && d.sendMsgAsyncDirectly(frame) == UvcDevice::ErrSuccess;
}

// Removed, and nothing comes back in ten reboot delays.
bool stayedAway(Rig& rig)
{
    const bool removed = QTest::qWaitFor([&] { return rig.seen() == kGone; }, 3000);
    QTest::qWait(100);
    return removed && rig.seen() == kGone && !rig.backend.camera(kLoc);
}

using Scenario = std::function<void(Rig&)>;

} // namespace

Q_DECLARE_METATYPE(Scenario)
Q_DECLARE_METATYPE(vesk::pc::SimUpgradeKnobs)

class tst_SimUpgrade : public QObject
{
    Q_OBJECT
    TestHome home_;
private slots:
    void initTestCase();
    void uploadKeepsTheFile_data();
    void uploadKeepsTheFile();
    void patchAndInstall_data();
    void patchAndInstall();
    void upgradeRequestAndReboot();
    void sparseIdentity_data();
    void sparseIdentity();
    void oldCameraShellUpload_data();
    void oldCameraShellUpload();
    void packedLogLength_data();
    void packedLogLength();
    void faults_data();
    void faults();
    void rebootsReportOffTheCameraLock();
    void picturesKeptAcrossReboots();
    void streamGoesWhereTold_data();
    void streamGoesWhereTold();
    void downloadRequestHonoured_data();
    void downloadRequestHonoured();
    void resentPackets_data();
    void resentPackets();
    void backendGoesDuringAReboot();
};

void tst_SimUpgrade::initTestCase()
{
    // The upgrade request tells the camera the host's address on its subnet.
    QVERIFY(QDir().mkpath(AppPaths::dataPath("config")));
    QSettings ini(AppPaths::dataPath("config/kestro_macos.ini"), QSettings::IniFormat);
    ini.setValue("local_server/host_ip_prefix", "127.0.");
    ini.setValue("local_server/host_ip_seg_start", 89);
    ini.setValue("local_server/host_ip_seg_end", 99);
    ini.sync();
    Util::setLocalIpSource([] { return QStringList{QStringLiteral("127.0.89.20")}; });
}

void tst_SimUpgrade::uploadKeepsTheFile_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("state");
    QTest::addColumn<QByteArray>("kept");
    const QByteArray head = QByteArray(3000, 'h') + QByteArray::fromHex("00ff10");
    QTest::newRow("container unpacked") << container(head) << 4 << 2 << head;
    QTest::newRow("plain file") << head << 0 << 2 << head;
    QTest::newRow("bad container") << QByteArray("lzma\x01\x03\0\0\0garbage", 16) << 4 << 4 << QByteArray();
}

void tst_SimUpgrade::uploadKeepsTheFile()
{
    QFETCH(QByteArray, sent);
    QFETCH(int, flags);
    QFETCH(int, state);
    QFETCH(QByteArray, kept);
    SimCameraModel model;
    model.systemType = 2;
    Rig rig(model);
    if (state != 2)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("upload container for .* does not unpack"));
    QCOMPARE(upload(*rig.device, kFw, sent, uint8_t(flags)), state);
    QCOMPARE(rig.model().upgrade.files.value(kFw), kept);
}

void tst_SimUpgrade::patchAndInstall_data()
{
    QTest::addColumn<bool>("upgradeSystem");
    QTest::addColumn<bool>("badEntryCrc");
    QTest::addColumn<QByteArray>("outcome");
    QTest::newRow("main package") << false << false << QByteArray("0502");
    QTest::newRow("upgrade-system package") << true << false << QByteArray("0502");
    QTest::newRow("bad entry CRC") << false << true << QByteArray("0503");
}

void tst_SimUpgrade::patchAndInstall()
{
    QFETCH(bool, upgradeSystem);
    QFETCH(bool, badEntryCrc);
    QFETCH(QByteArray, outcome);
    const QByteArray newImage = package(upgradeSystem);
    SimCameraModel model;
    model.systemType = 2;
    model.upgrade.presentImage = changed(newImage);
    Rig rig(model);
    UvcDevice& d = *rig.device;
    // A generate request has the camera rebuild its image under the name.
    QVERIFY(d.fileDownloadReq(bytes(block(QByteArray("05" "00000000" "00000000" "00000400") + kFw.toHex()))));
    QByteArray list = patchList(model.upgrade.presentImage, newImage, {512, 1800, int(newImage.size())});
    if (badEntryCrc) {
        list[2 * 64 + 60] = char(list[2 * 64 + 60] ^ 1);
        QTest::ignoreMessage(QtWarningMsg, "Simulated patch tool: bad entry 1");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("patch failed"));
    }
    QCOMPARE(upload(d, "/app/updater/fwpt", list, 0), 2);
    QVERIFY(d.ugUpCmd(bytes(block(kPatchCommand))));
    QCOMPARE(commandState(d, 2), QByteArray("0501"));
    QCOMPARE(commandState(d, 2), QByteArray("0501"));
    QCOMPARE(commandState(d, 2), outcome);
    if (badEntryCrc)
        return;
    QCOMPARE(rig.model().upgrade.files.value(kFw), newImage);

    QVERIFY(d.ugUpCmd(bytes(block(kInstall))));
    QTest::ignoreMessage(QtCriticalMsg, "transFileMagicGet failed");
    QVERIFY(!readsMagic(d, UpgradeMagic::kUpgradeSystem));  // rebooting: gone
    QVERIFY(rig.waitForBoot(2));
    QTRY_COMPARE(rig.seen(), kRebooted);  // the arrival is reported after the camera is listed
    const SimCameraModel after = rig.model();
    QCOMPARE(int(after.systemType), upgradeSystem ? 2 : 1);
    QCOMPARE(after.version, upgradeSystem ? model.version : 0x01000400u);
    QCOMPARE(after.upgrade.programVersion, upgradeSystem ? 0x01000400u : model.upgrade.programVersion);
    QCOMPARE(upgradeSystem ? after.upgrade.installedUpgradeSystem : after.upgrade.installedFirmware, newImage);
    const QSharedPointer<UvcDevice> again = rig.openAt(UvcDevice::DevModeUvc);
    QVERIFY(again && again->initDev());
    QCOMPARE(again->devVersion(), upgradeSystem ? QStringLiteral("1.0.3.7") : QStringLiteral("1.0.4.0"));
    QCOMPARE(again->systemType(), upgradeSystem ? 2 : 1);
    QCOMPARE(after.upgrade.files.contains(kFw), false);  // installed, not left lying
    QCOMPARE(rig.backend.camera(kLoc)->journal()->lines(), QStringList({
        "1 download 5 /app/updater/fw",
        "1 command 08",
        "1 upload /app/updater/fwpt " + QString::number(list.size()),
        "1 command " + kPatchCommand,
        QStringLiteral("1 command ") + kInstall,
        upgradeSystem ? "1 reboot upgrade" : "1 reboot main",
    }));
}

void tst_SimUpgrade::upgradeRequestAndReboot()
{
    SimCameraModel model;
    Rig rig(model);
    const QSharedPointer<UvcDevice> host = rig.openAt(UvcDevice::DevModeUvc);
    QVERIFY(host->initDev());
    QCOMPARE(host->cameraIndicateUpgrade(), 1);  // shown, the camera stays
    host->setDevMode(UvcDevice::DevModeUvcUpgrade);
    QCOMPARE(host->reqDevUpgrade(), 0);
    QVERIFY(rig.waitForBoot(2));
    QCOMPARE(int(rig.model().systemType), 2);
    const QSharedPointer<UvcDevice> upgrading = rig.openAt(UvcDevice::DevModeUvcUpgrade);
    QVERIFY(readsMagic(*upgrading, UpgradeMagic::kUpgradeSystem));
    QVERIFY(upgrading->ugSyscall(QByteArray("reboot")));
    QVERIFY(rig.waitForBoot(3));
    QCOMPARE(int(rig.model().systemType), 1);
    QTRY_COMPARE(rig.seen(), kRebooted + kRebooted);
    const QStringList lines = rig.backend.camera(kLoc)->journal()->lines();
    QCOMPARE(lines.filter(QRegularExpression("frame|reboot|syscall")), QStringList({
        "1 frame 8001 01", "1 frame 8061 1459007f662700", "1 reboot upgrade", "2 syscall reboot",
        "2 reboot main"}));
    GlobalParams::get().releaseAnIpAddr(host->ipAddr());
}

// The upgrade system that a failed upgrade left behind may say version
// 0.0.0.0 and name no platform; the knob has it do so on the boots it names,
// and never the main system.
void tst_SimUpgrade::sparseIdentity_data()
{
    QTest::addColumn<int>("systemType");
    QTest::addColumn<int>("knobBoot");
    QTest::addColumn<bool>("sparse");
    QTest::newRow("upgrade system") << 2 << 0 << true;
    QTest::newRow("upgrade system, its boot named") << 2 << 1 << true;
    QTest::newRow("upgrade system, another boot named") << 2 << 2 << false;
    QTest::newRow("main system") << 1 << 0 << false;
}

void tst_SimUpgrade::sparseIdentity()
{
    QFETCH(int, systemType);
    QFETCH(int, knobBoot);
    QFETCH(bool, sparse);
    SimCameraModel model;
    model.systemType = int8_t(systemType);
    model.knobs.upgrade.sparseIdentity = true;
    model.knobs.upgrade.boot = knobBoot;
    Rig rig(model);
    const QSharedPointer<UvcDevice> host = rig.openAt(UvcDevice::DevModeUvc);
    QVERIFY(host && host->initDev());
    QCOMPARE(host->devVersion(), sparse ? QStringLiteral("0.0.0.0") : QStringLiteral("1.0.3.7"));
    // A platform outside the table refuses the whole device information.
    QCOMPARE(host->devInfo().value("platform").toString(), sparse ? QString() : QStringLiteral("SSC336Q"));
    GlobalParams::get().releaseAnIpAddr(host->ipAddr());
}

void tst_SimUpgrade::oldCameraShellUpload_data()
{
    QTest::addColumn<bool>("whole");
    QTest::newRow("tool runs") << true;
    QTest::newRow("cut .lzma never runs") << false;
}

void tst_SimUpgrade::oldCameraShellUpload()
{
    QFETCH(bool, whole);
    SimCameraModel model;
    model.platformIndex = PlatformHi3516DV300;
    model.version = 0x01000206;
    Rig rig(model);
    UvcDevice& d = *rig.device;
    const QByteArray tool = QByteArray("stand-in upgrade tool ").repeated(20);
    QByteArray packed = lzmaAlone(tool);
    if (!whole)
        packed.chop(packed.size() / 2);

    QVERIFY(shell(d, "echo \"echo -n \\$1 > /log/\\$2\" > /log/r"));
    QVERIFY(shell(d, "chmod +x /log/r"));
    int lines = 0;
    for (int at = 0; at < packed.size(); at += 18)
        QVERIFY(shell(d, "/log/r " + packed.mid(at, 18).toHex() + ' ' + QByteArray::number(++lines)));
    QVERIFY(shell(d, "echo -n \"for i in \\$(seq " + QByteArray::number(lines) + "); do \" > /log/m1"));
    QVERIFY(shell(d, "echo -n \"cat \\$i | while read -n 2 \" > /log/m2"));
    QVERIFY(shell(d, "echo -n \"j; do echo -en \\\"\\\\x\\$j\\\"\" > /log/m3"));
    QVERIFY(shell(d, "echo -n \" >> /log/tf; done; done\" > /log/m4"));
    QVERIFY(shell(d, "cd /log&&mv m1 m&&cat m2>>m&&cat m3>>m"));
    QVERIFY(shell(d, "cd /log&&mv m n&&cat m4>>n&&rm m*&&/bin/sh n&"));
    QCOMPARE(rig.model().upgrade.files.value("/log/tf"), packed);

    if (!whole)
        QTest::ignoreMessage(QtWarningMsg, "Simulated camera: lzma -d tfx.lzma failed");
    QVERIFY(shell(d, "cd /log&&mv tf tfx.lzma&&lzma -d tfx.lzma"));
    QVERIFY(shell(d, "cd /log&&mv tfx tfu&&chmod +x tfu&"));
    QVERIFY(shell(d, "cd /log&&mv tfu t&&sleep 2&& ./t&"));
    QCOMPARE(readsMagic(d, UpgradeMagic::kUpgradeTool), whole);
    QCOMPARE(rig.model().upgrade.files.value("/log/t"), whole ? tool : QByteArray());
}

void tst_SimUpgrade::packedLogLength_data()
{
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<QByteArray>("state");
    QTest::newRow("300000 bytes") << QByteArray(300000, 'L') << QByteArray("09e0930400");
    QTest::newRow("nothing to pack") << QByteArray() << QByteArray("0900000000");
}

void tst_SimUpgrade::packedLogLength()
{
    QFETCH(QByteArray, archive);
    QFETCH(QByteArray, state);
    SimCameraModel model;
    model.systemType = 2;
    model.upgrade.logArchive = archive;
    Rig rig(model);
    QVERIFY(rig.device->ugUpCmd(bytes(block("09"))));
    QCOMPARE(commandState(*rig.device, 5), state);
    QCOMPARE(rig.model().upgrade.files.value("/log/vesk_log.tar.gz"), archive);
}

void tst_SimUpgrade::faults_data()
{
    QTest::addColumn<SimUpgradeKnobs>("knobs");
    QTest::addColumn<Scenario>("scenario");
    SimUpgradeKnobs knobs;
    knobs.boot = 1;
    knobs.failSelector = 5;
    knobs.failAfter = 1;
    QTest::newRow("selector fails after one") << knobs << Scenario([](Rig& rig) {
        QVERIFY(rig.device->ugUpCmd(bytes(block("04"))));
        QTest::ignoreMessage(QtCriticalMsg, "VESK_UPDATR_UVC_XU_CS_UP_CMD failed");
        QVERIFY(!rig.device->ugUpCmd(bytes(block("04"))));
    });
    knobs.boot = 2;  // a later boot's fault does nothing yet
    QTest::newRow("fault of another boot") << knobs << Scenario([](Rig& rig) {
        QVERIFY(rig.device->ugUpCmd(bytes(block("04"))));
        QVERIFY(rig.device->ugUpCmd(bytes(block("04"))));
    });
    knobs = {};
    knobs.vanishAfterCommand = 4;
    QTest::newRow("gone after a command") << knobs << Scenario([](Rig& rig) {
        QVERIFY(rig.device->ugUpCmd(bytes(block("04"))));
        QVERIFY(stayedAway(rig));
    });
    knobs = {};
    knobs.rebootNeverReturns = true;
    QTest::newRow("reboot never returns") << knobs << Scenario([](Rig& rig) {
        QVERIFY(rig.device->ugSyscall(QByteArray("reboot")));
        QVERIFY(stayedAway(rig));
    });
    knobs = {};
    knobs.patch = SimUpgradeKnobs::Patch::NeverFinishes;
    QTest::newRow("patch never finishes") << knobs << Scenario([](Rig& rig) {
        QVERIFY(rig.device->ugUpCmd(bytes(block(kPatchCommand))));
        for (int read = 0; read < 5; ++read)
            QCOMPARE(commandState(*rig.device, 2), QByteArray("0501"));
    });
    knobs = {};
    knobs.refusedPackets = -1;
    QTest::newRow("packets refused") << knobs << Scenario([](Rig& rig) {
        QCOMPARE(upload(*rig.device, kFw, QByteArray(100, 'x'), 0), 1);
        QCOMPARE(rig.backend.camera(kLoc)->upgradeService().badPackets(), 2);
    });
    knobs = {};
    knobs.installStays = true;
    QTest::newRow("install stays") << knobs << Scenario([](Rig& rig) {
        QCOMPARE(upload(*rig.device, kFw, package(true), 0), 2);
        QVERIFY(rig.device->ugUpCmd(bytes(block(kInstall))));
        QTest::qWait(100);
        QVERIFY(rig.seen().isEmpty());
        QVERIFY(readsMagic(*rig.device, UpgradeMagic::kUpgradeSystem));
    });
}

void tst_SimUpgrade::faults()
{
    QFETCH(SimUpgradeKnobs, knobs);
    QFETCH(Scenario, scenario);
    SimCameraModel model;
    model.systemType = 2;
    model.knobs.upgrade = knobs;
    model.rebootDelayMs = 10;
    Rig rig(model);
    scenario(rig);
}

// The camera asks for its reboot from inside a request, under its lock; the
// reports must come from elsewhere, or a listener that looks at the camera
// (as the registry does) would wait on that lock for ever. A second thread
// keeps reading whatever camera is at the location meanwhile.
void tst_SimUpgrade::rebootsReportOffTheCameraLock()
{
    constexpr int kRounds = 40;
    SimBackend backend;
    QSharedPointer<SimCamera> seen;
    std::atomic<int> arrivals{0};
    backend.startHotPlug([&](const UsbDeviceInfo& info, bool arrived) {
        if (seen)
            seen->isPlugged();
        seen = arrived ? backend.camera(info.locationId) : QSharedPointer<SimCamera>();
        arrivals += arrived ? 1 : 0;
    });
    SimCameraModel model;
    model.systemType = 2;
    model.rebootDelayMs = 0;
    model.upgrade.updater = "updater";  // so "enter the upgrade system" reboots
    backend.plug(model);
    std::atomic<bool> done{false};
    const bool ended = pkgtest::runTogether(2, [&](int role) {
        uint8_t read[60];
        for (int round = 1; role == 0 && round <= kRounds; ++round) {
            QSharedPointer<SimCamera> camera;
            while (!(camera = backend.camera(kLoc)) || camera->model().boot != round)
                QThread::yieldCurrentThread();
            camera->openControlInterface();
            QByteArray enter = block("02");
            camera->controlRequest(UvcRequest::SetCur, UvcUnitKind::ExtensionUnit, 3, 5,
                                   reinterpret_cast<uint8_t*>(enter.data()), 60);
        }
        if (role == 0)
            done = true;
        while (role == 1 && !done) {
            if (const auto camera = backend.camera(kLoc))
                camera->controlRequest(UvcRequest::GetCur, UvcUnitKind::ExtensionUnit, 3, 6, read, 60);
        }
    }, 10000);
    QVERIFY(ended);
    QTRY_COMPARE(arrivals.load(), kRounds + 1);
    QCOMPARE(backend.camera(kLoc)->journal()->events(SimEvent::Reboot).size(), kRounds);
    backend.stopHotPlug();
}

// What the host uploaded stays, what it deleted stays gone.
void tst_SimUpgrade::picturesKeptAcrossReboots()
{
    const QByteArray mask1("/app/private/mask1.jpg");
    const QByteArray mask2("/app/private/mask2.jpg");
    SimCameraModel model;
    model.systemType = 2;
    model.pictures = {{mask2, "the user's"}};
    Rig rig(model);
    const QSharedPointer<SimCamera> camera = rig.backend.camera(kLoc);
    camera->setPicture(mask1, "uploaded");  // as an upload leaves it
    camera->removePicture(mask2);
    QVERIFY(rig.device->ugSyscall(QByteArray("reboot")));
    QVERIFY(rig.waitForBoot(2));
    const SimPictures after = rig.backend.camera(kLoc)->pictures();
    QCOMPARE(after.picture(mask1), QByteArray("uploaded"));
    QVERIFY(after.picture(mask2).isEmpty());
}

void tst_SimUpgrade::streamGoesWhereTold_data()
{
    QTest::addColumn<int>("told");  // stream type of command 10; -1 none sent
    QTest::addColumn<int>("format");  // of the capture: 0 motion JPEG, 1 YUYV
    QTest::addColumn<uint>("program");
    QTest::addColumn<bool>("frames");
    QTest::newRow("untold: motion JPEG") << -1 << 0 << 0x01011901u << true;
    QTest::newRow("untold: no YUYV") << -1 << 1 << 0x01011901u << false;
    QTest::newRow("told motion JPEG, YUYV capture") << 0 << 1 << 0x01011901u << false;
    QTest::newRow("told YUYV") << 1 << 1 << 0x01011901u << true;
    QTest::newRow("told YUYV, motion JPEG capture") << 1 << 0 << 0x01011901u << false;
    QTest::newRow("program 1.1.25.0 told YUYV: no YUYV") << 1 << 1 << 0x01011900u << false;
    QTest::newRow("program 1.1.25.0 told YUYV: motion JPEG") << 1 << 0 << 0x01011900u << true;
}

void tst_SimUpgrade::streamGoesWhereTold()
{
    QFETCH(int, told);
    QFETCH(int, format);
    QFETCH(uint, program);
    QFETCH(bool, frames);
    const QByteArray name("/log/vesk_log.tar.gz");
    SimCameraModel model;
    model.systemType = 2;
    model.upgrade.programVersion = program;
    model.upgrade.files.insert(name, QByteArray(5000, 'L'));
    Rig rig(model);
    if (told == 1 && program < 0x01011901)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("upgrade program .* streams over motion JPEG only"));
    if (told >= 0)
        QVERIFY(rig.device->ugUpCmd(bytes(block("0a0" + QByteArray::number(told)))));
    QVERIFY(stream::send(*rig.device, stream::request(0, 0, name)));
    Watch watch(*rig.backend.camera(kLoc), format == 0 ? CaptureSession::PixelFormat::Mjpeg
                                                       : CaptureSession::PixelFormat::Yuyv);
    if (frames) {
        QVERIFY(watch.log.waitFor(1, 5000));
        QCOMPARE(lengthsOf(watch.log.frames()), QStringLiteral("5000"));
    } else {
        QTest::qWait(150);
        QCOMPARE(watch.log.count(), 0);
    }
}

void tst_SimUpgrade::downloadRequestHonoured_data()
{
    QTest::addColumn<bool>("generate");
    QTest::addColumn<uint>("expected");
    QTest::addColumn<uint>("packetSize");
    QTest::addColumn<uint>("fileLen");  // of the state
    QTest::addColumn<uint>("packLen");
    QTest::addColumn<QString>("frames");  // data lengths
    QTest::newRow("packets of 4096") << false << 0u << 4096u << 10000u << 4096u << "4096 4096 1808";
    QTest::newRow("no packet size: the camera's own") << false << 0u << 0u << 10000u << 0x40000u << "10000";
    QTest::newRow("generated as long as expected") << true << 700u << 0x40000u << 700u << 0x40000u << "700";
    QTest::newRow("generated without expectation: the image") << true << 0u << 0x40000u << 12u << 0x40000u << "12";
}

void tst_SimUpgrade::downloadRequestHonoured()
{
    QFETCH(bool, generate);
    QFETCH(uint, expected);
    QFETCH(uint, packetSize);
    QFETCH(uint, fileLen);
    QFETCH(uint, packLen);
    QFETCH(QString, frames);
    SimCameraModel model;
    model.systemType = 2;
    model.upgrade.files.insert(kFw, QByteArray(10000, 'f'));
    model.upgrade.presentImage = "present fw. ";
    Rig rig(model);
    QByteArray request = stream::request(generate ? 5 : 0, 0, kFw, expected);
    put32(request, 9, packetSize);
    QVERIFY(stream::send(*rig.device, request));
    UpgradeFileDownloadState state;
    for (int read = 0; read < 10 && state.state != UpgradeFileDownloadState::kTransferring; ++read)
        QVERIFY(rig.device->fileDownloadStateGet(&state));
    QCOMPARE(int(state.state), int(UpgradeFileDownloadState::kTransferring));
    QCOMPARE(state.fileLen, fileLen);
    QCOMPARE(state.packLen, packLen);
    Watch watch(*rig.backend.camera(kLoc), CaptureSession::PixelFormat::Mjpeg);
    const int count = frames.split(' ').size();
    QVERIFY(watch.log.waitFor(count, 5000));
    QTest::qWait(50);
    QCOMPARE(lengthsOf(watch.log.frames()), frames);
}

void tst_SimUpgrade::resentPackets_data()
{
    QTest::addColumn<QString>("order");  // packets as sent; '*' one with other bytes
    QTest::addColumn<int>("duplicates");
    QTest::addColumn<bool>("altered");  // the second packet's other bytes are kept
    QTest::newRow("in order") << "1 2 3" << 0 << false;
    QTest::newRow("one sent twice") << "1 2 2 3" << 1 << false;
    QTest::newRow("resent with other bytes: written in its place") << "1 2 2* 3" << 1 << true;
    QTest::newRow("the first again after the last") << "1 2 3 1" << 1 << false;
    QTest::newRow("ahead of a gap: dropped, not a duplicate") << "1 3 2 3" << 0 << false;
}

void tst_SimUpgrade::resentPackets()
{
    QFETCH(QString, order);
    QFETCH(int, duplicates);
    QFETCH(bool, altered);
    SimCameraModel model;
    model.systemType = 2;
    Rig rig(model);
    QByteArray file(150, '\0');
    for (int i = 0; i < file.size(); ++i)
        file[i] = char(i);
    QByteArray other = file;
    for (int i = 52; i < 104; ++i)
        other[i] = char(~other[i]);
    QVERIFY(startUpload(*rig.device, kFw, uint32_t(file.size()), 0));
    for (const QString& packet : order.split(' ')) {
        const bool changed = packet.endsWith('*');
        sendPacket(*rig.device, changed ? other : file, packet.left(1).toInt());
    }
    QCOMPARE(upState(*rig.device), 2);
    QCOMPARE(rig.backend.camera(kLoc)->upgradeService().duplicatePackets(), duplicates);
    QCOMPARE(rig.model().upgrade.files.value(kFw), altered ? other : file);
}

// A backend that goes while a camera is away plugs nothing afterwards and
// does not wait for the reboot; a camera that outlives it reboots into nothing.
void tst_SimUpgrade::backendGoesDuringAReboot()
{
    auto backend = std::make_unique<SimBackend>();
    std::atomic<int> reports{0};
    backend->startHotPlug([&](const UsbDeviceInfo&, bool) { ++reports; });
    SimCameraModel model;
    model.systemType = 2;
    model.rebootDelayMs = 2000;
    const QSharedPointer<SimCamera> away = backend->plug(model);
    model.usb.locationId = kLoc + 1;
    const QSharedPointer<SimCamera> kept = backend->plug(model);
    QByteArray reboot = QByteArray("reboot").leftJustified(60, '\0');
    away->openControlInterface();
    away->controlRequest(UvcRequest::SetCur, UvcUnitKind::ExtensionUnit, 3, 3, reinterpret_cast<uint8_t*>(reboot.data()), 60);
    QTRY_COMPARE(reports.load(), 3);
    QElapsedTimer clock;
    clock.start();
    backend.reset();
    QVERIFY(clock.elapsed() < 1000);
    kept->openControlInterface();
    QCOMPARE(kept->controlRequest(UvcRequest::SetCur, UvcUnitKind::ExtensionUnit, 3, 3,
                                  reinterpret_cast<uint8_t*>(reboot.data()), 60), 60);
    QVERIFY(!kept->isPlugged());
    QCOMPARE(reports.load(), 3);
}

QTEST_GUILESS_MAIN(tst_SimUpgrade)
#include "tst_simupgrade.moc"
