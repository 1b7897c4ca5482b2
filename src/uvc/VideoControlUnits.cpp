#include "uvc/VideoControlUnits.h"

#include <QDebug>
#include <QtEndian>

namespace vesk {
namespace pc {

namespace {

constexpr uint8_t kCsInterface = 0x24;
constexpr uint8_t kHeader = 0x01;
constexpr uint8_t kInputTerminal = 0x02;
constexpr uint8_t kProcessingUnit = 0x05;
constexpr uint8_t kExtensionUnit = 0x06;
constexpr int kHeaderTotalLengthOffset = 5;

// bControlSize's offset and the bitmap behind it, inside one descriptor.
QByteArray bitmapAt(const uint8_t* descriptor, int length, int sizeOffset)
{
    if (sizeOffset >= length)
        return {};
    const int64_t size = descriptor[sizeOffset];
    if (size == 0 || sizeOffset + 1 + size > length)
        return {};
    return QByteArray(reinterpret_cast<const char*>(descriptor + sizeOffset + 1), int(size));
}

} // namespace

void VideoControlUnits::takeUnit(const uint8_t* descriptor, int length)
{
    if (length < 4 || descriptor[1] != kCsInterface)
        return;
    switch (descriptor[2]) {
    case kExtensionUnit:
        extensionUnitId = descriptor[3];
        break;
    case kProcessingUnit: {
        const QByteArray bitmap = bitmapAt(descriptor, length, 7);
        if (!bitmap.isEmpty()) {
            processingUnitId = descriptor[3];
            processingUnitControls = bitmap;
        }
        break;
    }
    case kInputTerminal: {
        const QByteArray bitmap = bitmapAt(descriptor, length, 14);
        if (!bitmap.isEmpty())
            cameraTerminalControls = bitmap;
        break;
    }
    default:
        break;
    }
}

VideoControlUnits VideoControlUnits::fromDescriptors(const QByteArray& descriptors)
{
    VideoControlUnits units;
    const auto* bytes = reinterpret_cast<const uint8_t*>(descriptors.constData());
    const int64_t present = descriptors.size();

    int64_t start = 0;  // the first class-specific interface descriptor
    while (start + 2 <= present && bytes[start + 1] != kCsInterface) {
        if (bytes[start] == 0)
            return units;
        start += bytes[start];
    }
    if (start + 3 > present || bytes[start + 2] != kHeader)
        return units;
    if (start + kHeaderTotalLengthOffset + 2 > present || bytes[start] < kHeaderTotalLengthOffset + 2) {
        qWarning() << "Truncated video control header descriptor";
        return units;
    }
    const int64_t total = qFromLittleEndian<quint16>(bytes + start + kHeaderTotalLengthOffset);
    const int64_t end = qMin(present, start + total);

    for (int64_t at = start + bytes[start]; at < end;) {
        const int64_t length = bytes[at];
        if (length == 0 || at + length > end)
            break;  // a zero length or a descriptor cut off ends the walk
        units.takeUnit(bytes + at, int(length));
        at += length;
    }
    return units;
}

} // namespace pc
} // namespace vesk
