#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// Binary diff and patch in stream form: the diff writes, and the patch reads,
// a sequence of entries {control: x, y, z as offtout integers; x diff bytes;
// y extra bytes} through caller-supplied callbacks, so the caller chooses
// the container.
extern "C" {

struct diff_stream
{
    void* opaque;
    void* (*malloc)(size_t size);
    void (*free)(void* ptr);
    // 0 when all size bytes were taken, -1 otherwise.
    int (*write)(struct diff_stream* stream, const void* buffer, int size);
};

struct patch_stream
{
    void* opaque;
    // 0 only when exactly length bytes were delivered.
    int (*read)(const struct patch_stream* stream, void* buffer, int length);
};

// Writes the entries that turn old into new; 0 or -1. Old data must be
// shorter than 2^31 - 1 bytes (the suffix array is 32-bit).
int bsdiff(const uint8_t* old, int64_t oldsize, const uint8_t* newData, int64_t newsize,
           struct diff_stream* stream);
// Rebuilds newsize bytes into newData; 0 or -1 (newData then holds a
// partial result).
int bspatch(const uint8_t* old, int64_t oldsize, uint8_t* newData, int64_t newsize,
            struct patch_stream* stream);

// 8-byte sign-and-magnitude little-endian integers.
void offtout(int64_t x, uint8_t* buf);
int64_t offtin(const uint8_t* buf);
}

// The sign bit of an offtout integer; the other 63 bits are the magnitude.
constexpr uint64_t kOffSign = uint64_t(1) << 63;

// Takes the next length bytes of new data; false stops the patch.
using PatchSink = std::function<bool(const uint8_t* data, int64_t length)>;

// bspatch that hands the new data to sink in order, a window of at most
// 256 KiB at a time, so that its memory does not follow the size a patch
// declares; 0 or -1 (sink then may have taken a part).
int bspatchStreamed(const uint8_t* old, int64_t oldsize, int64_t newsize,
                    struct patch_stream* stream, const PatchSink& sink);

// bsdiff with the scan spread over at most threads threads (1: the calling
// thread only); the output is the same for any count. Inputs under 1 MiB
// take the plain diff, larger ones the fast one (BsDiffFast.h).
int bsdiffThreads(const uint8_t* old, int64_t oldsize, const uint8_t* newData, int64_t newsize,
                  struct diff_stream* stream, int threads);

// The diff as the classic algorithm states it, single-threaded and byte at a
// time: the same entries as bsdiffThreads, more slowly.
int bsdiffPlain(const uint8_t* old, int64_t oldsize, const uint8_t* newData, int64_t newsize,
                struct diff_stream* stream);
