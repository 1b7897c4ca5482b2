// Every step of the log export over USB and over the network, and of the
// network upgrade, failing in each way the simulated camera or the fake
// servers can fail. Each row checks that the failure is reported, that no
// success is shown, that nothing half-made stays in the log folder or the
// firmware store, what the network roads put on the wire (the address
// change, the upgrade request, the closing reboot), and where the camera is
// left: listed and out of upgrade mode, or gone when the fault is its
// leaving. The USB upgrade's rows are
// tst_upgradeflow's faults: they share its packages and road helpers.

#include "comm/AppPaths.h"
#include "comm/GlobalParams.h"
#include "orlacam/flows/FirmwareUpgradeFlow.h"
#include "support/FlowBoxes.h"
#include "orlacam/flows/LogExportFlow.h"
#include "support/SimWindowSupport.h"
#include "orlacam/flows/UpgradeProgress.h"
#include "package/FirmwareManager.h"
#include "support/FakeCameraHttp.h"
#include "support/TestHome.h"
#include "support/TaskRun.h"
#include "upgrade/UpgradeTexts.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace vesk::pc;

namespace {

const char* const kLogFailed = "Extract log failed, please try again later!";
const char* const kLogFetched = "Extract the log file successfully and device will reboot now!";
const char* const kUpgradeFailed = "Upgrade failed, please try again later.";
const char* const kNoResponse = "No response from device for a long time, please restart device and try again!";
const QString kStored = QStringLiteral("Kestro_orla_OA_E_SSC336Q_1.0.4.0_release.bin");
constexpr int kIdleMs = 700;              // the camera's HTTP exchanges
// The network upgrade box's wait: short where a row waits for it to run
// out, far above a loaded run's steps where the camera's report ends it.
constexpr int kProgressTimeoutMs = 5000;
constexpr int kProgressOutlastedMs = 120000;

enum Road { UsbLog, NetLog, NetUpgrade };
// Where the camera is left: gone, or running its main or upgrade system.
enum Left { Gone = 0, MainSystem = 1, UpgradeSystem = 2 };
// What the camera fetches from the local server after the upgrade request.
enum class Fetch { Nothing, Cut, MissingVersion };

struct Faults
{
    // The log export over USB.
    int systemType = 2;  // what the camera runs at the start
    SimKnobs knobs;      // set once the registry has the camera
    SimStreamFaults stream;
    QByteArray archive = QByteArray(3000, 'L');
    FaultRule rule;      // on the host's writes
    FaultRule readRule;  // on its reads
    QString text;        // the task's report besides its 0
    bool archiveKept = false;  // the whole archive came before the fault
    // The network roads.
    bool inNet = false;        // the camera is in network mode already
    bool switches = false;     // it comes back in network mode once asked to switch
    bool refused = false;      // nothing listens on the camera's port
    bool portTaken = false;    // the local server cannot listen
    bool requestFails = false; // the upgrade request gets no usable answer
    FakeCameraHttp::Reply reply = FakeCameraHttp::json(R"({"errorcode":"200"})");
    Fetch fetch = Fetch::Nothing;
    QList<int> reports;        // progress reports the camera posts
    bool leaves = false;       // unplugged once it took the request
    QByteArray kept;           // the log archive that arrived whole and stays
};

struct Row
{
    const char* name;
    Road road;
    void (*set)(Faults&);
    Left left;
    const char* logged;  // a line that names the failure; "" for none
};

FakeCameraHttp::Reply logReply(const QList<QByteArray>& chunks, qint64 declared = -1)
{
    FakeCameraHttp::Reply reply;
    reply.headers = {{"Content-Type", "application/octet-stream"}, {"file-name", "cam_log.tar.gz"}};
    if (declared >= 0)
        reply.headers.append({"content-length", QByteArray::number(declared)});
    reply.chunks = chunks;
    return reply;
}

// The n-th and later writes on one selector report done unseen: a request
// for a resend or the rest of a stream never reaches the camera.
FaultRule swallowFrom(uint8_t selector, int n)
{
    return [selector, n](uint8_t s, int i) { return s == selector && i >= n ? Fault::Swallow : Fault::Pass; };
}

const Row kRows[] = {
    // --- the log export over USB: gathering, restart, stream, archive end ---
    // The gathering lines are written straight to the camera, their answers
    // unread: only a refused write shows.
    {"usb: the gathering lines refused", UsbLog, [](Faults& f) {
         f.systemType = 1; f.knobs.setFailsOnSelector = 2; }, MainSystem, "cameraPrepareLog failed"},
    {"usb: gone after its restart", UsbLog, [](Faults& f) {
         f.systemType = 1; f.knobs.upgrade.rebootNeverReturns = true; }, Gone, "reopenWithDelay failed"},
    {"usb: stream held by another program", UsbLog, [](Faults& f) {
         f.stream.heldChecks = -1; f.text = UpgradeTexts::kCloseOthers; }, MainSystem, "streamIsOccupied"},
    {"usb: no answer to the stream type", UsbLog, [](Faults& f) {
         f.knobs.upgrade.failSelector = 5; }, MainSystem, "UG_UVC_UP_CMD_STREAM_TYPE failed"},
    {"usb: no answer to the packing", UsbLog, [](Faults& f) {
         f.knobs.upgrade.failSelector = 5; f.knobs.upgrade.failAfter = 1; }, MainSystem,
     "UG_UVC_UP_CMD_PACK_LOG failed"},
    {"usb: packing state unreadable", UsbLog, [](Faults& f) {
         f.readRule = [](uint8_t s, int) { return s == 5 ? Fault::Fail : Fault::Pass; }; }, MainSystem,
     "get UG_UVC_UP_CMD_PACK_LOG state failed"},
    {"usb: wrong state, an empty archive", UsbLog, [](Faults& f) {
         f.archive.clear(); }, MainSystem, "Get log file size failed"},
    {"usb: gone after packing", UsbLog, [](Faults& f) {
         f.knobs.upgrade.vanishAfterCommand = 9; }, Gone, "get UG_UVC_UP_CMD_PACK_LOG state failed"},
    {"usb: gone mid-stream", UsbLog, [](Faults& f) {
         f.archive = QByteArray(600000, 'L'); f.stream.goneAfterPacket = 1; }, Gone, "download failed"},
    {"usb: no answer to the download request", UsbLog, [](Faults& f) {
         f.knobs.upgrade.failSelector = 4; }, MainSystem, "download failed"},
    {"usb: a lost packet never sent again", UsbLog, [](Faults& f) {
         f.stream.dropPacket = 1; f.rule = swallowFrom(4, 1); }, MainSystem, "download failed"},
    {"usb: a bad CRC never sent again", UsbLog, [](Faults& f) {
         f.stream.corruptCrcPacket = 1; f.rule = swallowFrom(4, 1); }, MainSystem, "Invalid crc"},
    {"usb: a stream gap never resumed", UsbLog, [](Faults& f) {
         f.stream.gapAfterPacket = 1; f.rule = swallowFrom(4, 1); }, MainSystem, "download failed"},
    {"usb: the last packet lost, never sent again", UsbLog, [](Faults& f) {
         f.archive = QByteArray(600000, 'L'); f.stream.dropPacket = 3; f.rule = swallowFrom(4, 1); },
     MainSystem, "download failed"},
    // The archive is whole; the camera refuses to leave its upgrade system.
    {"usb: the closing reboot refused", UsbLog, [](Faults& f) {
         f.rule = [](uint8_t s, int) { return s == 3 ? Fault::Fail : Fault::Pass; }; f.archiveKept = true; },
     UpgradeSystem, "ugSyscall failed:"},

    // --- the log export over the network: the address change, the wait, the download ---
    // Without a fault first: the archive is kept.
    {"net log: in network mode, no fault", NetLog, [](Faults& f) {
         f.inNet = true; f.reply = logReply({"abc", "def"}); f.kept = "abcdef"; }, MainSystem, ""},
    {"net log: switched, no fault", NetLog, [](Faults& f) {
         f.switches = true; f.reply = logReply({"abc", "def"}); f.kept = "abcdef"; }, MainSystem, ""},
    {"net log: the address change lost", NetLog, [](Faults& f) {
         f.knobs.setFailsOnSelector = 2; }, MainSystem, ""},
    {"net log: never back in network mode", NetLog, [](Faults&) {}, MainSystem, ""},
    {"net log: switched, then the download stalls", NetLog, [](Faults& f) {
         f.switches = true; f.reply = logReply({"abc", "def"}); f.reply.pauseMs = 3 * kIdleMs; }, MainSystem,
     "getDevLogFile ended: idle time-out"},
    {"net log: no answer", NetLog, [](Faults& f) {
         f.inNet = true; f.reply.silent = true; }, MainSystem, "getDevLogFile ended: idle time-out"},
    {"net log: refused", NetLog, [](Faults& f) {
         f.inNet = true; f.refused = true; }, MainSystem, "getDevLogFile ended: failed"},
    {"net log: cut mid-body", NetLog, [](Faults& f) {
         f.inNet = true; f.reply = logReply({"abc"}, 100); f.reply.cut = true; }, MainSystem,
     "getDevLogFile ended"},
    {"net log: shorter than its length", NetLog, [](Faults& f) {
         f.inNet = true; f.reply = logReply({"abc"}, 100); }, MainSystem, "getDevLogFile ended: failed"},
    {"net log: status 404", NetLog, [](Faults& f) {
         f.inNet = true; f.reply = logReply({"missing"}); f.reply.status = 404; }, MainSystem,
     "Camera answered with status 404"},
    {"net log: status 500", NetLog, [](Faults& f) {
         f.inNet = true; f.reply = logReply({"busy"}); f.reply.status = 500; }, MainSystem,
     "Camera answered with status 500"},
    {"net log: too large", NetLog, [](Faults& f) {
         f.inNet = true; f.reply = logReply({"abc"}, 536870913); }, MainSystem, "Log archive too large"},
    {"net log: stalls", NetLog, [](Faults& f) {
         f.inNet = true; f.reply = logReply({"abc", "def"}); f.reply.pauseMs = 3 * kIdleMs; }, MainSystem,
     "getDevLogFile ended: idle time-out"},

    // --- the network upgrade: the server, the request, the camera's download and reports ---
    {"net upgrade: the server cannot listen", NetUpgrade, [](Faults& f) {
         f.portTaken = true; }, MainSystem, "Local firmware server cannot listen"},
    {"net upgrade: no answer to the request", NetUpgrade, [](Faults& f) {
         f.inNet = true; f.requestFails = true; f.reply.silent = true; }, MainSystem,
     "Require dev to upgrade, ret_val = -1"},
    {"net upgrade: an error reply to the request", NetUpgrade, [](Faults& f) {
         f.inNet = true; f.requestFails = true; f.reply = FakeCameraHttp::json(R"({"errorcode":"500"})", 500); },
     MainSystem, "Require dev to upgrade, ret_val = -1"},
    {"net upgrade: garbage for an answer", NetUpgrade, [](Faults& f) {
         f.inNet = true; f.requestFails = true; f.reply = FakeCameraHttp::json("<html>busy"); }, MainSystem,
     "Require dev to upgrade, ret_val = -1"},
    {"net upgrade: the download never comes", NetUpgrade, [](Faults& f) {
         f.text = kNoResponse; }, MainSystem, ""},
    {"net upgrade: the download is cut", NetUpgrade, [](Faults& f) {
         f.fetch = Fetch::Cut; f.reports = {GlobalParams::UgStart, GlobalParams::UgFailure};
         f.text = kUpgradeFailed; }, MainSystem, ""},
    {"net upgrade: a version the store lacks", NetUpgrade, [](Faults& f) {
         f.fetch = Fetch::MissingVersion; f.reports = {GlobalParams::UgStart, GlobalParams::UgFailure};
         f.text = kUpgradeFailed; }, MainSystem, "No local firmware for"},
    {"net upgrade: the camera reports failure", NetUpgrade, [](Faults& f) {
         f.inNet = true; f.reports = {GlobalParams::UgStart, GlobalParams::UgStep, GlobalParams::UgFailure};
         f.text = kUpgradeFailed; }, MainSystem, ""},
    {"net upgrade: the progress stalls", NetUpgrade, [](Faults& f) {
         f.reports = {GlobalParams::UgStart, GlobalParams::UgStep}; f.text = kNoResponse; }, MainSystem, ""},
    {"net upgrade: the camera leaves midway", NetUpgrade, [](Faults& f) {
         f.reports = {GlobalParams::UgStart}; f.leaves = true; f.text = kNoResponse; }, Gone, ""},
};

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

// A dotted address as the frames carry it: four bytes, the last part first.
QByteArray addressBytes(const QString& ip)
{
    QByteArray bytes;
    const QStringList parts = ip.split(QLatin1Char('.'));
    for (int i = parts.size() - 1; i >= 0; --i)
        bytes += char(parts[i].toInt());
    return bytes;
}

int requestsTo(const FakeCameraHttp& camera, const QString& path)
{
    int count = 0;
    for (const FakeCameraHttp::Seen& seen : camera.requests())
        count += seen.path == path ? 1 : 0;
    return count;
}

quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::AnyIPv4) ? probe.serverPort() : 0;
}

// The camera's side of a network upgrade: a fetch from the local server and
// the reports it posts there, each on a connection of its own.
class CameraSide
{
public:
    explicit CameraSide(quint16 port) : port_(port) {}

    // What the server sent, whole or up to where the camera hung up.
    QByteArray fetch(const QString& version, bool cut)
    {
        return exchange("GET /download?cmd=1&product=Kestro_orla&branch=OA_E&platform=SSC336Q&status=release"
                        "&version=" + version.toLatin1() + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n",
                        cut ? kCutAt : 0);
    }

    QByteArray report(int type)
    {
        const QJsonObject report{{"cmd", "UpgradeProgress"}, {"type", type}, {"uuid", "sweep"}, {"msg", "step"}};
        const QByteArray body = QJsonDocument(report).toJson(QJsonDocument::Compact);
        return exchange("POST / HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\nContent-Length: "
                        + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    }

private:
    static constexpr int kCutAt = 64 * 1024;

    // The request out and the reply in, to the connection's end or, when
    // cutAt is given, to that many bytes.
    QByteArray exchange(const QByteArray& request, int cutAt = 0)
    {
        QTcpSocket socket;
        // Bounded, so a slow turn of the wait below cannot take in the whole file.
        if (cutAt > 0)
            socket.setReadBufferSize(cutAt);
        socket.connectToHost(QHostAddress::LocalHost, port_);
        socket.write(request);
        QByteArray got;
        const bool ended = QTest::qWaitFor([&] {
            got += socket.readAll();
            return socket.state() == QAbstractSocket::UnconnectedState || (cutAt > 0 && got.size() > cutAt);
        }, kBoundMs);
        socket.abort();
        return ended ? got : QByteArray();
    }

    quint16 port_;
};

} // namespace

class tst_FaultSweep : public QObject
{
    Q_OBJECT
    TestHome home_;
    QTemporaryDir store_;
    UvcTiming windowTiming_;
    std::unique_ptr<MainUserUi> window_;
    std::unique_ptr<FakeCameraHttp> fake_;
    QString fakeAddress_;

    QString logDir() const { return AppPaths::dataPath(QStringLiteral("log")); }
    void runUsbLog(const Row& row, const Faults& fault);
    QSharedPointer<UvcDevice> openOnOrla(const Faults& fault);
    void runNetLog(const Row& row, const Faults& fault);
    void runNetUpgrade(const Row& row, const Faults& fault);
    void checkOrlaLeft(Left left);

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void sweep_data();
    void sweep();
};

void tst_FaultSweep::initTestCase()
{
    QVERIFY(home_.isValid() && store_.isValid());
    giveCamerasASubnet();
    useSimulatedCameras();
    qRegisterMetaType<FaultRule>();
    qRegisterMetaType<PkgDownloader::InfoType>("vesk::pc::PkgDownloader::InfoType");
    windowTiming_ = UvcTiming::defaults();
    windowTiming_.upgradeTimePercent = 5;
    windowTiming_.upgradeTimeoutPercent = 20;
    windowTiming_.httpConnectMs = 2000;
    windowTiming_.httpIdleMs = kIdleMs;
    windowTiming_.httpTotalMs = 2 * kIdleMs;
    windowTiming_.logDownloadTotalMs = 10 * kIdleMs;
    FirmwareManager::setStoreDir(store_.path());
    // A package the camera may fetch, large enough to be cut midway.
    QVERIFY(writeFile(store_.filePath(kStored), QByteArray(4 << 20, 'F')));
}

void tst_FaultSweep::init()
{
    UvcTiming::setDefaults(windowTiming_);
    QDir(logDir()).removeRecursively();
    QVERIFY(QDir().mkpath(logDir()));
    GlobalParams::get().upgrade_method = 0;
    GlobalParams::get().fw_query_url = QStringLiteral("http://127.0.0.1:9/query");
}

void tst_FaultSweep::cleanup()
{
    window_.reset();
    GlobalParams::get().upgrade_method = 0;
    if (const QSharedPointer<UvcDevice> orla = UvcDevices::get().getDevBySn(kOrlaSn))
        orla->setDevMode(UvcDevice::DevModeUvc);
    if (const QSharedPointer<SimCamera> camera = sim().camera(kOrlaLocation))
        camera->setKnobs(SimKnobs());
    QTest::qWait(20);
}

void tst_FaultSweep::sweep_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(std::size(kRows)); ++i)
        QTest::newRow(kRows[i].name) << i;
}

void tst_FaultSweep::sweep()
{
    QFETCH(int, row);
    Faults fault;
    kRows[row].set(fault);
    switch (kRows[row].road) {
    case UsbLog: runUsbLog(kRows[row], fault); break;
    case NetLog: runNetLog(kRows[row], fault); break;
    case NetUpgrade: runNetUpgrade(kRows[row], fault); break;
    }
}

void tst_FaultSweep::runUsbLog(const Row& row, const Faults& fault)
{
    SimCameraModel model = rigCamera(fault.systemType);
    model.rebootDelayMs = 10;
    model.upgrade.logArchive = fault.archive;
    model.stream.faults = fault.stream;
    EngineRig rig(model);
    QVERIFY(rig.ready());
    rig.camera->setKnobs(fault.knobs);
    rig.backend.rule = fault.rule;
    rig.backend.readRule = fault.readRule;
    rig.engine.reset(new UvcPatchUpgrade(rig.device->sn(), UvcPatchUpgrade::UvcTaskExtractLog, *rig.registry));
    const QStringList before = filesIn(logDir());
    LogCapture log;
    const TaskRun run(rig);
    QVERIFY(run.ended);
    QCOMPARE(run.reports, (QList<QPair<int, QString>>{{0, fault.text}}));
    QVERIFY2(!*row.logged || log.mentions(row.logged), row.logged);
    const QStringList after = filesIn(logDir());
    if (fault.archiveKept) {
        QCOMPARE(after.size(), before.size() + 1);
        QCOMPARE(readFile(logDir() + QLatin1Char('/') + after.last()), fault.archive);
    } else {
        QCOMPARE(after, before);
    }

    const QString sn = rig.device->sn();
    QCOMPARE(rig.device->devMode(), UvcDevice::DevModeUvc);
    if (row.left == Gone) {
        // The backend's own thread takes the camera away.
        QTRY_VERIFY_WITH_TIMEOUT(!rig.backend.camera(model.usb.locationId), kTaskBoundMs);
        rig.registry->onDevRemoved(model.usb);  // the rig runs no hot-plug thread to report it
        QTRY_VERIFY_WITH_TIMEOUT(!rig.registry->getDevBySn(sn), kTaskBoundMs);
        return;
    }
    // Asked to reboot whatever happened: back in its main system and listed.
    // (between its removal and its return the backend lists no camera there)
    QSharedPointer<SimCamera> camera;
    QTRY_VERIFY_WITH_TIMEOUT((camera = rig.backend.camera(model.usb.locationId))
                                 && int(camera->model().systemType) == int(row.left),
                             kTaskBoundMs);
    QTRY_VERIFY_WITH_TIMEOUT(rig.registry->getDevBySn(sn), kTaskBoundMs);
    QCOMPARE(rig.registry->getDevBySn(sn)->devMode(), UvcDevice::DevModeUvc);
}

// The window on the Orla, whose network server is the fake at the Orla's
// pool address; the Orla in network mode when the fault says so.
QSharedPointer<UvcDevice> tst_FaultSweep::openOnOrla(const Faults& fault)
{
    WindowTiming timing = fastWindowTiming();
    timing.upgradeOutcomeWaitMs = fault.text == QLatin1String(kNoResponse) ? kProgressTimeoutMs : kProgressOutlastedMs;
    const bool up = openWindowOnOrla(window_, timing);
    const QSharedPointer<UvcDevice> dev = UvcDevices::get().getDevBySn(kOrlaSn);
    if (!up || !dev)
        return nullptr;
    dev->setTiming(windowTiming_);
    if (!fake_ || fakeAddress_ != dev->ipAddr()) {
        fake_ = std::make_unique<FakeCameraHttp>();
        fakeAddress_ = dev->ipAddr();
        if (!fake_->listen(QHostAddress(fakeAddress_)))
            return nullptr;
    }
    fake_->clearRequests();
    fake_->setReply(QStringLiteral("/run_shell_script"), FakeCameraHttp::json(R"({"errorcode":"200"})"));
    fake_->setReply(QStringLiteral("/download_log"), fault.reply);
    fake_->setReply(QStringLiteral("/start_upgrade"), fault.reply);
    GlobalParams::get().device_port = fault.refused ? freePort() : fake_->port();
    sim().camera(kOrlaLocation)->clearRequests();
    // The fake is the camera's network side: the Orla takes a change of
    // address and stays on USB, and a row switches its mode by hand.
    SimKnobs knobs = fault.knobs;
    knobs.staysOnUsb = true;
    sim().camera(kOrlaLocation)->setKnobs(knobs);
    if (fault.inNet)
        dev->setDevMode(UvcDevice::DevModeNet);
    return dev;
}

// Listed again (a camera that left comes back for the next row), and out
// of upgrade mode.
void tst_FaultSweep::checkOrlaLeft(Left left)
{
    if (left == Gone) {
        QTRY_VERIFY_WITH_TIMEOUT(!UvcDevices::get().getDevBySn(kOrlaSn), kBoundMs);
        return;
    }
    QVERIFY(sim().camera(kOrlaLocation));
    const QSharedPointer<UvcDevice> dev = UvcDevices::get().getDevBySn(kOrlaSn);
    QVERIFY(dev);
    QVERIFY(dev->devMode() != UvcDevice::DevModeUvcUpgrade);
}

void tst_FaultSweep::runNetLog(const Row& row, const Faults& fault)
{
    GlobalParams::get().upgrade_method = 1;
    const QSharedPointer<UvcDevice> dev = openOnOrla(fault);
    QVERIFY(dev);
    const QStringList before = filesIn(logDir());
    WindowTiming timing = window_->timing();
    timing.logPollMs = 50;
    // Unless the camera comes back, the first look after the settling fails.
    timing.logComeBackMs = fault.switches ? kBoundMs : 0;
    window_->setTiming(timing);
    LogCapture log;
    window_->onExportLog();
    const QString title = QStringLiteral("Extracting Log");
    QVERIFY(waitForBox(title));
    QPointer<QWidget> box = shownBox(title);
    auto* yes = box->findChild<QPushButton*>(QStringLiteral("pbYes"));
    // A wait from its start (no event has been handled since, so no outcome
    // can have come): neither Escape nor the window's close ends the export.
    QVERIFY(!yes->isEnabled());
    QVERIFY(outlastsDismissal(box));
    QVERIFY(window_->flowRunning());
    if (!fault.inNet) {
        // The address change on the wire: the camera's pool address, then network mode (3).
        const QByteArray change = QByteArray::fromHex("AA001110 0000000000 E8 8064") + addressBytes(dev->ipAddr())
                                  + QByteArray::fromHex("03") + QByteArray(43, '\0');
        int taken = 0;
        QVERIFY(QTest::qWaitFor([&] { return !orlaFrames(0x8064).isEmpty(); }, kBoundMs));
        QCOMPARE(orlaFrames(0x8064, &taken).value(0).toHex(), change.toHex());
        QCOMPARE(taken, fault.knobs.setFailsOnSelector == 2 ? 0 : 1);
    }
    if (fault.switches)
        dev->setDevMode(UvcDevice::DevModeNet);
    QTRY_VERIFY_WITH_TIMEOUT(yes->isEnabled(), kBoundMs);
    // A stored archive is named on a line of its own.
    const QStringList told = textOf(box).split(QLatin1Char('\n'));
    QCOMPARE(told.first(), QString(fault.kept.isEmpty() ? kLogFailed : kLogFetched));
    QVERIFY2(!*row.logged || log.mentions(row.logged), row.logged);
    const QStringList after = filesIn(logDir());
    if (!fault.kept.isEmpty()) {
        QCOMPARE(after.size(), before.size() + 1);
        QString added;
        for (const QString& name : qAsConst(after))
            added = before.contains(name) ? added : name;
        QVERIFY2(added.endsWith(QStringLiteral("cam_log.tar.gz")), qPrintable(added));
        QCOMPARE(readFile(logDir() + QLatin1Char('/') + added), fault.kept);
        QCOMPARE(told.value(1), logDir() + QLatin1Char('/') + added);
    } else {
        QCOMPARE(after, before);
    }
    QTest::mouseClick(yes, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->flowRunning(), kBoundMs);
    QCOMPARE(filesIn(logDir()), after);
    // A camera left in network mode is rebooted, whatever the outcome (one
    // that refuses connections is asked in vain).
    const bool reboots = (fault.inNet || fault.switches) && !fault.refused;
    QTRY_COMPARE_WITH_TIMEOUT(requestsTo(*fake_, QStringLiteral("/run_shell_script")), reboots ? 1 : 0, kBoundMs);
    checkOrlaLeft(row.left);
}

void tst_FaultSweep::runNetUpgrade(const Row& row, const Faults& fault)
{
    QTcpServer taken;
    GlobalParams::get().host_port = freePort();
    QVERIFY(GlobalParams::get().host_port != 0);
    if (fault.portTaken)
        QVERIFY(taken.listen(QHostAddress::AnyIPv4, GlobalParams::get().host_port));
    GlobalParams::get().upgrade_method = 1;
    const QSharedPointer<UvcDevice> dev = openOnOrla(fault);
    QVERIFY(dev);
    const SimCameraModel model = sim().camera(kOrlaLocation)->model();
    auto replug = qScopeGuard([&] {
        if (!sim().camera(kOrlaLocation))
            sim().plug(model);
        QTRY_VERIFY_WITH_TIMEOUT(UvcDevices::get().getDevBySn(kOrlaSn), kBoundMs);
    });
    const QStringList before = filesIn(store_.path());
    LogCapture log;
    reachDownload(*window_);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(window_->findChild<FirmwareUpgradeFlow*>());
    passDownload(*window_);
    if (QTest::currentTestFailed())
        return;

    if (fault.portTaken) {
        const QString title = QStringLiteral("Firmware upgrade info");
        QVERIFY(waitForBox(title));
        QVERIFY(textOf(shownBox(title)).startsWith(QStringLiteral("The firmware server of this computer")));
        click(title, "pbYes");
        QTRY_VERIFY_WITH_TIMEOUT(!window_->flowRunning(), kBoundMs);
        QVERIFY(!window_->findChild<UpgradeProgress*>());
        QVERIFY(orlaFrames(0x8061).isEmpty());  // the camera was never asked
        QCOMPARE(requestsTo(*fake_, QStringLiteral("/start_upgrade")), 0);
    } else if (fault.requestFails) {
        // Refused five times: the failure is shown, where it used to end in silence.
        UpgradeProgress* box = nullptr;
        QVERIFY(QTest::qWaitFor(
            [&] { return (box = window_->findChild<UpgradeProgress*>()) && box->isVisible(); }, kBoundMs));
        QTRY_VERIFY_WITH_TIMEOUT(box->errorLatched, kBoundMs);
        QCOMPARE(textOf(box), QString(kUpgradeFailed));
        QCOMPARE(requestsTo(*fake_, QStringLiteral("/start_upgrade")), 5);
        QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("pbOk")), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!window_->flowRunning(), kBoundMs);
    } else {
        UpgradeProgress* box = nullptr;
        QVERIFY(QTest::qWaitFor(
            [&] { return (box = window_->findChild<UpgradeProgress*>()) && box->isVisible(); }, kBoundMs));
        // The request on the wire: over HTTP in network mode, else the host's
        // address on the camera's subnet, the server's port and network mode (3).
        if (fault.inNet) {
            QTRY_COMPARE_WITH_TIMEOUT(requestsTo(*fake_, QStringLiteral("/start_upgrade")), 1, kBoundMs);
        } else {
            const QString ip = dev->ipAddr();
            const quint16 port = GlobalParams::get().host_port;
            const QByteArray request = QByteArray::fromHex("AA001310 0000000000 E8 8061")
                                       + addressBytes(ip.left(ip.lastIndexOf(QLatin1Char('.'))) + ".20")
                                       + char(port & 0xFF) + char(port >> 8) + QByteArray::fromHex("03")
                                       + QByteArray(41, '\0');
            QTRY_COMPARE_WITH_TIMEOUT(orlaFrames(0x8061).size(), 1, kBoundMs);
            QCOMPARE(orlaFrames(0x8061).value(0).toHex(), request.toHex());
        }
        CameraSide camera(GlobalParams::get().host_port);
        if (fault.fetch == Fetch::Cut) {
            const QByteArray got = camera.fetch(QStringLiteral("1.0.4.0"), true);
            QVERIFY(got.startsWith("HTTP/1.1 200") && got.size() < (4 << 20));
        }
        if (fault.fetch == Fetch::MissingVersion)
            QVERIFY(camera.fetch(QStringLiteral("1.0.9.9"), false).contains("There is no corresponding firmware"));
        for (int i = 0; i < fault.reports.size(); ++i) {
            QVERIFY(camera.report(fault.reports[i]).startsWith("HTTP/1.1 200"));
            if (i == 0 && fault.leaves)
                QVERIFY(sim().unplug(kOrlaLocation));
        }
        QTRY_VERIFY_WITH_TIMEOUT(box->errorLatched, kBoundMs);
        QCOMPARE(textOf(box), fault.text);
        QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("pbOk")), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!window_->flowRunning(), kBoundMs);
    }
    QVERIFY(!shownUpgradeBox());
    QVERIFY2(!*row.logged || log.mentions(row.logged), row.logged);
    taken.close();
    // The server listens only while the flow runs.
    QVERIFY(QTest::qWaitFor([] { return QTcpServer().listen(QHostAddress::AnyIPv4, GlobalParams::get().host_port); },
                            kBoundMs));
    QCOMPARE(filesIn(store_.path()), before);
    checkOrlaLeft(row.left);
}

QTEST_MAIN(tst_FaultSweep)
#include "tst_faultsweep.moc"
