#pragma once

// What the benchmark programs share: firmware-like data and its revisions,
// generated package files, free ports on 127.0.0.1, a local nginx with a
// configuration of its own, and measuring whole child processes (wall time,
// and peak memory from wait4's rusage) so that every tool is measured alike.
//
// A program that measures calls measureChild() first thing when started
// with "--measure": measure() runs the program again in that mode.

#include <QByteArray>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace bench {

struct Run
{
    bool ok = false;
    double seconds = 0;
    long peakKiB = 0;
};

// xorshift64*: fast and fixed for every run.
struct Random
{
    uint64_t state;
    uint64_t next()
    {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return state * 2685821657736338717ull;
    }
    uint32_t below(uint32_t n) { return uint32_t((next() >> 32) % n); }
};

// Firmware-like content: code made of a skewed set of 4-byte words with
// random immediates, compressed (random) sections and zero padding.
inline QByteArray firmwareImage(qint64 size, Random& random)
{
    QByteArray data(int(size), '\0');
    uint32_t words[512];
    for (uint32_t& word : words)
        word = uint32_t(random.next());
    qint64 at = 0;
    while (at < size) {
        const qint64 section = std::min<qint64>(size - at, 64 * 1024 + random.below(512 * 1024));
        const uint32_t kind = random.below(8);
        for (qint64 i = 0; i + 4 <= section; i += 4) {
            uint32_t word = 0;
            if (kind < 5) {  // code
                const uint32_t pick = random.below(512);
                word = words[pick * pick / 512];
                if (random.below(4) == 0)
                    word = (word & 0xFFFF0000u) | random.below(65536);
            } else if (kind < 7) {  // compressed data
                word = uint32_t(random.next());
            }  // else padding
            std::memcpy(data.data() + at + i, &word, 4);
        }
        at += section;
    }
    return data;
}

// A later revision of old: relocated words, a moved block, a region
// removed and one inserted.
inline QByteArray revision(const QByteArray& old, Random& random)
{
    QByteArray data = old;
    // Relocations: a changed address word every few KiB.
    for (int i = int(random.below(4096)); i + 4 <= data.size(); i += 1024 + int(random.below(6144)))
        data[i + 1] = char(data[i + 1] + 1);
    // A block moved towards the front, a region removed, a region inserted.
    // Sizes in 128ths of the file: 2 MiB, 256 KiB and 768 KiB of 32 MiB.
    const int size = data.size();
    const int moved = size / 16;
    data = data.left(size / 8) + data.mid(size / 2, moved) + data.mid(size / 8, size / 2 - size / 8) +
           data.mid(size / 2 + moved);
    data.remove(size * 3 / 4, size / 128);
    Random inserted{random.next() | 1};
    data.insert(size * 5 / 8, firmwareImage(qint64(size) * 3 / 128, inserted));
    return data;
}

// Runs program with its arguments through a child of our own that waits for
// it with wait4 and reports its wall time and peak resident memory.
inline Run measure(const QString& program, const QStringList& arguments)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                QStringList{"--measure", program} + arguments);
    Run run;
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        return run;
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() != 3)
        return run;
    run.ok = fields[0] == "0";
    run.seconds = fields[1].toDouble();
    run.peakKiB = fields[2].toLong();
    return run;
}

// Keeps the fastest time and the highest peak memory; one failed run fails.
inline void keepBest(Run* best, const Run& run)
{
    if (!run.ok) {
        *best = run;
        best->seconds = -1;  // marks the failure for later runs
        return;
    }
    if (best->seconds < 0)
        return;
    best->seconds = best->ok ? std::min(best->seconds, run.seconds) : run.seconds;
    best->peakKiB = std::max(best->peakKiB, run.peakKiB);
    best->ok = true;
}

// Child side of measure(): fork, exec, wait4; prints "status seconds peakKiB".
inline int measureChild(char** argv)
{
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
        execv(argv[0], argv);
        _exit(127);
    }
    int status = 0;
    rusage usage = {};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid)
        return 1;
    std::printf("%d %.3f %ld\n", WIFEXITED(status) ? WEXITSTATUS(status) : 128,
                timer.nsecsElapsed() / 1e9, usage.ru_maxrss);
    return 0;
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

inline qint64 fileSize(const QString& path)
{
    return QFile(path).size();
}

inline bool sameContent(const QString& a, const QByteArray& expected)
{
    QFile file(a);
    return file.open(QIODevice::ReadOnly) && file.readAll() == expected;
}

inline void printRow(const char* what, const Run& ours, const Run& theirs)
{
    std::printf("%-8s %9.2f s %9.2f s %8.1fx %9ld MiB %9ld MiB\n", what, ours.seconds,
                theirs.seconds, theirs.seconds / ours.seconds, ours.peakKiB / 1024,
                theirs.peakKiB / 1024);
}

inline const char* verdict(bool met)
{
    return met ? "met" : "MISSED";
}

// The 1-minute load average: the figures mean little without it on a
// machine that others share.
inline double loadAverage()
{
    double load[3] = {};
    return getloadavg(load, 3) > 0 ? load[0] : -1;
}

// Keeps this process on the given core only; false when refused.
inline bool pinToCore(int core)
{
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(core, &one);
    return sched_setaffinity(0, sizeof one, &one) == 0;
}

// Writes size bytes of changing content in blocks; returns the MD5 as hex,
// empty on failure.
inline QByteArray writePackage(const QString& path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QByteArray();
    QCryptographicHash md5(QCryptographicHash::Md5);
    QByteArray block(1 << 20, '\0');
    uint64_t state = 0x9E3779B97F4A7C15ull;
    for (qint64 done = 0; done < size; done += block.size()) {
        for (int i = 0; i + 8 <= block.size(); i += 8) {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            std::memcpy(block.data() + i, &state, 8);
        }
        const QByteArray piece = block.left(int(std::min<qint64>(block.size(), size - done)));
        md5.addData(piece);
        if (file.write(piece) != piece.size())
            return QByteArray();
    }
    return md5.result().toHex();
}

inline quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Waits up to 5 s for something to accept connections on the port.
inline bool waitForPort(quint16 port)
{
    for (int i = 0; i < 100; ++i) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (socket.waitForConnected(100))
            return true;
        QThread::msleep(50);
    }
    return false;
}

inline QString nginxProgram()
{
    return QStandardPaths::findExecutable("nginx", {"/usr/sbin", "/usr/bin", "/sbin"});
}

// One nginx process (no master, one worker, sendfile) on 127.0.0.1:port
// serving root/www, with its files under root; linkMib > 0 limits its rate.
inline QByteArray nginxConfig(const QString& root, quint16 port, const QByteArray& locations, int linkMib = 0)
{
    const QByteArray r = QFile::encodeName(root);
    const QByteArray limit = linkMib > 0 ? "  limit_rate " + QByteArray::number(linkMib << 20) + ";\n" : "";
    return "daemon off;\nmaster_process off;\nworker_processes 1;\npid " + r + "/nginx.pid;\n"
           "error_log " + r + "/error.log;\nevents { worker_connections 64; }\nhttp {\n"
           "  access_log off;\n  sendfile on;\n" + limit + "  client_body_temp_path " + r + "/tmp;\n"
           "  proxy_temp_path " + r + "/tmp;\n  fastcgi_temp_path " + r + "/tmp;\n"
           "  uwsgi_temp_path " + r + "/tmp;\n  scgi_temp_path " + r + "/tmp;\n"
           "  server {\n    listen 127.0.0.1:" + QByteArray::number(port) + ";\n    root " + r + "/www;\n"
           + locations + "  }\n}\n";
}

// A process of ours, started with fork and execve.
struct Child
{
    pid_t pid = -1;
};

// Starts program with arguments; env entries ("NAME=value") are added to
// this process's environment.
inline Child spawn(const QString& program, const QStringList& arguments, const QStringList& env = {})
{
    std::vector<QByteArray> store{QFile::encodeName(program)};
    for (const QString& argument : arguments)
        store.push_back(argument.toLocal8Bit());
    const size_t argc = store.size();
    for (char** e = environ; *e; ++e)
        store.push_back(QByteArray(*e));
    for (const QString& entry : env)
        store.push_back(entry.toLocal8Bit());
    std::vector<char*> argv;
    std::vector<char*> envp;
    for (size_t i = 0; i < store.size(); ++i)
        (i < argc ? argv : envp).push_back(store[i].data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    Child child;
    child.pid = fork();
    if (child.pid == 0) {
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    return child;
}

// Ends the child with signal and returns its peak resident memory in KiB;
// -1 when it was not running.
inline long reap(Child& child, int signal = SIGTERM)
{
    if (child.pid <= 0)
        return -1;
    kill(child.pid, signal);
    int status = 0;
    rusage usage = {};
    const pid_t ended = wait4(child.pid, &status, 0, &usage);
    child.pid = -1;
    return ended > 0 ? usage.ru_maxrss : -1;
}

} // namespace bench
