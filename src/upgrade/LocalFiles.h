#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace vesk {
namespace pc {

// The engine's local files: store files reached through StoreFolder, and
// installed files read as they are; inputs read whole with a bound, outputs
// that appear under their name only once complete.
class LocalFiles
{
public:
    LocalFiles() = delete;

    // Reads path whole. A missing or unreadable file, a link or a file with
    // more than one link logs failure (critical) with the path; a file
    // above maxSize is refused.
    static bool readAll(const QString& path, QByteArray* data, const char* failure, qint64 maxSize);
    // The same for an installed file, which may well be a link.
    static bool readInstalled(const QString& path, QByteArray* data, const char* failure, qint64 maxSize);
    // Writes the pieces in order under a temporary name beside path and
    // renames it over path; on any failure nothing new is left behind. A
    // short write logs writeFailure with the piece's index and length.
    static bool writeAll(const QString& path, const QList<QByteArray>& pieces,
                         const char* writeFailure);
};

} // namespace pc
} // namespace vesk
