#pragma once

#include "package/BsDiff.h"

#include <cstdint>

// The fast diff, kept apart from the plain one of BsDiff.cpp that states the
// algorithm: batched, prefetched searches, sixteen bytes per extension step,
// and helper threads that search later segments of the new data ahead of
// the scan. Its entries are the plain diff's, byte for byte.

// Below this, helper threads (faulting the index in, searching ahead) cost
// more than they save.
constexpr int64_t kBsDiffHelperMinSize = 1 << 20;
// Diff bytes are computed in windows of this size.
constexpr int64_t kBsDiffWorkSize = 1 << 20;

// Writes the entries that turn old into new with at most threads threads;
// sizes are checked by the caller. 0 or -1.
int bsdiffFast(const uint8_t* old, int64_t oldsize, const uint8_t* newData, int64_t newsize,
               struct diff_stream* stream, int threads);
// How many threads the fast diff uses when the caller does not say.
int bsdiffFastThreads();

// Steps both diffs share. I[0] is the empty suffix (position oldSize), then
// the sorted suffixes: the order the classic prefix-doubling sort gives.
bool bsdiffSortSuffixes(const uint8_t* old, int64_t oldSize, int32_t* I);
bool bsdiffWriteAll(struct diff_stream* stream, const uint8_t* data, int64_t length);
