#include "support/FakePackageServer.h"
#include "support/TestHome.h"
#include "support/PackageBuilder.h"
#include "comm/GlobalParams.h"
#include "download/PkgDownloader.h"
#include "download/StagedPackage.h"
#include "support/NameSwapper.h"
#include "support/StagingSwapper.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <climits>
#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>

using vesk::pc::GlobalParams;
using vesk::pc::PkgDownloader;
using Notice = QPair<int, QString>;

namespace {

const QString kDownloadError = QStringLiteral("Download error and failed to get package");
const QString kQueryError = QStringLiteral("Failed to get package info!");

// The notices of a run as the window gets them: queued, on this thread.
class NoticeLog : public QObject
{
public:
    QList<Notice> notices;
    qint64 progressSum = 0;
    // Path and version of each stored package, and how many notices came
    // before it.
    QList<QStringList> stored;

    void store(const QString& path, const QString& version)
    {
        stored.append({path, version, QString::number(notices.size())});
    }

    void take(PkgDownloader::InfoType type, int value, const QString& info)
    {
        if (type == PkgDownloader::kInfoProgress)
            progressSum += value;
        else
            notices.append({int(type), info});
    }
};

QJsonObject identity(const QString& version = QStringLiteral("1.0.2.9"))
{
    return {{"product", "Kestro_zuki_2P"}, {"branch", "main"}, {"platform", "SSC339G"},
            {"version", version}, {"status", "release"}};
}

QJsonObject queryFor(int pkgType)
{
    QJsonObject query = identity(QStringLiteral("1.0.0.1"));
    query.insert("seqid", "7");
    query.insert("pkg_type", pkgType);
    return query;
}

QByteArray firmware()
{
    using namespace pkgtest;
    const QByteArray camera = cameraPackage({{0, QByteArray(3000, 'b')}, {10, QByteArray(2000, 's')}});
    return package(Identity(), {{1, camera}, {2, QByteArray(70000, 'x')}});
}

// A package whose modules no longer match their checksums.
QByteArray corrupted()
{
    QByteArray data = firmware();
    data[data.size() - 10] = 'y';
    pkgtest::reseal(data);  // the package MD5 still holds
    return data;
}

} // namespace

class tst_PkgDownloader : public QObject
{
    Q_OBJECT

private:
    TestHome home_;
    std::unique_ptr<QTemporaryDir> store_;
    std::unique_ptr<FakePackageServer> server_;
    std::unique_ptr<PkgDownloader> downloader_;
    NoticeLog log_;

    QString storeDir() const { return store_->path() + QLatin1Char('/'); }
    QStringList storeEntries() const
    {
        return QDir(store_->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    QString offer(const QByteArray& data, int pkgType, FakePackageServer::Fault fault)
    {
        const QString name = pkgtest::fileName(pkgtest::Identity()).replace(".bin", pkgType ? ".bin" : ".dmg");
        server_->offer(FakePackageServer::record(identity(), data, server_->fileUrl(name)), data, fault);
        return name;
    }
    void start(int pkgType)
    {
        downloader_->query = queryFor(pkgType);
        downloader_->downloadDir = storeDir();
        downloader_->start();
    }
    bool finish()
    {
        const bool finished = QTest::qWaitFor([this] { return downloader_->isFinished(); }, 15000);
        QCoreApplication::sendPostedEvents();
        return finished;
    }
    Notice last() const { return log_.notices.value(log_.notices.size() - 1); }

private slots:
    void initTestCase() { qRegisterMetaType<PkgDownloader::InfoType>("PkgDownloader::InfoType"); }

    void init()
    {
        store_.reset(new QTemporaryDir);
        server_.reset(new FakePackageServer);
        QVERIFY(server_->listen());
        GlobalParams::get().fw_query_url = server_->queryUrl();
        downloader_.reset(new PkgDownloader);
        downloader_->setLimits({2000, 400, 5000, 1500});
        log_.notices.clear();
        log_.progressSum = 0;
        log_.stored.clear();
        connect(downloader_.get(), &PkgDownloader::notifyInfo, &log_, &NoticeLog::take, Qt::QueuedConnection);
        connect(downloader_.get(), &PkgDownloader::packageStored, &log_, &NoticeLog::store, Qt::QueuedConnection);
    }

    void cleanup() { downloader_.reset(); }

    void download_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("pkgType");
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("outcome");
        const QByteArray fw = firmware();
        using F = FakePackageServer;
        QTest::newRow("firmware") << fw << 1 << int(F::kGood) << "Download successfully";
        QTest::newRow("software") << QByteArray(300000, 's') << 0 << int(F::kGood) << "Download successfully";
        // Through the growing first blocks and round the ring of full ones,
        // ending in a part block, in reads that end anywhere within them:
        // every byte in its place.
        QByteArray varied(1700000, Qt::Uninitialized);
        for (int i = 0; i < varied.size(); ++i)
            varied[i] = char(i * 131 + (i >> 11));
        QTest::newRow("software in odd pieces") << varied << 0 << int(F::kPieces) << "Download successfully";
        QTest::newRow("truncated") << fw << 1 << int(F::kTruncated) << kDownloadError;
        QTest::newRow("wrong length") << fw << 1 << int(F::kWrongLength) << kDownloadError;
        QTest::newRow("stall") << fw << 1 << int(F::kStall) << kDownloadError;
        QTest::newRow("too slow in all") << fw << 1 << int(F::kTrickle) << kDownloadError;
        QTest::newRow("404") << fw << 1 << int(F::kNotFound) << kDownloadError;
        QTest::newRow("not verified") << corrupted() << 1 << int(F::kGood) << "Firmware verify failed";
        QTest::newRow("no upgrade system") << pkgtest::package(pkgtest::Identity(), {{2, "only"}}) << 1
                                           << int(F::kGood) << "Generate ugsys failed";
    }

    // A package reaches the store only whole and verified; nothing else
    // ever does, not even a partial file under another name.
    void download()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, pkgType);
        QFETCH(int, fault);
        QFETCH(QString, outcome);
        const QString name = offer(data, pkgType, FakePackageServer::Fault(fault));
        QVERIFY(QDir().mkpath(storeDir() + ".pkgdl-left/by a crash"));  // an earlier run's
        // A link of such a name is not followed out of the store.
        QTemporaryDir outside;
        QVERIFY(pkgtest::writeFile(outside.filePath("kept"), "kept"));
        QVERIFY(QFile::link(outside.path(), storeDir() + ".pkgdl-link"));
        start(pkgType);
        QVERIFY(finish());
        QCOMPARE(log_.notices.first(), Notice(0, name));
        QCOMPARE(last(), Notice(outcome == "Download successfully" ? 4 : 2, outcome));
        QCOMPARE(log_.notices.size(), 2);
        QStringList expected;
        if (last().first == 4) {
            expected = pkgType ? QStringList{name, "Ugsys_" + name} : QStringList{name};
            QCOMPARE(pkgtest::readFile(storeDir() + name), data);
            QCOMPARE(log_.progressSum, qint64(data.size()));
            QCOMPARE(downloader_->getPkgName(), name);
            // Where it lies, told before the last notice.
            QCOMPARE(log_.stored, (QList<QStringList>{{storeDir() + name, "1.0.2.9", "1"}}));
        } else {
            QCOMPARE(log_.stored.size(), 0);
        }
        QCOMPARE(storeEntries(), expected);
        QCOMPARE(pkgtest::readFile(outside.filePath("kept")), QByteArray("kept"));
    }

    // A leftover folder swapped for a link to a folder outside the store at
    // any moment (the last of many, so that the swap may come between the
    // listing and its removal): only the store's own folders are emptied,
    // and a link met in place of one goes, its target untouched.
    void leftoversSwappedForALink()
    {
        QTemporaryDir outside;
        for (int i = 0; i < 100; ++i)
            QVERIFY(pkgtest::writeFile(outside.filePath(QString::number(i)), "kept"));
        const QString swapped = storeDir() + ".pkgdl-zz";
        const QString aside = storeDir() + ".aside";
        const QString target = outside.path();
        // The store's own folder holds a second link of mark, wherever the
        // swapper holds it now: the count tells whether it is left.
        QTemporaryDir marks;
        const QByteArray mark = QFile::encodeName(marks.filePath("mark"));
        QVERIFY(pkgtest::writeFile(QFile::decodeName(mark), "x"));
        const auto ownFolderLeft = [mark] {
            struct stat status;
            return ::stat(mark.constData(), &status) == 0 && status.st_nlink > 1;
        };
        std::atomic<int> made{0};  // counted before the folder is made again
        NameSwapper swapper(
            [&, swapped, aside, target] {
                if (!ownFolderLeft()) {
                    ++made;
                    QDir().mkdir(swapped);
                    ::link(mark.constData(), QFile::encodeName(swapped + "/left").constData());
                }
                NameSwapper::folderMove(swapped, aside);
                NameSwapper::linkAt(swapped, target);
            },
            [=] {
                ::unlink(QFile::encodeName(swapped).constData());
                NameSwapper::folderMove(aside, swapped);
            });
        int survived = 0, removed = 0;
        QVERIFY(swapper.race(
            [&] {
                for (int i = 0; i < 40; ++i) {
                    const QString folder = storeDir() + QStringLiteral(".pkgdl-%1").arg(i, 2, 10, QChar('0'));
                    QVERIFY(QDir().mkpath(folder) && pkgtest::writeFile(folder + "/left", "x"));
                }
                const int before = made;
                vesk::pc::StagedPackage::removeLeftovers(storeDir());
                QCOMPARE(QDir(target).entryList(QDir::Files).size(), 100);
                const bool left = ownFolderLeft();
                if (made == before)
                    (left ? survived : removed)++;
            },
            60, INT_MAX, 60000, [&] { return survived > 0 && removed > 0; }));
        QVERIFY2(survived > 0 && removed > 0, qPrintable(QStringLiteral("%1 %2").arg(survived).arg(removed)));
        QCOMPARE(QDir(target).entryList(QDir::Files).size(), 100);
        QVERIFY(QFileInfo(target).isDir() && !QFileInfo(target).isSymLink());
    }

    void stagingSwappedForALink_data()
    {
        QTest::addColumn<int>("pkgType");
        QTest::addColumn<int>("when");
        // Every download goes on in its own folder, checked and derived from
        // there, and is stored.
        QTest::newRow("firmware, the folder taken once used") << 1 << int(StagingSwapper::OnceUsed);
        // A folder taken before it could be opened fails the download, and
        // only that.
        QTest::newRow("software, the folder taken at once") << 0 << int(StagingSwapper::AtOnce);
    }

    // Each new staging folder is exchanged for a link to a folder outside
    // the store: nothing outside is read or written, and the link goes when
    // the download ends.
    void stagingSwappedForALink()
    {
        QFETCH(int, pkgType);
        QFETCH(int, when);
        const QByteArray data = pkgType ? firmware() : QByteArray(300000, 's');
        const QString name = offer(data, pkgType, FakePackageServer::kGood);
        downloader_->setLimits({5000, 5000, 10000, 30000});  // hundreds of rounds on a loaded machine
        StagingSwapper swapper(storeDir(), name, StagingSwapper::When(when));
        QVERIFY(swapper.race(storeDir() + name, data, [&](bool& stored) {
            start(pkgType);
            QVERIFY(finish());
            stored = last() == Notice(4, QStringLiteral("Download successfully"));
            QVERIFY2(stored || last() == Notice(2, kDownloadError), qPrintable(last().second));
        }));
    }

    void refusedReply_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QJsonValue>("value");
        QTest::newRow("version climbing out") << "version" << QJsonValue("../../1.0.2.9");
        QTest::newRow("version with a slash") << "version" << QJsonValue("1.0.2.9/x");
        for (const char* version : {".1", "1.0.0.", "1.0.0", "1.0.0.0.0", "a.b.c.d", "1.0.0.256"})
            QTest::newRow(qPrintable(QStringLiteral("version %1").arg(QLatin1String(version))))
                << "version" << QJsonValue(QLatin1String(version));
        QTest::newRow("file URL") << "url" << QJsonValue("file:///etc/passwd");
        QTest::newRow("pkgsize 0") << "pkgsize" << QJsonValue(0);
        QTest::newRow("pkgsize above 1 GiB") << "pkgsize" << QJsonValue(double((1LL << 30) + 1));
        QTest::newRow("pkgsize as words") << "pkgsize" << QJsonValue("many");
        QTest::newRow("errorcode as text") << "errorcode" << QJsonValue("200");
        QTest::newRow("reply over 1 MiB") << "reason" << QJsonValue(QString(1 << 20, 'r'));
    }

    // A refused reply ends the run before anything is fetched or written.
    void refusedReply()
    {
        QFETCH(QString, key);
        QFETCH(QJsonValue, value);
        const QByteArray data = firmware();
        QJsonObject pkg = FakePackageServer::record(identity(), data, server_->fileUrl("p.bin"));
        QJsonObject reply{{"errorcode", 200}, {"reason", "OK"}};
        (pkg.contains(key) ? pkg : reply).insert(key, value);
        reply.insert("packages", QJsonArray{pkg});
        server_->answerQuery(reply);
        start(1);
        QVERIFY(finish());
        QCOMPARE(log_.notices, QList<Notice>{Notice(2, kQueryError)});
        QCOMPARE(server_->requestsFor("/pkg/"), 0);
        QCOMPARE(storeEntries(), QStringList());
    }

    void queryBody_data()
    {
        QTest::addColumn<int>("pkgType");
        QTest::newRow("firmware") << 1;
        QTest::newRow("software") << 0;
    }

    void queryBody()
    {
        QFETCH(int, pkgType);
        offer(firmware(), pkgType, FakePackageServer::kNotFound);
        start(pkgType);
        QVERIFY(finish());
        const FakeCameraHttp::Seen seen = server_->requests().first();  // a copy: the list is one too
        const QJsonObject body = QJsonDocument::fromJson(seen.body).object();
        QCOMPARE(seen.headers.value("content-length").toInt(), seen.body.size());
        QVERIFY(!seen.body.contains(' '));
        QCOMPARE(body.value("latest").toString(), QString("true"));
        QCOMPARE(body.value("seqid").toString(), QString("7"));
        QVERIFY(body.contains("device_info") && !body.contains("pkg_type"));
        QCOMPARE(body.contains("pc_version"), pkgType == 1);
    }

    // The same package in the store ends the run; another file of its name
    // is replaced.
    void packageInStore()
    {
        const QByteArray data = firmware();
        const QString name = offer(data, 1, FakePackageServer::kGood);
        QVERIFY(pkgtest::writeFile(storeDir() + name, data));
        start(1);
        QVERIFY(finish());
        QCOMPARE(last(), Notice(3, "Local package is up to update"));
        QCOMPARE(server_->requestsFor("/pkg/"), 0);
        QCOMPARE(log_.stored, (QList<QStringList>{{storeDir() + name, "1.0.2.9", "1"}}));

        QVERIFY(pkgtest::writeFile(storeDir() + name, "old"));
        start(1);
        QVERIFY(finish());
        QCOMPARE(last(), Notice(4, "Download successfully"));
        QCOMPARE(pkgtest::readFile(storeDir() + name), data);
    }

    void stopMidway_data()
    {
        QTest::addColumn<bool>("destroy");
        QTest::newRow("stop request") << false;
        QTest::newRow("destructor") << true;
    }

    // A stop ends the run at once and leaves the store as it was.
    void stopMidway()
    {
        QFETCH(bool, destroy);
        offer(firmware(), 1, FakePackageServer::kTrickle);
        downloader_->setLimits({2000, 2000, 5000, 60000});
        start(1);
        QVERIFY(QTest::qWaitFor([this] { return log_.progressSum > 0; }, 5000));
        QElapsedTimer clock;
        clock.start();
        if (destroy)
            downloader_.reset();
        else
            downloader_->requestStop();
        QVERIFY(!downloader_ || finish());
        QVERIFY(clock.elapsed() < 5000);  // the whole trickle takes about 12 s
        QCoreApplication::sendPostedEvents();
        QCOMPARE(last(), Notice(2, kDownloadError));
        QCOMPARE(storeEntries(), QStringList());
    }

    // The companion is not left behind when the package cannot be moved in.
    void blockedStore()
    {
        const QString name = offer(firmware(), 1, FakePackageServer::kGood);
        QVERIFY(QDir().mkdir(storeDir() + name));
        start(1);
        QVERIFY(finish());
        QCOMPARE(last(), Notice(2, kDownloadError));
        QCOMPARE(storeEntries(), QStringList{name});
        QVERIFY(QFileInfo(storeDir() + name).isDir());
    }

    // A write that fails (the file would pass the process's size limit,
    // which binds root too) ends the download, and nothing is stored.
    void writeFailure()
    {
        offer(QByteArray(600000, 's'), 0, FakePackageServer::kGood);
        rlimit saved = {};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
        rlimit lowered = saved;
        lowered.rlim_cur = 100000;
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(setrlimit(RLIMIT_FSIZE, &lowered) == 0);
        start(0);
        const bool finished = finish();
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
        QVERIFY(finished);
        QCOMPARE(last(), Notice(2, kDownloadError));
        QCOMPARE(storeEntries(), QStringList());
    }

    void noQueryServer_data()
    {
        QTest::addColumn<QString>("scheme");
        QTest::newRow("none") << QString();
        QTest::newRow("https") << "https";
    }

    // Nothing is sent, not even as plain HTTP to an https server's host.
    void noQueryServer()
    {
        QFETCH(QString, scheme);
        QString url = server_->queryUrl();
        GlobalParams::get().fw_query_url = scheme.isEmpty() ? QString() : url.replace(QRegularExpression("^http"), scheme);
        start(1);
        QVERIFY(finish());
        QCOMPARE(log_.notices, QList<Notice>{Notice(2, kQueryError)});
        QCOMPARE(server_->requests().size(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_PkgDownloader)
#include "tst_pkgdownloader.moc"
