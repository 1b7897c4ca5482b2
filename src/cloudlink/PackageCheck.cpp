#include "cloudlink/PackageCheck.h"

#include "comm/Util.h"

#include <QDebug>
#include <QJsonArray>
#include <QUrl>

#include <cmath>

namespace vesk {
namespace pc {

namespace {

// Every package of a reply names all of these.
const char* const kPackageKeys[] = {"product", "branch", "platform", "url",
                                    "pkgsize", "md5",    "version",  "status"};
// What the package must share with the query.
const char* const kIdentityKeys[] = {"product", "branch", "platform"};
// The parts of the package's file name, in their order.
const char* const kNameKeys[] = {"product", "branch", "platform", "version", "status"};

QString textOf(const QJsonObject& object, const char* key)
{
    return object.value(QLatin1String(key)).toVariant().toString();
}

bool allDigits(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

PackageCheck::Result PackageCheck::check(const QJsonObject& reply, const QJsonObject& query,
                                         QJsonObject* package)
{
    *package = QJsonObject();
    const QJsonValue packages = reply.value(QLatin1String("packages"));
    if (!packages.isArray() || packages.toArray().size() != 1) {
        qCritical() << "response json error in key word: packages";
        return NotOnePackage;
    }
    const QJsonObject candidate = packages.toArray().first().toObject();
    const QString why = refusal(candidate, query);
    if (!why.isEmpty()) {
        qCritical().noquote() << "Firmware info error:" << why;
        return BadPackage;
    }
    *package = candidate;
    return Accepted;
}

QJsonObject PackageCheck::acceptedPackage(const QJsonObject& reply, const QJsonObject& query)
{
    QJsonObject package;
    check(reply, query, &package);
    return package;
}

// Empty when the package passes; otherwise why not.
QString PackageCheck::refusal(const QJsonObject& package, const QJsonObject& query)
{
    if (!hasAllKeys(package))
        return QStringLiteral("a key is missing");
    for (const char* key : kIdentityKeys) {
        if (textOf(package, key) != textOf(query, key))
            return QStringLiteral("%1 differs from the query's").arg(QLatin1String(key));
    }
    if (!channelAccepts(textOf(query, "status"), textOf(package, "status")))
        return QStringLiteral("status not on the query's channel");
    for (const char* key : kNameKeys) {
        if (!isPlainToken(textOf(package, key)))
            return QStringLiteral("%1 is not a plain name").arg(QLatin1String(key));
    }
    // Plain by now, so it may be logged.
    const QString version = textOf(package, "version");
    if (!Util::isStrictVersion(version))
        return QStringLiteral("version \"%1\" is not four dot-separated numbers 0..255").arg(version);
    if (packageSize(package) < 0)
        return QStringLiteral("pkgsize out of bounds");
    if (!isHttpUrl(package.value(QLatin1String("url")).toString()))
        return QStringLiteral("url is not an http URL");
    return QString();
}

bool PackageCheck::hasAllKeys(const QJsonObject& package)
{
    for (const char* key : kPackageKeys) {
        if (!package.contains(QLatin1String(key)))
            return false;
    }
    return true;
}

bool PackageCheck::channelAccepts(const QString& queryStatus, const QString& packageStatus)
{
    if (queryStatus == QLatin1String("release"))
        return packageStatus == QLatin1String("release");
    if (queryStatus == QLatin1String("test"))
        return packageStatus != QLatin1String("debug");
    return true;
}

bool PackageCheck::isPlainToken(const QString& text)
{
    if (text.isEmpty() || text.size() > kMaxTokenLength)
        return false;
    // "." and ".." name folders, and the store serves no name holding "..":
    // such a package would be downloaded but never served.
    if (text == QLatin1String(".") || text.contains(QLatin1String("..")))
        return false;
    for (const QChar c : text) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
                           || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
                           || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.')
                           || c == QLatin1Char('_') || c == QLatin1Char('-');
        if (!plain)
            return false;
    }
    return true;
}

qint64 PackageCheck::packageSize(const QJsonObject& package)
{
    const QJsonValue value = package.value(QLatin1String("pkgsize"));
    qint64 size = -1;
    if (value.isDouble()) {
        // Compared as a double first, so that huge values never reach a cast.
        const double number = value.toDouble();
        if (number >= 1 && number <= double(kMaxPackageSize) && std::floor(number) == number)
            size = qint64(number);
    } else if (value.isString() && allDigits(value.toString())) {
        bool ok = false;
        size = value.toString().toLongLong(&ok);  // not ok past 64 bits
        if (!ok)
            size = -1;
    }
    return size >= 1 && size <= kMaxPackageSize ? size : -1;
}

bool PackageCheck::isHttpUrl(const QString& url)
{
    const QUrl parsed(url, QUrl::StrictMode);
    return parsed.isValid() && parsed.scheme() == QLatin1String("http") && !parsed.host().isEmpty();
}

QString PackageCheck::packageFileName(const QJsonObject& package, int pkgType)
{
    QStringList parts;
    for (const char* key : kNameKeys) {
        const QString part = textOf(package, key);
        if (!isPlainToken(part)) {
            qCritical() << "Package name refused:" << key << "is not a plain name";
            return QString();
        }
        parts << part;
    }
    if (!Util::isStrictVersion(textOf(package, "version"))) {
        qCritical() << "Package name refused: version" << textOf(package, "version") << "is not a.b.c.d";
        return QString();
    }
    return parts.join(QLatin1Char('_')) + QLatin1String(pkgType == 0 ? ".dmg" : ".bin");
}

} // namespace pc
} // namespace vesk
