#include "support/LocalServerFixture.h"
#include "support/NameSwapper.h"
#include "http/QHttpConnection.h"
#include "httpserver/FileReply.h"
#include "httpserver/HttpServerReqMapper.h"
#include "httpserver/StoreCatalog.h"
#include "package/FirmwareManager.h"
#include "package/StoreFolder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using httptest::RawMessage;
using vesk::pc::StoreFolder;

namespace {

const char* const kDescribed = R"({
    "branch": "main",
    "errorcode": 200,
    "md5": "%1",
    "pkgsize": %2,
    "platform": "SSC339G",
    "product": "Kestro_zuki_2P",
    "reason": "OK",
    "status": "%3",
    "url": "",
    "version": "%4"
}
)";
const QByteArray kNotFound = R"({
    "errorcode": 500,
    "reason": "Cannot find firmware in local, please download first"
}
)";
const QByteArray kUnknownCmd = R"({
    "errorcode": 404,
    "reason": "Unknown cmd"
}
)";
const QByteArray kInvalid = R"({
    "errorcode": 500,
    "reason": "Local firmware is invalid, please download again"
}
)";
const QByteArray kNotDerived = R"({
    "errorcode": 500,
    "reason": "Cannot generate upgrade firmware in local, please download again"
}
)";
const QString kNoFirmware = QStringLiteral("There is no corresponding firmware in local: ");

QByteArray described(const QByteArray& data, const QString& status, const QString& version)
{
    return QString::fromLatin1(kDescribed).arg(QString::fromLatin1(md5Hex(data))).arg(data.size())
        .arg(status, version).toUtf8();
}

QString named(const QString& versionAndChannel)
{
    return QStringLiteral("Kestro_zuki_2P_main_SSC339G_") + versionAndChannel + QStringLiteral(".bin");
}

} // namespace

class tst_FirmwareServices : public QObject
{
    Q_OBJECT

private:
    LocalServerFixture server_;

    // Each file holds its own name, so its digest tells which one was chosen.
    void placeNamed(const QStringList& names)
    {
        for (const QString& name : names)
            QVERIFY(server_.place(name, name.toUtf8()));
    }

private slots:
    void initTestCase() { QVERIFY(server_.start()); }
    void init() { server_.clearStore(); }

    void query_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QByteArray>("query");
        QTest::addColumn<QByteArray>("reply");
        const QString r1 = named("1.0.0.1_release"), r3 = named("1.0.0.3_release"), t2 = named("1.0.0.2_test");
        const QString d2 = named("1.0.0.2_debug"), rel2 = named("1.0.0.2_release");
        auto row = [](const char* tag, const QStringList& files, const QByteArray& query, const QByteArray& reply) {
            QTest::newRow(tag) << files << query << reply;
        };
        auto chose = [](const QString& name, const char* status, const char* version) {
            return described(name.toUtf8(), QString::fromLatin1(status), QString::fromLatin1(version));
        };
        row("newest of a channel", {r1, r3, named("1.0.0.2_release")}, packageQuery(1, "release"),
            chose(r3, "release", "1.0.0.3"));
        row("release skips a newer test", {t2, r1}, packageQuery(1, "release"), chose(r1, "release", "1.0.0.1"));
        row("test drops a newer debug", {named("1.0.0.3_debug"), t2}, packageQuery(1, "test"), chose(t2, "test", "1.0.0.2"));
        row("debug takes test over debug", {d2, t2}, packageQuery(1, "debug"), chose(t2, "test", "1.0.0.2"));
        row("release wins a tie", {t2, rel2, d2}, packageQuery(1, "debug"), chose(rel2, "release", "1.0.0.2"));
        row("versions as numbers", {named("1.0.9.255_release"), named("1.0.10.0_release")}, packageQuery(1, "release"),
            chose(named("1.0.10.0_release"), "release", "1.0.10.0"));
        row("prefix case ignored", {"KESTRO_ZUKI_2P_MAIN_ssc339g_1.0.0.4_release.bin"}, packageQuery(1, "release"),
            chose("KESTRO_ZUKI_2P_MAIN_ssc339g_1.0.0.4_release.bin", "release", "1.0.0.4"));
        row("other platform ignored", {r1, "Kestro_zuki_2P_main_SSC336Q_1.0.0.9_release.bin"}, packageQuery(1, "release"),
            chose(r1, "release", "1.0.0.1"));
        row("empty store, any cmd", {}, packageQuery(5, "release"), kNotFound);
        row("only a test, release asked", {t2}, packageQuery(1, "release"), kNotFound);
        row("version 0 is none", {named("0.0.0.0_release")}, packageQuery(1, "release"), kNotFound);
        row("two-part version is none", {named("1.2_release")}, packageQuery(1, "release"), kNotFound);
        row("version with a word is none", {named("beta.2.3.4_release")}, packageQuery(1, "release"), kNotFound);
        row("not a package name", {named("1.0.0.5_release") + ".part"}, packageQuery(1, "release"), kNotFound);
        row("unknown cmd", {r1}, packageQuery(3, "release"), kUnknownCmd);
        row("companion never chosen", {r1, "Ugsys_" + r1},
            "cmd=1&product=Ugsys_Kestro_zuki_2P&branch=main&platform=SSC339G&status=release", kNotFound);
    }

    void query()
    {
        QFETCH(QStringList, files);
        QFETCH(QByteArray, query);
        QFETCH(QByteArray, reply);
        placeNamed(files);
        const RawMessage answer = server_.get("/query?" + query);
        QCOMPARE(answer.firstLine, kOkLine);
        QVERIFY(answer.headerLines.contains(kJsonType));
        QCOMPARE(answer.body, reply);
    }

    // Names that are no store package's, beside one that is: the server
    // and the store's own choice (the firmware manager's) take the same one.
    void sameChoiceAsTheStore_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("links");  // to the first file
        const QString r2 = named("1.0.0.2_release");
        QTest::newRow("versions elsewhere in the name")
            << QStringList{r2, named("v9.0.0.0_release"), named("1.0.0.4.5_release"), named("9.0.0.0")}
            << QStringList();
        QTest::newRow("an unfinished download") << QStringList{r2, named("1.0.0.3_release") + ".part"}
                                                << QStringList();
        QTest::newRow("a link") << QStringList{r2} << QStringList{named("1.0.0.3_release")};
    }

    void sameChoiceAsTheStore()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, links);
        placeNamed(files);
        for (const QString& link : links)
            QVERIFY(QFile::link(server_.store() + files.first(), server_.store() + link));
        const QString expected = named("1.0.0.2_release");
        QCOMPARE(server_.get("/query?" + packageQuery(1, "debug")).body,
                 described(expected.toUtf8(), "release", "1.0.0.2"));
        const QJsonObject camera{{"product", "Kestro_zuki_2P"}, {"branch", "main"}, {"platform", "SSC339G"}};
        QCOMPARE(vesk::pc::FirmwareManager::get(camera).getLocalLatestFwName(), expected);
    }

    void download_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QByteArray>("query");
        QTest::addColumn<QString>("served");  // the file, or the error text's last name
        QTest::addColumn<bool>("found");
        const QString release = named("1.0.0.1_release"), test = named("1.0.0.1_test"), debug = named("1.0.0.1_debug");
        QTest::newRow("as asked") << QStringList{release} << packageQuery(1, "release") << release << true;
        QTest::newRow("release for test") << QStringList{release, test} << packageQuery(1, "test") << release << true;
        QTest::newRow("test for debug") << QStringList{test, debug} << packageQuery(1, "debug") << test << true;
        QTest::newRow("debug for debug") << QStringList{debug} << packageQuery(1, "debug") << debug << true;
        QTest::newRow("no debug for test") << QStringList{debug} << packageQuery(1, "test") << debug << false;
        QTest::newRow("no test for release") << QStringList{test} << packageQuery(1, "release") << test << false;
        QTest::newRow("other version") << QStringList{release} << packageQuery(1, "release", "1.0.0.2")
                                       << named("1.0.0.2_debug") << false;
    }

    void download()
    {
        QFETCH(QStringList, files);
        QFETCH(QByteArray, query);
        QFETCH(QString, served);
        QFETCH(bool, found);
        placeNamed(files);
        const RawMessage answer = server_.get("/download?" + query);
        const QByteArray body = found ? served.toUtf8() : (kNoFirmware + server_.store() + served).toLocal8Bit();
        QCOMPARE(answer.firstLine, kOkLine);
        QVERIFY(answer.headerLines.contains(kOctetType));
        QVERIFY(answer.headerLines.contains("content-length: " + QByteArray::number(body.size())));
        QCOMPARE(answer.body, body);
    }

    void downloadLargeFileInChunks()
    {
        QByteArray data(5 * 1024 * 1024 + 17, '\0');
        for (int i = 0; i < data.size(); ++i)
            data[i] = char(i * 7 + i / 4093);
        QVERIFY(server_.place(named("1.0.0.1_release"), data));
        const RawMessage answer = server_.get("/download?" + packageQuery(1, "release"));
        QVERIFY(answer.headerLines.contains("content-length: " + QByteArray::number(data.size())));
        QCOMPARE(answer.body.size(), data.size());
        QVERIFY(answer.body == data);
    }

    // A camera that sends several downloads and a question at once and reads
    // nothing: the server holds no more than one chunk of the file unsent
    // for it, and the first answer arrives whole once it reads.
    void unreadDownloadsBounded()
    {
        const QByteArray data(16 * 1024 * 1024, 'd');  // more than the kernel's buffers take
        QVERIFY(server_.place(named("1.0.0.1_release"), data));
        qhttp::server::QHttpServer server;  // on this thread, so that its socket can be looked at
        QPointer<QTcpSocket> served;
        qint64 most = 0, last = -1;
        const auto queued = [&] { return served ? served->bytesToWrite() : -1; };
        QVERIFY(server.listen(httptest::kLoopback, 0, [&](qhttp::server::QHttpRequest* req,
                                                          qhttp::server::QHttpResponse* res) {
            new vesk::pc::HttpServerReqMapper(req, res);
            served = req->connection()->tcpSocket();
            // After the router's slot: the answer has begun.
            connect(req, &qhttp::server::QHttpRequest::end, res, [&] { most = qMax(most, queued()); });
        }));
        QTcpSocket camera;
        QVERIFY(httptest::connectRaw(camera, server.tcpServer()->serverPort()));
        camera.setReadBufferSize(1);
        const QByteArray download = "GET /download?" + packageQuery(1, "release") + " HTTP/1.1\r\n\r\n";
        httptest::send(camera, download.repeated(6) + "GET /common?cmd=1 HTTP/1.1\r\n\r\n");
        QElapsedTimer still;
        const auto stuck = [&] {  // the kernel takes no more
            if (queued() != last)
                still.restart();
            most = qMax(most, last = queued());
            return last > 0 && still.elapsed() > 500;
        };
        QTRY_VERIFY_WITH_TIMEOUT(stuck(), 30000);
        // Never more than one 512 KiB chunk unsent, and the answer's head.
        QVERIFY2(most >= vesk::pc::FileReply::kChunkBytes && most <= 512 * 1024 + 1024, QByteArray::number(most));
        camera.setReadBufferSize(0);
        const RawMessage answer = httptest::splitMessage(httptest::readRaw(camera, {}, httptest::kExchangeMs));
        QVERIFY(answer.headerLines.contains("content-length: " + QByteArray::number(data.size())));
        QVERIFY(answer.body == data);
    }

    void queryDigestFollowsTheFile()
    {
        const QString name = named("1.0.0.1_release");
        QVERIFY(server_.place(name, "first"));
        QCOMPARE(server_.get("/query?" + packageQuery(1, "release")).body, described("first", "release", "1.0.0.1"));
        QFile file(server_.store() + name);
        QVERIFY(server_.place(name, "other"));  // same size: the time tells
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
        file.close();
        QCOMPARE(server_.get("/query?" + packageQuery(1, "release")).body, described("other", "release", "1.0.0.1"));
    }

    void upgradeSystemPackage_data()
    {
        QTest::addColumn<QByteArray>("service");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<bool>("companionThere");
        QTest::newRow("query derives") << QByteArray("/query") << true << false;
        QTest::newRow("download derives") << QByteArray("/download") << true << false;
        QTest::newRow("query finds one") << QByteArray("/query") << false << true;
        QTest::newRow("download finds one") << QByteArray("/download") << false << true;
        QTest::newRow("query, invalid main") << QByteArray("/query") << false << false;
        QTest::newRow("download, invalid main") << QByteArray("/download") << false << false;
    }

    void upgradeSystemPackage()
    {
        QFETCH(QByteArray, service);
        QFETCH(bool, valid);
        QFETCH(bool, companionThere);
        const QString main = named("1.0.0.1_release");
        const QString companion = server_.store() + "Ugsys_" + main;
        QVERIFY(server_.place(main, valid ? validPackage() : QByteArray("not a package")));
        if (companionThere)
            QVERIFY(server_.place("Ugsys_" + main, "made before"));
        // A question sent along waits: the answer comes first, whole, and the connection closes.
        const QByteArray request = "GET " + service + "?" + packageQuery(2, "release") + " HTTP/1.1\r\n\r\n";
        const RawMessage answer = httptest::exchangeRaw(server_.port(), request + "GET /common?cmd=1 HTTP/1.1\r\n\r\n");
        QCOMPARE(answer.firstLine, kOkLine);
        QCOMPARE(QFile::exists(companion), valid || companionThere);
        const QByteArray derived = pkgtest::readFile(companion);
        if (!valid && !companionThere) {
            const QByteArray text = ("Local firmware is invalid: " + server_.store() + main).toLocal8Bit();
            QCOMPARE(answer.body, service == "/query" ? kInvalid : text);
        } else if (service == "/query") {
            QCOMPARE(answer.body, described(derived, "release", "1.0.0.1"));
        } else {
            QCOMPARE(answer.body, derived);
        }
    }

    // Whatever a request names, nothing outside the store is read: here a
    // file that a path joined from the request would reach.
    void traversal_data()
    {
        QTest::addColumn<QByteArray>("product");
        const QByteArray outside = QFile::encodeName(QFileInfo(server_.store() + "../secret").absoluteFilePath());
        QTest::newRow("dot-dot") << QByteArray("../secret");
        QTest::newRow("encoded") << QByteArray("%2e%2e%2fsecret");
        QTest::newRow("encoded twice") << QByteArray("%252e%252e%252fsecret");
        QTest::newRow("absolute") << outside;
        QTest::newRow("backslash") << QByteArray("..%5Csecret");
        QTest::newRow("NUL") << QByteArray("x%00/../../secret");
        QTest::newRow("deeper") << QByteArray("a/../../secret");
    }

    void traversal()
    {
        QFETCH(QByteArray, product);
        const QByteArray secret = "must stay unread";
        const QStringList reachable = {"../secret_main_SSC339G_1.0.0.1_release.bin",
                                       "../secret_main_SSC339G_1.0.0.1_debug.bin"};
        for (const QString& name : reachable)
            QVERIFY(server_.place(name, secret));
        const QByteArray items = "product=" + product + "&branch=main&platform=SSC339G&status=debug&version=1.0.0.1";
        for (const char* cmd : {"1", "2"}) {
            const RawMessage query = server_.get(QByteArray("/query?cmd=") + cmd + "&" + items);
            QCOMPARE(query.body, kNotFound);
            const RawMessage download = server_.get(QByteArray("/download?cmd=") + cmd + "&" + items);
            QVERIFY2(download.body.startsWith(kNoFirmware.toLatin1()), download.body.constData());
            QVERIFY(!download.body.contains(secret));
        }
        QVERIFY(!QFile::exists(server_.store() + "../Ugsys_secret_main_SSC339G_1.0.0.1_release.bin"));
    }

    // A link or a hard link in the store could lead to any file of the
    // machine: it is served, hashed and written through as if it were not
    // there.
    void links_data()
    {
        QTest::addColumn<bool>("companion");  // the link is the upgrade-system package, beside a valid main one
        QTest::addColumn<bool>("hard");
        QTest::addColumn<QByteArray>("queryReply");
        QTest::newRow("package") << false << false << kNotFound;
        QTest::newRow("upgrade-system package") << true << false << kNotDerived;
        QTest::newRow("hard-linked package") << false << true << kNotFound;
        QTest::newRow("hard-linked upgrade-system package") << true << true << kNotDerived;
    }

    void links()
    {
        QFETCH(bool, companion);
        QFETCH(bool, hard);
        QFETCH(QByteArray, queryReply);
        const QByteArray secret = "any file of the machine";
        QTemporaryDir outside;
        const QString target = outside.filePath(QStringLiteral("secret"));
        QVERIFY(pkgtest::writeFile(target, secret));
        const QString main = named("1.0.0.1_release");
        const QString link = server_.store() + (companion ? "Ugsys_" + main : main);
        if (companion)
            QVERIFY(server_.place(main, validPackage()));
        QVERIFY(NameSwapper::linkAt(link, target, hard));
        const QByteArray cmd = companion ? "2" : "1";
        const RawMessage download = server_.get("/download?" + packageQuery(cmd.toInt(), "release"));
        const QString why = companion ? QStringLiteral("Generate firmware failed: ") + link
                                      : kNoFirmware + server_.store() + named("1.0.0.1_debug");
        QCOMPARE(download.body, why.toLocal8Bit());
        QCOMPARE(server_.get("/query?" + packageQuery(cmd.toInt(), "release")).body, queryReply);
        QCOMPARE(pkgtest::readFile(target), secret);  // not written through either
        QCOMPARE(pkgtest::readFile(link), secret);    // nor replaced
    }

    // A name swapped for a link at any moment, also between the look at
    // the name and the operation: nothing outside the store is served,
    // hashed or written, and some requests met the link.
    void swappedForALink_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<bool>("companion");  // the swapped name; the main package otherwise
        QTest::addColumn<bool>("hard");
        QTest::newRow("derivation, link") << QByteArray("/download?") + packageQuery(2, "release") << true << false;
        QTest::newRow("derivation, hard link") << QByteArray("/query?") + packageQuery(2, "release") << true << true;
        QTest::newRow("download, link") << QByteArray("/download?") + packageQuery(1, "release") << false << false;
        QTest::newRow("download, hard link") << QByteArray("/download?") + packageQuery(1, "release") << false << true;
        QTest::newRow("digest, hard link") << QByteArray("/query?") + packageQuery(1, "release") << false << true;
    }

    void swappedForALink()
    {
        QFETCH(QByteArray, request);
        QFETCH(bool, companion);
        QFETCH(bool, hard);
        const QByteArray secret(4096, 's');
        QTemporaryDir outside;
        const QString target = outside.filePath(QStringLiteral("secret"));
        QVERIFY(pkgtest::writeFile(target, secret));
        const QString main = named("1.0.0.1_release");
        const QByteArray own = validPackage();
        QVERIFY(server_.place(main, own));
        const QString name = server_.store() + (companion ? "Ugsys_" + main : main);
        NameSwapper swapper(
            [=] { NameSwapper::linkAt(name, target, hard); },
            [=] { companion ? void(::unlink(QFile::encodeName(name).constData())) : NameSwapper::fileAt(name, own); });
        int met = 0;
        QVERIFY(swapper.race(
            [&] {
                const QByteArray body = server_.get(request).body;
                QVERIFY(!body.isEmpty());
                QVERIFY(!body.contains(secret) && !body.contains(md5Hex(secret)));
                QCOMPARE(pkgtest::readFile(target), secret);
                met += !body.startsWith(QByteArray::fromHex("98EC20AB")) && !body.contains("\"errorcode\": 200");
            },
            40, 400, 30000, [&] { return met > 0; }));
        QCOMPARE(pkgtest::readFile(target), secret);
        QVERIFY2(met > 0, "no request met the link");
    }

    void openPlainOnly()
    {
        QTemporaryDir dir;
        const QString plain = dir.filePath(QStringLiteral("plain.bin"));
        const QString link = dir.filePath(QStringLiteral("link.bin"));
        const QString pipe = dir.filePath(QStringLiteral("pipe.bin"));
        const QString twice = dir.filePath(QStringLiteral("twice.bin"));
        QVERIFY(pkgtest::writeFile(plain, "data"));
        QVERIFY(pkgtest::writeFile(dir.filePath(QStringLiteral("elsewhere")), "data"));
        QVERIFY(QFile::link(plain, link));
        QVERIFY(NameSwapper::linkAt(twice, dir.filePath(QStringLiteral("elsewhere")), true));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);  // opening one must not block
        QFile file;
        QVERIFY(StoreFolder::openPath(plain, &file));
        QCOMPARE(file.readAll(), QByteArray("data"));
        for (const QString& other : {link, pipe, twice, dir.filePath(QStringLiteral("missing.bin"))}) {
            QFile refused;
            QVERIFY2(!StoreFolder::openPath(other, &refused), qPrintable(other));
            QVERIFY(!refused.isOpen());
        }
        QCOMPARE(StoreFolder::statusOfPath(plain).kind, StoreFolder::Kind::Plain);
        QCOMPARE(StoreFolder::statusOfPath(link).kind, StoreFolder::Kind::Other);
        QCOMPARE(StoreFolder::statusOfPath(twice).kind, StoreFolder::Kind::Other);
    }
};

QTEST_GUILESS_MAIN(tst_FirmwareServices)
#include "tst_firmwareservices.moc"
