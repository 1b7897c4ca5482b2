#include "platform/linux/VideoControlDescriptors.h"

#include <QDebug>
#include <QFile>

namespace vesk {
namespace pc {

namespace {

constexpr uint8_t kInterface = 0x04;
constexpr uint8_t kCsInterface = 0x24;
constexpr int kInterfaceLength = 9;
constexpr qint64 kDescriptorsLimit = 64 * 1024;  // far beyond any camera's

bool isVideoControl(const uint8_t* d)
{
    return d[3] == 0 && d[5] == 0x0E && d[6] == 0x01;  // alt 0, class, subclass
}

} // namespace

bool VideoControlDescriptors::find(const QByteArray& raw, VideoControlDescriptors* found)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(raw.constData());
    const int64_t size = raw.size();
    VideoControlDescriptors result;
    for (int64_t at = 0; at + 2 <= size;) {
        const int64_t length = bytes[at];
        if (length < 2 || at + length > size)
            break;
        const uint8_t type = bytes[at + 1];
        if (result.interfaceNumber >= 0) {
            if (type != kCsInterface)
                break;
            result.classSpecific.append(raw.constData() + at, int(length));
        } else if (type == kInterface && length >= kInterfaceLength && isVideoControl(bytes + at)) {
            result.interfaceNumber = bytes[at + 2];
        }
        at += length;
    }
    if (result.interfaceNumber < 0)
        return false;
    *found = result;
    return true;
}

bool VideoControlDescriptors::readFile(const QString& syspath, VideoControlDescriptors* found)
{
    QFile file(syspath + "/descriptors");
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning() << "Cannot read" << file.fileName() << file.errorString();
        return false;
    }
    if (!find(file.read(kDescriptorsLimit), found)) {
        qWarning() << "No video control interface in" << file.fileName();
        return false;
    }
    return true;
}

} // namespace pc
} // namespace vesk
