#include "package/LZMACoder.h"
#include "package/LZMA.h"
#include "package/LzmaEngine.h"

#include <QIODevice>
#include <QMutexLocker>

namespace LZMA {

namespace {

int percent(double part, double whole)
{
    return whole > 0 ? int(part / whole * 100.0) : 0;
}

} // namespace

LZMACoder::LZMACoder(QObject* parent)
    : QObject(parent)
{
}

void LZMACoder::setIO(QIODevice* in, QIODevice* out)
{
    in_ = in;
    out_ = out;
}

void LZMACoder::setLzmaProp(unsigned char prop)
{
    lzmaProp_ = prop;
}

void LZMACoder::setUncompressedSize(uint64_t size)
{
    uncompressedSize_ = size;
}

void LZMACoder::encode2(int compression_level)
{
    QMutexLocker lock(&mutex_);
    if (!in_ || !out_) {
        emit error(kErrorParam);
        return;
    }
    const qint64 total = in_->size();
    engine::FilterChain chain;
    int result = engine::lzma2EncoderChain(compression_level, &chain);
    unsigned char prop = 0;
    if (result == kOk)
        result = engine::encodeProperties(chain, &prop);
    if (result != kOk) {
        emit error(result);
        return;
    }
    engine::Progress report;
    if (!in_->isSequential())
        report = [this, total](uint64_t consumed) { emit progress(percent(consumed, total)); };
    result = engine::encodeStream(chain, in_, out_, report);
    if (result != kOk) {
        emit error(result);
        return;
    }
    emit progress(100);
    emit done(prop);
}

void LZMACoder::decode2()
{
    QMutexLocker lock(&mutex_);
    if (!in_ || !out_ || uncompressedSize_ == UINT64_MAX) {
        emit error(kErrorParam);
        return;
    }
    engine::FilterChain chain;
    int result = engine::lzma2DecoderChain(lzmaProp_, &chain);
    if (result != kOk) {
        emit error(result);
        return;
    }
    engine::Progress report;
    if (!in_->isSequential())
        report = [this](uint64_t) { emit progress(percent(in_->pos(), in_->size())); };
    result = engine::decodeStream(chain, in_, out_, uncompressedSize_, report);
    if (result != kOk) {
        emit error(result);
        return;
    }
    emit progress(100);
    emit done(0);
}

} // namespace LZMA
