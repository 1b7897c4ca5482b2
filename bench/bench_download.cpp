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
// the transfer, the size and MD5 checks and the move into the store. Its
// limit is the rate of MD5 alone on the same machine (the package's MD5
// is computed on one core while it arrives, so nothing can be faster),
// measured in turn with the downloads; curl is a second yardstick. Where
// the time goes comes from the CPU time of the downloader's threads. The
// cores of one machine (of a virtual one above all) need not hash equally
// fast, and the hashing thread cannot be placed on the fastest: MD5 alone
// is also measured on each core in turn, and the target is 85% of MD5
// alone on the best core.

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
#include <ctime>
#include <sched.h>
#include <sys/resource.h>
#include <vector>

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
    // Milliseconds: in all, to the last byte, and of CPU time of the thread
    // that hashes (and its time waiting for a core), the one that receives,
    // the one that writes.
    double totalMs = 0;
    double lastByteMs = 0;
    double hashMs = 0;
    double hashQueuedMs = 0;
    double receiveMs = 0;
    double writeMs = 0;
};

double threadCpuMs()
{
    timespec now = {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// The scheduler's figures of this process's thread of the given name, from
// /proc: milliseconds on a core (field 0) or waiting for one (field 1).
double namedThreadMs(const QByteArray& name, int field)
{
    for (const QString& task : QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm("/proc/self/task/" + task + "/comm");
        QFile schedstat("/proc/self/task/" + task + "/schedstat");
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == name
            && schedstat.open(QIODevice::ReadOnly))
            return schedstat.readAll().split(' ').value(field).toDouble() / 1e6;
    }
    return -1;
}

QByteArray queryLocation(const QByteArray& path, const QByteArray& file, qint64 size,
                         const QByteArray& md5, quint16 port)
{
    const QByteArray reply = QByteArray(R"({"errorcode":200,"reason":"OK","packages":[{)") + kIdentity
        + R"(,"version":"1.0.0.1","status":"release","url":"http://127.0.0.1:)" + QByteArray::number(port)
        + "/pkg/" + file + R"(","pkgsize":)" + QByteArray::number(size) + R"(,"md5":")" + md5 + R"("}]})";
    return "    location = " + path + " { default_type application/json; return 200 '" + reply + "'; }\n";
}

// Child side: what MD5 alone manages here on the package in memory, a
// ceiling for any download that checks it; prints MiB/s, the best of three
// passes (the first also pays for touching the memory). A child of its own,
// so that the package in memory weighs on no other's peak. On one core
// only when core is not negative.
int md5Child(const QString& path, int core)
{
    if (core >= 0 && !pinToCore(core))
        return 1;
    QFile file(path);
    const QByteArray data = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    double best = 0;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer clock;
        clock.start();
        QCryptographicHash::hash(data, QCryptographicHash::Md5);
        best = std::max(best, data.size() / 1048576.0 / (clock.nsecsElapsed() / 1e9));
    }
    std::printf("%.1f\n", best);
    return data.isEmpty() ? 1 : 0;
}

double md5Rate(const QString& path, int core = -1)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {"--md5", path, QString::number(core)});
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        return 0;
    return child.readAllStandardOutput().trimmed().toDouble();
}

// Child side: one downloader run; prints "status MiB/s transferMiB/s peakKiB
// totalMs lastByteMs hashMs hashQueuedMs receiveMs writeMs".
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
    double receiveStart = 0;
    double receiveMs = 0;
    double hashMs = 0;
    double hashQueuedMs = 0;
    double writeMs = 0;
    QObject::connect(&downloader, &PkgDownloader::notifyInfo, &downloader,
                     [&](PkgDownloader::InfoType type, int value, const QString&) {
                         if (type == PkgDownloader::kInfoStart) {
                             size = value;
                             clock.start();
                             receiveStart = threadCpuMs();
                         } else if (type == PkgDownloader::kInfoProgress) {
                             received += value;
                             if (received == size)
                                 transfer = clock.nsecsElapsed() / 1e9;
                         } else if (type == PkgDownloader::kInfoFinished) {
                             seconds = clock.nsecsElapsed() / 1e9;
                             ok = true;
                             // The package's threads are still there.
                             receiveMs = threadCpuMs() - receiveStart;
                             hashMs = namedThreadMs("block md5", 0);
                             hashQueuedMs = namedThreadMs("block md5", 1);
                             writeMs = namedThreadMs("block write", 0);
                         }
                     }, Qt::DirectConnection);
    QObject::connect(&downloader, &QThread::finished, qApp, &QCoreApplication::quit);
    downloader.start();
    QCoreApplication::exec();
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    const double mib = size / 1048576.0;
    std::printf("%d %.1f %.1f %ld %.1f %.1f %.1f %.1f %.1f %.1f\n", ok ? 0 : 1, ok ? mib / seconds : 0.0,
                ok ? mib / transfer : 0.0, usage.ru_maxrss, seconds * 1e3, transfer * 1e3, hashMs,
                hashQueuedMs, receiveMs, writeMs);
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
    result.ok = fields.size() == 10 && fields[0] == "0";
    result.mbPerS = fields.value(1).toDouble();
    result.transferMbPerS = fields.value(2).toDouble();
    result.peakKiB = fields.value(3).toLong();
    result.totalMs = fields.value(4).toDouble();
    result.lastByteMs = fields.value(5).toDouble();
    result.hashMs = fields.value(6).toDouble();
    result.hashQueuedMs = fields.value(7).toDouble();
    result.receiveMs = fields.value(8).toDouble();
    result.writeMs = fields.value(9).toDouble();
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
    if (argc == 4 && std::strcmp(argv[1], "--md5") == 0)
        return md5Child(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
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
    double md5 = 0;
    bool ok = true;
    // Each round runs every contender once, so that all meet the same load.
    for (int i = 0; i < runs; ++i) {
        const Fetch run = fetch(base + "/q/big/", store, dir.filePath("home"));
        const double rate = curlRate(base + "/pkg/" + big);
        const Fetch small = fetch(base + "/q/small/", store, dir.filePath("home"));
        const double md5Run = md5Rate(dir.filePath("www/pkg/" + big));
        ok = ok && run.ok && rate > 0 && small.ok && md5Run > 0;
        md5 = std::max(md5, md5Run);
        const long peakKiB = std::max(ours.peakKiB, run.peakKiB);
        if (run.mbPerS > ours.mbPerS)
            ours = run;
        ours.peakKiB = peakKiB;
        quarter.peakKiB = std::max(quarter.peakKiB, small.peakKiB);
        theirs = std::max(theirs, rate);
    }
    server.kill();
    server.waitForFinished();
    if (!ok) {
        std::fprintf(stderr, "a run failed\n");
        return 1;
    }
    // MD5 alone on each core this program may use, one after another.
    std::vector<double> byCore;
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
        for (int core = 0; core < CPU_SETSIZE; ++core) {
            if (CPU_ISSET(core, &allowed))
                byCore.push_back(md5Rate(dir.filePath("www/pkg/" + big), core));
        }
    }
    std::sort(byCore.begin(), byCore.end());
    std::printf("%lld MiB package, best of %d runs, %s, load average %.1f\n\n", (long long)mib, runs,
                linkMib > 0 ? qPrintable(QStringLiteral("link of %1 MiB/s").arg(linkMib)) : "loopback",
                loadAverage());
    std::printf("downloader         %7.1f MiB/s stored and checked (%.1f MiB/s to the last byte)\n",
                ours.mbPerS, ours.transferMbPerS);
    std::printf("MD5 alone          %7.1f MiB/s (the downloader reaches %.0f%% of it)\n", md5,
                100 * ours.mbPerS / md5);
    if (!byCore.empty() && byCore.front() > 0) {
        const double median = byCore[byCore.size() / 2];
        std::printf("MD5 alone by core  %7.1f-%.1f MiB/s on %d cores, median %.1f (the downloader reaches"
                    " %.0f%% of the median core)\n",
                    byCore.front(), byCore.back(), int(byCore.size()), median, 100 * ours.mbPerS / median);
    }
    std::printf("curl -o /dev/null  %7.1f MiB/s (the downloader reaches %.0f%% of it)\n", theirs,
                100 * ours.mbPerS / theirs);
    std::printf("downloader's peak  %7ld MiB (with a %lld MiB package: %ld MiB)\n", ours.peakKiB / 1024,
                (long long)smallMib, quarter.peakKiB / 1024);
    // The best run's time beside its threads' CPU time: what the hashing
    // thread spent neither hashing nor waiting for a core, it spent waiting
    // for data: at the start, behind the receiving, and after the last byte.
    std::printf("where its time goes: %.0f ms in all (MD5 alone would take %.0f ms); the hashing thread"
                " ran %.0f ms, waited %.0f ms for a core and %.0f ms for data (%.0f ms after the last"
                " byte); CPU time receiving %.0f ms, writing %.0f ms\n\n",
                ours.totalMs, mib / md5 * 1e3, ours.hashMs, ours.hashQueuedMs,
                ours.totalMs - ours.hashMs - ours.hashQueuedMs, ours.totalMs - ours.lastByteMs,
                ours.receiveMs, ours.writeMs);
    const double bestCore = byCore.empty() ? md5 : std::max(md5, byCore.back());
    std::printf("at least 85%% of MD5 alone on the best core: %s (%.0f%%: %.1f vs %.1f MiB/s)\n",
                verdict(ours.mbPerS >= 0.85 * bestCore), 100 * ours.mbPerS / bestCore, ours.mbPerS, bestCore);
    // Memory that followed the size would add three quarters of it.
    std::printf("memory flat in the file size: %s (%ld vs %ld MiB)\n",
                verdict(ours.peakKiB - quarter.peakKiB < 4096), ours.peakKiB / 1024,
                quarter.peakKiB / 1024);
    return 0;
}
