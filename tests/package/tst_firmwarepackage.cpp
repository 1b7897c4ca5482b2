#include "support/TestHome.h"
#include "support/PackageBuilder.h"
#include "package/FirmwarePackage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using vesk::pc::FirmwarePackage;
using namespace pkgtest;

namespace {

// A package with a camera module (modules 0, 7, 10) and one other module.
QByteArray standardPackage(const Identity& id = Identity())
{
    const QByteArray camera = cameraPackage({{0, QByteArray(100, 'b')},
                                             {7, QByteArray(50, 'h')},
                                             {10, QByteArray(80, 's')}});
    return package(id, {{1, camera}, {2, QByteArray(300, 'x')}});
}

int moduleAt(int index)
{
    return 256 * (index + 1);
}

// Makes a module's data CRC and the package digest match again after a test
// changed the module's bytes.
void refreshModule(QByteArray& file, int index)
{
    const int at = moduleAt(index);
    put32(file, at + 0x44, crc32(file.mid(int(get32(file, at + 8)), int(get32(file, at + 4)))));
    seal(file, at);
    reseal(file);
}

int cameraBase(const QByteArray& file)
{
    return int(get32(file, moduleAt(0) + 8));
}

using Mutation = std::function<void(QByteArray&)>;

struct Case
{
    const char* name;
    Mutation mutate;
    const char* message;  // start of the expected critical message
};

const Case kCases[] = {
    {"wrong magic", [](QByteArray& f) { f[0] = 0; seal(f, 0); }, "Package header error"},
    {"header crc", [](QByteArray& f) { f[0x70] = 1; }, "crc32 check failed for package header:"},
    {"total size one over", [](QByteArray& f) { put32(f, 8, uint32_t(f.size() + 1)); seal(f, 0); },
     "Package header error"},
    {"total size one under", [](QByteArray& f) { put32(f, 8, uint32_t(f.size() - 1)); seal(f, 0); },
     "Package header error"},
    {"package md5", [](QByteArray& f) { f[f.size() - 1] = 'y'; }, "Md5 check failed:"},
    {"module header crc", [](QByteArray& f) { f[moduleAt(1) + 0x20] = 1; },
     "crc32 check failed for package header:"},
    {"module data crc", [](QByteArray& f) { put32(f, moduleAt(1) + 0x44, 5); seal(f, moduleAt(1)); },
     "crc32 check failed for package header:"},
    {"module past the end",
     [](QByteArray& f) { put32(f, moduleAt(1) + 8, uint32_t(f.size() - 10)); seal(f, moduleAt(1)); },
     "Package header error"},
    {"module offset wraps",
     [](QByteArray& f) {
         put32(f, moduleAt(1) + 4, 0x200);
         put32(f, moduleAt(1) + 8, 0xFFFFFF00u);
         seal(f, moduleAt(1));
     },
     "Package header error"},
    {"module inside the header region",
     [](QByteArray& f) {
         put32(f, moduleAt(1) + 4, 256);
         put32(f, moduleAt(1) + 8, 0);
         refreshModule(f, 1);
     },
     "Package header error"},
    {"overlapping modules",
     [](QByteArray& f) {
         put32(f, moduleAt(1) + 8, get32(f, moduleAt(0) + 8) + 16);
         put32(f, moduleAt(1) + 4, 40);
         refreshModule(f, 1);
     },
     "Package header error"},
    {"huge module count", [](QByteArray& f) { put32(f, 12, 0xFFFFFFFFu); seal(f, 0); },
     "Package header error"},
    {"header length past the end", [](QByteArray& f) { put32(f, 4, 0xFFFFFFF0u); seal(f, 0); },
     "Package header error"},
    {"header length inside module headers", [](QByteArray& f) { put32(f, 4, 256); reseal(f); },
     "Package header error"},
    {"camera magic",
     [](QByteArray& f) {
         f[cameraBase(f)] = 'X';
         seal(f, cameraBase(f));
         refreshModule(f, 0);
     },
     "Package header error"},
    {"camera header crc",
     [](QByteArray& f) {
         f[cameraBase(f) + 0x30] = 1;
         refreshModule(f, 0);
     },
     "crc32 check failed for package header:"},
    {"camera md5",
     [](QByteArray& f) {
         f[cameraBase(f) + 1024 + 3] = 'z';
         refreshModule(f, 0);
     },
     "Md5 check failed:"},
    {"camera module count huge",
     [](QByteArray& f) {
         put32(f, cameraBase(f) + 12, 0x7FFFFFFFu);
         seal(f, cameraBase(f));
         refreshModule(f, 0);
     },
     "Package header error"},
    {"camera end past its module",
     [](QByteArray& f) {
         put32(f, cameraBase(f) + 8, get32(f, cameraBase(f) + 8) + 300);
         seal(f, cameraBase(f));
         refreshModule(f, 0);
     },
     "Package header error"},
    {"camera module past the end",
     [](QByteArray& f) {
         const int at = cameraBase(f) + 512;
         put32(f, at + 8, 0xFFFFFFF0u);
         seal(f, at);
         refreshModule(f, 0);
     },
     "Package header error"},
    {"camera module md5",
     [](QByteArray& f) {
         const int at = cameraBase(f) + 512;
         f[at + 0x44] = char(f[at + 0x44] ^ 1);
         seal(f, at);
         refreshModule(f, 0);
     },
     "Md5 check failed:"},
};

} // namespace

class tst_FirmwarePackage : public QObject
{
    Q_OBJECT

private:
    TestHome home_;
    QTemporaryDir dir_;

    QString store(const QByteArray& data, const QString& name)
    {
        const QString path = dir_.path() + QLatin1Char('/') + name;
        return writeFile(path, data) ? path : QString();
    }

    bool verify(const QByteArray& data, const QString& name,
                FirmwarePackage::PKG_TYPE type = FirmwarePackage::PkgMain)
    {
        FirmwarePackage pkg(store(data, name), type);
        return pkg.verifyFirmware();
    }

private slots:
    void validPackage()
    {
        const QByteArray data = standardPackage();
        QCOMPARE(data.left(4), QByteArray::fromHex("98EC20AB"));
        FirmwarePackage pkg(store(data, fileName(Identity())), FirmwarePackage::PkgMain);
        QVERIFY(!pkg.isVerified());
        QVERIFY(pkg.verifyFirmware());
        QVERIFY(pkg.isVerified());
        QCOMPARE(pkg.version(), 0x01000209u);
        QCOMPARE(pkg.modules().size(), 2);
        QVERIFY(pkg.cameraPackage() && pkg.cameraPackage()->isVerified());
        QCOMPARE(pkg.cameraPackage()->modules().size(), 3);
        QCOMPARE(pkg.header().socVersion, int8_t(3));
        QCOMPARE(pkg.getDeviceType(), 0);
        QVERIFY(pkg.verifyFirmware());  // a second run reads the modules afresh
        QCOMPARE(pkg.modules().size(), 2);
    }

    void damaged_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < int(sizeof(kCases) / sizeof(kCases[0])); ++i)
            QTest::newRow(kCases[i].name) << i;
    }

    void damaged()
    {
        QFETCH(int, index);
        QByteArray data = standardPackage();
        kCases[index].mutate(data);
        QTest::ignoreMessage(QtCriticalMsg,
                             QRegularExpression(QLatin1Char('^')
                                                + QRegularExpression::escape(kCases[index].message)));
        FirmwarePackage pkg(store(data, fileName(Identity())), FirmwarePackage::PkgMain);
        QVERIFY(!pkg.verifyFirmware());
        QVERIFY(!pkg.isVerified());
    }

    void truncatedAtEveryBoundary()
    {
        const QByteArray data = standardPackage();
        const int base = cameraBase(data);
        QList<int> cuts{0, 1, data.size() - 1};
        for (int k = 0; k <= 3; ++k)
            cuts << 256 * k - 1 << 256 * k << 256 * k + 1 << base + 256 * k - 1 << base + 256 * k
                 << base + 256 * k + 1;
        for (const int cut : qAsConst(cuts)) {
            if (cut < 0 || cut >= data.size())
                continue;
            QVERIFY2(!verify(data.left(cut), fileName(Identity())), qPrintable(QString::number(cut)));
        }
    }

    void names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("expected");
        QTest::addColumn<QString>("message");
        const QString main = fileName(Identity());
        QTest::newRow("main") << main << 0 << true << QString();
        QTest::newRow("upgrade-system opened as main")
            << "Ugsys_" + main << 0 << false << "File name invalid:";
        QTest::newRow("main opened as upgrade-system") << main << 1 << false << "File name invalid:";
        QTest::newRow("upgrade-system") << "Ugsys_" + main << 1 << true << QString();
        QTest::newRow("other product") << "Kestro_zuki_2Q_main_SSC339G_1.0.2.9.bin" << 0 << false
                                       << "File name invalid:";
        QTest::newRow("lower case") << "kestro_zuki_2P_main_SSC339G_1.0.2.9.bin" << 0 << false
                                    << "File name invalid:";
        QTest::newRow("other version") << "Kestro_zuki_2P_main_SSC339G_1.0.2.8.bin" << 0 << false
                                       << "Version in file name:";
        QTest::newRow("version in the folder") << "1.0.2.9/Kestro_zuki_2P_main_SSC339G.bin" << 0
                                               << true << QString();
    }

    void names()
    {
        QFETCH(QString, name);
        QFETCH(int, type);
        QFETCH(bool, expected);
        QFETCH(QString, message);
        QDir(dir_.path()).mkpath(QStringLiteral("1.0.2.9"));
        if (!message.isEmpty())
            QTest::ignoreMessage(QtCriticalMsg, QRegularExpression('^' + message));
        QCOMPARE(verify(standardPackage(), name, FirmwarePackage::PKG_TYPE(type)), expected);
    }

    void nameIsCheckedBeforeChecksums()
    {
        QByteArray data = standardPackage();
        data[0x70] = 1;  // header CRC broken as well
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^File name invalid:"));
        QVERIFY(!verify(data, QStringLiteral("Other_main_SSC339G_1.0.2.9.bin")));
    }

    void fullWidthTextFields()
    {
        // Texts of 16 characters have no NUL; nothing beyond the field is read.
        QByteArray data = standardPackage();
        putBytes(data, 0x10, "ABCDEFGHIJKLMNOP");
        seal(data, 0);
        QVERIFY(verify(data, QStringLiteral("ABCDEFGHIJKLMNOP_main_SSC339G_1.0.2.9.bin")));
    }

    void shapes()
    {
        const QString name = fileName(Identity());
        QVERIFY2(verify(package(Identity(), {}), name), "no modules");
        QVERIFY2(verify(package(Identity(), {{2, QByteArray()}, {3, "abc"}}), name),
                 "empty module");
        QVERIFY2(verify(package(Identity(), {{1, cameraPackage({})}}), name), "empty camera package");
        QVERIFY2(verify(package(Identity(), {{1, cameraPackage({{0, QByteArray()}, {7, "u"}})}}),
                        name),
                 "empty camera module");
        FirmwarePackage pkg(store(package(Identity(), {{2, "plain"}}), name), FirmwarePackage::PkgMain);
        QVERIFY(pkg.verifyFirmware());
        QVERIFY(!pkg.cameraPackage());
    }

    void emptyModuleChecksums()
    {
        // An empty module verifies only with the checksums of no bytes.
        QByteArray data = package(Identity(), {{2, QByteArray()}});
        QCOMPARE(get32(data, moduleAt(0) + 0x44), 0u);
        put32(data, moduleAt(0) + 0x44, 0xFFFFFFFFu);
        seal(data, moduleAt(0));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^crc32 check failed"));
        QVERIFY(!verify(data, fileName(Identity())));

        QByteArray camera = cameraPackage({{0, QByteArray()}});
        QCOMPARE(camera.mid(256 + 0x44, 16), QByteArray::fromHex("d41d8cd98f00b204e9800998ecf8427e"));
        camera[256 + 0x44] = 0;
        seal(camera, 256);
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Md5 check failed:"));
        QVERIFY(!verify(package(Identity(), {{1, camera}}), fileName(Identity())));
    }

    void missingFile()
    {
        FirmwarePackage pkg(dir_.path() + QStringLiteral("/nothing.bin"), FirmwarePackage::PkgMain);
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^File name invalid:"));
        QVERIFY(!pkg.verifyFirmware());
    }

    void deviceType_data()
    {
        QTest::addColumn<QByteArray>("channel");
        QTest::addColumn<int>("expected");
        QTest::newRow("release") << QByteArray("release") << 0;
        QTest::newRow("test") << QByteArray("test") << 1;
        QTest::newRow("debug") << QByteArray("debug") << 2;
        QTest::newRow("capital") << QByteArray("Release") << 3;
        QTest::newRow("longer") << QByteArray("releases") << 3;
        QTest::newRow("empty") << QByteArray() << 3;
    }

    void deviceType()
    {
        QFETCH(QByteArray, channel);
        QFETCH(int, expected);
        Identity id;
        id.channel = channel;
        FirmwarePackage pkg(store(standardPackage(id), fileName(id)), FirmwarePackage::PkgMain);
        QVERIFY(pkg.verifyFirmware());
        QCOMPARE(pkg.getDeviceType(), expected);
    }

    void randomHeaderFields()
    {
        // Random counts, offsets and lengths with every CRC made right again,
        // so that the range checks are what must stop them.
        QRandomGenerator random(7);
        const QByteArray original = standardPackage();
        const int fields[] = {4, 8, 12, moduleAt(0) + 4, moduleAt(0) + 8, moduleAt(1) + 4,
                              moduleAt(1) + 8};
        QElapsedTimer timer;
        timer.start();
        int refused = 0;
        for (int round = 0; round < 300; ++round) {
            QByteArray data = original;
            const int field = fields[random.bounded(int(sizeof(fields) / sizeof(fields[0])))];
            const uint32_t value = random.bounded(2) ? random.generate()
                                                     : uint32_t(random.bounded(data.size() + 512));
            put32(data, field, value);
            seal(data, moduleAt(0));
            seal(data, moduleAt(1));
            if (field > 12)
                reseal(data);
            else
                seal(data, 0);
            const QString name = fileName(Identity());
            if (!verify(data, name))
                ++refused;
        }
        QVERIFY(refused > 250);
        QVERIFY(timer.elapsed() < 20000);
    }
};

QTEST_GUILESS_MAIN(tst_FirmwarePackage)
#include "tst_firmwarepackage.moc"
