// The local firmware server against nginx, both serving the same generated
// package on 127.0.0.1 to 1 and to 4 concurrent curl clients. Each server
// runs as a child process for one measurement, so that its peak memory (from
// wait4) is its own; a package of a quarter of the size shows whether that
// peak follows the file size.
//
//   build/bench/bench_serve [megabytes [runs]]
//
// Defaults: 64 MiB, best of 3 runs. Each client is a curl process; the
// rate counts the transfers' own times (curl's time_total, connection
// included), not the processes' start.

#include "BenchSupport.h"
#include "LocalServerChild.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace bench;

namespace {

const QString kBig = QStringLiteral("Bench_main_linux_1.0.0.1_release.bin");
const QString kSmall = QStringLiteral("Bench_main_linux_1.0.0.2_release.bin");

struct Result
{
    double mibPerS = 0;
    long peakKiB = 0;
};

QString packageUrl(quint16 port, const QString& name)
{
    const QString version = name.section(QLatin1Char('_'), 3, 3);
    return QStringLiteral("http://127.0.0.1:%1/download?cmd=1&product=Bench&branch=main&platform=linux"
                          "&status=release&version=%2").arg(port).arg(version);
}

// Each client is a curl process of its own, all started at once. Their
// bytes count over the span from the first transfer's start (its end less
// its own time) to the last one's end; 0 when one failed or got other than
// size bytes.
double fetchTogether(const QString& url, int clients, qint64 size)
{
    QElapsedTimer clock;
    QEventLoop loop;
    std::vector<std::unique_ptr<QProcess>> curls;
    std::vector<double> ends(size_t(clients), 0);
    int running = clients;
    clock.start();
    for (int i = 0; i < clients; ++i) {
        curls.emplace_back(new QProcess);
        QObject::connect(curls.back().get(), QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop,
                         [&, i] {
                             ends[size_t(i)] = clock.nsecsElapsed() / 1e9;
                             if (--running == 0)
                                 loop.quit();
                         });
        curls.back()->start("curl", {"-s", "-f", "-o", "/dev/null", "-w", "%{time_total} %{size_download}", url});
    }
    loop.exec();
    double first = ends[0];
    double last = 0;
    for (int i = 0; i < clients; ++i) {
        const QList<QByteArray> fields = curls[size_t(i)]->readAllStandardOutput().trimmed().split(' ');
        if (curls[size_t(i)]->exitCode() != 0 || fields.size() != 2 || fields[1].toLongLong() != size)
            return 0;
        first = std::min(first, ends[size_t(i)] - fields[0].toDouble());
        last = std::max(last, ends[size_t(i)]);
    }
    return clients * (size / 1048576.0) / (last - first);
}

// One server process for one measurement: started, warmed up with a first
// fetch, measured, then ended for its peak memory.
Result measure(const Child& started, quint16 port, const QString& url, int clients, qint64 size)
{
    Child server = started;
    Result result;
    if (server.pid > 0 && waitForPort(port) && fetchTogether(url, 1, size) > 0)
        result.mibPerS = fetchTogether(url, clients, size);
    result.peakKiB = reap(server);
    return result;
}

Result ours(const QString& dir, const QString& name, int clients, qint64 size)
{
    const quint16 port = freePort();
    const QString home = dir + "/home";
    const Child server = spawn(QCoreApplication::applicationFilePath(), {"--serve", dir + "/www/pkg", QString::number(port)},
                               {"HOME=" + home, "XDG_DATA_HOME=" + home + "/.local/share",
                                "XDG_CONFIG_HOME=" + home + "/.config"});
    return measure(server, port, packageUrl(port, name), clients, size);
}

Result nginx(const QString& dir, const QString& name, int clients, qint64 size)
{
    const quint16 port = freePort();
    QFile config(dir + "/nginx.conf");
    if (!config.open(QIODevice::WriteOnly) || config.write(nginxConfig(dir, port, QByteArray())) < 0)
        return Result();
    config.close();
    const Child server = spawn(nginxProgram(), {"-p", dir, "-c", config.fileName()});
    return measure(server, port, QStringLiteral("http://127.0.0.1:%1/pkg/%2").arg(port).arg(name), clients, size);
}

void keepBest(Result* best, const Result& run)
{
    best->mibPerS = run.mibPerS > 0 && best->mibPerS >= 0 ? std::max(best->mibPerS, run.mibPerS) : -1;
    best->peakKiB = std::max(best->peakKiB, run.peakKiB);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int code = 0;
    if (runServeChild(argc, argv, &code))
        return code;
    const qint64 mib = argc > 1 ? std::max(1, std::atoi(argv[1])) : 64;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    QTemporaryDir dir;
    if (nginxProgram().isEmpty() || !dir.isValid() || !QDir().mkpath(dir.filePath("www/pkg"))
        || !QDir().mkpath(dir.filePath("tmp"))) {
        std::fprintf(stderr, "needs nginx and curl (scripts/setup.sh installs them) and a temporary folder\n");
        return 1;
    }
    const qint64 size = mib << 20;
    const qint64 smallSize = std::max<qint64>(1, mib / 4) << 20;
    if (writePackage(dir.filePath("www/pkg/" + kBig), size).isEmpty()
        || writePackage(dir.filePath("www/pkg/" + kSmall), smallSize).isEmpty()) {
        std::fprintf(stderr, "cannot write the packages\n");
        return 1;
    }

    std::printf("%lld MiB package on 127.0.0.1, curl clients, best of %d runs, load average %.1f\n\n",
                (long long)mib, runs, loadAverage());
    std::printf("clients  local server   nginx          share   server peak  nginx peak\n");
    double share = 0;  // the lowest share of nginx's rate
    long peak = 0;
    for (const int clients : {1, 4}) {
        Result mine;
        Result theirs;
        for (int i = 0; i < runs; ++i) {
            keepBest(&mine, ours(dir.path(), kBig, clients, size));
            keepBest(&theirs, nginx(dir.path(), kBig, clients, size));
        }
        if (mine.mibPerS <= 0 || theirs.mibPerS <= 0) {
            std::fprintf(stderr, "a run with %d clients failed\n", clients);
            return 1;
        }
        std::printf("%7d  %7.0f MiB/s  %7.0f MiB/s  %4.0f%%  %7ld MiB  %7ld MiB\n", clients, mine.mibPerS,
                    theirs.mibPerS, 100 * mine.mibPerS / theirs.mibPerS, mine.peakKiB / 1024,
                    theirs.peakKiB / 1024);
        share = clients == 1 ? mine.mibPerS / theirs.mibPerS : std::min(share, mine.mibPerS / theirs.mibPerS);
        peak = std::max(peak, mine.peakKiB);
    }
    Result quarter;
    for (int i = 0; i < runs; ++i)
        keepBest(&quarter, ours(dir.path(), kSmall, 4, smallSize));
    std::printf("\nlocal server's peak with a %lld MiB package and 4 clients: %ld MiB\n",
                (long long)(smallSize >> 20), quarter.peakKiB / 1024);
    std::printf("at least half of nginx's throughput:       %s (%.0f%% at the least)\n", verdict(share >= 0.5),
                100 * share);
    // Memory that followed the size would add three quarters of it.
    std::printf("peak memory independent of the file size: %s (%ld vs %ld MiB)\n",
                verdict(peak - quarter.peakKiB < 4096), peak / 1024, quarter.peakKiB / 1024);
    return 0;
}
