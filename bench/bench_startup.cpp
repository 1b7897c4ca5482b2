// Start-up time of the program against a bare Qt Widgets window, empty and
// with one line of text: each is started in turn on the offscreen platform
// (the program twice: with the simulated demo cameras, and with the Linux
// backend, the default, with whatever cameras are plugged: none, usually),
// and timed from its start to its "shown" line, printed once its window has
// painted for the first time (ORLACAM_REPORT_SHOWN). All share one temporary
// home, warmed by a first start that is not counted, so that none creates
// its data folders or font caches while timed; each run is ended and waited
// for before the next, so the program's single-instance lock is always free.
// The program leaves X's OpenGL driver unloaded (it draws with the raster
// engine alone); a bare window told to do the same shows what the program's
// own work costs.
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
void setOrRemove(QProcessEnvironment& env, const QString& name, const QString& value)
{
    if (value.isEmpty())
        env.remove(name);
    else
        env.insert(name, value);
}

double timeToShown(const QString& program, const QStringList& args, QProcessEnvironment env,
                   const QString& backend, const QString& glIntegration)
{
    QProcess process;
    setOrRemove(env, QStringLiteral("ORLACAM_DEVICE_BACKEND"), backend);
    setOrRemove(env, QStringLiteral("QT_XCB_GL_INTEGRATION"), glIntegration);
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
    env.insert("ORLACAM_REPORT_SHOWN", "1");
    env.insert("LC_ALL", "en_US.UTF-8");

    struct Yardstick
    {
        const char* name;
        QString program;
        QStringList args;
        QString backend;  // ORLACAM_DEVICE_BACKEND; empty: unset, the default
        QString gl;  // QT_XCB_GL_INTEGRATION; empty: unset, the default
        const char* verdict;  // of a start of the program, else null
        std::vector<double> times;
    };
    const QString program = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(ORLACAM_BIN);
    Yardstick starts[] = {
        // Each start of the program follows one of the bare window: the first
        // start after another program's pays some milliseconds more.
        {"OrlaCam demo", program, {}, QStringLiteral("sim"), {}, "with the demo cameras", {}},
        {"bare window", QStringLiteral(BARE_WINDOW_BIN), {}, {}, {}, nullptr, {}},
        {"OrlaCam linux", program, {}, {}, {}, "with the Linux backend", {}},
        {"bare + text", QStringLiteral(BARE_WINDOW_BIN), {QStringLiteral("text")}, {}, {}, nullptr, {}},
        {"bare, no GL", QStringLiteral(BARE_WINDOW_BIN), {}, {}, QStringLiteral("none"), nullptr, {}},
    };
    for (int run = -1; run < runs; ++run) {
        for (Yardstick& start : starts) {
            const double seconds = timeToShown(start.program, start.args, env, start.backend, start.gl);
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
        std::printf("%-13s %7.3f s (min %.3f, max %.3f)\n", start.name, median(start.times),
                    *std::min_element(start.times.begin(), start.times.end()),
                    *std::max_element(start.times.begin(), start.times.end()));
    const double bare = median(starts[1].times);
    const double text = median(starts[3].times);
    const double noGl = median(starts[4].times);
    double load[3] = {};
    getloadavg(load, 3);
    for (const Yardstick& start : starts) {
        if (start.verdict)
            std::printf("ratio of %-13s %5.2f to the bare window, %.2f to one with text, %.2f to one without "
                        "OpenGL\n",
                        start.name, median(start.times) / bare, median(start.times) / text,
                        median(start.times) / noGl);
    }
    std::printf("\n");
    for (const Yardstick& start : starts) {
        if (!start.verdict)
            continue;
        const double ratio = median(start.times) / bare;
        std::printf("within 1.5x of the bare window %s: %s (%.2fx, load average %.1f)\n", start.verdict,
                    ratio <= 1.5 ? "met" : "MISSED", ratio, load[0]);
    }
    return 0;
}
