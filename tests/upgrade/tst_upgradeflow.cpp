// Whole upgrades against simulated cameras: a current camera through its
// upgrade request, the upgrade-system package and the main package; an old
// camera through the shell-uploaded tool and its updater first. The commands
// the camera took, its reboots, what it installed byte for byte, the
// registry afterwards, the progress reports; then each fault at each stage,
// and the checks that refuse an upgrade before the camera is touched.

#include "support/TaskRun.h"
#include "support/PackageBuilder.h"
#include "comm/GlobalParams.h"
#include "package/CameraPackage.h"
#include "package/FirmwareManager.h"
#include "support/LzmaAlone.h"
#include "support/TestHome.h"
#include "uvc/ExtensionUnit.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtEndian>

#include <atomic>

using namespace vesk::pc;

namespace {

constexpr uint32_t kNewVersion = 0x01000400;  // 1.0.4.0
const QString kPatchCommand =
    "05" + QString::fromLatin1(QByteArray("/app/updater/fw#/app/updater/fw#/app/updater/fwpt#").toHex());
// Install: channel 0 ("release"), 1.0.4.0 big-endian, "/app/updater/fw ".
const QString kInstall = "030001000400" + QString::fromLatin1(QByteArray("/app/updater/fw ").toHex());

QByteArray pattern(int size, int seed)
{
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = char((i * 7 + seed) ^ (i >> 5));
    return data;
}

pkgtest::Identity identity(const QByteArray& platform, uint32_t version = kNewVersion,
                           const QByteArray& product = "Kestro_orla")
{
    pkgtest::Identity id;
    id.product = product;
    id.branch = "OA_E";
    id.platform = platform;
    id.version = version;
    return id;
}

// A main package for the camera's platform: base, updater and application modules.
QByteArray mainPackage(const QByteArray& platform, uint32_t updaterId, uint32_t version = kNewVersion,
                       const QByteArray& product = "Kestro_orla")
{
    const QList<pkgtest::Module> modules = {
        {0, pattern(3000, 1)}, {updaterId, pattern(2500, 2)}, {20, pattern(6000, 3)}};
    return pkgtest::package(identity(platform, version, product), {{1, pkgtest::cameraPackage(modules)}});
}

QString packageName(const QByteArray& platform, uint32_t version = kNewVersion,
                    const QByteArray& product = "Kestro_orla")
{
    return pkgtest::fileName(identity(platform, version, product), Util::verUintToStr(version));
}

SimCameraModel currentCamera()
{
    SimCameraModel model = rigCamera(1);
    model.socVersion = 3;  // as the packages' header says
    model.rebootDelayMs = 10;
    model.upgrade.presentImage = pattern(4000, 9);
    return model;
}

SimCameraModel oldCamera()
{
    SimCameraModel model = currentCamera();
    model.platformIndex = PlatformHi3516DV300;
    model.version = 0x01000206;
    return model;
}

// One package brought on by patching, boot b of the camera, ending in its reboot.
QStringList patchRoad(int boot, const QString& into)
{
    const QString b = QString::number(boot);
    return {b + " command 08", b + " upload /app/updater/fw \\d+", b + " command 0a",
            b + " download 5 /app/updater/fw", b + " download 2 /app/updater/fw", b + " command 08",
            b + " upload /app/updater/fwpt \\d+", b + " command " + kPatchCommand, b + " command 04",
            b + " syscall rm -f /app/updater/fwpt &", b + " syscall echo 3 > /proc/sys/vm/drop_caches; free &",
            b + " command " + kInstall, b + " reboot " + into};
}

// The progress counter as the engine sent each upgrade command (sub-command),
// upload start (the file's length) and download request (its command) to
// the camera: "command 0a at 27", "upload 1234 at 27", "download 2 at 29".
// Made before the rig, it outlives the watch; it stops when the task ends.
struct StageCounter
{
    QMutex mutex;
    QStringList seen;
    std::atomic<bool> on{true};

    RequestWatch watch(EngineRig& rig)
    {
        return [this, &rig](uint8_t selector, const QByteArray& block) {
            if (!on)
                return;
            QString what;
            if (selector == ExtensionUnit::kUpgradeCommandSelector)
                what = "command " + block.left(1).toHex();
            else if (selector == ExtensionUnit::kUpgradeStartSelector)
                what = "upload " + QString::number(qFromLittleEndian<quint32>(block.constData() + 1));
            else if (selector == ExtensionUnit::kFileDownloadSelector && block.at(0) != 3)  // not a resend
                what = "download " + QString::number(int(block.at(0)));
            if (!what.isEmpty()) {
                QMutexLocker lock(&mutex);
                seen << what + " at " + QString::number(rig.engine->progress());
            }
        };
    }
};

// The counter along one package brought on by patching, from where it stood
// when the package's stage began (read off what was seen: the lengths of
// the uploads). The download adds 2, the patch list its chunks' steps, the
// patch list's upload one step per share of its packets (52 bytes each) up
// to the stage's budget, the applied patch 1.
QStringList patchStages(const QStringList& seen, int from, int listSteps, int uploadBudget)
{
    const int at = seen.indexOf("command 08 at " + QString::number(from));
    if (at < 0 || at + 9 >= seen.size())
        return {"no stage from " + QString::number(from)};
    const QString header = seen.at(at + 1).section(' ', 0, 1);
    const int listLength = seen.at(at + 6).section(' ', 1, 1).toInt();
    const int packets = (listLength + 51) / 52;
    const int perStep = packets / uploadBudget;
    const int uploadSteps = qMin(uploadBudget, perStep > 0 ? packets / perStep : packets);
    const int listed = from + 2 + listSteps;
    const auto line = [](const QString& what, int counter) { return what + " at " + QString::number(counter); };
    return {line("command 08", from), line(header, from), line("command 0a", from), line("download 5", from),
            line("download 2", from + 2), line("command 08", listed),
            line("upload " + QString::number(listLength), listed), line("command 05", listed + uploadSteps),
            line("command 04", listed + uploadSteps + 1), line("command 03", listed + uploadSteps + 1)};
}

// The registry learns of the camera's restarts from hot-plug, as the
// window's does: the last one may end after the task has handed the camera
// back, so the task's hand-back alone cannot bring it.
bool followHotPlug(EngineRig& rig)
{
    return rig.registry->startHotPlug();
}

// The camera at a location once its last reboot has brought it back: the
// backend swaps the object on its own thread, which may come after the task
// has ended, and the old object still answers with the model it had. Null
// when no camera is there within the bound.
QSharedPointer<SimCamera> cameraBack(EngineRig& rig, uint32_t location)
{
    QSharedPointer<SimCamera> camera;
    const bool back = QTest::qWaitFor([&] {
        camera = rig.backend.camera(location);
        if (!camera)
            return false;
        const QList<SimEvent> reboots = camera->journal()->events(SimEvent::Reboot);
        return reboots.isEmpty() || camera->model().boot > reboots.last().boot;
    }, kTaskBoundMs);
    return back ? camera : QSharedPointer<SimCamera>();
}

// Working files of a task: none may stay in the store.
QStringList leftovers(const QString& store)
{
    QStringList found;
    for (const QString& name : QDir(store).entryList(QDir::Files | QDir::Hidden)) {
        if (!name.startsWith("Kestro_") && !name.startsWith("Ugsys_Kestro_"))
            found << name;
    }
    return found;
}

} // namespace

Q_DECLARE_METATYPE(SimUpgradeKnobs)
Q_DECLARE_METATYPE(SimCameraModel)
Q_DECLARE_METATYPE(SimStreamFaults)

class tst_UpgradeFlow : public QObject
{
    Q_OBJECT
    TestHome home_;
    QTemporaryDir store_;
    QTemporaryDir dir_;

    QString package_;  // the path of the last package put, handed to the task

    QString storeDir() const { return store_.path() + "/"; }
    void putPackage(const QByteArray& platform, const QByteArray& package, const QString& name = QString())
    {
        package_ = storeDir() + (name.isEmpty() ? packageName(platform) : name);
        QVERIFY(writeFile(package_, package));
    }

private slots:
    void initTestCase();
    void init();
    void currentCamera_data();
    void currentCamera();
    void oldCamera_data();
    void oldCamera();
    void yuyvOnly_data();
    void yuyvOnly();
    void streamHeldByAnotherProgram_data();
    void streamHeldByAnotherProgram();
    void faults_data();
    void faults();
    void refusedBeforeTheCamera_data();
    void refusedBeforeTheCamera();
    void leftInItsUpgradeSystem_data();
    void leftInItsUpgradeSystem();
    void removalDoesNotWaitOnTheRegistryThread();
    void givenUpWhileTheCameraHoldsItUp();
    void reopenAtRealTiming();
};

void tst_UpgradeFlow::initTestCase()
{
    QVERIFY(home_.isValid() && store_.isValid() && dir_.isValid());
    giveCamerasASubnet();
    qRegisterMetaType<FaultRule>();
    FirmwareManager::setStoreDir(store_.path());
}

void tst_UpgradeFlow::init()
{
    package_.clear();
    for (const QString& name : QDir(store_.path()).entryList(QDir::Files | QDir::Hidden))
        QFile::remove(store_.filePath(name));
}

void tst_UpgradeFlow::currentCamera_data()
{
    QTest::addColumn<int>("systemType");
    QTest::addColumn<uint32_t>("version");
    QTest::addColumn<QStringList>("road");
    QTest::addColumn<bool>("newerInStore");  // a newer package than the one handed over
    // Where the counter stands as each package's stage begins: after the
    // checks 1, the upgrade request's reopen 5 more; the main package at 27.
    QTest::addColumn<QList<int>>("stages");
    QTest::addColumn<int>("restartMs");  // how long the camera takes to come back from a restart
    const QStringList fromMain = QStringList({"1 frame 8001 01", "1 frame 8061 [0-9a-f]+", "1 reboot upgrade"})
        + patchRoad(2, "upgrade") + patchRoad(3, "main");
    QTest::newRow("from the main system") << 1 << 0x01000307u << fromMain << false << QList<int>{6, 27} << 10;
    // Only an old platform's road depends on the version.
    QTest::newRow("from the main system, version unreadable")
        << 1 << 0u << fromMain << false << QList<int>{6, 27} << 10;
    // Already in its upgrade system: no request, the main package at once.
    QTest::newRow("already in the upgrade system") << 2 << 0x01000307u << patchRoad(1, "main") << false
                                                   << QList<int>{27} << 10;
    // Its last restart outlasts the task, which hands it back before it is
    // there again: hot-plug brings it.
    QTest::newRow("back after the task has ended") << 2 << 0x01000307u << patchRoad(1, "main") << false
                                                   << QList<int>{27} << 3000;
    // The package handed over is installed, not the store's newest, which stays.
    QTest::newRow("a newer package in the store") << 2 << 0x01000307u << patchRoad(1, "main") << true
                                                  << QList<int>{27} << 10;
}

void tst_UpgradeFlow::currentCamera()
{
    QFETCH(int, systemType);
    QFETCH(uint32_t, version);
    QFETCH(QStringList, road);
    QFETCH(bool, newerInStore);
    QFETCH(QList<int>, stages);
    QFETCH(int, restartMs);
    const QString newer = packageName("SSC336Q", 0x01000500);
    if (newerInStore)
        putPackage("SSC336Q", mainPackage("SSC336Q", CameraPackage::CamMdlSsUpdater, 0x01000500), newer);
    const QByteArray package = mainPackage("SSC336Q", CameraPackage::CamMdlSsUpdater);
    putPackage("SSC336Q", package);
    SimCameraModel model = ::currentCamera();
    model.systemType = int8_t(systemType);
    model.version = version;
    model.rebootDelayMs = restartMs;
    StageCounter counter;
    EngineRig rig(model);
    rig.engine->setPackage(package_);
    QVERIFY(rig.ready());
    QVERIFY(followHotPlug(rig));
    rig.backend.watch = counter.watch(rig);
    const TaskRun run(rig);
    counter.on = false;
    QVERIFY(run.ended);
    QCOMPARE(run.last(), qMakePair(int(kErrCodeSuccess), QStringLiteral("Upgrade successfully!")));
    QCOMPARE(run.reports.first().first, 0);
    QVERIFY(run.reports.first().second.startsWith("Warning:\n1 Do not disconnect"));
    QVERIFY(run.progressSound());
    QCOMPARE(rig.engine->progress(), 99);
    // The upgrade-system package's patch list is cut in two chunks, each a
    // step of 2; the main package's in three, each a step of 10.
    QStringList wanted;
    if (stages.size() == 2)
        wanted << patchStages(counter.seen, stages.first(), 2, 8);
    wanted << patchStages(counter.seen, stages.last(), 3, 28);
    QCOMPARE(counter.seen, wanted);

    // Its last restart plugs it back on the backend's own thread, which may
    // come after the task has ended.
    const QSharedPointer<SimCamera> camera = cameraBack(rig, model.usb.locationId);
    QVERIFY(camera);
    QVERIFY(matchesInOrder(journalWithout(*camera), road));
    const SimCameraModel after = camera->model();
    QCOMPARE(after.upgrade.installedFirmware, package);  // byte for byte
    QCOMPARE(int(after.systemType), 1);
    QCOMPARE(after.version, kNewVersion);
    if (systemType == 1) {
        const pkgtest::Parsed ugsys = pkgtest::parse(after.upgrade.installedUpgradeSystem, false);
        QVERIFY(ugsys.ok);
        QCOMPARE(ugsys.header.mid(0x30, 4), package.mid(0x30, 4));
    }
    QCOMPARE(QDir(store_.path()).entryList(QDir::Files | QDir::Hidden),
             newerInStore ? QStringList{newer} : QStringList());

    // The registry's object went stale with the restarts: a new one stands
    // for the upgraded camera, out of upgrade mode.
    const QString sn = rig.device->sn();
    QTRY_VERIFY_WITH_TIMEOUT(rig.registry->getDevBySn(sn) && rig.registry->getDevBySn(sn) != rig.device,
                             kTaskBoundMs);
    const QSharedPointer<UvcDevice> now = rig.registry->getDevBySn(sn);
    QCOMPARE(now->devVersion(), QStringLiteral("1.0.4.0"));
    QCOMPARE(now->devMode(), UvcDevice::DevModeUvc);
    QCOMPARE(rig.device->devMode(), UvcDevice::DevModeUvc);
}

void tst_UpgradeFlow::oldCamera_data()
{
    QTest::addColumn<bool>("unpacks");  // the tool's container
    QTest::addColumn<bool>("linked");   // installed as a link to the file
    QTest::newRow("the tool runs") << true << false;
    QTest::newRow("the tool installed as a link") << true << true;
    // Sent and started in vain: the tool never answers, nothing is installed.
    QTest::newRow("the tool does not unpack") << false << false;
}

void tst_UpgradeFlow::oldCamera()
{
    QFETCH(bool, unpacks);
    QFETCH(bool, linked);
    const QByteArray package = mainPackage("Hi3516DV300", CameraPackage::CamMdlHisiUpdater);
    putPackage("Hi3516DV300", package);
    EngineRig rig(::oldCamera());
    rig.engine->setPackage(package_);
    QVERIFY(rig.ready());
    const QByteArray tool = QByteArray("stand-in for the maker's upgrade tool ").repeated(12);
    const QString toolPath = dir_.filePath("vktfu.lzma");
    const QString toolFile = linked ? dir_.filePath("tools/vktfu-1.lzma") : toolPath;
    QFile::remove(toolPath);
    QVERIFY(QDir().mkpath(dir_.filePath("tools")));
    QVERIFY(writeFile(toolFile, unpacks ? lzmaAlone(tool) : tool));
    QVERIFY(!linked || QFile::link(toolFile, toolPath));
    rig.probe().setToolPath(toolPath);
    LogCapture log;
    const TaskRun run(rig);
    QVERIFY(run.ended);
    if (!unpacks) {
        QCOMPARE(run.last(), qMakePair(int(kErrCodeFailure), QStringLiteral("Upgrade failed, please try again later.")));
        QVERIFY(run.progressSound());
        QVERIFY(log.mentions("run tfu failed, will quit"));
        // It quits there: nothing goes to an upgrade program that never ran.
        const QSharedPointer<SimCamera> camera = rig.backend.camera(::oldCamera().usb.locationId);
        QVERIFY(camera);
        for (const SimRequestRecord& sent : camera->requests()) {
            QVERIFY(sent.request != UvcRequest::SetCur || sent.kind != UvcUnitKind::ExtensionUnit
                    || sent.selector != ExtensionUnit::kUpgradeStartSelector);
        }
        const SimCameraModel after = camera->model();
        QVERIFY(after.upgrade.updater.isEmpty() && after.upgrade.installedFirmware.isEmpty());
        QCOMPARE(int(after.systemType), 1);
        QCOMPARE(rig.device->devMode(), UvcDevice::DevModeUvc);
        QCOMPARE(leftovers(store_.path()), QStringList());
        return;
    }
    QCOMPARE(run.last(), qMakePair(int(kErrCodeSuccess), QStringLiteral("Upgrade successfully!")));
    QVERIFY(run.progressSound());

    const QSharedPointer<SimCamera> camera = cameraBack(rig, ::oldCamera().usb.locationId);
    QVERIFY(camera);
    const QStringList road = QStringList({"1 frame 8001 01", "1 command 08", "1 upload /app/updater/ug 2500",
                                          "1 command 01062f6170702f757064617465722f7567", "1 command 02",
                                          "1 reboot upgrade"})
        + patchRoad(2, "main");
    QVERIFY(matchesInOrder(journalWithout(*camera, SimEvent::Shell), road));
    const QList<SimEvent> shell = camera->journal()->events(SimEvent::Shell);
    QVERIFY(shell.size() > 3);
    QCOMPARE(shell.last().text, QByteArray("cd /log&&mv tfu t&&sleep 2&& ./t&"));
    const SimCameraModel after = camera->model();
    QCOMPARE(after.upgrade.files.value("/log/t"), tool);           // unpacked and run
    QCOMPARE(after.upgrade.updater, pattern(2500, 2));             // the package's updater module
    QCOMPARE(after.upgrade.installedFirmware, package);
    QCOMPARE(after.version, kNewVersion);
    QCOMPARE(QDir(store_.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

// A camera that streams YUYV only: files come back over it from upgrade
// programs 1.1.25.1 on. An older program gets the upgrade-system package
// whole first, when the camera starts on its main system; one still running
// after that is refused before anything is patched.
void tst_UpgradeFlow::yuyvOnly_data()
{
    QTest::addColumn<int>("systemType");
    QTest::addColumn<uint32_t>("program");
    QTest::addColumn<uint32_t>("version");  // of the package
    QTest::addColumn<QStringList>("road");
    QTest::addColumn<bool>("upgraded");
    // Stream type 1, and the install of that version.
    const auto overYuyv = [](QStringList road, const QString& version) {
        road.replaceInStrings(QRegularExpression(" command 0a$"), " command 0a01");
        return road.replaceInStrings("030001000400", "0300" + version);
    };
    QTest::newRow("program 1.1.25.1") << 2 << 0x01011901u << kNewVersion << overYuyv(patchRoad(1, "main"), "01000400")
                                      << true;
    // The upgrade system 1.1.26.0 it brings streams YUYV.
    const QString install = "030001011a00" + QString::fromLatin1(QByteArray("/app/updater/fw ").toHex());
    QTest::newRow("program 1.1.25.0, from the main system")
        << 1 << 0x01011900u << 0x01011a00u
        << QStringList({"1 frame 8001 01", "1 frame 8061 [0-9a-f]+", "1 reboot upgrade", "2 command 08",
                        "2 upload /app/updater/fw \\d+", "2 command 04",
                        "2 syscall echo 3 > /proc/sys/vm/drop_caches; free &", "2 command " + install,
                        "2 reboot upgrade"})
               + overYuyv(patchRoad(3, "main"), "01011a00")
        << true;
    QTest::newRow("program 1.1.25.0, in the upgrade system")
        << 2 << 0x01011900u << kNewVersion << QStringList({"1 command 08", "1 upload /app/updater/fw \\d+"}) << false;
}

void tst_UpgradeFlow::yuyvOnly()
{
    QFETCH(int, systemType);
    QFETCH(uint32_t, program);
    QFETCH(uint32_t, version);
    QFETCH(QStringList, road);
    QFETCH(bool, upgraded);
    const QByteArray package = mainPackage("SSC336Q", CameraPackage::CamMdlSsUpdater, version);
    putPackage("SSC336Q", package, packageName("SSC336Q", version));
    SimCameraModel model = ::currentCamera();
    model.systemType = int8_t(systemType);
    model.upgrade.programVersion = program;
    model.stream.formats = {CaptureSession::streamFormats().at(1)};  // YUYV 640x360
    EngineRig rig(model);
    QVERIFY(rig.ready());
    rig.engine->setPackage(package_);
    LogCapture log;
    const TaskRun run(rig);
    QVERIFY(run.ended);
    QVERIFY(run.progressSound());
    const QSharedPointer<SimCamera> camera = cameraBack(rig, model.usb.locationId);
    QVERIFY(camera);
    QVERIFY(matchesInOrder(journalWithout(*camera), road));
    if (!upgraded) {
        QCOMPARE(run.last(), qMakePair(int(kErrCodeFailure), QStringLiteral("Upgrade failed, please try again later.")));
        QVERIFY(log.mentions("cannot stream files back"));
        QVERIFY(camera->model().upgrade.installedFirmware.isEmpty());
        return;
    }
    QCOMPARE(run.last(), qMakePair(int(kErrCodeSuccess), QStringLiteral("Upgrade successfully!")));
    QCOMPARE(camera->model().upgrade.installedFirmware, package);
    QCOMPARE(camera->model().version, version);
}

void tst_UpgradeFlow::streamHeldByAnotherProgram_data()
{
    QTest::addColumn<int>("heldChecks");  // -1: for good
    QTest::addColumn<int>("warnings");
    QTest::newRow("held for three looks") << 3 << 3;
    QTest::newRow("held for good: ten warnings, then the failure") << -1 << 10;
}

// Each look that finds the stream held warns the user; the upgrade waits
// for it, and gives up untouched after the tenth.
void tst_UpgradeFlow::streamHeldByAnotherProgram()
{
    QFETCH(int, heldChecks);
    QFETCH(int, warnings);
    putPackage("SSC336Q", mainPackage("SSC336Q", CameraPackage::CamMdlSsUpdater));
    SimCameraModel model = ::currentCamera();
    model.systemType = 2;
    model.stream.faults.heldChecks = heldChecks;
    EngineRig rig(model);
    QVERIFY(rig.ready());
    rig.engine->setPackage(package_);
    const TaskRun run(rig);
    QVERIFY(run.ended);
    using Reports = QList<QPair<int, QString>>;
    Reports told;  // the warnings
    for (const auto& report : run.reports) {
        if (report.first == kErrCodeWarn)
            told << report;
    }
    const QPair<int, QString> warning(kErrCodeWarn, "Warning: Please close any other programs that might use device!");
    QCOMPARE(told, Reports(QVector<QPair<int, QString>>(warnings, warning).toList()));
    if (heldChecks >= 0) {
        QCOMPARE(run.last(), qMakePair(int(kErrCodeSuccess), QStringLiteral("Upgrade successfully!")));
        return;
    }
    QCOMPARE(run.last(), qMakePair(int(kErrCodeFailure), QStringLiteral("Upgrade failed, please try again later.")));
    QCOMPARE(rig.camera->journal()->lines(), QStringList());  // never started
    QCOMPARE(rig.device->devMode(), UvcDevice::DevModeUvc);
}

void tst_UpgradeFlow::faults_data()
{
    QTest::addColumn<int>("startSystem");
    QTest::addColumn<SimUpgradeKnobs>("knobs");
    QTest::addColumn<SimStreamFaults>("stream");
    QTest::addColumn<FaultRule>("rule");
    QTest::addColumn<FaultRule>("readRule");
    QTest::addColumn<int>("boot");        // where the camera is left; 0: gone
    QTest::addColumn<int>("systemType");  // what it then runs
    QTest::addColumn<QString>("logged");
    struct Faults
    {
        SimUpgradeKnobs knobs;
        SimStreamFaults stream;
        FaultRule rule;      // on the host's writes
        FaultRule readRule;  // on its reads
    };
    // The stages: the upgrade request (the camera on its main system), the
    // upgrade-system package (after its restart), the main package (a camera
    // already in its upgrade system, so that the rows stay short).
    enum Stage { Request, Ugsys, Main };
    struct Row
    {
        const char* name;
        Stage stage;
        void (*set)(Faults&);
        bool gone;
        const char* logged;
    };
    const Row rows[] = {
        {"no answer to the request", Request, [](Faults& f) {
             f.knobs.failSelector = 2; }, false, "reqDevUpgrade failed"},
        {"no answer to a download", Ugsys, [](Faults& f) {
             f.knobs.failSelector = 4; }, false, "download fwpkg failed"},
        {"no answer to a command", Main, [](Faults& f) {
             f.knobs.failSelector = 5; f.knobs.failAfter = 3; }, false, "Update main system failed"},
        {"CRC errors in the upgrade-system upload", Ugsys, [](Faults& f) {
             f.knobs.refusedPackets = -1; }, false, "fileUploadByUvc failed"},
        {"CRC errors in the main upload", Main, [](Faults& f) {
             f.knobs.refusedPackets = -1; }, false, "fileUploadByUvc failed"},
        {"a lost frame never sent again", Ugsys, [](Faults& f) {
             f.stream.dropPacket = 1;
             f.rule = [](uint8_t selector, int n) { return selector == 4 && n > 0 ? Fault::Swallow : Fault::Pass; };
         }, false, "Unexpected timeout"},
        {"gone after its restart", Request, [](Faults& f) {
             f.knobs.rebootNeverReturns = true; }, true, "new UvcDevice failed"},
        {"gone in the upgrade system", Ugsys, [](Faults& f) {
             f.knobs.vanishAfterCommand = 10; }, true, "Update upgrade system failed"},
        {"gone while patching", Main, [](Faults& f) {
             f.knobs.vanishAfterCommand = 5; }, true, "Update main system failed"},
        {"the upgrade-system patch fails", Ugsys, [](Faults& f) {
             f.knobs.patch = SimUpgradeKnobs::Patch::Fails; }, false, "bspatch state failed"},
        {"the main patch fails", Main, [](Faults& f) {
             f.knobs.patch = SimUpgradeKnobs::Patch::Fails; }, false, "bspatch state failed"},
        {"the upgrade-system patch times out", Ugsys, [](Faults& f) {
             f.knobs.patch = SimUpgradeKnobs::Patch::NeverFinishes; }, false, "bspatch not finished"},
        {"the main patch times out", Main, [](Faults& f) {
             f.knobs.patch = SimUpgradeKnobs::Patch::NeverFinishes; }, false, "bspatch not finished"},
        {"the main install never restarts", Main, [](Faults& f) {
             f.knobs.installStays = true; }, false, "upgrade timeout"},
        // One failed read of a camera still in its upgrade system is not its restart.
        {"one failed read while the install never restarts", Main, [](Faults& f) {
             f.knobs.installStays = true;
             f.readRule = [](uint8_t selector, int n) { return selector == 6 && n == 0 ? Fault::Fail : Fault::Pass; };
         }, false, "upgrade timeout"},
    };
    for (const Row& row : rows) {
        Faults faults;
        faults.knobs.boot = row.stage == Ugsys ? 2 : 1;
        row.set(faults);
        QTest::newRow(row.name) << (row.stage == Main ? 2 : 1) << faults.knobs << faults.stream << faults.rule
                                << faults.readRule << (row.gone ? 0 : faults.knobs.boot)
                                << (row.stage == Request ? 1 : 2) << QString(row.logged);
    }
}

void tst_UpgradeFlow::faults()
{
    QFETCH(int, startSystem);
    QFETCH(SimUpgradeKnobs, knobs);
    QFETCH(SimStreamFaults, stream);
    QFETCH(FaultRule, rule);
    QFETCH(FaultRule, readRule);
    QFETCH(int, boot);
    QFETCH(int, systemType);
    QFETCH(QString, logged);
    putPackage("SSC336Q", mainPackage("SSC336Q", CameraPackage::CamMdlSsUpdater));
    SimCameraModel model = ::currentCamera();
    model.systemType = int8_t(startSystem);
    model.stream.faults = stream;
    EngineRig rig(model);
    rig.engine->setPackage(package_);
    QVERIFY(rig.ready());
    SimKnobs live = rig.camera->knobs();  // from here on: the registry has the camera
    live.upgrade = knobs;
    rig.camera->setKnobs(live);
    rig.backend.rule = rule;
    rig.backend.readRule = readRule;
    LogCapture log;
    log.quiet("need resend seq");  // a thousand times where packets are refused
    const TaskRun run(rig);
    QVERIFY(run.ended);
    QCOMPARE(run.last(), qMakePair(int(kErrCodeFailure), QStringLiteral("Upgrade failed, please try again later.")));
    QVERIFY(run.progressSound());
    QVERIFY2(log.mentions(logged), qPrintable(logged));

    // A camera that vanishes is taken away by the backend's own thread,
    // which may come after the task has ended.
    if (boot == 0)
        QTRY_VERIFY_WITH_TIMEOUT(!rig.backend.camera(model.usb.locationId), kTaskBoundMs);
    const QSharedPointer<SimCamera> camera = boot == 0 ? nullptr : cameraBack(rig, model.usb.locationId);
    QCOMPARE(camera ? camera->model().boot : 0, boot);
    if (camera) {
        QVERIFY(camera->model().upgrade.installedFirmware.isEmpty());  // nothing half-made was installed
        QCOMPARE(int(camera->model().systemType), systemType);
    } else {
        // Dropped from the registry once the camera had gone.
        QTRY_VERIFY_WITH_TIMEOUT(!rig.registry->getDevBySn(rig.device->sn()), kTaskBoundMs);
    }
    QCOMPARE(rig.device->devMode(), UvcDevice::DevModeUvc);
    QCOMPARE(leftovers(store_.path()), QStringList());
    QVERIFY(QFile::exists(storeDir() + packageName("SSC336Q")));  // kept for the next attempt
}

void tst_UpgradeFlow::refusedBeforeTheCamera_data()
{
    QTest::addColumn<QByteArray>("platform");    // of the package in the store
    QTest::addColumn<uint32_t>("version");       // of the package
    QTest::addColumn<uint32_t>("cameraVersion"); // 0: unreadable
    QTest::addColumn<bool>("old");               // an old camera (without the tool here)
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("logged");
    QTest::addColumn<bool>("handed");  // the package handed to the task
    const QString failed = "Upgrade failed, please try again later.";
    QTest::newRow("a package for another platform only")
        << QByteArray("SSC339G") << kNewVersion << 0x01000307u << false << failed << "firmware made for" << true;
    QTest::newRow("no package handed over")
        << QByteArray("SSC336Q") << kNewVersion << 0x01000307u << false << failed << "Cannot find valid firmware"
        << false;
    QTest::newRow("an old platform's camera whose version cannot be read")
        << QByteArray("Hi3516DV300") << kNewVersion << 0u << true << failed << "Cannot read the camera's firmware version"
        << true;
    QTest::newRow("a package too old for an old platform")
        << QByteArray("Hi3516DV300") << 0x01000206u << 0x01000206u << true
        << "The ugprade package is out of date." << "Upgrade package is too old" << true;
    QTest::newRow("an old camera without the maker's tool")
        << QByteArray("Hi3516DV300") << kNewVersion << 0x01000206u << true << failed << "vktfu.lzma" << true;
}

void tst_UpgradeFlow::refusedBeforeTheCamera()
{
    QFETCH(QByteArray, platform);
    QFETCH(uint32_t, version);
    QFETCH(uint32_t, cameraVersion);
    QFETCH(bool, old);
    QFETCH(QString, text);
    QFETCH(QString, logged);
    QFETCH(bool, handed);
    const uint32_t updater = old ? CameraPackage::CamMdlHisiUpdater : CameraPackage::CamMdlSsUpdater;
    putPackage(platform, mainPackage(platform, updater, version), packageName(platform, version));
    SimCameraModel model = old ? ::oldCamera() : ::currentCamera();
    model.version = cameraVersion;
    EngineRig rig(model);
    rig.engine->setPackage(handed ? package_ : QString());
    QVERIFY(rig.device);
    rig.probe().setToolPath(dir_.filePath("missing/vktfu.lzma"));
    LogCapture log;
    const TaskRun run(rig);
    QVERIFY(run.ended);
    QCOMPARE(run.last(), qMakePair(int(kErrCodeFailure), text));
    QVERIFY2(log.mentions(logged), qPrintable(logged));
    QCOMPARE(rig.camera->journal()->lines(), QStringList());  // nothing reached the camera
    QCOMPARE(leftovers(store_.path()), QStringList());
}

// A camera that a failed upgrade left in its upgrade system may report
// version 0.0.0.0, no platform or no device information at all; it is
// upgraded with the package of its product (the program's product
// information where the camera names none), never with one that
// contradicts what it does report.
void tst_UpgradeFlow::leftInItsUpgradeSystem_data()
{
    QTest::addColumn<SimCameraModel>("model");
    QTest::addColumn<QByteArray>("platform");
    QTest::addColumn<QString>("listedAs");    // the serial it is listed by at first
    QTest::addColumn<bool>("dropPlatform");   // what the registry kept of it has no platform
    QTest::addColumn<QByteArray>("product");  // the program's product information, and the stored package's
    QTest::addColumn<bool>("upgraded");
    SimCameraModel sparse = ::currentCamera();
    sparse.systemType = 2;
    sparse.knobs.upgrade.sparseIdentity = true;
    // Its device information refused, the serial comes from the uuid.
    const QString uuidSerial = QString::fromLatin1(sparse.uuid.toHex().toUpper().right(14));
    QTest::newRow("version 0.0.0.0 and no platform") << sparse << QByteArray("SSC336Q") << uuidSerial << false << QByteArray("Kestro_orla") << true;
    SimCameraModel old = ::oldCamera();
    old.systemType = 2;
    old.version = 0;
    QTest::newRow("an old platform at version 0.0.0.0") << old << QByteArray("Hi3516DV300") << QString() << false << QByteArray("Kestro_orla") << true;
    SimCameraModel current = ::currentCamera();
    current.systemType = 2;
    QTest::newRow("no platform kept") << current << QByteArray("SSC336Q") << QString() << true << QByteArray("Kestro_orla") << true;
    QTest::newRow("no platform kept, another product's package")
        << current << QByteArray("SSC336Q") << QString() << true << QByteArray("Kestro_zuki_2P") << false;
}

void tst_UpgradeFlow::leftInItsUpgradeSystem()
{
    QFETCH(SimCameraModel, model);
    QFETCH(QByteArray, platform);
    QFETCH(QString, listedAs);
    QFETCH(bool, dropPlatform);
    QFETCH(QByteArray, product);
    QFETCH(bool, upgraded);
    const uint32_t updater = platform == "SSC336Q" ? CameraPackage::CamMdlSsUpdater : CameraPackage::CamMdlHisiUpdater;
    const QByteArray package = mainPackage(platform, updater, kNewVersion, product);
    putPackage(platform, package, packageName(platform, kNewVersion, product));
    GlobalParams::get().setProductInfo(QJsonObject{{"product", QString::fromLatin1(product)},
                                                   {"branch", "OA_E"},
                                                   {"platform", QString::fromLatin1(platform)}});
    EngineRig rig(model, listedAs);
    rig.engine->setPackage(package_);
    QVERIFY(rig.ready());
    QVERIFY(followHotPlug(rig));
    if (dropPlatform) {
        QJsonObject info = rig.device->devInfo();
        info.remove("platform");
        rig.device->setDevInfo(info);
    }
    LogCapture log;
    const TaskRun run(rig);
    QVERIFY(run.ended);
    QVERIFY(run.progressSound());
    const QSharedPointer<SimCamera> camera = cameraBack(rig, model.usb.locationId);
    QVERIFY(camera);
    if (!upgraded) {
        QCOMPARE(run.last(), qMakePair(int(kErrCodeFailure), QStringLiteral("Upgrade failed, please try again later.")));
        QVERIFY(log.mentions("firmware made for"));
        QCOMPARE(camera->journal()->lines(), QStringList());
        QCOMPARE(int(camera->model().systemType), 2);
        return;
    }
    QCOMPARE(run.last(), qMakePair(int(kErrCodeSuccess), QStringLiteral("Upgrade successfully!")));
    QVERIFY(matchesInOrder(journalWithout(*camera), patchRoad(1, "main")));
    QCOMPARE(camera->model().upgrade.installedFirmware, package);
    QCOMPARE(int(camera->model().systemType), 1);
    // Back on its main system it says who it is again.
    const QString sn = QString::fromLatin1(model.serial.constData());
    QTRY_VERIFY_WITH_TIMEOUT(rig.registry->getDevBySn(sn) && rig.registry->getDevBySn(sn) != rig.device, kTaskBoundMs);
    QCOMPARE(rig.registry->getDevBySn(sn)->devVersion(), QStringLiteral("1.0.4.0"));
    if (!listedAs.isEmpty())
        QVERIFY(!rig.registry->getDevBySn(listedAs));
}

// A camera gone for good is dropped by the task itself while this thread,
// the registry's, blocks waiting for the task: the drop must not need it.
void tst_UpgradeFlow::removalDoesNotWaitOnTheRegistryThread()
{
    putPackage("SSC336Q", mainPackage("SSC336Q", CameraPackage::CamMdlSsUpdater));
    SimCameraModel model = ::currentCamera();
    model.knobs.upgrade.rebootNeverReturns = true;
    EngineRig rig(model);
    rig.engine->setPackage(package_);
    QVERIFY(rig.ready());
    rig.engine->start();
    QVERIFY(rig.engine->wait(kTaskBoundMs));  // no events delivered meanwhile
    QVERIFY(!rig.registry->getDevBySn(rig.device->sn()));
}

// A task that its camera holds up past the wait of its destruction (a
// transfer that does not return) is given up with a log line that names it,
// not waited for; once the transfer returns it ends on its own without
// touching the registry, which may be gone by then, and is freed.
void tst_UpgradeFlow::givenUpWhileTheCameraHoldsItUp()
{
    putPackage("SSC336Q", mainPackage("SSC336Q", CameraPackage::CamMdlSsUpdater));
    SimCameraModel model = ::currentCamera();
    model.systemType = 2;
    EngineRig rig(model);
    rig.engine->setPackage(package_);
    QVERIFY(rig.ready());
    struct Hold
    {
        std::atomic<bool> held{false};
        std::atomic<bool> released{false};
        ~Hold()
        {
            released = true;
            static_cast<void>(QTest::qWaitFor([] { return UvcPatchUpgrade::reapAbandoned() == 0; }, kTaskBoundMs));
        }
    } hold;
    constexpr qint64 kHoldMs = 30000;  // far beyond the bound below
    rig.backend.rule = [&hold](uint8_t selector, int) {
        if (selector == 5 && !hold.released) {  // the first upgrade command does not return
            hold.held = true;
            QElapsedTimer clock;
            clock.start();
            while (!hold.released && clock.elapsed() < kHoldMs)
                QThread::msleep(5);
        }
        return Fault::Pass;
    };
    LogCapture log;
    rig.engine->start();
    QTRY_VERIFY_WITH_TIMEOUT(hold.held, kTaskBoundMs);
    QElapsedTimer clock;
    clock.start();
    rig.engine.reset();
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(log.mentions("upgrade of camera " + rig.device->sn()));
    QCOMPARE(UvcPatchUpgrade::reapAbandoned(), 1);

    rig.registry.reset(new UvcDevices(rig.backend));  // the task's registry is gone
    hold.released = true;
    QTRY_COMPARE_WITH_TIMEOUT(UvcPatchUpgrade::reapAbandoned(), 0, kTaskBoundMs);
    QCOMPARE(rig.device->devMode(), UvcDevice::DevModeUvc);
    QVERIFY(rig.camera->model().upgrade.installedFirmware.isEmpty());
}

// The reopen's waits at their real length: 1 s in one slice, 2 s around the
// reopening, the counter up by one per slice and one at the end.
void tst_UpgradeFlow::reopenAtRealTiming()
{
    SimCameraModel model = ::currentCamera();
    model.systemType = 2;
    EngineRig rig(model);
    QVERIFY(rig.ready());
    UvcPatchUpgradeProbe probe = rig.probe();
    probe.setTimePercent(100);
    const int before = rig.engine->progress();
    QElapsedTimer clock;
    clock.start();
    QVERIFY(probe.reopen(1, 2));
    QVERIFY2(clock.elapsed() >= 2900 && clock.elapsed() < kTaskBoundMs, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(rig.engine->progress(), before + 2);
    const QSharedPointer<UvcDevice> reopened = probe.workingDevice();
    QVERIFY(reopened && reopened != rig.device && reopened->isOpen());
    QCOMPARE(reopened->devMode(), UvcDevice::DevModeUvcUpgrade);
    QCOMPARE(reopened->devInfo(), rig.device->devInfo());
    QVERIFY(!rig.device->isOpen());
}

QTEST_GUILESS_MAIN(tst_UpgradeFlow)
#include "tst_upgradeflow.moc"
