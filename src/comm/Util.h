#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>

class QCryptographicHash;
class QFontMetrics;
class QIODevice;

namespace vesk {
namespace pc {

// Stateless helpers shared by every area: the checksums of the camera protocol
// and of firmware packages, file digests, version numbers, local addresses,
// and a few small UI utilities.
class Util
{
public:
    Util() = delete;

    static const uint32_t crc32_tab[256];
    static const uint8_t crc16_high_tab[256];
    static const uint8_t crc16_low_tab[256];
    static const uint8_t crc8_table[256];

    // CRC-32/ISO-HDLC, also in three steps for data that arrives in pieces.
    static uint32_t crc32Init();
    static uint32_t crc32Update(const uint8_t* data, uint32_t length, uint32_t crc);
    static uint32_t crc32Final(uint32_t crc);
    static uint32_t crc32ForBuf(const uint8_t* data, uint32_t length);
    // length 0 means the device's size. Stops at a short or failed read.
    static uint32_t crc32ForFile(QIODevice* device, uint32_t offset, uint32_t length);

    static uint16_t crc16ForBuf(const uint8_t* data, uint32_t length);  // CRC-16/USB
    static uint8_t crc8ForBuf(const uint8_t* data, uint32_t length);    // poly 0x07, see table

    // 16-byte digests; empty when the device cannot be opened or read.
    static QByteArray md5ForFile(QIODevice* device, uint32_t offset);
    static QByteArray md5ForFile(QIODevice* device, uint32_t offset, int length);
    // Feeds the range into the caller's hash without resetting or finishing it.
    // Returns false when the range could not be read whole.
    static bool md5ForFile(QIODevice* device, uint32_t offset, int length, QCryptographicHash* hash);

    // a.b.c.d <-> a<<24 | b<<16 | c<<8 | d. A part that is not a number counts
    // as 0 and fewer parts give a smaller number (1.2 is 0x0102); more than
    // four parts or a part above 255 give 0 (logged), as they would wrap.
    static uint32_t verStrToUint(const QString& version);
    // The form of the firmware store's names: exactly four parts of ASCII
    // digits, each 0..255, nothing around them; 0 for anything else.
    static uint32_t verStrToUintStrict(const QString& version);
    // Whether version has that form (so "0.0.0.0" is one, ".1" is not).
    static bool isStrictVersion(const QString& version);
    static QString verUintToStr(uint32_t version);

    // This computer's IPv4 addresses (loopback included, and the host
    // addresses CameraRoutes lends), and their /24 prefixes.
    static QStringList getLocalIpList();
    static QStringList getLocalIpSegs();
    // Replaces the address source (tests); an empty function restores the real one.
    static void setLocalIpSource(std::function<QStringList()> source);

    // Waits ms milliseconds while processing the calling thread's events; one
    // processing pass takes at most maxTime milliseconds.
    static void delayMs(int ms, int maxTime);
    // The same wait, ended early once stop is set (checked after every
    // pass); false when it was.
    static bool delayMs(int ms, int maxTime, const std::atomic<bool>& stop);

    // Number of lines text needs when word-wrapped to width pixels.
    static int calculateTextHeight(const QString& text, const QFontMetrics& metrics, int width);

    // Attached HID devices as productId << 16 | vendorId, from the kernel's view
    // under sysfsRoot (tests point it at a fake tree).
    static QList<uint32_t> findHidDevice(const QString& sysfsRoot = QStringLiteral("/sys"));

    // Scales the picture src to width x height into dst (format by suffix).
    // A picture the user chose is untrusted: one that declares more than
    // kMaxPicturePixels is refused before it is decoded.
    static constexpr qint64 kMaxPicturePixels = 8000 * 6000;
    static bool resizeImage(const QString& src, const QString& dst, int width, int height);
};

} // namespace pc
} // namespace vesk
