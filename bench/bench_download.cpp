// The package downloader against curl on one generated package served by a
// local nginx (started here on 127.0.0.1 with a configuration of its own,
// which also answers the package query). The downloader runs in a child
// process of this program so that its peak memory is its own; a second
// package of a quarter of the size shows whether that peak grows with it.
//
//   build/bench/bench_download [megabytes [runs [link MiB/s]]]
//
// Defaults: 64 MiB, 3 runs of each (the best rate is shown), and nginx
// sending as fast as loopback goes; a link rate makes nginx send no faster
// than that, as a network would. The
// downloader's time runs from the query's answer to the stored package:
// the transfer, the size and MD5 checks and the move into the store.

#include "BenchSupport.h"
#include "comm/GlobalParams.h"
#include "download/PkgDownloader.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>

using vesk::pc::GlobalParams;
using vesk::pc::PkgDownloader;
using namespace bench;

namespace {

const char* const kIdentity = R"("product":"Bench","branch":"main","platform":"linux")";

struct Fetch
{
    bool ok = false;
    double mbPerS = 0;        // from the query's answer to the stored package
    double transferMbPerS = 0;  // from the query's answer to the last byte
    long peakKiB = 0;
};

QByteArray queryLocation(const QByteArray& path, const QByteArray& file, qint64 size,
                         const QByteArray& md5, quint16 port)
{
    const QByteArray reply = QByteArray(R"({"errorcode":200,"reason":"OK","packages":[{)") + kIdentity
        + R"(,"version":"1.0.0.1","status":"release","url":"http://127.0.0.1:)" + QByteArray::number(port)
        + "/pkg/" + file + R"(","pkgsize":)" + QByteArray::number(size) + R"(,"md5":")" + md5 + R"("}]})";
    return "    location = " + path + " { default_type application/json; return 200 '" + reply + "'; }\n";
}

// What MD5 alone manages here: a ceiling for any download that checks it.
double md5Rate(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray data = file.readAll();
    double best = 0;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer clock;
        clock.start();
        QCryptographicHash::hash(data, QCryptographicHash::Md5);
        best = std::max(best, data.size() / 1048576.0 / (clock.nsecsElapsed() / 1e9));
    }
    return best;
}

// Child side: one downloader run; prints "status MiB/s transferMiB/s peakKiB".
int fetchChild(const QString& queryUrl, const QString& store)
{
    GlobalParams::get().fw_query_url = queryUrl;
    PkgDownloader downloader;
    downloader.query = QJsonDocument::fromJson(QByteArray("{") + kIdentity
        + R"(,"status":"release","version":"1.0.0.0","seqid":"","pkg_type":0})").object();
    downloader.downloadDir = store + QLatin1Char('/');
    QElapsedTimer clock;
    qint64 size = 0;
    qint64 received = 0;
    double seconds = 0;
    double transfer = 0;
    bool ok = false;
    QObject::connect(&downloader, &PkgDownloader::notifyInfo, &downloader,
                     [&](PkgDownloader::InfoType type, int value, const QString&) {
                         if (type == PkgDownloader::kInfoStart) {
                             size = value;
                             clock.start();
                         } else if (type == PkgDownloader::kInfoProgress) {
                             received += value;
                             if (received == size)
                                 transfer = clock.nsecsElapsed() / 1e9;
                         } else if (type == PkgDownloader::kInfoFinished) {
                             seconds = clock.nsecsElapsed() / 1e9;
                             ok = true;
                         }
                     }, Qt::DirectConnection);
    QObject::connect(&downloader, &QThread::finished, qApp, &QCoreApplication::quit);
    downloader.start();
    QCoreApplication::exec();
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    const double mib = size / 1048576.0;
    std::printf("%d %.1f %.1f %ld\n", ok ? 0 : 1, ok ? mib / seconds : 0.0, ok ? mib / transfer : 0.0,
                usage.ru_maxrss);
    return 0;
}

Fetch fetch(const QString& queryUrl, const QString& store, const QString& home)
{
    QDir(store).removeRecursively();
    QDir().mkpath(store);
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);  // the child's settings stay in the bench folder
    env.insert("XDG_DATA_HOME", home + "/.local/share");
    env.insert("XDG_CONFIG_HOME", home + "/.config");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {"--fetch", queryUrl, store});
    Fetch result;
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        return result;
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    result.ok = fields.size() == 4 && fields[0] == "0";
    result.mbPerS = fields.value(1).toDouble();
    result.transferMbPerS = fields.value(2).toDouble();
    result.peakKiB = fields.value(3).toLong();
    return result;
}

double curlRate(const QString& url)
{
    QProcess curl;
    curl.start("curl", {"-s", "-f", "-o", "/dev/null", "-w", "%{speed_download}", url});
    if (!curl.waitForFinished(-1) || curl.exitCode() != 0)
        return 0;
    return curl.readAllStandardOutput().trimmed().toDouble() / 1048576.0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--fetch") == 0) {
        QCoreApplication app(argc, argv);
        qSetMessagePattern("%{if-critical}%{message}%{endif}");
        return fetchChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QCoreApplication app(argc, argv);
    const qint64 mib = argc > 1 ? std::max(1, std::atoi(argv[1])) : 64;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const int linkMib = argc > 3 ? std::max(0, std::atoi(argv[3])) : 0;
    const QString nginx = nginxProgram();
    QTemporaryDir dir;
    if (nginx.isEmpty() || !dir.isValid()) {
        std::fprintf(stderr, "needs nginx (scripts/setup.sh installs it) and a temporary folder\n");
        return 1;
    }
    QDir().mkpath(dir.filePath("www/pkg"));
    QDir().mkpath(dir.filePath("tmp"));
    const QByteArray big = "Bench_main_linux_1.0.0.1_release.dmg";
    const QByteArray small = "small.dmg";
    const qint64 smallMib = std::max<qint64>(1, mib / 4);
    const QByteArray bigMd5 = writePackage(dir.filePath("www/pkg/" + big), mib << 20);
    const QByteArray smallMd5 = writePackage(dir.filePath("www/pkg/" + small), smallMib << 20);
    const quint16 port = freePort();
    const QByteArray locations = queryLocation("/q/big/", big, mib << 20, bigMd5, port)
        + queryLocation("/q/small/", small, smallMib << 20, smallMd5, port);
    QFile config(dir.filePath("nginx.conf"));
    if (bigMd5.isEmpty() || smallMd5.isEmpty() || !config.open(QIODevice::WriteOnly)
        || config.write(nginxConfig(dir.path(), port, locations, linkMib)) < 0) {
        std::fprintf(stderr, "cannot write the bench files\n");
        return 1;
    }
    config.close();
    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedChannels);
    server.start(nginx, {"-p", dir.path(), "-c", config.fileName()});
    if (!server.waitForStarted() || !waitForPort(port)) {
        std::fprintf(stderr, "nginx did not start; see %s\n", qPrintable(dir.filePath("error.log")));
        return 1;
    }

    const QString base = QStringLiteral("http://127.0.0.1:%1").arg(port);
    const QString store = dir.filePath("store");
    Fetch ours;
    Fetch quarter;
    double theirs = 0;
    bool ok = true;
    for (int i = 0; i < runs; ++i) {
        const Fetch run = fetch(base + "/q/big/", store, dir.filePath("home"));
        const double rate = curlRate(base + "/pkg/" + big);
        const Fetch small = fetch(base + "/q/small/", store, dir.filePath("home"));
        ok = ok && run.ok && rate > 0 && small.ok;
        ours.mbPerS = std::max(ours.mbPerS, run.mbPerS);
        ours.transferMbPerS = std::max(ours.transferMbPerS, run.transferMbPerS);
        ours.peakKiB = std::max(ours.peakKiB, run.peakKiB);
        quarter.peakKiB = std::max(quarter.peakKiB, small.peakKiB);
        theirs = std::max(theirs, rate);
    }
    server.kill();
    server.waitForFinished();
    if (!ok) {
        std::fprintf(stderr, "a run failed\n");
        return 1;
    }
    std::printf("%lld MiB package, best of %d runs, %s\n\n", (long long)mib, runs,
                linkMib > 0 ? qPrintable(QStringLiteral("link of %1 MiB/s").arg(linkMib)) : "loopback");
    std::printf("downloader         %7.1f MiB/s stored and checked (%.1f MiB/s to the last byte)\n",
                ours.mbPerS, ours.transferMbPerS);
    std::printf("curl -o /dev/null  %7.1f MiB/s\n", theirs);
    const double md5 = md5Rate(dir.filePath("www/pkg/" + big));
    std::printf("MD5 alone          %7.1f MiB/s (the downloader reaches %.0f%% of it)\n", md5,
                100 * ours.mbPerS / md5);
    std::printf("downloader's peak  %7ld MiB (with a %lld MiB package: %ld MiB)\n\n", ours.peakKiB / 1024,
                (long long)smallMib, quarter.peakKiB / 1024);
    std::printf("at least 80%% of curl's rate: %s (%.0f%%)\n", ours.mbPerS >= 0.8 * theirs ? "met" : "MISSED",
                100 * ours.mbPerS / theirs);
    // Memory that followed the size would add three quarters of it.
    std::printf("memory flat in the file size: %s\n",
                ours.peakKiB - quarter.peakKiB < 4096 ? "met" : "MISSED");
    return 0;
}
