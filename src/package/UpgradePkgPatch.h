#pragma once

#include "package/StoreFolder.h"

#include <QString>

#include <cstdint>

namespace vesk {
namespace pc {

// Binary patch files: the 16-byte magic "VORNAKE/BSDIFF43", the new file's
// size as an 8-byte offtout integer, then one bzip2 stream holding the diff
// entries. Outputs are written under a temporary name unique to the call and
// renamed when complete; a failure leaves nothing at the output path.
class UpgradePkgPatch
{
public:
    // Files beyond this are refused rather than read into memory.
    static constexpr int64_t kMaxFileSize = int64_t(1) << 30;

    UpgradePkgPatch() = default;
    ~UpgradePkgPatch() = default;

    // 0 on success, -1 on failure.
    static int generatePatchFile(const QString& oldFile, const QString& newFile,
                                 const QString& patchFile);
    static int generatePatchFile(const uint8_t* oldData, int64_t oldSize, const uint8_t* newData,
                                 int64_t newSize, const QString& patchFile);
    // The same with the diff's search on at most threads threads, for
    // callers that run several diffs at once (the others use every core).
    static int generatePatchFile(const uint8_t* oldData, int64_t oldSize, const uint8_t* newData,
                                 int64_t newSize, const QString& patchFile, int threads);
    // The rebuilt file is renamed into place without a sync to disk unless
    // sync asks for one: whoever uses it checks it first, and the sync
    // would take longer than the patch.
    static int generateNewFile(const QString& oldFile, const QString& newFile,
                               const QString& patchFile,
                               StoreFolder::NewFile::Sync sync = StoreFolder::NewFile::Sync::Skip);
};

} // namespace pc
} // namespace vesk
