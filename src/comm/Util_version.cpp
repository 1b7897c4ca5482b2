#include "comm/Util.h"

#include <QDebug>

namespace vesk {
namespace pc {

namespace {

constexpr int kVersionParts = 4;
constexpr uint32_t kMaxPart = 255;

// One part of a version: ASCII decimal digits only (no sign, no blank),
// at most 255. Returns false otherwise.
bool parseVersionPart(const QStringRef& part, uint32_t* value)
{
    if (part.isEmpty())
        return false;
    uint32_t result = 0;
    for (const QChar c : part) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        result = result * 10 + static_cast<uint32_t>(c.unicode() - '0');
        if (result > kMaxPart)
            return false;
    }
    *value = result;
    return true;
}

} // namespace

uint32_t Util::verStrToUint(const QString& version)
{
    // Versions come from ini files and server replies, which may pad them.
    const QString text = version.trimmed();
    const QVector<QStringRef> parts = text.splitRef(QLatin1Char('.'), Qt::KeepEmptyParts);
    if (parts.size() != kVersionParts) {
        qWarning() << "Malformed version" << version;
        return 0;
    }
    uint32_t result = 0;
    for (const QStringRef& part : parts) {
        uint32_t value = 0;
        if (!parseVersionPart(part, &value)) {
            qWarning() << "Malformed version" << version;
            return 0;
        }
        result = (result << 8) | value;
    }
    return result;
}

QString Util::verUintToStr(uint32_t version)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(version >> 24)
        .arg((version >> 16) & 0xFFu)
        .arg((version >> 8) & 0xFFu)
        .arg(version & 0xFFu);
}

} // namespace pc
} // namespace vesk
