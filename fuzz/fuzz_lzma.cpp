// LZMA and LZMA2 data as an upload container carries it: the property
// bytes and the unpacked length come with the data, all untrusted. Both the
// whole-buffer decoders and the streaming one between devices.

#include "FuzzSupport.h"

#include "package/LZMA.h"
#include "package/LZMACoder.h"

#include <QBuffer>

using namespace vesk::pc;

namespace {

// A known length is kept exactly, or the data refused.
void checkOutcome(int result, const QByteArray& out, uint64_t unpackSize)
{
    FUZZ_PROMISE(result >= LZMA::kOk && result <= LZMA::kErrorWrite);
    if (result == LZMA::kOk && unpackSize != UINT64_MAX)
        FUZZ_PROMISE(uint64_t(out.size()) == unpackSize);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::init();
    fuzz::Input in(data, size);
    const uint8_t mode = in.byte();
    // LZMA2 dictionary codes stop at 40. Most inputs keep to dictionaries
    // below 1 MiB: the decoder clears the whole dictionary at every start.
    const unsigned char prop = in.byte() % ((mode & 2) ? 48 : 16);
    QByteArray props = in.take(5);
    if (!(mode & 2) && props.size() == 5) {
        props[3] = char(props[3] & 0x0F);
        props[4] = 0;
    }
    const uint32_t length = in.u32();
    // Unknown (end mark), or up to 1 MiB.
    const uint64_t unpackSize = (mode & 1) ? UINT64_MAX : uint64_t(length % (1 << 20));
    const QByteArray packed = in.rest();

    QByteArray out;
    checkOutcome(LZMA::decode2(packed, &out, unpackSize, prop), out, unpackSize);
    out.clear();
    checkOutcome(LZMA::decode(packed, &out, unpackSize, props), out, unpackSize);

    QByteArray source = packed, sink;
    QBuffer inDevice(&source), outDevice(&sink);
    inDevice.open(QIODevice::ReadOnly);
    outDevice.open(QIODevice::WriteOnly);
    LZMA::LZMACoder coder;
    coder.setIO(&inDevice, &outDevice);
    coder.setLzmaProp(prop);
    coder.setUncompressedSize(unpackSize);
    int error = -1;
    bool done = false;
    QObject::connect(&coder, &LZMA::LZMACoder::done, [&done](unsigned char) { done = true; });
    QObject::connect(&coder, &LZMA::LZMACoder::error, [&error](int code) { error = code; });
    QObject::connect(&coder, &LZMA::LZMACoder::progress,
                     [](int percent) { FUZZ_PROMISE(percent >= 0 && percent <= 100); });
    coder.decode2();
    FUZZ_PROMISE(done != (error >= 0));
    if (done)
        checkOutcome(LZMA::kOk, sink, unpackSize);
    return 0;
}
