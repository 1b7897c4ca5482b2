#include "package/LZMA.h"
#include "package/LzmaEngine.h"

#include <QBuffer>

namespace LZMA {

namespace {

using engine::FilterChain;

// Runs one coding step between a read-only buffer over in and a write-only
// buffer over out, written from its first byte.
template <typename Step>
int overBuffers(const QByteArray& in, QByteArray* out, Step&& step)
{
    if (!out)
        return kErrorParam;
    QBuffer input;
    input.setData(in);
    QBuffer output(out);
    if (!input.open(QIODevice::ReadOnly) || !output.open(QIODevice::WriteOnly))
        return kErrorParam;
    return step(&input, &output);
}

} // namespace

int encode(const QByteArray& in, QByteArray* out, QByteArray& props, int level)
{
    FilterChain chain;
    int result = engine::lzma1EncoderChain(level, &chain);
    uint8_t bytes[5] = {};
    if (result == kOk)
        result = engine::encodeProperties(chain, bytes);
    if (result != kOk)
        return result;
    props = QByteArray(reinterpret_cast<const char*>(bytes), 5);
    return overBuffers(in, out, [&](QIODevice* input, QIODevice* output) {
        return engine::encodeStream(chain, input, output, {});
    });
}

int decode(const QByteArray& in, QByteArray* out, uint64_t unpackSize, QByteArray props)
{
    FilterChain chain;
    const int result = engine::lzma1DecoderChain(reinterpret_cast<const uint8_t*>(props.constData()),
                                                 props.size(), unpackSize, &chain);
    if (result != kOk)
        return result;
    return overBuffers(in, out, [&](QIODevice* input, QIODevice* output) {
        return engine::decodeStream(chain, input, output, unpackSize, {});
    });
}

int encode2(const QByteArray& in, QByteArray* out, unsigned char* prop, int level)
{
    if (!prop)
        return kErrorParam;
    FilterChain chain;
    int result = engine::lzma2EncoderChain(level, &chain);
    if (result == kOk)
        result = engine::encodeProperties(chain, prop);
    if (result != kOk)
        return result;
    return overBuffers(in, out, [&](QIODevice* input, QIODevice* output) {
        return engine::encodeStream(chain, input, output, {});
    });
}

int decode2(const QByteArray& in, QByteArray* out, uint64_t unpackSize, unsigned char prop)
{
    FilterChain chain;
    const int result = engine::lzma2DecoderChain(prop, &chain);
    if (result != kOk)
        return result;
    return overBuffers(in, out, [&](QIODevice* input, QIODevice* output) {
        return engine::decodeStream(chain, input, output, unpackSize, {});
    });
}

} // namespace LZMA
