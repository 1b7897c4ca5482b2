#pragma once

#include <lzma.h>

#include <cstdint>
#include <functional>

class QIODevice;

// The liblzma plumbing shared by the byte-array functions and LZMACoder:
// filter set-up and the streaming loops between two devices, with liblzma's
// results translated to the LZMA SDK's result codes.
namespace LZMA {
namespace engine {

// Called with the number of input bytes consumed so far.
using Progress = std::function<void(uint64_t consumed)>;

// Holds the options of one raw filter chain (filter + terminator).
struct FilterChain
{
    lzma_options_lzma options = {};
    lzma_filter filters[2] = {{LZMA_VLI_UNKNOWN, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
};

// Encoder chains for an SDK compression level (out-of-range levels become 5).
int lzma1EncoderChain(int level, FilterChain* chain);
int lzma2EncoderChain(int level, FilterChain* chain);
// Decoder chains from the stored properties; unpackSize all ones = unknown.
// Dictionaries above 64 MiB are refused with kErrorMem.
int lzma1DecoderChain(const uint8_t* props, int propsSize, uint64_t unpackSize, FilterChain* chain);
int lzma2DecoderChain(unsigned char prop, FilterChain* chain);

// The property bytes of an encoder chain (5 for LZMA, 1 for LZMA2).
int encodeProperties(const FilterChain& chain, uint8_t* props);

int encodeStream(const FilterChain& chain, QIODevice* in, QIODevice* out, const Progress& progress);
// With a known size, a stream that holds more data is refused (kErrorData).
int decodeStream(const FilterChain& chain, QIODevice* in, QIODevice* out, uint64_t unpackSize,
                 const Progress& progress);

} // namespace engine
} // namespace LZMA
