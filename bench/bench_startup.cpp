// Start-up time of the program against a bare Qt Widgets window, empty and
// with one line of text: each is started in turn on the offscreen platform
// (the program with the simulated cameras), and timed from its start to its
// "shown" line, printed once its window has painted for the first time
// (ORLACAM_REPORT_SHOWN). All share one temporary home, warmed by a first
// start that is not counted, so that none creates its data folders or font
// caches while timed; each run is ended and waited for before the next, so
// the program's single-instance lock is always free.
//
//   build/bench/bench_startup [runs [program]]   (default 10, build/bin/OrlaCam)
//   QT_QPA_PLATFORM=xcb build/bench/bench_startup  on the X display in DISPLAY

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using bench::median;

namespace {

const int kShownTimeoutMs = 60000;
const int kExitTimeoutMs = 30000;

// Seconds from the start to the "shown" line; negative on failure.
double timeToShown(const QString& program, const QStringList& args, const QProcessEnvironment& env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(program, args);
    QByteArray out;
    double seconds = -1;
    while (process.waitForReadyRead(kShownTimeoutMs)) {
        out += process.readAllStandardOutput();
        if (out.contains("shown\n")) {
            seconds = timer.nsecsElapsed() / 1e9;
            break;
        }
    }
    process.terminate();
    if (!process.waitForFinished(kExitTimeoutMs)) {
        process.kill();
        process.waitForFinished(kExitTimeoutMs);
    }
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = std::max(1, argc > 1 ? std::atoi(argv[1]) : 10);
    QTemporaryDir home;
    if (!home.isValid())
        return 1;

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    env.insert("XDG_DATA_HOME", home.path() + "/.local/share");
    env.insert("XDG_CONFIG_HOME", home.path() + "/.config");
    env.insert("XDG_CACHE_HOME", home.path() + "/.cache");
    env.insert("XDG_RUNTIME_DIR", home.path());
    if (!env.contains("QT_QPA_PLATFORM"))
        env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("ORLACAM_DEVICE_BACKEND", "sim");
    env.insert("ORLACAM_REPORT_SHOWN", "1");
    env.insert("LC_ALL", "en_US.UTF-8");

    struct Yardstick
    {
        const char* name;
        QString program;
        QStringList args;
        std::vector<double> times;
    };
    Yardstick starts[] = {
        {"OrlaCam", argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(ORLACAM_BIN), {}, {}},
        {"bare window", QStringLiteral(BARE_WINDOW_BIN), {}, {}},
        {"bare + text", QStringLiteral(BARE_WINDOW_BIN), {QStringLiteral("text")}, {}},
    };
    for (int run = -1; run < runs; ++run) {
        for (Yardstick& start : starts) {
            const double seconds = timeToShown(start.program, start.args, env);
            if (seconds < 0) {
                std::fprintf(stderr, "%s did not report its window\n", start.name);
                return 1;
            }
            if (run >= 0)  // the first start of each only warms the home
                start.times.push_back(seconds);
        }
    }
    std::printf("start to first paint, median of %d runs each (alternating)\n", runs);
    for (const Yardstick& start : starts)
        std::printf("%-12s %7.3f s (min %.3f, max %.3f)\n", start.name, median(start.times),
                    *std::min_element(start.times.begin(), start.times.end()),
                    *std::max_element(start.times.begin(), start.times.end()));
    const double ours = median(starts[0].times);
    const double ratio = ours / median(starts[1].times);
    double load[3] = {};
    getloadavg(load, 3);
    std::printf("ratio        %7.2f to the bare window, %.2f to one with text\n\n", ratio,
                ours / median(starts[2].times));
    std::printf("within 1.5x of the bare window: %s (%.2fx, load average %.1f)\n",
                ratio <= 1.5 ? "met" : "MISSED", ratio, load[0]);
    return 0;
}
