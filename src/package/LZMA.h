#pragma once

#include <QByteArray>

#include <cstdint>

// Whole-buffer LZMA and LZMA2 coding. Every function returns an LZMA SDK
// result code: 0 success, 1 data error, 2 out of memory, 4 unsupported
// properties, 5 parameter error, 8 read error, 9 write error. Decoding
// refuses dictionaries above 64 MiB (2) and, with a known size, a stream
// that holds more data than that (1).
namespace LZMA {

enum ResultCode {
    kOk = 0,
    kErrorData = 1,
    kErrorMem = 2,
    kErrorUnsupported = 4,
    kErrorParam = 5,
    kErrorInputEof = 6,
    kErrorRead = 8,
    kErrorWrite = 9,
};

// Raw LZMA without end mark; props receives the 5 property bytes that
// decode needs, out the compressed bytes only.
int encode(const QByteArray& in, QByteArray* out, QByteArray& props, int level);
// unpackSize is the exact output size, or all ones when the data ends
// with an end mark.
int decode(const QByteArray& in, QByteArray* out, uint64_t unpackSize, QByteArray props);

// Raw LZMA2; the one-byte property (dictionary size code) goes to *prop,
// not into out.
int encode2(const QByteArray& in, QByteArray* out, unsigned char* prop, int level);
int decode2(const QByteArray& in, QByteArray* out, uint64_t unpackSize, unsigned char prop);

} // namespace LZMA
