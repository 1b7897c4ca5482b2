#include "package/LzmaEngine.h"
#include "package/LZMA.h"

#include <QDebug>
#include <QIODevice>

#include <cstdlib>
#include <vector>

namespace LZMA {
namespace engine {

namespace {

constexpr int kBufferSize = 65536;
constexpr int kDefaultLevel = 5;
// The dictionary size comes from the input; ours use 16 MiB.
constexpr uint32_t kMaxDictionarySize = 64u << 20;

void* allocate(void*, size_t count, size_t size)
{
    return std::malloc(count * size);
}

void release(void*, void* address)
{
    std::free(address);
}

// Every liblzma call that can allocate gets this one record.
const lzma_allocator kAllocator = {allocate, release, nullptr};

int toResult(lzma_ret ret)
{
    switch (ret) {
    case LZMA_OK:
    case LZMA_STREAM_END:
        return kOk;
    case LZMA_MEM_ERROR:
    case LZMA_MEMLIMIT_ERROR:
        return kErrorMem;
    case LZMA_FORMAT_ERROR:
    case LZMA_DATA_ERROR:
        return kErrorData;
    case LZMA_OPTIONS_ERROR:
    case LZMA_UNSUPPORTED_CHECK:
        return kErrorUnsupported;
    case LZMA_BUF_ERROR:
        return kErrorInputEof;
    default:
        return kErrorParam;
    }
}

// The dictionary sizes of the LZMA SDK's levels, so that level 5 means a
// 16 MiB dictionary as it does for the camera's decoder.
uint32_t sdkDictionarySize(int level)
{
    if (level <= 3)
        return 1u << (level * 2 + 16);
    if (level <= 6)
        return 1u << (level + 19);
    return level == 7 ? 1u << 25 : 1u << 26;
}

int encoderChain(lzma_vli id, int level, FilterChain* chain)
{
    if (level < 0 || level > 9)
        level = kDefaultLevel;
    if (lzma_lzma_preset(&chain->options, uint32_t(level)))
        return kErrorParam;
    chain->options.dict_size = sdkDictionarySize(level);
    chain->filters[0] = {id, &chain->options};
    return kOk;
}

// Reads the next piece of input; false on a device error.
bool refill(QIODevice* in, std::vector<uint8_t>& buffer, lzma_stream& stream, bool* atEnd)
{
    const qint64 got = in->read(reinterpret_cast<char*>(buffer.data()), kBufferSize);
    if (got < 0)
        return false;
    stream.next_in = buffer.data();
    stream.avail_in = size_t(got);
    *atEnd = got == 0;
    return true;
}

bool flush(QIODevice* out, const std::vector<uint8_t>& buffer, size_t produced)
{
    if (produced == 0)
        return true;
    return out->write(reinterpret_cast<const char*>(buffer.data()), qint64(produced)) ==
           qint64(produced);
}

// The stored properties into the chain's options; an oversized dictionary
// is refused before the decoder allocates it.
int decodeOptions(lzma_vli id, const uint8_t* props, size_t size, FilterChain* chain)
{
    lzma_filter decoded = {id, nullptr};
    const lzma_ret ret = lzma_properties_decode(&decoded, &kAllocator, props, size);
    if (ret != LZMA_OK)
        return toResult(ret);
    chain->options = *static_cast<lzma_options_lzma*>(decoded.options);
    kAllocator.free(nullptr, decoded.options);
    if (chain->options.dict_size > kMaxDictionarySize) {
        qCritical() << "LZMA dictionary too large:" << chain->options.dict_size;
        return kErrorMem;
    }
    return kOk;
}

// Once the promised size is out, the stream must end there (at its end mark
// or, without one, at the end of the input): one more byte is data beyond
// the size, which is refused rather than cut.
int endsHere(lzma_stream& stream, QIODevice* in, std::vector<uint8_t>& buffer, bool atEnd)
{
    for (;;) {
        if (stream.avail_in == 0 && !atEnd && !refill(in, buffer, stream, &atEnd))
            return kErrorRead;
        uint8_t extra;
        const size_t inBefore = stream.avail_in;
        stream.next_out = &extra;
        stream.avail_out = 1;
        const lzma_ret ret = lzma_code(&stream, LZMA_RUN);
        if (stream.avail_out == 0) {
            qCritical() << "LZMA stream goes on past its size" << stream.total_out - 1;
            return kErrorData;
        }
        if (ret == LZMA_STREAM_END)
            return kOk;
        if (ret != LZMA_OK && ret != LZMA_BUF_ERROR)
            return toResult(ret);
        if (atEnd && stream.avail_in == inBefore)
            return kOk;
    }
}

} // namespace

int lzma1EncoderChain(int level, FilterChain* chain)
{
    // ext_flags 0: no end mark, the caller keeps the size.
    return encoderChain(LZMA_FILTER_LZMA1EXT, level, chain);
}

int lzma2EncoderChain(int level, FilterChain* chain)
{
    return encoderChain(LZMA_FILTER_LZMA2, level, chain);
}

int lzma1DecoderChain(const uint8_t* props, int propsSize, uint64_t unpackSize, FilterChain* chain)
{
    if (propsSize < 5)
        return kErrorUnsupported;
    const int result = decodeOptions(LZMA_FILTER_LZMA1, props, 5, chain);
    if (result != kOk)
        return result;
    // An end mark is accepted after exactly unpackSize bytes, and required
    // when the size is unknown.
    chain->options.ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
    lzma_set_ext_size(chain->options, unpackSize);
    chain->filters[0] = {LZMA_FILTER_LZMA1EXT, &chain->options};
    return kOk;
}

int lzma2DecoderChain(unsigned char prop, FilterChain* chain)
{
    const int result = decodeOptions(LZMA_FILTER_LZMA2, &prop, 1, chain);
    if (result != kOk)
        return result;
    chain->filters[0] = {LZMA_FILTER_LZMA2, &chain->options};
    return kOk;
}

int encodeProperties(const FilterChain& chain, uint8_t* props)
{
    lzma_filter filter = chain.filters[0];
    // The properties of the extended LZMA1 filter are those of LZMA1.
    if (filter.id == LZMA_FILTER_LZMA1EXT)
        filter.id = LZMA_FILTER_LZMA1;
    return toResult(lzma_properties_encode(&filter, props));
}

int encodeStream(const FilterChain& chain, QIODevice* in, QIODevice* out, const Progress& progress)
{
    lzma_stream stream = LZMA_STREAM_INIT;
    stream.allocator = &kAllocator;
    lzma_ret ret = lzma_raw_encoder(&stream, chain.filters);
    if (ret != LZMA_OK)
        return toResult(ret);
    std::vector<uint8_t> inBuffer(kBufferSize);
    std::vector<uint8_t> outBuffer(kBufferSize);
    bool atEnd = false;
    int result = kOk;
    while (result == kOk) {
        if (stream.avail_in == 0 && !atEnd && !refill(in, inBuffer, stream, &atEnd)) {
            result = kErrorRead;
            break;
        }
        stream.next_out = outBuffer.data();
        stream.avail_out = kBufferSize;
        ret = lzma_code(&stream, atEnd ? LZMA_FINISH : LZMA_RUN);
        if (!flush(out, outBuffer, kBufferSize - stream.avail_out))
            result = kErrorWrite;
        else if (ret != LZMA_OK)
            result = toResult(ret);
        if (progress)
            progress(stream.total_in);
        if (ret == LZMA_STREAM_END)
            break;
    }
    lzma_end(&stream);
    return result;
}

int decodeStream(const FilterChain& chain, QIODevice* in, QIODevice* out, uint64_t unpackSize,
                 const Progress& progress)
{
    lzma_stream stream = LZMA_STREAM_INIT;
    stream.allocator = &kAllocator;
    lzma_ret ret = lzma_raw_decoder(&stream, chain.filters);
    if (ret != LZMA_OK)
        return toResult(ret);
    const bool sizeKnown = unpackSize != UINT64_MAX;
    uint64_t remaining = unpackSize;
    std::vector<uint8_t> inBuffer(kBufferSize);
    std::vector<uint8_t> outBuffer(kBufferSize);
    bool atEnd = false;
    int result = kOk;
    for (;;) {
        if (stream.avail_in == 0 && !atEnd && !refill(in, inBuffer, stream, &atEnd)) {
            result = kErrorRead;
            break;
        }
        size_t outSize = kBufferSize;
        if (sizeKnown && remaining < uint64_t(kBufferSize))
            outSize = size_t(remaining);
        const size_t inBefore = stream.avail_in;
        stream.next_out = outBuffer.data();
        stream.avail_out = outSize;
        ret = lzma_code(&stream, LZMA_RUN);
        const size_t produced = outSize - stream.avail_out;
        const size_t consumed = inBefore - stream.avail_in;
        if (!flush(out, outBuffer, produced)) {
            result = kErrorWrite;
            break;
        }
        if (ret != LZMA_OK && ret != LZMA_STREAM_END && ret != LZMA_BUF_ERROR) {
            result = toResult(ret);
            break;
        }
        if (sizeKnown && remaining == produced) {
            if (ret != LZMA_STREAM_END)
                result = endsHere(stream, in, inBuffer, atEnd);
            break;
        }
        if (ret == LZMA_STREAM_END) {
            // Ended by its end mark: complete only when no size was promised.
            result = sizeKnown ? kErrorData : kOk;
            break;
        }
        if (consumed == 0 && produced == 0) {
            result = kErrorData;
            break;
        }
        remaining -= produced;
        if (progress)
            progress(stream.total_in);
    }
    lzma_end(&stream);
    return result;
}

} // namespace engine
} // namespace LZMA
