// Whole upgrades against simulated cameras: a current camera through its
// upgrade request, the upgrade-system package and the main package; an old
// camera through the shell-uploaded tool and its updater first. The commands
// the camera took, its reboots, what it installed byte for byte, the
// registry afterwards, the progress reports.

#include "TaskRun.h"
#include "package/PackageBuilder.h"
#include "package/CameraPackage.h"
#include "package/FirmwareManager.h"
#include "package/LZMA.h"
#include "support/TestHome.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

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

// A main package of 1.0.4.0 for the camera's platform: base, updater and
// application modules.
QByteArray mainPackage(const QByteArray& platform, uint32_t updaterId, uint32_t version = kNewVersion)
{
    pkgtest::Identity id;
    id.product = "Kestro_orla";
    id.branch = "OA_E";
    id.platform = platform;
    id.version = version;
    const QList<pkgtest::Module> modules = {
        {0, pattern(3000, 1)}, {updaterId, pattern(2500, 2)}, {20, pattern(6000, 3)}};
    return pkgtest::package(id, {{1, pkgtest::cameraPackage(modules)}});
}

QString packageName(const QByteArray& platform, const QString& version = "1.0.4.0")
{
    pkgtest::Identity id;
    id.product = "Kestro_orla";
    id.branch = "OA_E";
    id.platform = platform;
    return pkgtest::fileName(id, version);
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

// The ".lzma" form the camera unpacks: 5 property bytes, the u64 size, the
// raw stream.
QByteArray lzmaAlone(const QByteArray& file)
{
    QByteArray raw, props;
    LZMA::encode(file, &raw, props, 5);
    QByteArray size(8, '\0');
    pkgtest::put32(size, 0, uint32_t(file.size()));
    return props + size + raw;
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

} // namespace

class tst_UpgradeFlow : public QObject
{
    Q_OBJECT
    TestHome home_;
    QTemporaryDir store_;
    QTemporaryDir dir_;

    QString storeDir() const { return store_.path() + "/"; }
    void putPackage(const QByteArray& platform, const QByteArray& package, const QString& name = QString())
    {
        QVERIFY(writeFile(storeDir() + (name.isEmpty() ? packageName(platform) : name), package));
    }

private slots:
    void initTestCase();
    void init();
    void currentCamera_data();
    void currentCamera();
    void oldCamera();
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
    for (const QString& name : QDir(store_.path()).entryList(QDir::Files | QDir::Hidden))
        QFile::remove(store_.filePath(name));
}

void tst_UpgradeFlow::currentCamera_data()
{
    QTest::addColumn<int>("systemType");
    QTest::addColumn<QStringList>("road");
    QTest::newRow("from the main system")
        << 1 << QStringList({"1 frame 8001 01", "1 frame 8061 [0-9a-f]+", "1 reboot upgrade"}) + patchRoad(2, "upgrade")
               + patchRoad(3, "main");
    // Already in its upgrade system: no request, the main package at once.
    QTest::newRow("already in the upgrade system") << 2 << patchRoad(1, "main");
}

void tst_UpgradeFlow::currentCamera()
{
    QFETCH(int, systemType);
    QFETCH(QStringList, road);
    const QByteArray package = mainPackage("SSC336Q", CameraPackage::CamMdlSsUpdater);
    putPackage("SSC336Q", package);
    SimCameraModel model = ::currentCamera();
    model.systemType = int8_t(systemType);
    EngineRig rig(model);
    QVERIFY(rig.ready());
    const TaskRun run(rig);
    QVERIFY(run.ended);
    QCOMPARE(run.last(), qMakePair(int(kErrCodeSuccess), QStringLiteral("Upgrade successfully!")));
    QCOMPARE(run.reports.first().first, 0);
    QVERIFY(run.reports.first().second.startsWith("Warning:\n1 Do not disconnect"));
    QVERIFY(run.progressSound());

    const QSharedPointer<SimCamera> camera = rig.backend.camera(model.usb.locationId);
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
    QCOMPARE(QDir(store_.path()).entryList(QDir::Files | QDir::Hidden), QStringList());

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

void tst_UpgradeFlow::oldCamera()
{
    const QByteArray package = mainPackage("Hi3516DV300", CameraPackage::CamMdlHisiUpdater);
    putPackage("Hi3516DV300", package);
    EngineRig rig(::oldCamera());
    QVERIFY(rig.ready());
    const QByteArray tool = QByteArray("stand-in for the maker's upgrade tool ").repeated(12);
    const QString toolPath = dir_.filePath("vktfu.lzma");
    QVERIFY(writeFile(toolPath, lzmaAlone(tool)));
    rig.probe().setToolPath(toolPath);
    const TaskRun run(rig);
    QVERIFY(run.ended);
    QCOMPARE(run.last(), qMakePair(int(kErrCodeSuccess), QStringLiteral("Upgrade successfully!")));
    QVERIFY(run.progressSound());

    const QSharedPointer<SimCamera> camera = rig.backend.camera(::oldCamera().usb.locationId);
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

QTEST_GUILESS_MAIN(tst_UpgradeFlow)
#include "tst_upgradeflow.moc"
