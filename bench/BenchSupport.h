#pragma once

// What the benchmark programs share: firmware-like data and its revisions,
// and measuring a whole child process (wall time, and peak memory from
// wait4's rusage) so that every tool is measured alike.
//
// A program that measures calls measureChild() first thing when started
// with "--measure": measure() runs the program again in that mode.

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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

} // namespace bench
