#include "comm/Util.h"

#include <QDebug>

namespace vesk {
namespace pc {

namespace {

constexpr int kVersionParts = 4;
constexpr int kMaxPart = 255;

// One part written in ASCII decimal digits (no sign, no blank): its value,
// or kMaxPart + 1 for any larger one; -1 when it is not such a number.
int partValue(const QStringRef& part)
{
    if (part.isEmpty())
        return -1;
    int value = 0;
    for (const QChar c : part) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        value = qMin(value * 10 + (c.unicode() - '0'), kMaxPart + 1);
    }
    return value;
}

// The strict form: exactly four parts of ASCII digits, each 0..255, nothing
// around them.
bool readStrict(const QString& version, uint32_t* result)
{
    const QVector<QStringRef> parts = version.splitRef(QLatin1Char('.'), Qt::KeepEmptyParts);
    if (parts.size() != kVersionParts)
        return false;
    uint32_t value = 0;
    for (const QStringRef& part : parts) {
        const int number = partValue(part);
        if (number < 0 || number > kMaxPart)
            return false;
        value = (value << 8) | uint32_t(number);
    }
    *result = value;
    return true;
}

} // namespace

uint32_t Util::verStrToUint(const QString& version)
{
    // Versions come from ini files, cameras and server replies, which may pad them.
    const QString text = version.trimmed();
    const QVector<QStringRef> parts = text.splitRef(QLatin1Char('.'), Qt::KeepEmptyParts);
    if (parts.size() > kVersionParts) {
        qWarning() << "Malformed version, more than four parts:" << version;
        return 0;
    }
    uint32_t result = 0;
    for (const QStringRef& part : parts) {
        const int value = partValue(part.trimmed());
        if (value > kMaxPart) {
            qWarning() << "Malformed version, a part above 255:" << version;
            return 0;
        }
        result = (result << 8) | uint32_t(qMax(value, 0));  // not a number: 0
    }
    return result;
}

uint32_t Util::verStrToUintStrict(const QString& version)
{
    uint32_t result = 0;
    return readStrict(version, &result) ? result : 0;
}

bool Util::isStrictVersion(const QString& version)
{
    uint32_t ignored = 0;
    return readStrict(version, &ignored);
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
