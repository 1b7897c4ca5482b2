// Our diff and patch against Debian's bsdiff/bspatch 4.3 on one pair of
// 32 MiB files (the second a realistic revision of the first: relocated
// words, a moved block, an inserted and a removed region). Every tool runs
// as a child process so that wall time and peak memory are measured alike.
// Outputs: neither patch syncs the file it rebuilds (ours renames it from a
// temporary name, bspatch writes it in place); our diff syncs its patch
// file before the rename, bsdiff does not, which can only cost us time.
//
//   build/bench/bench_diff [megabytes [runs [folder]]]
//
// Defaults: 32 MiB, 3 runs of each diff and, after each, 3 of each patch
// (the best time is shown, as the machine's other work only ever adds time;
// every patch's time is listed too, as a tenth of a second is at the mercy
// of the disk's and the memory's state); the files are kept in folder when
// one is given.

#include "BenchSupport.h"
#include "package/UpgradePkgPatch.h"

#include <QLoggingCategory>
#include <QTemporaryDir>

#include <cstdlib>
#include <vector>

using namespace bench;
using vesk::pc::UpgradePkgPatch;

namespace {

// Patches are cheap against diffs: more rounds of them per diff run.
const int kPatchRoundsPerRun = 3;

void printTimes(const char* what, const std::vector<double>& times)
{
    std::printf("%-9s", what);
    for (double seconds : times)
        std::printf(" %.2f", seconds);
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--measure") == 0)
        return measureChild(argv + 2);
    QCoreApplication app(argc, argv);
    // Modes the measuring child runs: our diff and our patch, by file,
    // quietly.
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
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
    std::printf("old %lld bytes, new %lld bytes, best of %d diff and %d patch runs, load average %.1f\n"
                "rebuilt files synced by neither patch; our diff's patch file synced, bsdiff's not\n",
                (long long)oldData.size(), (long long)newData.size(), runs, runs * kPatchRoundsPerRun,
                loadAverage());

    const QString self = QCoreApplication::applicationFilePath();
    // Runs alternate between the tools so that both meet the same load.
    Run ourDiff, theirDiff, ourPatch, theirPatch;
    std::vector<double> ourPatchTimes, theirPatchTimes;
    const auto patchWith = [&](bool ours) {
        const Run run = ours ? measure(self, {"--patch", oldPath, dir.filePath("ours.new"),
                                              dir.filePath("ours.patch")})
                             : measure("/usr/bin/bspatch", {oldPath, dir.filePath("theirs.new"),
                                                            dir.filePath("theirs.patch")});
        keepBest(ours ? &ourPatch : &theirPatch, run);
        (ours ? ourPatchTimes : theirPatchTimes).push_back(run.seconds);
    };
    for (int i = 0; i < runs; ++i) {
        keepBest(&ourDiff, measure(self, {"--diff", oldPath, newPath, dir.filePath("ours.patch")}));
        keepBest(&theirDiff,
                 measure("/usr/bin/bsdiff", {oldPath, newPath, dir.filePath("theirs.patch")}));
        // Each goes first in turn: the first after a diff meets its writeback.
        for (int round = 0; round < kPatchRoundsPerRun; ++round) {
            const bool oursFirst = (i * kPatchRoundsPerRun + round) % 2 == 0;
            patchWith(oursFirst);
            patchWith(!oursFirst);
        }
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
    std::printf("patch times in run order (s):\n");
    printTimes("ours", ourPatchTimes);
    printTimes("bspatch", theirPatchTimes);
    std::printf("\n");
    std::printf("diff 5x faster:                   %s (%.1fx)\n",
                verdict(theirDiff.seconds >= 5 * ourDiff.seconds), theirDiff.seconds / ourDiff.seconds);
    std::printf("patch at most 3%% larger:          %s (%+.2f%%)\n", verdict(ourSize <= theirSize * 1.03),
                100.0 * (ourSize - theirSize) / theirSize);
    std::printf("diff peak memory no more:         %s (%ld vs %ld MiB)\n",
                verdict(ourDiff.peakKiB <= theirDiff.peakKiB), ourDiff.peakKiB / 1024,
                theirDiff.peakKiB / 1024);
    std::printf("patch time within 10%%:            %s (%.2f vs %.2f s)\n",
                verdict(ourPatch.seconds <= theirPatch.seconds * 1.10), ourPatch.seconds,
                theirPatch.seconds);
    std::printf("patch peak memory within 10%%:     %s (%ld vs %ld MiB)\n",
                verdict(ourPatch.peakKiB <= theirPatch.peakKiB * 1.10), ourPatch.peakKiB / 1024,
                theirPatch.peakKiB / 1024);
    return 0;
}
