// The upgrade's patch list against Debian's bsdiff 4.3 on the whole pair.
// The package is a generated 32 MiB firmware of six modules; the camera's
// image holds the same modules one version older (each shifted and edited
// inside its module's area, zero padding behind). The list is made with
// every core and with one (the child pinned to a single CPU); every run is a
// child process, so wall time and peak memory are measured alike. The floor
// of the list with every core is the suffix sort of its longest chunk,
// which runs on one core: it is measured alone, in turn with the others.
//
//   build/bench/bench_upgrade [runs [folder]]
//
// Defaults: 3 runs of each (the best time is shown; every core against one
// is judged on the medians, so that one slow run does not decide it); the
// files are kept in folder when one is given.

#include "BenchSupport.h"
#include "package/BsDiffFast.h"
#include "package/LargeBuffer.h"
#include "platform/EmptyBackend.h"
#include "upgrade/UvcUpgradeTask.h"
#include "uvc/UvcDevices.h"

#include <QTemporaryDir>

#include <cstdlib>
#include <sched.h>

using namespace bench;

namespace vesk {
namespace pc {

// The engine's patch list step, on an engine that has no camera.
class UvcPatchUpgradeProbe
{
public:
    static bool patchList(const QString& image, const QString& package, const QString& out,
                          const QList<uint32_t>& splitPoints)
    {
        EmptyBackend backend;
        UvcDevices registry(backend);
        UvcUpgradeTask engine(QString(), UvcPatchUpgrade::UvcTaskUpgrade, registry);
        return engine.bspatchListGenerate(image, package, out, splitPoints, 10);
    }
};

} // namespace pc
} // namespace vesk

namespace {

constexpr qint64 kKiB = 1024;
// Module areas of the package: boot, kernel, root file system, application,
// AI model, configuration; 32 MiB in all.
constexpr qint64 kModuleKiB[] = {512, 3584, 12288, 9216, 5120, 2048};

struct Pair
{
    QByteArray image;
    QByteArray package;
    QList<uint32_t> splitPoints;  // module ends, the last the package length
};

QByteArray padded(const QByteArray& content, qint64 area)
{
    return content.left(int(area)) + QByteArray(int(std::max<qint64>(0, area - content.size())), '\0');
}

Pair makePair()
{
    Random random{0x5EEDF00D12345678ull};
    Pair pair;
    for (const qint64 kib : kModuleKiB) {
        const qint64 area = kib * kKiB;
        const QByteArray older = firmwareImage(area * 92 / 100, random);
        pair.image += padded(older, area);
        pair.package += padded(revision(older, random), area);
        pair.splitPoints << uint32_t(pair.package.size());
    }
    return pair;
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// Offset and length of the longest chunk the list cuts the package into
// (chunks end at every split point and every 8 MiB between them).
QPair<qint64, qint64> longestChunk(const QList<uint32_t>& splitPoints)
{
    constexpr qint64 kMaxChunk = 8 << 20;
    QPair<qint64, qint64> longest{0, 0};
    qint64 from = 0;
    for (const uint32_t split : splitPoints) {
        for (; from < split; from = std::min<qint64>(split, from + kMaxChunk)) {
            const qint64 length = std::min<qint64>(split - from, kMaxChunk);
            if (length > longest.second)
                longest = {from, length};
        }
    }
    return longest;
}

// Child side: "--sort image offset length", the suffix sort of one chunk
// of the image as the diff makes it (index memory included).
int runSort(char** argv)
{
    vesk::pc::LargeBuffer image;
    if (vesk::pc::LargeBuffer::readFile(argv[2], 1 << 30, &image) != vesk::pc::LargeBuffer::Read::Ok)
        return 1;
    const qint64 offset = QByteArray(argv[3]).toLongLong();
    const qint64 length = QByteArray(argv[4]).toLongLong();
    if (offset < 0 || length <= 0 || offset + length > image.size())
        return 1;
    auto* index = static_cast<int32_t*>(vesk::pc::LargeBuffer::allocate(size_t(length + 1) * 4));
    const bool sorted = index && bsdiffSortSuffixes(image.data() + offset, length, index);
    vesk::pc::LargeBuffer::release(index);
    return sorted ? 0 : 1;
}

QString splitText(const QList<uint32_t>& splitPoints)
{
    QStringList parts;
    for (const uint32_t split : splitPoints)
        parts << QString::number(split);
    return parts.join(',');
}

// Child side: "--list all|one image package out splits".
int runList(char** argv)
{
    if (std::strcmp(argv[2], "one") == 0 && !pinToCore(sched_getcpu()))
        return 2;
    QList<uint32_t> splitPoints;
    for (const QString& part : QString(argv[6]).split(','))
        splitPoints << part.toUInt();
    return vesk::pc::UvcPatchUpgradeProbe::patchList(argv[3], argv[4], argv[5], splitPoints) ? 0 : 1;
}

void printRun(const char* what, const Run& run, const Run& reference)
{
    std::printf("%-22s %8.2f s %8.1fx %9ld MiB\n", what, run.seconds, reference.seconds / run.seconds,
                run.peakKiB / 1024);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--measure") == 0)
        return measureChild(argv + 2);
    QCoreApplication app(argc, argv);
    if (argc == 5 && std::strcmp(argv[1], "--sort") == 0)
        return runSort(argv);
    if (argc == 7 && std::strcmp(argv[1], "--list") == 0) {
        qSetMessagePattern("%{message}");
        qputenv("QT_LOGGING_RULES", "*.debug=false;*.info=false");
        return runList(argv);
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    QTemporaryDir dir(argc > 2 ? QString(argv[2]) + "/bench_upgrade-XXXXXX" : QString());
    dir.setAutoRemove(argc <= 2);
    const Pair pair = makePair();
    const QString image = dir.filePath("devFw.bin");
    const QString package = dir.filePath("package.bin");
    if (!dir.isValid() || !writeFile(image, pair.image) || !writeFile(package, pair.package)) {
        std::fprintf(stderr, "cannot write the input files\n");
        return 1;
    }
    std::printf("package %lld bytes in %d modules, best of %d runs (all cores against one: the"
                " medians), %d cores, load average %.1f\n",
                (long long)pair.package.size(), int(pair.splitPoints.size()), runs,
                QThread::idealThreadCount(), loadAverage());

    const QString self = QCoreApplication::applicationFilePath();
    const QString splits = splitText(pair.splitPoints);
    const QPair<qint64, qint64> longest = longestChunk(pair.splitPoints);
    Run all, one, theirs, sort;
    std::vector<double> allTimes, oneTimes;
    for (int i = 0; i < runs; ++i) {
        const Run allRun = measure(self, {"--list", "all", image, package, dir.filePath("all.list"), splits});
        const Run oneRun = measure(self, {"--list", "one", image, package, dir.filePath("one.list"), splits});
        keepBest(&all, allRun);
        keepBest(&one, oneRun);
        allTimes.push_back(allRun.seconds);
        oneTimes.push_back(oneRun.seconds);
        keepBest(&theirs, measure("/usr/bin/bsdiff", {image, package, dir.filePath("whole.patch")}));
        keepBest(&sort, measure(self, {"--sort", image, QString::number(longest.first),
                                       QString::number(longest.second)}));
    }
    if (!all.ok || !one.ok || !theirs.ok || !sort.ok) {
        std::fprintf(stderr, "a run failed (all cores %d, one core %d, bsdiff %d, sort %d)\n", all.ok,
                     one.ok, theirs.ok, sort.ok);
        return 1;
    }
    std::printf("\n%-22s %10s %9s %13s\n", "", "time", "vs bsdiff", "peak memory");
    printRun("patch list, all cores", all, theirs);
    printRun("patch list, one core", one, theirs);
    printRun("bsdiff, whole pair", theirs, theirs);
    std::printf("%-22s %9lld B (list)   %lld B (bsdiff)\n\n", "size",
                (long long)fileSize(dir.filePath("all.list")),
                (long long)fileSize(dir.filePath("whole.patch")));
    // The process that sorts also starts and reads the image, as the list's does.
    std::printf("floor: the longest chunk's (%lld MiB) suffix sort on one core, with the start and"
                " the image read: %.2f s; every core takes %.2f s more\n\n",
                (long long)(longest.second >> 20), sort.seconds, all.seconds - sort.seconds);
    const double allMedian = median(allTimes);
    const double oneMedian = median(oneTimes);
    std::printf("all cores 3.5x faster than one: %s (%.1fx: %.2f vs %.2f s, medians of %d runs)\n",
                verdict(oneMedian >= 3.5 * allMedian), oneMedian / allMedian, allMedian, oneMedian,
                runs);
    std::printf("8x faster than bsdiff:          %s (%.1fx: %.2f vs %.2f s)\n",
                verdict(theirs.seconds >= 8 * all.seconds), theirs.seconds / all.seconds, all.seconds,
                theirs.seconds);
    std::printf("peak memory within bsdiff's:    %s (%ld vs %ld MiB)\n",
                verdict(std::max(all.peakKiB, one.peakKiB) <= theirs.peakKiB),
                std::max(all.peakKiB, one.peakKiB) / 1024, theirs.peakKiB / 1024);
    return 0;
}
