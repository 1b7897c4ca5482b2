// Patch files: the diff entries read straight from the fuzzer's bytes, and
// whole patch files whose bzip2 stream the harness makes from them, so that
// the stream's own CRCs hold and the reader behind them is reached.

#include "FuzzSupport.h"

#include "package/BsDiff.h"
#include "package/UpgradePkgPatch.h"
#include "support/PackageBuilder.h"

#include <bzlib.h>

#include <cstring>
#include <vector>

using namespace vesk::pc;

namespace {

struct Bytes
{
    const QByteArray* data;
    int at;
};

int readBytes(const patch_stream* stream, void* buffer, int length)
{
    auto* bytes = static_cast<Bytes*>(stream->opaque);
    if (length < 0 || length > bytes->data->size() - bytes->at)
        return -1;
    std::memcpy(buffer, bytes->data->constData() + bytes->at, size_t(length));
    bytes->at += length;
    return 0;
}

QByteArray bzip2(const QByteArray& entries)
{
    unsigned int size = unsigned(entries.size() + entries.size() / 100 + 700);
    QByteArray out(int(size), '\0');
    if (BZ2_bzBuffToBuffCompress(out.data(), &size, const_cast<char*>(entries.constData()),
                                 unsigned(entries.size()), 1, 0, 0) != BZ_OK)
        return QByteArray();
    out.resize(int(size));
    return out;
}

QByteArray patchFile(int64_t newSize, const QByteArray& entries)
{
    uint8_t size[8];
    offtout(newSize, size);
    return QByteArray("VORNAKE/BSDIFF43") + QByteArray(reinterpret_cast<const char*>(size), 8) + bzip2(entries);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::init();
    fuzz::Input in(data, size);
    const uint8_t mode = in.byte();
    const int64_t newSize = in.u32() % (1 << 20);
    const QByteArray old = in.take(in.u32() % 4096);
    const QByteArray entries = in.rest();

    Bytes bytes{&entries, 0};
    patch_stream stream{&bytes, readBytes};
    std::vector<uint8_t> rebuilt;
    const PatchSink keep = [&rebuilt](const uint8_t* piece, int64_t length) {
        rebuilt.insert(rebuilt.end(), piece, piece + length);
        return true;
    };
    if (bspatchStreamed(reinterpret_cast<const uint8_t*>(old.constData()), old.size(), newSize, &stream,
                        keep) == 0)
        FUZZ_PROMISE(int64_t(rebuilt.size()) == newSize);

    fuzz::Sandbox box;
    const QString oldPath = box.file(QStringLiteral("old.bin"));
    const QString patchPath = box.file(QStringLiteral("patch.bin"));
    const QString newPath = box.file(QStringLiteral("new.bin"));
    // As it came, or wrapped as the diff writes it.
    FUZZ_PROMISE(pkgtest::writeFile(oldPath, old));
    FUZZ_PROMISE(pkgtest::writeFile(patchPath, (mode & 1) ? patchFile(newSize, entries) : entries));
    if (UpgradePkgPatch::generateNewFile(oldPath, newPath, patchPath) == 0)
        FUZZ_PROMISE(QFileInfo(newPath).size() == newSize);
    else
        FUZZ_PROMISE(!QFileInfo::exists(newPath));
    FUZZ_PROMISE(QDir(box.work()).entryList(QDir::Files | QDir::Hidden).size() <= 3);
    FUZZ_PROMISE(box.clean());
    return 0;
}
