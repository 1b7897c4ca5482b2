#pragma once

#include <QJsonObject>
#include <QString>

namespace vesk {
namespace pc {

// The check of a firmware query server's reply, shared by the query task and
// the package downloader. The reply is untrusted: a package is accepted only
// when everything that later becomes a file name, a size or a URL is sound.
class PackageCheck
{
public:
    enum Result {
        Accepted = 0,
        NotOnePackage = 1,  // "packages" is not an array of exactly one
        BadPackage = 2,     // keys, identity, channel, version or bounds
    };

    // Largest package that is downloaded.
    static constexpr qint64 kMaxPackageSize = qint64(1) << 30;
    // Longest product, branch, platform, version or status in a file name.
    static constexpr int kMaxTokenLength = 64;

    // Checks reply (already a good cloud reply) against query; on Accepted
    // *package is the package object, otherwise it is emptied. Every refusal
    // is logged.
    static Result check(const QJsonObject& reply, const QJsonObject& query, QJsonObject* package);
    // The accepted package, or an empty object.
    static QJsonObject acceptedPackage(const QJsonObject& reply, const QJsonObject& query);

    // A query for "release" takes only "release"; one for "test" anything but
    // "debug"; any other status takes every package.
    static bool channelAccepts(const QString& queryStatus, const QString& packageStatus);
    // Non-empty, at most kMaxTokenLength characters of [A-Za-z0-9._-], not
    // "." and without "..".
    static bool isPlainToken(const QString& text);
    // "pkgsize" (a JSON number or a decimal text) in 1 .. kMaxPackageSize;
    // -1 for anything else.
    static qint64 packageSize(const QJsonObject& package);
    // An absolute http URL with a host.
    static bool isHttpUrl(const QString& url);
    // product_branch_platform_version_status, then ".dmg" for pkgType 0
    // (the desktop software) and ".bin" otherwise; empty (and logged) when a
    // part is not a plain token or the version not a.b.c.d.
    static QString packageFileName(const QJsonObject& package, int pkgType);

private:
    static bool hasAllKeys(const QJsonObject& package);
    static QString refusal(const QJsonObject& package, const QJsonObject& query);
};

} // namespace pc
} // namespace vesk
