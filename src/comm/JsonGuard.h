#pragma once

#include <QByteArray>
#include <QJsonDocument>

namespace vesk {
namespace pc {

// Parses JSON that came from outside (requests, cloud and camera replies).
// Qt 5.15's parser leaks the earlier value of a key that repeats within one
// object when that value is an array or an object, so a peer could grow the
// process at will; such documents are refused before they reach the parser,
// in a time that grows no faster than n log n whatever the keys. It also
// keeps some pairs of keys that its lookups then cannot find: documents with
// such keys are refused once parsed, in the same time.
class JsonGuard
{
public:
    JsonGuard() = delete;

    // Qt's own limit on nested arrays and objects.
    static constexpr int kMaxDepth = 1024;

    // The document of json; a null document when json is not JSON (the
    // caller logs what that means to it), and also, logged here, when an
    // object in it repeats a key, a key holds a byte-order mark (U+FEFF),
    // U+FFFD or a lone surrogate (raw or escaped, or a backslash before a
    // non-ASCII byte), or it nests deeper than kMaxDepth; and, once parsed,
    // when a lookup of a key of an object by its own text misses it.
    static QJsonDocument fromJson(const QByteArray& json);

    // Offset of the first key that repeats within its object or holds one of
    // the characters above, or of the bracket that nests too deep; -1 when
    // there is none. Other keys count as equal when their decoded texts
    // are, as the parser compares them.
    static int refusedAt(const QByteArray& json);
};

} // namespace pc
} // namespace vesk
