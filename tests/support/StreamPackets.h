#pragma once

// The download stream as a test reads it: the host's download request
// records, the stream packets decoded with a CRC-32 of the test's own, and
// a thread-safe log of the frames a camera object or a capture handed on.

#include "support/PackageBuilder.h"
#include "uvc/UvcDevice.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <QThread>
#include <QtEndian>

#include <cstdint>

namespace stream {

constexpr uint32_t kPacketSize = 0x40000;

using pkgtest::get32;
using pkgtest::put32;

// CRC-32/ISO-HDLC, bit by bit.
inline uint32_t crc32(const QByteArray& bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (char byte : bytes) {
        crc ^= uint8_t(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 1 ? crc >> 1 ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

// Download request record: command (0 start, 5 generate, 3 resend, 2
// finished), offset, expected length, packet size, camera-side name.
inline QByteArray request(uint8_t command, uint32_t offset = 0, const QByteArray& name = QByteArray(),
                          uint32_t expected = 0)
{
    QByteArray block(60, '\0');
    block[0] = char(command);
    put32(block, 1, offset);
    put32(block, 5, expected);
    put32(block, 9, kPacketSize);
    block.replace(13, name.size(), name);
    return block;
}

inline bool send(vesk::pc::UvcDevice& device, const QByteArray& record)
{
    return device.fileDownloadReq(reinterpret_cast<const uint8_t*>(record.constData()));
}

struct Packet
{
    uint32_t seq = 0;
    bool crcOk = false;
    bool sizeOk = false;  // the frame is exactly header and data
    QByteArray data;
};

inline Packet decode(const QByteArray& frame)
{
    Packet packet;
    if (frame.size() < 12)
        return packet;
    packet.seq = get32(frame, 0);
    const uint32_t length = get32(frame, 8);
    QByteArray zeroed = frame;
    put32(zeroed, 4, 0);
    packet.crcOk = crc32(zeroed) == get32(frame, 4);
    packet.sizeOk = uint64_t(frame.size()) == 12 + uint64_t(length);
    packet.data = frame.mid(12);
    return packet;
}

// A file of count packets, the last one short by shortBy bytes.
inline QByteArray makeFile(int count, int shortBy, char seed)
{
    QByteArray file(int(count * kPacketSize) - shortBy, '\0');
    for (int i = 0; i < file.size(); ++i)
        file[i] = char(seed + i * 7 + (i >> 11));
    return file;
}

} // namespace stream

// Frames a camera object emitted, or a capture handed to it as its
// receiver, collected on the emitting thread.
class FrameLog : public QObject, public vesk::pc::StreamReceiver
{
public:
    void onStreamVideoData(const uint8_t* data, unsigned int length) override
    {
        add(QByteArray(reinterpret_cast<const char*>(data), int(length)));
    }
    void attach(vesk::pc::UvcDevice& device)
    {
        connect(&device, &vesk::pc::UvcDevice::streamVideoData, this,
                [this](const QByteArray& frame) { add(frame); }, Qt::DirectConnection);
    }
    void add(const QByteArray& frame)
    {
        QMutexLocker lock(&mutex_);
        frames_ << frame;
    }
    QList<QByteArray> frames() const
    {
        QMutexLocker lock(&mutex_);
        return frames_;
    }
    int count() const
    {
        QMutexLocker lock(&mutex_);
        return frames_.size();
    }
    // Whether count frames arrived within ms.
    bool waitFor(int count, int ms) const
    {
        QElapsedTimer timer;
        timer.start();
        while (this->count() < count) {
            if (timer.elapsed() > ms)
                return false;
            QThread::msleep(1);
        }
        return true;
    }

private:
    mutable QMutex mutex_;
    QList<QByteArray> frames_;
};
