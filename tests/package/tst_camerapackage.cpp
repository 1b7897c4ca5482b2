#include "support/TestHome.h"
#include "support/PackageBuilder.h"
#include "package/CameraPackage.h"

#include <QBuffer>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using vesk::pc::CameraPackage;
using vesk::pc::DevPlatformType;
using namespace pkgtest;

namespace {

using Ids = QList<CameraPackage::CAM_MDL_ID>;

const QList<Module> kModules = {{0, QByteArray(100, 'b')},
                                {7, QByteArray(50, 'h')},
                                {10, QByteArray(80, 's')}};

// A camera package inside a larger file, as it lies in a firmware package.
struct Placed
{
    QByteArray bytes;
    QBuffer buffer;
    qint64 base;
    qint64 length;

    explicit Placed(const QByteArray& camera, int base = 512)
        : bytes(QByteArray(base, 'p') + camera + QByteArray(64, 'q'))
        , buffer(&bytes)
        , base(base)
        , length(camera.size())
    {
        buffer.open(QIODevice::ReadOnly);
    }
};

} // namespace

class tst_CameraPackage : public QObject
{
    Q_OBJECT

private:
    TestHome home_;
    QTemporaryDir dir_;

private slots:
    void verifies()
    {
        const QByteArray camera = cameraPackage(kModules);
        QCOMPARE(camera.left(4), QByteArray::fromHex("414D4143"));
        Placed placed(camera);
        CameraPackage pkg(&placed.buffer, placed.base, placed.length);
        QVERIFY(pkg.verifyFirmware());
        QCOMPARE(pkg.modules().size(), 3);
        QCOMPARE(pkg.header().md5Start, 1024u);
        QCOMPARE(pkg.modules().at(2).offset, 1024u + 150u);
        pkg.clear();
        QVERIFY(!pkg.isVerified());
        QVERIFY(pkg.modules().isEmpty());
    }

    void emptyCameraPackage()
    {
        Placed placed(cameraPackage({}));
        CameraPackage pkg(&placed.buffer, placed.base, placed.length);
        QVERIFY(pkg.verifyFirmware());
    }

    void closedFile()
    {
        QBuffer closed;
        CameraPackage pkg(&closed, 0, 256);
        QTest::ignoreMessage(QtCriticalMsg, "There is no camera package in upgrade package");
        QVERIFY(!pkg.verifyFirmware());
    }

    void packageLongerThanItsModule()
    {
        // The module that holds it is cut short: the camera package may not
        // reach into what follows.
        Placed placed(cameraPackage(kModules));
        CameraPackage pkg(&placed.buffer, placed.base, placed.length - 1);
        QTest::ignoreMessage(QtCriticalMsg, "Package header error");
        QVERIFY(!pkg.verifyFirmware());
    }

    void reduced_data()
    {
        QTest::addColumn<int>("platform");
        for (int p = vesk::pc::PlatformHi3516DV300; p <= vesk::pc::PlatformSSC339G; ++p)
            QTest::newRow(qPrintable(QString::number(p))) << p;
    }

    void reduced()
    {
        QFETCH(int, platform);
        Placed placed(cameraPackage(kModules));
        CameraPackage pkg(&placed.buffer, placed.base, placed.length);
        QVERIFY(pkg.verifyFirmware());
        Ids ids{CameraPackage::CamMdlSsUpdater};
        const QString out = dir_.path() + QStringLiteral("/cam.bin");
        QVERIFY(pkg.generateCameraModule(out, ids, DevPlatformType(platform)));
        QCOMPARE(ids, (Ids{CameraPackage::CamMdlSsUpdater, CameraPackage::CamMdlBase}));

        // Modules in list order: 10, then the 0 that was appended.
        const QByteArray written = readFile(out);
        const Parsed parsed = parse(written, true);
        QVERIFY(parsed.ok);
        // md5Start 768, md5End 768 + 80 + 100, two modules.
        QCOMPARE(written.mid(4, 12), QByteArray::fromHex("00030000" "b4030000" "02000000"));
        QCOMPARE(parsed.modules.size(), 2);
        QCOMPARE(parsed.modules[0].type, 10u);
        QCOMPARE(parsed.modules[0].data, kModules[2].data);
        QCOMPARE(parsed.modules[1].type, 0u);
        QCOMPARE(parsed.offsets, (QList<uint32_t>{768, 768 + 80}));

        // The result verifies as a camera package at base 0.
        QFile file(out);
        QVERIFY(file.open(QIODevice::ReadOnly));
        CameraPackage again(&file, 0, file.size());
        QVERIFY(again.verifyFirmware());
    }

    void reducedInRequestedOrder()
    {
        Placed placed(cameraPackage(kModules));
        CameraPackage pkg(&placed.buffer, placed.base, placed.length);
        QVERIFY(pkg.verifyFirmware());
        Ids ids{CameraPackage::CamMdlBase, CameraPackage::CamMdlSsUpdater};
        QBuffer out;
        out.open(QIODevice::ReadWrite);
        QVERIFY(pkg.writeCameraModule(&out, ids));
        const Parsed parsed = parse(out.data(), true);
        QVERIFY(parsed.ok);
        QCOMPARE(parsed.modules[0].type, 0u);
        QCOMPARE(parsed.offsets, (QList<uint32_t>{768, 868}));
        QCOMPARE(parsed.header.mid(4, 4), QByteArray::fromHex("00030000"));
    }

    void missingModule()
    {
        Placed placed(cameraPackage({{0, "base"}, {10, "ss"}}));
        CameraPackage pkg(&placed.buffer, placed.base, placed.length);
        QVERIFY(pkg.verifyFirmware());
        Ids ids{CameraPackage::CamMdlHisiUpdater};
        const QString out = dir_.path() + QStringLiteral("/missing.bin");
        QTest::ignoreMessage(QtCriticalMsg, "Cannot find module with packet id = 7");
        QVERIFY(!pkg.generateCameraModule(out, ids, vesk::pc::PlatformHi3516DV300));
        QVERIFY(!QFile::exists(out));
    }

    void unverified()
    {
        Placed placed(cameraPackage(kModules));
        CameraPackage pkg(&placed.buffer, placed.base, placed.length);
        Ids ids;
        QTest::ignoreMessage(QtCriticalMsg, "Please open package firmware and verify first");
        QVERIFY(!pkg.generateCameraModule(dir_.path() + "/x.bin", ids, vesk::pc::PlatformSSC339G));
    }

    void unwritableOutputLeavesNothing()
    {
        Placed placed(cameraPackage(kModules));
        CameraPackage pkg(&placed.buffer, placed.base, placed.length);
        QVERIFY(pkg.verifyFirmware());
        // A regular file where the folder should be.
        const QString blocker = dir_.path() + QStringLiteral("/blocker");
        QVERIFY(writeFile(blocker, "file"));
        Ids ids{CameraPackage::CamMdlHisiUpdater};
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Open file failed:"));
        QVERIFY(!pkg.generateCameraModule(blocker + "/cam.bin", ids, vesk::pc::PlatformSSC339G));
        QCOMPARE(readFile(blocker), QByteArray("file"));
    }

    void changedAfterVerifying()
    {
        // The data are checked again while copying.
        Placed placed(cameraPackage(kModules));
        CameraPackage pkg(&placed.buffer, placed.base, placed.length);
        QVERIFY(pkg.verifyFirmware());
        placed.bytes[int(placed.base) + 1024 + 5] = 'Z';
        Ids ids{CameraPackage::CamMdlHisiUpdater};
        const QString out = dir_.path() + QStringLiteral("/changed.bin");
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Md5 check failed:"));
        QVERIFY(!pkg.generateCameraModule(out, ids, vesk::pc::PlatformSSC339G));
        QVERIFY(!QFile::exists(out));
        QCOMPARE(QDir(dir_.path()).entryList({"changed*"}, QDir::Files | QDir::Hidden).size(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_CameraPackage)
#include "tst_camerapackage.moc"
