#pragma once

// Makes the checksums of fuzzed firmware and camera packages hold, with the
// test builders' own CRC-32 and MD5, so that the fuzzer reaches the code
// behind each check. Only the first few modules are fixed; the rest stay as
// the fuzzer wrote them.

#include "support/PackageBuilder.h"

#include <QByteArray>

namespace vesk {
namespace pc {
namespace fuzz {

constexpr uint32_t kFixedModules = 8;

inline bool fits(const QByteArray& file, qint64 offset, qint64 length)
{
    return offset >= 0 && length >= 0 && offset + length <= file.size();
}

inline uint32_t at32(const QByteArray& file, qint64 offset)
{
    return fits(file, offset, 4) ? pkgtest::get32(file, offset) : 0;
}

// The camera package at base, inside a module of length bytes.
inline void fixCameraPackage(QByteArray& file, qint64 base, qint64 length)
{
    if (!fits(file, base, 256) || length < 256)
        return;
    const uint32_t count = qMin(at32(file, base + 12), kFixedModules);
    for (uint32_t i = 0; i < count && fits(file, base + 256 * (i + 1), 256); ++i) {
        const qint64 at = base + 256 * (i + 1);
        const qint64 offset = at32(file, at + 8), size = at32(file, at + 4);
        if (fits(file, base + offset, size))
            pkgtest::putBytes(file, int(at + 0x44), pkgtest::md5(file.mid(int(base + offset), int(size))));
        pkgtest::seal(file, int(at));
    }
    const qint64 start = at32(file, base + 4), end = at32(file, base + 8);
    if (start <= end && fits(file, base + start, end - start))
        pkgtest::putBytes(file, int(base + 0x14), pkgtest::md5(file.mid(int(base + start), int(end - start))));
    pkgtest::seal(file, int(base));
}

// A firmware package: its camera package, module CRCs and headers, the
// package MD5 and its header.
inline void fixFirmwarePackage(QByteArray& file)
{
    if (file.size() < 256)
        return;
    const uint32_t count = qMin(at32(file, 12), kFixedModules);
    for (uint32_t i = 0; i < count && fits(file, 256 * (i + 1), 256); ++i) {
        const qint64 at = 256 * (i + 1);
        const qint64 offset = at32(file, at + 8), size = at32(file, at + 4);
        if (fits(file, offset, size)) {
            if (at32(file, at) == 1)
                fixCameraPackage(file, offset, size);
            pkgtest::put32(file, int(at + 0x44), pkgtest::crc32(file.mid(int(offset), int(size))));
        }
        pkgtest::seal(file, int(at));
    }
    pkgtest::reseal(file);
}

} // namespace fuzz
} // namespace pc
} // namespace vesk
