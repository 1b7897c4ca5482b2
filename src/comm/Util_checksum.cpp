#include "comm/Util.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QIODevice>

#include <functional>

namespace vesk {
namespace pc {

namespace {

// The tables are computed by the compiler from their polynomials; the tests
// pin them against the published values.
constexpr uint32_t reflectedEntry(uint32_t index, uint32_t poly)
{
    uint32_t reg = index;
    for (int bit = 0; bit < 8; ++bit)
        reg = (reg & 1u) ? (reg >> 1) ^ poly : reg >> 1;
    return reg;
}

constexpr uint32_t crc32Entry(uint32_t index)
{
    return reflectedEntry(index, 0xEDB88320u);
}

constexpr uint8_t crc16HighEntry(uint32_t index)
{
    return static_cast<uint8_t>(reflectedEntry(index, 0xA001u) & 0xFFu);
}

constexpr uint8_t crc16LowEntry(uint32_t index)
{
    return static_cast<uint8_t>(reflectedEntry(index, 0xA001u) >> 8);
}

constexpr uint8_t crc8Entry(uint32_t index)
{
    // The camera firmware's table carries this one odd entry; frames are
    // checked against it, so it is kept as the camera has it.
    if (index == 0x47u)
        return 0x0D;
    uint32_t reg = index;
    for (int bit = 0; bit < 8; ++bit)
        reg = (reg & 0x80u) ? ((reg << 1) ^ 0x07u) & 0xFFu : (reg << 1) & 0xFFu;
    return static_cast<uint8_t>(reg);
}

static_assert(crc32Entry(1) == 0x77073096u, "CRC-32 table");
static_assert(crc16HighEntry(1) == 0xC1 && crc16LowEntry(1) == 0xC0, "CRC-16 table");
static_assert(crc8Entry(1) == 0x07 && crc8Entry(0x47) == 0x0D, "CRC-8 table");

constexpr qint64 kChunkSize = 2048;

// Opens a closed device read-only for the lifetime of the object and closes
// it again afterwards; an open device is left as the caller had it.
class DeviceSession
{
public:
    explicit DeviceSession(QIODevice* device)
        : device_(device)
        , openedHere_(device && !device->isOpen())
    {
        if (openedHere_ && !device_->open(QIODevice::ReadOnly)) {
            qWarning() << "Cannot open device:" << device_->errorString();
            openedHere_ = false;
        }
    }
    ~DeviceSession()
    {
        if (openedHere_)
            device_->close();
    }
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

private:
    QIODevice* device_;
    bool openedHere_;
};

using ChunkSink = std::function<void(const char* data, qint64 size)>;

// Seeks to offset and hands length bytes to sink in chunks of at most 2048.
// Stops at the first short or failed read; returns whether the range was
// read whole.
bool readRange(QIODevice* device, qint64 offset, qint64 length, const ChunkSink& sink)
{
    if (!device->seek(offset)) {
        qWarning() << "Cannot seek to" << offset << "of" << device->size() << "bytes";
        return false;
    }
    char buffer[kChunkSize];
    qint64 remaining = length;
    while (remaining > 0) {
        const qint64 wanted = qMin(remaining, kChunkSize);
        const qint64 got = device->read(buffer, wanted);
        if (got > 0)
            sink(buffer, got);
        if (got != wanted) {
            qWarning() << "Short read at" << offset + (length - remaining) << "wanted" << wanted
                       << "got" << got << device->errorString();
            return false;
        }
        remaining -= got;
    }
    return true;
}

// Opens the device when needed and reads the range; length < 0 means from
// offset to the end of the device.
bool readDevice(QIODevice* device, qint64 offset, qint64 length, const ChunkSink& sink)
{
    if (!device) {
        qWarning() << "No device";
        return false;
    }
    DeviceSession session(device);
    if (!device->isOpen())
        return false;  // logged by the session
    if (!device->isReadable()) {
        qWarning() << "Device is not readable";
        return false;
    }
    if (length < 0) {
        length = device->size() - offset;
        if (length < 0) {
            qWarning() << "Offset" << offset << "beyond the end of" << device->size() << "bytes";
            return false;
        }
    }
    return readRange(device, offset, length, sink);
}

QByteArray md5OfRange(QIODevice* device, qint64 offset, qint64 length)
{
    QCryptographicHash hash(QCryptographicHash::Md5);
    const bool whole = readDevice(device, offset, length, [&hash](const char* data, qint64 size) {
        hash.addData(data, static_cast<int>(size));
    });
    return whole ? hash.result() : QByteArray();
}

} // namespace

#define ORLACAM_ROW4(f, i) f(i), f((i) + 1), f((i) + 2), f((i) + 3)
#define ORLACAM_ROW16(f, i) \
    ORLACAM_ROW4(f, i), ORLACAM_ROW4(f, (i) + 4), ORLACAM_ROW4(f, (i) + 8), ORLACAM_ROW4(f, (i) + 12)
#define ORLACAM_ROW64(f, i) \
    ORLACAM_ROW16(f, i), ORLACAM_ROW16(f, (i) + 16), ORLACAM_ROW16(f, (i) + 32), \
        ORLACAM_ROW16(f, (i) + 48)
#define ORLACAM_TABLE256(f) \
    ORLACAM_ROW64(f, 0u), ORLACAM_ROW64(f, 64u), ORLACAM_ROW64(f, 128u), ORLACAM_ROW64(f, 192u)

const uint32_t Util::crc32_tab[256] = {ORLACAM_TABLE256(crc32Entry)};
const uint8_t Util::crc16_high_tab[256] = {ORLACAM_TABLE256(crc16HighEntry)};
const uint8_t Util::crc16_low_tab[256] = {ORLACAM_TABLE256(crc16LowEntry)};
const uint8_t Util::crc8_table[256] = {ORLACAM_TABLE256(crc8Entry)};

#undef ORLACAM_TABLE256
#undef ORLACAM_ROW64
#undef ORLACAM_ROW16
#undef ORLACAM_ROW4

uint32_t Util::crc32Init()
{
    return 0xFFFFFFFFu;
}

uint32_t Util::crc32Update(const uint8_t* data, uint32_t length, uint32_t crc)
{
    for (uint32_t i = 0; i < length; ++i)
        crc = (crc >> 8) ^ crc32_tab[(crc ^ data[i]) & 0xFFu];
    return crc;
}

uint32_t Util::crc32Final(uint32_t crc)
{
    return ~crc;
}

uint32_t Util::crc32ForBuf(const uint8_t* data, uint32_t length)
{
    return crc32Final(crc32Update(data, length, crc32Init()));
}

uint32_t Util::crc32ForFile(QIODevice* device, uint32_t offset, uint32_t length)
{
    // A partial result is still returned: callers compare it with a stored
    // checksum, which a partial range cannot match.
    uint32_t crc = crc32Init();
    readDevice(device, offset, length == 0 ? -1 : qint64(length),
               [&crc](const char* data, qint64 size) {
                   crc = crc32Update(reinterpret_cast<const uint8_t*>(data),
                                     static_cast<uint32_t>(size), crc);
               });
    return crc32Final(crc);
}

uint16_t Util::crc16ForBuf(const uint8_t* data, uint32_t length)
{
    uint8_t hi = 0xFF;
    uint8_t lo = 0xFF;
    for (uint32_t i = 0; i < length; ++i) {
        const uint8_t index = hi ^ data[i];
        hi = lo ^ crc16_high_tab[index];
        lo = crc16_low_tab[index];
    }
    return static_cast<uint16_t>(~((lo << 8) | hi));
}

uint8_t Util::crc8ForBuf(const uint8_t* data, uint32_t length)
{
    uint8_t crc = 0;
    for (uint32_t i = 0; i < length; ++i)
        crc = crc8_table[crc ^ data[i]];
    return crc;
}

QByteArray Util::md5ForFile(QIODevice* device, uint32_t offset)
{
    return md5OfRange(device, offset, -1);
}

QByteArray Util::md5ForFile(QIODevice* device, uint32_t offset, int length)
{
    if (length <= 0)
        return QCryptographicHash::hash(QByteArray(), QCryptographicHash::Md5);
    return md5OfRange(device, offset, length);
}

bool Util::md5ForFile(QIODevice* device, uint32_t offset, int length, QCryptographicHash* hash)
{
    if (!hash) {
        qWarning() << "No hash object";
        return false;
    }
    if (length <= 0)
        return true;
    return readDevice(device, offset, length, [hash](const char* data, qint64 size) {
        hash->addData(data, static_cast<int>(size));
    });
}

} // namespace pc
} // namespace vesk
