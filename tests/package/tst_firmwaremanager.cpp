#include "support/TestHome.h"
#include "support/PackageBuilder.h"
#include "comm/AppPaths.h"
#include "comm/GlobalParams.h"
#include "package/FirmwareManager.h"
#include "package/FirmwarePackage.h"
#include "package/FirmwareStore.h"
#include "support/StagingSwapper.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <memory>

using vesk::pc::FirmwareManager;

namespace {

QJsonObject infoOf(const QString& product, const QString& branch, const QString& platform)
{
    return QJsonObject{{"product", product}, {"branch", branch}, {"platform", platform}};
}

const QJsonObject kInfo = infoOf("P", "B", "X");

// A package the store takes for the default identity's camera; updater
// tells it apart from one of the same name.
QByteArray pickable(char updater)
{
    const QByteArray camera = pkgtest::cameraPackage({{0, QByteArray(3000, 'b')}, {10, QByteArray(2000, updater)}});
    return pkgtest::package(pkgtest::Identity(), {{1, camera}, {2, QByteArray(7000, 'x')}});
}

// The camera's information as it reports it on its main system; a
// pickable package is made for its SoC version.
QJsonObject pickInfo(int systemType = 1, int socVersion = 3)
{
    QJsonObject info = infoOf("Kestro_zuki_2P", "main", "SSC339G");
    info.insert("systype", systemType);
    info.insert("socver", socVersion);
    return info;
}

const QJsonObject kPickInfo = pickInfo();

// Names that look like P_B_X_ packages but belong to someone else.
const QStringList kLookAlikes = {
    "P_B_X2_9.9.9.9_release.bin", "P_B_XX_9.9.9.9_release.bin", "p_B_X_9.9.9.9_release.bin",
    "P_b_X_9.9.9.9_release.bin",  "PP_B_X_9.9.9.9_release.bin", "Ugsys_P_B_X2_9.9.9.9_release.bin",
    "P_B_X",                      "xP_B_X_9.9.9.9_release.bin",
};

} // namespace

class tst_FirmwareManager : public QObject
{
    Q_OBJECT

private:
    TestHome home_;
    std::unique_ptr<QTemporaryDir> dir_;

    QString path(const QString& name) const { return dir_->path() + QLatin1Char('/') + name; }

    void create(const QStringList& names)
    {
        for (const QString& name : names)
            QVERIFY(pkgtest::writeFile(path(name), name.toLatin1()));
    }

    QStringList remaining() const
    {
        return QDir(dir_->path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                                            QDir::Name);
    }

private slots:
    void init()
    {
        dir_.reset(new QTemporaryDir);
        FirmwareManager::setStoreDir(dir_->path());
    }

    void cleanupTestCase() { FirmwareManager::setStoreDir(QString()); }

    void latest_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("expected");
        QTest::newRow("test over debug")
            << QStringList{"P_B_X_1.0.2.9_debug.bin", "P_B_X_1.0.2.9_test.bin"}
            << "P_B_X_1.0.2.9_test.bin";
        QTest::newRow("release over all")
            << QStringList{"P_B_X_1.0.2.9_debug.bin", "P_B_X_1.0.2.9_test.bin",
                           "P_B_X_1.0.2.9_release.bin"}
            << "P_B_X_1.0.2.9_release.bin";
        QTest::newRow("debug before test stays when nothing wins")
            << QStringList{"P_B_X_1.0.2.9_a.bin", "P_B_X_1.0.2.9_b.bin"} << "P_B_X_1.0.2.9_a.bin";
        QTest::newRow("numbers, not text")
            << QStringList{"P_B_X_1.0.9.255_release.bin", "P_B_X_1.0.10.0_debug.bin"}
            << "P_B_X_1.0.10.0_debug.bin";
        QTest::newRow("no version") << QStringList{"P_B_X_latest.bin"} << QString();
        QTest::newRow("zero release") << QStringList{"P_B_X_0.0.0.0_release.bin"}
                                      << "P_B_X_0.0.0.0_release.bin";
        QTest::newRow("zero debug") << QStringList{"P_B_X_0.0.0.0_debug.bin"} << QString();
        QTest::newRow("look-alikes are not ours")
            << (QStringList(kLookAlikes) << "P_B_X_1.0.0.1_debug.bin"
                                         << "Ugsys_P_B_X_9.9.9.9_release.bin")
            << "P_B_X_1.0.0.1_debug.bin";
        QTest::newRow("empty store") << QStringList() << QString();
    }

    void latest()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, expected);
        create(files);
        FirmwareManager& store = FirmwareManager::get(kInfo);
        QCOMPARE(store.getLocalLatestFwName(), expected);
        QCOMPARE(store.getLocalLatestFwSize(), qint64(expected.toLatin1().size()));
        const QString version = expected.section(QLatin1Char('_'), 3, 3);
        QCOMPARE(FirmwareManager::get(kInfo).getLocalLatestFwVersion(), version);
    }

    void deleteAllExcept()
    {
        create(kLookAlikes);
        create({"P_B_X_1.0.0.1_release.bin", "Ugsys_P_B_X_1.0.0.1_release.bin",
                "P_B_X_1.0.0.2_release.bin", "Ugsys_P_B_X_1.0.0.2_release.bin", "P_B_X_nover.bin"});
        // Links of the names go too, whatever they lead to.
        QVERIFY(QFile::link(path("nowhere"), path("P_B_X_1.0.0.3_release.bin")));
        QVERIFY(QFile::link(dir_->path(), path("P_B_X_1.0.0.4_release.bin")));
        FirmwareManager::get(kInfo).deleteAllFirmwareExcept("P_B_X_1.0.0.1_release.bin");
        QStringList expected = QStringList(kLookAlikes)
            << "P_B_X_1.0.0.1_release.bin" << "Ugsys_P_B_X_1.0.0.1_release.bin";
        expected.sort();
        QCOMPARE(remaining(), expected);

        FirmwareManager::get(kInfo).deleteAllFirmware();
        expected = kLookAlikes;
        expected.sort();
        QCOMPARE(remaining(), expected);
    }

    void deleteOld()
    {
        create({"P_B_X_1.0.0.1_release.bin", "Ugsys_P_B_X_1.0.0.1_release.bin",
                "P_B_X_1.0.0.2_debug.bin", "Ugsys_P_B_X_1.0.0.2_debug.bin"});
        FirmwareManager::get(kInfo).deleteOldFirmware();
        QCOMPARE(remaining(),
                 (QStringList{"P_B_X_1.0.0.2_debug.bin", "Ugsys_P_B_X_1.0.0.2_debug.bin"}));
    }

    void wildcardsInTheInformation_data()
    {
        QTest::addColumn<QString>("product");
        QTest::newRow("star") << "*";
        QTest::newRow("question mark") << "?";
        QTest::newRow("brackets") << "[P]";
        QTest::newRow("lower case") << "p";
    }

    void wildcardsInTheInformation()
    {
        QFETCH(QString, product);
        create({"P_B_X_1.0.0.1_release.bin"});
        FirmwareManager& store = FirmwareManager::get(infoOf(product, "B", "X"));
        QCOMPARE(store.getLocalLatestFwName(), QString());
        store.deleteAllFirmware();
        QCOMPARE(remaining(), QStringList{"P_B_X_1.0.0.1_release.bin"});
    }

    void deleteOne()
    {
        create({"P_B_X_1.0.0.1_release.bin", "Ugsys_P_B_X_1.0.0.1_release.bin",
                "Q_B_X_1.0.0.1_release.bin"});
        const QString outside = dir_->path() + QStringLiteral("_outside");
        QVERIFY(pkgtest::writeFile(outside, "keep"));
        FirmwareManager& store = FirmwareManager::get(kInfo);
        const QString escape = "../" + QFileInfo(outside).fileName();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Not a firmware store file:"));
        store.deleteFirmware(escape);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Not a firmware store file:"));
        store.deleteFirmware("Q_B_X_1.0.0.1_release.bin");
        QVERIFY(QFile::exists(outside));
        QFile::remove(outside);
        store.deleteFirmware("P_B_X_1.0.0.1_release.bin");
        QCOMPARE(remaining(),
                 (QStringList{"Q_B_X_1.0.0.1_release.bin", "Ugsys_P_B_X_1.0.0.1_release.bin"}));
        store.deleteFirmware("Ugsys_P_B_X_1.0.0.1_release.bin");
        QCOMPARE(remaining(), QStringList{"Q_B_X_1.0.0.1_release.bin"});
    }

    // A pick that replaces a package replaces its upgrade-system companion
    // too: the old one was made from other bytes.
    void pickReplacesItsCompanion()
    {
        const QString name = pkgtest::fileName(pkgtest::Identity());
        QVERIFY(pkgtest::writeFile(path(name), pickable('A')));
        vesk::pc::FirmwarePackage old(path(name), vesk::pc::FirmwarePackage::PkgMain);
        QVERIFY(old.verifyFirmware() && old.generateUgsysFwPackage());
        QVERIFY(pkgtest::readFile(path("Ugsys_" + name)).contains(QByteArray(2000, 'A')));
        QTemporaryDir picks;
        const QByteArray bytes = pickable('B');
        QVERIFY(pkgtest::writeFile(picks.filePath(name), bytes));
        QCOMPARE(vesk::pc::FirmwareStore(dir_->path()).addPicked(picks.filePath(name), kPickInfo), path(name));
        QCOMPARE(pkgtest::readFile(path(name)), bytes);
        QVERIFY(pkgtest::readFile(path("Ugsys_" + name)).contains(QByteArray(2000, 'B')));
    }

    void pickMadeForTheCamera_data()
    {
        QTest::addColumn<QJsonObject>("info");
        QTest::addColumn<bool>("taken");
        QTest::newRow("the camera's") << kPickInfo << true;
        QJsonObject other = kPickInfo;
        other.insert("product", "Kestro_orla");
        QTest::newRow("another product") << other << false;
        // The upgrade refuses such a package; the pick used to take it.
        QTest::newRow("another SoC version") << pickInfo(1, 2) << false;
        QTest::newRow("none reported on the main system") << pickInfo(1, 0) << false;
        QTest::newRow("none reported from the upgrade system") << pickInfo(2, 0) << true;
        QTest::newRow("another from the upgrade system") << pickInfo(2, 2) << false;
    }

    // Checked as the upgrade checks it; a refused pick leaves nothing.
    void pickMadeForTheCamera()
    {
        QFETCH(QJsonObject, info);
        QFETCH(bool, taken);
        const QString name = pkgtest::fileName(pkgtest::Identity());
        QTemporaryDir picks;
        QVERIFY(pkgtest::writeFile(picks.filePath(name), pickable('c')));
        QCOMPARE(vesk::pc::FirmwareStore(dir_->path()).addPicked(picks.filePath(name), info),
                 taken ? path(name) : QString());
        QCOMPARE(remaining(), taken ? (QStringList{name, "Ugsys_" + name}) : QStringList());
    }

    void pickSwappedForALink_data()
    {
        QTest::addColumn<int>("when");
        // Every pick is made, checked and moved in through its own folder.
        QTest::newRow("the folder taken once used") << int(StagingSwapper::OnceUsed);
        // A folder taken before it could be opened fails the pick, and only
        // that.
        QTest::newRow("the folder taken at once") << int(StagingSwapper::AtOnce);
    }

    // Each new staging folder is exchanged for a link to a folder outside
    // the store: the files of the pick's names outside stay as they are, and
    // the link goes with the folder.
    void pickSwappedForALink()
    {
        QFETCH(int, when);
        const QString name = pkgtest::fileName(pkgtest::Identity());
        QTemporaryDir picks;
        const QByteArray bytes = pickable('s');
        QVERIFY(pkgtest::writeFile(picks.filePath(name), bytes));
        const vesk::pc::FirmwareStore store(dir_->path());
        StagingSwapper swapper(dir_->path(), name, StagingSwapper::When(when));
        QVERIFY(swapper.race(path(name), bytes, [&](bool& stored) {
            const QString added = store.addPicked(picks.filePath(name), kPickInfo);
            stored = !added.isEmpty();
            QCOMPARE(stored ? added : path(name), path(name));
        }));
    }

    void missingKeysUseTheProductInformation()
    {
        vesk::pc::GlobalParams::get().setProductInfo(infoOf("GP", "gb", "gx"));
        FirmwareManager& store = FirmwareManager::get(QJsonObject{{"product", "P"}, {"branch", "B"}});
        QCOMPARE(store.prefix(), QStringLiteral("GP_gb_gx_"));
        QCOMPARE(FirmwareManager::get(kInfo).prefix(), QStringLiteral("P_B_X_"));
        QCOMPARE(FirmwareManager::get(QJsonObject()).prefix(), QStringLiteral("GP_gb_gx_"));
    }

    void storeFolder()
    {
        const QString nested = dir_->path() + QStringLiteral("/a/b");
        FirmwareManager::setStoreDir(nested);
        QCOMPARE(FirmwareManager::get(kInfo).storeDir(), nested + QLatin1Char('/'));
        QVERIFY(QFileInfo(nested).isDir());
        FirmwareManager::setStoreDir(QString());
        QCOMPARE(FirmwareManager::get(kInfo).storeDir(),
                 vesk::pc::AppPaths::dataPath(QStringLiteral("firmware")) + QLatin1Char('/'));
        QVERIFY(FirmwareManager::get(kInfo).storeDir().startsWith(home_.path()));
    }

    void concurrentUse()
    {
        // Each thread works on its own product; another thread's get()
        // between a thread's get() and its operation must not change what
        // the operation sees.
        constexpr int kThreads = 4;
        constexpr int kRounds = 150;
        std::atomic<int> getCount{0};
        std::atomic<int> interleaved{0};
        std::atomic<int> wrong{0};
        QStringList keeps;
        for (int t = 0; t < kThreads; ++t) {
            keeps << QStringLiteral("T%1_b_p_2.0.0.%1_release.bin").arg(t);
            create({keeps.last()});
        }
        QElapsedTimer timer;
        timer.start();
        QVERIFY(pkgtest::runTogether(kThreads, [&](int t) {
            const QString product = QStringLiteral("T%1").arg(t);
            const QJsonObject info = infoOf(product, "b", "p");
            for (int round = 0; round < kRounds; ++round) {
                const QString extra = product + QStringLiteral("_b_p_1.0.%1.0_debug.bin").arg(round);
                pkgtest::writeFile(path(extra), "x");
                const int seen = ++getCount;
                FirmwareManager& store = FirmwareManager::get(info);
                QThread::yieldCurrentThread();
                const QString latest = store.getLocalLatestFwName();
                if (getCount.load() != seen)
                    ++interleaved;
                if (latest != keeps.at(t))
                    ++wrong;
                store.deleteOldFirmware();
                if (QFile::exists(path(extra)))
                    ++wrong;
            }
        }, 60000));
        QVERIFY(timer.elapsed() < 60000);
        QCOMPARE(getCount.load(), kThreads * kRounds);
        QVERIFY2(interleaved.load() > 0, "the threads never overlapped");
        QCOMPARE(wrong.load(), 0);
        QCOMPARE(remaining().size(), kThreads);
    }
};

QTEST_GUILESS_MAIN(tst_FirmwareManager)
#include "tst_firmwaremanager.moc"
