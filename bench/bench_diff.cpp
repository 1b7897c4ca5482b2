// Our diff and patch against Debian's bsdiff/bspatch 4.3 on one pair of
// 32 MiB files (the second a realistic revision of the first: relocated
// words, a moved block, an inserted and a removed region). Every tool runs
// as a child process so that wall time and peak memory are measured alike.
//
//   build/bench/bench_diff [megabytes [runs [folder]]]
//
// Defaults: 32 MiB, 3 runs of each tool (the best time is shown, as the
// machine's other work only ever adds time); the files are kept in folder
// when one is given.

#include "package/UpgradePkgPatch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using vesk::pc::UpgradePkgPatch;

namespace {

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
QByteArray firmwareImage(qint64 size, Random& random)
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

QByteArray revision(const QByteArray& old, Random& random)
{
    QByteArray data = old;
    // Relocations: a changed address word every few KiB.
    for (int i = int(random.below(4096)); i + 4 <= data.size(); i += 1024 + int(random.below(6144)))
        data[i + 1] = char(data[i + 1] + 1);
    // A block moved towards the front, a region removed, a region inserted.
    const int mb = 1024 * 1024;
    const int size = data.size();
    data = data.left(size / 8) + data.mid(size / 2, 2 * mb) + data.mid(size / 8, size / 2 - size / 8) +
           data.mid(size / 2 + 2 * mb);
    data.remove(size * 3 / 4, 256 * 1024);
    Random inserted{random.next() | 1};
    data.insert(size * 5 / 8, firmwareImage(768 * 1024, inserted));
    return data;
}

// Runs program with its arguments through a child of our own that waits for
// it with wait4 and reports its wall time and peak resident memory.
Run measure(const QString& program, const QStringList& arguments)
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
void keepBest(Run* best, const Run& run)
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
int measureChild(char** argv)
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

qint64 fileSize(const QString& path)
{
    return QFile(path).size();
}

bool sameContent(const QString& a, const QByteArray& expected)
{
    QFile file(a);
    return file.open(QIODevice::ReadOnly) && file.readAll() == expected;
}

void printRow(const char* what, const Run& ours, const Run& theirs)
{
    std::printf("%-8s %9.2f s %9.2f s %8.1fx %9ld MiB %9ld MiB\n", what, ours.seconds,
                theirs.seconds, theirs.seconds / ours.seconds, ours.peakKiB / 1024,
                theirs.peakKiB / 1024);
}

const char* verdict(bool met)
{
    return met ? "met" : "MISSED";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--measure") == 0)
        return measureChild(argv + 2);
    QCoreApplication app(argc, argv);
    // Modes the measuring child runs: our diff and our patch, by file.
    if (argc == 5 && std::strcmp(argv[1], "--diff") == 0)
        return UpgradePkgPatch::generatePatchFile(argv[2], argv[3], argv[4]) == 0 ? 0 : 1;
    if (argc == 5 && std::strcmp(argv[1], "--patch") == 0)
        return UpgradePkgPatch::generateNewFile(argv[2], argv[3], argv[4]) == 0 ? 0 : 1;
    qSetMessagePattern("%{message}");
    const qint64 mib = argc > 1 ? std::atoll(argv[1]) : 32;

    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    QTemporaryDir dir(argc > 3 ? QString(argv[3]) + "/bench_diff-XXXXXX" : QString());
    dir.setAutoRemove(argc <= 3);
    Random random{0x0C0FFEE123456789ull};
    const QByteArray oldData = firmwareImage(mib * 1024 * 1024, random);
    const QByteArray newData = revision(oldData, random);
    const QString oldPath = dir.filePath("old.bin");
    const QString newPath = dir.filePath("new.bin");
    QFile oldFile(oldPath);
    QFile newFile(newPath);
    if (!dir.isValid() || !oldFile.open(QIODevice::WriteOnly) || oldFile.write(oldData) < 0 ||
        !newFile.open(QIODevice::WriteOnly) || newFile.write(newData) < 0) {
        std::fprintf(stderr, "cannot write the input files\n");
        return 1;
    }
    oldFile.close();
    newFile.close();
    std::printf("old %lld bytes, new %lld bytes, best of %d runs\n", (long long)oldData.size(),
                (long long)newData.size(), runs);

    const QString self = QCoreApplication::applicationFilePath();
    // Runs alternate between the tools so that both meet the same load.
    Run ourDiff, theirDiff, ourPatch, theirPatch;
    for (int i = 0; i < runs; ++i) {
        keepBest(&ourDiff, measure(self, {"--diff", oldPath, newPath, dir.filePath("ours.patch")}));
        keepBest(&theirDiff,
                 measure("/usr/bin/bsdiff", {oldPath, newPath, dir.filePath("theirs.patch")}));
        keepBest(&ourPatch, measure(self, {"--patch", oldPath, dir.filePath("ours.new"),
                                           dir.filePath("ours.patch")}));
        keepBest(&theirPatch, measure("/usr/bin/bspatch", {oldPath, dir.filePath("theirs.new"),
                                                           dir.filePath("theirs.patch")}));
    }
    const bool ourOk = ourDiff.ok && ourPatch.ok && sameContent(dir.filePath("ours.new"), newData);
    const bool theirOk =
        theirDiff.ok && theirPatch.ok && sameContent(dir.filePath("theirs.new"), newData);
    if (!ourOk || !theirOk) {
        std::fprintf(stderr, "a run failed or rebuilt the wrong file (ours %d, bsdiff %d)\n",
                     ourOk, theirOk);
        return 1;
    }

    const qint64 ourSize = fileSize(dir.filePath("ours.patch"));
    const qint64 theirSize = fileSize(dir.filePath("theirs.patch"));
    std::printf("\n%-8s %11s %11s %9s %13s %13s\n", "", "ours", "bsdiff 4.3", "speed-up",
                "ours peak", "bsdiff peak");
    printRow("diff", ourDiff, theirDiff);
    printRow("patch", ourPatch, theirPatch);
    std::printf("%-8s %9lld B %9lld B %+8.2f%%\n\n", "size", (long long)ourSize,
                (long long)theirSize, 100.0 * (ourSize - theirSize) / theirSize);
    std::printf("diff 5x faster:          %s\n",
                verdict(theirDiff.seconds >= 5 * ourDiff.seconds));
    std::printf("patch at most 3%% larger: %s\n", verdict(ourSize <= theirSize * 1.03));
    std::printf("patch time within 10%%:   %s\n",
                verdict(ourPatch.seconds <= theirPatch.seconds * 1.10));
    std::printf("diff peak memory:        %s\n", verdict(ourDiff.peakKiB <= theirDiff.peakKiB));
    return 0;
}
