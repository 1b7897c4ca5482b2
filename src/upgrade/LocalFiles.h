#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace vesk {
namespace pc {

// The engine's local files: inputs read whole with a bound, outputs that
// appear under their name only once complete.
class LocalFiles
{
public:
    LocalFiles() = delete;

    // Reads path whole. A missing or unreadable file logs failure (critical)
    // with the path and the error text; a file above maxSize is refused.
    static bool readAll(const QString& path, QByteArray* data, const char* failure, qint64 maxSize);
    // Writes the pieces in order under a temporary name beside path and
    // renames it over path; on any failure nothing new is left behind. A
    // short write logs writeFailure with the piece's index and length.
    static bool writeAll(const QString& path, const QList<QByteArray>& pieces,
                         const char* writeFailure);
    // A suffix that no other writer of this process or another uses at the
    // same time, for temporary names of our own.
    static QString uniqueSuffix();
};

} // namespace pc
} // namespace vesk
