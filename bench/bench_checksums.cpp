// Throughput of the checksums and file digests, and the peak memory while
// digesting a large file (which must stay flat: files are read in 2 KiB chunks).
//
//   build/bench/bench_checksums [megabytes]   (default 256)

#include "comm/Util.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryFile>

#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

using vesk::pc::Util;

namespace {

long peakRssKiB()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

template <typename F>
void report(const char* name, qint64 bytes, F&& run)
{
    QElapsedTimer timer;
    timer.start();
    const unsigned long long result = run();
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("%-14s %8.1f MiB/s   result %llx   peak RSS %ld KiB\n", name,
                bytes / (1024.0 * 1024.0) / seconds, result, peakRssKiB());
}

} // namespace

int main(int argc, char** argv)
{
    const qint64 mib = argc > 1 ? std::atoll(argv[1]) : 256;
    const qint64 size = mib * 1024 * 1024;

    QByteArray block(1024 * 1024, Qt::Uninitialized);
    for (int i = 0; i < block.size(); ++i)
        block[i] = char((i * 2654435761u) >> 24);
    const auto* data = reinterpret_cast<const uint8_t*>(block.constData());

    report("crc32 buffer", block.size() * 64LL, [&] {
        unsigned long long crc = 0;
        for (int i = 0; i < 64; ++i)
            crc += Util::crc32ForBuf(data, uint32_t(block.size()));
        return crc;
    });
    report("crc16 buffer", block.size() * 64LL, [&] {
        unsigned long long crc = 0;
        for (int i = 0; i < 64; ++i)
            crc += Util::crc16ForBuf(data, uint32_t(block.size()));
        return crc;
    });
    report("crc8 buffer", block.size() * 64LL, [&] {
        unsigned long long crc = 0;
        for (int i = 0; i < 64; ++i)
            crc += Util::crc8ForBuf(data, uint32_t(block.size()));
        return crc;
    });

    QTemporaryFile file;
    if (!file.open()) {
        std::fprintf(stderr, "cannot create a temporary file\n");
        return 1;
    }
    for (qint64 written = 0; written < size; written += block.size())
        file.write(block);
    file.close();
    std::printf("file of %lld MiB, peak RSS before digests %ld KiB\n", mib, peakRssKiB());

    report("crc32 file", size, [&] { return Util::crc32ForFile(&file, 0, 0); });
    report("md5 file", size, [&] {
        const QByteArray digest = Util::md5ForFile(&file, 0);
        return digest.isEmpty() ? 0ULL : (unsigned long long)(uint8_t)digest[0];
    });
    return 0;
}
