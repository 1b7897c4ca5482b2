#include "support/TestHome.h"
#include "support/NameSwapper.h"
#include "support/PackageBuilder.h"
#include "package/FirmwarePackage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <memory>

using vesk::pc::CameraPackage;
using vesk::pc::FirmwarePackage;
using vesk::pc::StoreFolder;
using namespace pkgtest;

namespace {

const QByteArray kBase(100, 'b');
const QByteArray kHisi(50, 'h');
const QByteArray kSs(80, 's');
const QByteArray kOther(300, 'x');

QByteArray standardCamera()
{
    return cameraPackage({{0, kBase}, {7, kHisi}, {10, kSs}});
}

QByteArray standardPackage(const Identity& id)
{
    return package(id, {{1, standardCamera()}, {2, kOther}});
}

Identity identityFor(const QByteArray& platform)
{
    Identity id;
    id.platform = platform;
    return id;
}

} // namespace

class tst_PackageDerive : public QObject
{
    Q_OBJECT

private:
    TestHome home_;
    std::unique_ptr<QTemporaryDir> dir_;

    QString path(const QString& name) const { return dir_->path() + QLatin1Char('/') + name; }

    QStringList files() const { return pkgtest::filesIn(dir_->path()); }

    // Writes the package under its proper name and returns the path.
    QString place(const Identity& id, const QByteArray& data)
    {
        const QString p = path(fileName(id));
        return writeFile(p, data) ? p : QString();
    }

private slots:
    void init() { dir_.reset(new QTemporaryDir); }

    void upgradeSystemPackage_data()
    {
        QTest::addColumn<QByteArray>("platform");
        QTest::addColumn<uint32_t>("updater");
        QTest::addColumn<QByteArray>("updaterData");
        QTest::newRow("SSC339G") << QByteArray("SSC339G") << 10u << kSs;
        QTest::newRow("SSC336Q") << QByteArray("SSC336Q") << 10u << kSs;
        QTest::newRow("Hi3516DV300") << QByteArray("Hi3516DV300") << 7u << kHisi;
        QTest::newRow("Hi3516CV500") << QByteArray("Hi3516CV500") << 7u << kHisi;
    }

    void upgradeSystemPackage()
    {
        QFETCH(QByteArray, platform);
        QFETCH(uint32_t, updater);
        QFETCH(QByteArray, updaterData);
        const Identity id = identityFor(platform);
        const QByteArray original = standardPackage(id);
        FirmwarePackage pkg(place(id, original), FirmwarePackage::PkgMain);
        QVERIFY(pkg.verifyFirmware());
        QVERIFY(pkg.generateUgsysFwPackage());

        const QString derivedPath = path("Ugsys_" + fileName(id));
        QCOMPARE(files(), (QStringList{fileName(id), "Ugsys_" + fileName(id)}));
        const QByteArray derived = readFile(derivedPath);
        const Parsed parsed = parse(derived, false);
        QVERIFY(parsed.ok);
        // magic, headerLength 512, totalSize, one module
        QCOMPARE(derived.left(8), QByteArray::fromHex("98EC20AB00020000"));
        QCOMPARE(get32(derived, 8), uint32_t(derived.size()));
        QCOMPARE(derived.mid(12, 4), QByteArray::fromHex("01000000"));
        // Identity, version and the bytes nobody interprets are carried over.
        QCOMPARE(derived.mid(0x10, 0x28), original.mid(0x10, 0x28));
        QCOMPARE(derived.mid(0x48, 0xFC - 0x48), original.mid(0x48, 0xFC - 0x48));

        QCOMPARE(parsed.modules.size(), 1);
        QCOMPARE(parsed.modules[0].type, 1u);
        QCOMPARE(parsed.offsets[0], 512u);
        const QByteArray& moduleHeader = parsed.moduleHeaders[0];
        QCOMPARE(moduleHeader.mid(0x0C, 56), original.mid(256 + 0x0C, 56));
        const QByteArray camera = parsed.modules[0].data;
        QCOMPARE(moduleHeader.mid(0x48, 16), md5(camera));

        const Parsed inner = parse(camera, true);
        QVERIFY(inner.ok);
        QCOMPARE(camera.left(8), QByteArray::fromHex("414D414300030000"));
        QCOMPARE(inner.modules.size(), 2);
        QCOMPARE(inner.modules[0].type, 0u);
        QCOMPARE(inner.modules[0].data, kBase);
        QCOMPARE(inner.modules[1].type, updater);
        QCOMPARE(inner.modules[1].data, updaterData);

        FirmwarePackage again(derivedPath, FirmwarePackage::PkgUgsys);
        QVERIFY(again.verifyFirmware());
        QVERIFY(again.generateUgsysFwPackage());  // nothing to do for an upgrade-system package
        QCOMPARE(files().size(), 2);
    }

    void refusals()
    {
        const Identity id;
        FirmwarePackage unverified(place(id, standardPackage(id)), FirmwarePackage::PkgMain);
        const QString message = QStringLiteral("Please verify firmware first by calling verifyFirmware()");
        QTest::ignoreMessage(QtCriticalMsg, qPrintable(message));
        QVERIFY(!unverified.generateUgsysFwPackage());
        QString out = path("head.bin");
        QList<uint32_t> splits;
        QTest::ignoreMessage(QtCriticalMsg, qPrintable(message));
        QVERIFY(!unverified.generateFwPatchHead(out, splits));
        // The platform is read from the header, which only verifying fills.
        QTest::ignoreMessage(QtCriticalMsg,
                             "Only support Hi3516DV300, Hi3516CV500, SSC336Q, SSC339G at present");
        QVERIFY(!unverified.extractUpdaterfs(out));
        QCOMPARE(files().size(), 1);
    }

    void platformWithoutUpdater()
    {
        // Unknown platforms take module 7, which this camera package lacks.
        const Identity id = identityFor("Hi3559A");
        const QByteArray data = package(id, {{1, cameraPackage({{0, kBase}, {10, kSs}})}});
        FirmwarePackage pkg(place(id, data), FirmwarePackage::PkgMain);
        QVERIFY(pkg.verifyFirmware());
        QTest::ignoreMessage(QtCriticalMsg, "Cannot find module with packet id = 7");
        QTest::ignoreMessage(QtCriticalMsg, "generateCameraModule camera package failed");
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Generate package failed: "));
        QVERIFY(!pkg.generateUgsysFwPackage());
        QTest::ignoreMessage(QtCriticalMsg,
                             "Only support Hi3516DV300, Hi3516CV500, SSC336Q, SSC339G at present");
        QVERIFY(!pkg.extractUpdaterfs(path("updater.bin")));
        QCOMPARE(files(), QStringList{fileName(id)});
    }

    void generalPackage()
    {
        const Identity id;
        FirmwarePackage pkg(place(id, standardPackage(id)), FirmwarePackage::PkgMain);
        QVERIFY(pkg.verifyFirmware());
        QList<FirmwarePackage::DEV_ID> types{FirmwarePackage::DEV_ID(2), FirmwarePackage::DevCameraPackage};
        QList<CameraPackage::CAM_MDL_ID> none;
        QString out = path("general.bin");
        QVERIFY(pkg.generateFwPackage(types, none, out));
        const Parsed parsed = parse(readFile(out), false);
        QVERIFY(parsed.ok);
        QCOMPARE(parsed.modules.size(), 2);
        QCOMPARE(parsed.modules[0].type, 2u);
        QCOMPARE(parsed.modules[0].data, kOther);
        QCOMPARE(parsed.offsets, (QList<uint32_t>{768, 768 + 300}));
        QCOMPARE(parsed.modules[1].data, standardCamera());  // copied as stored

        types = {FirmwarePackage::DEV_ID(5)};
        QString missing = path("missing.bin");
        QTest::ignoreMessage(QtCriticalMsg, "Cannot find module with device id = 5");
        QVERIFY(!pkg.generateFwPackage(types, none, missing));
        QVERIFY(!QFile::exists(missing));
    }

    void changedFileLeavesNothing()
    {
        const Identity id;
        const QString main = place(id, standardPackage(id));
        FirmwarePackage pkg(main, FirmwarePackage::PkgMain);
        QVERIFY(pkg.verifyFirmware());
        {
            QFile file(main);
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.seek(file.size() - 1);
            file.write("!");
        }
        QList<FirmwarePackage::DEV_ID> types{FirmwarePackage::DevCameraPackage, FirmwarePackage::DEV_ID(2)};
        QList<CameraPackage::CAM_MDL_ID> ids{CameraPackage::CamMdlSsUpdater};
        QString out = path("changed.bin");
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^crc32 check failed"));
        QVERIFY(!pkg.generateFwPackage(types, ids, out));
        QCOMPARE(files(), QStringList{fileName(id)});
    }

    void unwritableFolder()
    {
        const Identity id;
        FirmwarePackage pkg(place(id, standardPackage(id)), FirmwarePackage::PkgMain);
        QVERIFY(pkg.verifyFirmware());
        QVERIFY(writeFile(path("blocker"), "file"));
        QList<FirmwarePackage::DEV_ID> types{FirmwarePackage::DEV_ID(2)};
        QList<CameraPackage::CAM_MDL_ID> none;
        QString out = path("blocker/out.bin");
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Open file failed:"));
        QVERIFY(!pkg.generateFwPackage(types, none, out));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^open file failed:"));
        QList<uint32_t> splits;
        QVERIFY(!pkg.generateFwPatchHead(out, splits));
        QVERIFY(splits.isEmpty());
        QCOMPARE(files(), (QStringList{fileName(id), "blocker"}));
    }

    // The package's name swapped for a link, or a hard link, to another
    // valid package elsewhere at any moment: every package that verifies is
    // the store's own, and some openings met the link.
    void openingSwappedForALink_data()
    {
        QTest::addColumn<bool>("hard");
        QTest::newRow("link") << false;
        QTest::newRow("hard link") << true;
    }

    void openingSwappedForALink()
    {
        QFETCH(bool, hard);
        const Identity id;
        const QByteArray own = standardPackage(id);
        const QString main = place(id, own);
        QTemporaryDir outside;
        const QString target = outside.filePath(fileName(id));
        QVERIFY(writeFile(target, package(id, {{2, QByteArray(5000, 'f')}})));
        NameSwapper swapper([=] { NameSwapper::linkAt(main, target, hard); }, [=] { NameSwapper::fileAt(main, own); });
        int verified = 0, met = 0;
        QVERIFY(swapper.race(
            [&] {
                FirmwarePackage pkg(main, FirmwarePackage::PkgMain);
                if (!pkg.verifyFirmware()) {
                    ++met;
                    return;
                }
                ++verified;
                QCOMPARE(QByteArray(reinterpret_cast<const char*>(pkg.header().md5), 16), own.mid(0x38, 16));
            },
            40, 400, 30000, [&] { return met && verified; }));
        QVERIFY2(met > 0 && verified > 0, qPrintable(QStringLiteral("%1 %2").arg(met).arg(verified)));
    }

    void concurrentDerivations()
    {
        // Several objects derive the same package at once; each writes its
        // own temporary files, so every result is whole and nothing is left.
        const Identity id;
        const QString main = place(id, standardPackage(id));
        constexpr int kThreads = 4;
        constexpr int kRounds = 8;
        std::atomic<int> inFlight{0};
        std::atomic<int> mostInFlight{0};
        std::atomic<int> succeeded{0};
        QElapsedTimer timer;
        timer.start();
        QVERIFY(runTogether(kThreads, [&](int) {
            FirmwarePackage pkg(main, FirmwarePackage::PkgMain);
            if (!pkg.verifyFirmware())
                return;
            for (int round = 0; round < kRounds; ++round) {
                const int now = ++inFlight;
                int seen = mostInFlight.load();
                while (now > seen && !mostInFlight.compare_exchange_weak(seen, now)) {
                }
                if (pkg.generateUgsysFwPackage())
                    ++succeeded;
                --inFlight;
            }
        }, 60000));
        QVERIFY(timer.elapsed() < 60000);
        QVERIFY2(mostInFlight.load() > 1, "the derivations never overlapped");
        QCOMPARE(succeeded.load(), kThreads * kRounds);
        QCOMPARE(files(), (QStringList{fileName(id), "Ugsys_" + fileName(id)}));
        FirmwarePackage derived(path("Ugsys_" + fileName(id)), FirmwarePackage::PkgUgsys);
        QVERIFY(derived.verifyFirmware());
    }

    // Someone who may write in the store takes the temporary names that the
    // files of a derivation were once made under in this process, its id and
    // a count from 0: the derivation is made under other names all the same.
    void derivationPastGuessedNames()
    {
        const Identity id;
        const QString main = place(id, standardPackage(id));
        const QString guessed =
            path(".Ugsys_" + fileName(id) + "." + QString::number(QCoreApplication::applicationPid()) + "-%1");
        constexpr int kGuessed = 4000;
        for (int n = 0; n < kGuessed; ++n)
            QVERIFY(writeFile(guessed.arg(n), QByteArray()));
        FirmwarePackage pkg(main, FirmwarePackage::PkgMain);
        QVERIFY(pkg.verifyFirmware());
        QVERIFY(pkg.generateUgsysFwPackage());
        FirmwarePackage derived(path("Ugsys_" + fileName(id)), FirmwarePackage::PkgUgsys);
        QVERIFY(derived.verifyFirmware());
        QCOMPARE(files().size(), kGuessed + 2);
    }

    void patchHead()
    {
        const Identity id;
        const QByteArray original = standardPackage(id);
        FirmwarePackage pkg(place(id, original), FirmwarePackage::PkgMain);
        QVERIFY(pkg.verifyFirmware());
        QString out = path("head.bin");
        QList<uint32_t> splits{42};
        QVERIFY(pkg.generateFwPatchHead(out, splits));
        const QByteArray head = readFile(out);
        const QByteArray camera = standardCamera();
        // header region 768, camera header region 1024, module 2 whole
        QCOMPARE(head.size(), 768 + 1024 + 300);
        QCOMPARE(head.left(256), original.left(256));
        QCOMPARE(head.mid(256 + 0x98, 8), QByteArray::fromHex("00030000" "00040000"));
        QCOMPARE(head.mid(512 + 0x98, 8), QByteArray::fromHex("00070000" "2c010000"));
        for (int i = 1; i <= 2; ++i) {
            QVERIFY(sealed(head, 256 * i));
            QCOMPARE(head.mid(256 * i, 0x98), original.mid(256 * i, 0x98));
        }
        QCOMPARE(head.mid(768, 1024), camera.left(1024));
        QCOMPARE(head.mid(1792), kOther);
        // camera base 768; modules 7 and 10 begin at 1024 + 100 and + 150
        QCOMPARE(splits, (QList<uint32_t>{42, 768 + 1124, 768 + 1174, uint32_t(original.size())}));

        const Identity plainId = identityFor("Hi3516DV300");
        FirmwarePackage plain(place(plainId, package(plainId, {{2, "x"}})), FirmwarePackage::PkgMain);
        QVERIFY(plain.verifyFirmware());
        QTest::ignoreMessage(QtCriticalMsg, "camera fw does not exist");
        QVERIFY(!plain.generateFwPatchHead(out, splits));
    }

    void updaterfs()
    {
        const Identity id;
        FirmwarePackage pkg(place(id, standardPackage(id)), FirmwarePackage::PkgMain);
        QVERIFY(pkg.verifyFirmware());
        QVERIFY(pkg.extractUpdaterfs(path("updater.bin")));
        QCOMPARE(readFile(path("updater.bin")), kSs);

        const Identity hisi = identityFor("Hi3516CV500");
        FirmwarePackage other(place(hisi, standardPackage(hisi)), FirmwarePackage::PkgMain);
        QVERIFY(other.verifyFirmware());
        QVERIFY(other.extractUpdaterfs(path("hisi.bin")));
        QCOMPARE(readFile(path("hisi.bin")), kHisi);

        const Identity empty = identityFor("SSC336Q");
        const QByteArray data = package(empty, {{1, cameraPackage({{0, kBase}, {10, QByteArray()}})}});
        FirmwarePackage none(place(empty, data), FirmwarePackage::PkgMain);
        QVERIFY(none.verifyFirmware());
        QTest::ignoreMessage(QtCriticalMsg, "Cannot find updaterfs");
        QVERIFY(!none.extractUpdaterfs(path("none.bin")));
        QVERIFY(!QFile::exists(path("none.bin")));
    }

    void bundle()
    {
        const QByteArray first = standardPackage(identityFor("SSC339G"));
        const QByteArray second = standardPackage(identityFor("Hi3516DV300"));
        const QString name = QStringLiteral("Kestro_zuki_2P_main_All_1.0.2.9_release.bin");
        QVERIFY(writeFile(path(name), first + second));
        QDir(dir_->path()).mkdir(QStringLiteral("out"));
        const QString outDir = path("out/");

        const QString got = FirmwarePackage::extractFirmware(path(name), "Hi3516DV300", StoreFolder(outDir));
        QCOMPARE(got, outDir + "Kestro_zuki_2P_main_Hi3516DV300_1.0.2.9_release.bin");
        QCOMPARE(readFile(got), second);
        FirmwarePackage extracted(got, FirmwarePackage::PkgMain);
        QVERIFY(extracted.verifyFirmware());

        QCOMPARE(FirmwarePackage::extractFirmware(path(name), "SSC339G", StoreFolder(outDir)),
                 outDir + "Kestro_zuki_2P_main_SSC339G_1.0.2.9_release.bin");
        QCOMPARE(FirmwarePackage::extractFirmware(path(name), "SSC336Q", StoreFolder(outDir)), QString());

        // A single-platform package that already names the platform is copied.
        const QString single = place(identityFor("SSC339G"), first);
        QDir(dir_->path()).mkdir(QStringLiteral("copy"));
        const QString copied = FirmwarePackage::extractFirmware(single, "SSC339G", StoreFolder(path("copy/")));
        QCOMPARE(readFile(copied), first);
    }

    void hostileBundles_data()
    {
        QTest::addColumn<int>("field");  // offset in the second header, -1 for none
        QTest::addColumn<uint32_t>("value");
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("message");
        QTest::newRow("zero size") << 8 << 0u << "SSC336Q" << "Package header error or size error";
        QTest::newRow("size past the end") << 8 << 0xFFFFFFF0u << "SSC336Q"
                                           << "Package header error or size error";
        QTest::newRow("wrong magic") << 0 << 0u << "SSC336Q" << "Package header error or size error";
        QTest::newRow("other version") << 0x30 << 0x01000208u << "SSC336Q" << "Version in file name:";
        QTest::newRow("slash in platform") << -1 << 0u << "../x" << "Platform invalid:";
        QTest::newRow("empty platform") << -1 << 0u << "" << "Platform invalid:";
    }

    void hostileBundles()
    {
        QFETCH(int, field);
        QFETCH(uint32_t, value);
        QFETCH(QString, platform);
        QFETCH(QString, message);
        const QByteArray first = standardPackage(identityFor("SSC339G"));
        QByteArray bundleData = first + standardPackage(identityFor("Hi3516DV300"));
        if (field >= 0) {
            put32(bundleData, first.size() + field, value);
            seal(bundleData, first.size());
        }
        const QString name = QStringLiteral("Kestro_zuki_2P_main_All_1.0.2.9_release.bin");
        QVERIFY(writeFile(path(name), bundleData));
        QTest::ignoreMessage(message.startsWith("Version") ? QtCriticalMsg : QtWarningMsg,
                             QRegularExpression('^' + QRegularExpression::escape(message)));
        QCOMPARE(FirmwarePackage::extractFirmware(path(name), platform, StoreFolder(path(""))), QString());
        QCOMPARE(files(), QStringList{name});
    }

    void bundleFileMissing()
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^File does not exist:"));
        QCOMPARE(FirmwarePackage::extractFirmware(path("nothing_All.bin"), "SSC339G", StoreFolder(path(""))),
                 QString());
    }
};

QTEST_GUILESS_MAIN(tst_PackageDerive)
#include "tst_packagederive.moc"
