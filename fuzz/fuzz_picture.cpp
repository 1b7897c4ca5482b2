// A picture the user chooses for a virtual background, scaled to the size
// the camera takes, as the window does before an upload.

#include "FuzzSupport.h"

#include "comm/Util.h"
#include "support/PackageBuilder.h"

#include <QFileInfo>

#include <cstdio>

using namespace vesk::pc;

namespace {

// A picture within the pixel limit, decoded and converted for scaling,
// takes less than 400 MiB.
constexpr long long kMostAddedKb = 512 * 1024;

// The process's peak resident size (VmHWM) in KiB, or -1.
long long peakKb()
{
    std::FILE* const status = std::fopen("/proc/self/status", "r");
    long long kb = -1;
    char line[256];
    while (status && kb < 0 && std::fgets(line, sizeof line, status))
        std::sscanf(line, "VmHWM: %lld kB", &kb);
    if (status)
        std::fclose(status);
    return kb;
}

// Sets the peak back to the size now, so that the next peak is that of one
// input: the whole run's grows with what the fuzzer and the allocator keep.
bool resetPeak()
{
    std::FILE* const clear = std::fopen("/proc/self/clear_refs", "w");
    if (!clear)
        return false;
    const bool written = std::fputs("5", clear) >= 0;
    return std::fclose(clear) == 0 && written;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::init();
    FUZZ_PROMISE(resetPeak());
    const long long before = peakKb();
    FUZZ_PROMISE(before > 0);
    fuzz::Input in(data, size);
    const uint8_t format = in.byte();
    fuzz::Sandbox box;
    const QString source = box.file(QStringLiteral("chosen"));
    const QString target = box.file((format & 1) ? QStringLiteral("pic.jpg") : QStringLiteral("pic.png"));
    FUZZ_PROMISE(pkgtest::writeFile(source, in.rest()));
    if (Util::resizeImage(source, target, 64, 36))
        FUZZ_PROMISE(QFileInfo(target).size() > 0);
    else
        FUZZ_PROMISE(!QFileInfo::exists(target));
    FUZZ_PROMISE(box.clean());
    // A small file never takes the memory of a huge picture: what this input
    // added at its peak is bounded.
    FUZZ_PROMISE(peakKb() - before < kMostAddedKb);
    return 0;
}
