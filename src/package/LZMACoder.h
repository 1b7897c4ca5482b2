#pragma once

#include <QMutex>
#include <QObject>

#include <cstdint>

class QIODevice;

namespace LZMA {

// Runs LZMA2 between two devices in the thread that invokes a slot, with
// progress by signal. A second slot call waits until the first has ended.
class LZMACoder : public QObject
{
    Q_OBJECT

public:
    explicit LZMACoder(QObject* parent = nullptr);

    // Plain setters: call them before starting a slot.
    void setIO(QIODevice* in, QIODevice* out);
    void setLzmaProp(unsigned char prop);
    void setUncompressedSize(uint64_t size);  // all ones: unknown

public slots:
    void decode2();
    void encode2(int compression_level);

signals:
    void done(unsigned char lzmaprop);
    void progress(int percent);
    void error(int errcode);

private:
    QMutex mutex_;
    uint64_t uncompressedSize_ = UINT64_MAX;
    unsigned char lzmaProp_ = 0;
    QIODevice* in_ = nullptr;
    QIODevice* out_ = nullptr;
};

} // namespace LZMA
