#include "comm/JsonGuard.h"

#include <QDebug>
#include <QString>
#include <QTextCodec>

#include <cstring>
#include <set>
#include <vector>

namespace vesk {
namespace pc {

namespace {

// Ordered, not hashed: keys made to collide in a hash would make the check
// quadratic.
struct Frame
{
    bool object = false;
    bool expectKey = false;  // after "{" or "," in an object
    std::set<QString> keys;
};

struct Refusal
{
    int at = -1;
    const char* why = nullptr;
};

const QChar kByteOrderMark(0xFEFF);

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// UTF-8 as the parser reads it: a leading byte-order mark stays in the text,
// where QString::fromUtf8 would drop it.
QString decodeUtf8(const char* bytes, int size)
{
    static QTextCodec* const utf8 = QTextCodec::codecForMib(106);
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    return utf8->toUnicode(bytes, size, &state);
}

// The index just past the string that opens at json[at] (a quote), or the
// size when it is not closed; its decoded text into text when given.
// Malformed escapes are kept as they stand: the parser refuses them anyway.
int readString(const QByteArray& json, int at, QString* text)
{
    const int size = json.size();
    int runStart = ++at;
    const auto flushRun = [&](int end) {
        if (text && end > runStart)
            text->append(decodeUtf8(json.constData() + runStart, end - runStart));
    };
    while (at < size) {
        const char c = json.at(at);
        if (c == '"') {
            flushRun(at);
            return at + 1;
        }
        if (c != '\\' || at + 1 >= size) {
            ++at;
            continue;
        }
        flushRun(at);
        const char escaped = json.at(at + 1);
        int unit = -1;
        if (escaped == 'u' && at + 5 < size) {
            unit = 0;
            for (int i = at + 2; i < at + 6 && unit >= 0; ++i)
                unit = hexValue(json.at(i)) < 0 ? -1 : unit * 16 + hexValue(json.at(i));
        }
        if (text) {
            static const char kFrom[] = "bfnrt";
            static const char kTo[] = "\b\f\n\r\t";
            const char* const known = escaped != '\0' ? strchr(kFrom, escaped) : nullptr;
            if (unit >= 0)
                text->append(QChar(ushort(unit)));
            else
                text->append(QLatin1Char(known ? kTo[known - kFrom] : escaped));
        }
        at += unit >= 0 ? 6 : 2;
        runStart = at;
    }
    flushRun(size);
    return size;
}

// The first key that holds a byte-order mark or repeats within its object,
// or the first bracket that nests too deep. A key with a mark is refused
// rather than compared: a raw mark and an escaped one are one key to the
// parser.
Refusal refusal(const QByteArray& json)
{
    std::vector<Frame> open;
    const int size = json.size();
    for (int at = 0; at < size;) {
        const char c = json.at(at);
        Frame* top = open.empty() ? nullptr : &open.back();
        if (c == '"') {
            const bool isKey = top && top->object && top->expectKey;
            QString key;
            const int end = readString(json, at, isKey ? &key : nullptr);
            if (isKey) {
                if (key.contains(kByteOrderMark))
                    return {at, "a key holds a byte-order mark"};
                if (!top->keys.insert(key).second)
                    return {at, "a key repeats"};
                top->expectKey = false;
            }
            at = end;
            continue;
        }
        if (c == '{' || c == '[') {
            if (int(open.size()) >= JsonGuard::kMaxDepth)
                return {at, "nested too deep"};
            open.push_back(Frame{c == '{', c == '{', {}});
        } else if ((c == '}' || c == ']') && top) {
            open.pop_back();
        } else if (c == ',' && top && top->object) {
            top->expectKey = true;
        }
        ++at;
    }
    return {};
}

} // namespace

int JsonGuard::refusedAt(const QByteArray& json)
{
    return refusal(json).at;
}

QJsonDocument JsonGuard::fromJson(const QByteArray& json)
{
    const Refusal refused = refusal(json);
    if (refused.at >= 0) {
        qWarning().nospace() << "JSON refused: " << refused.why << " at offset " << refused.at << " of "
                             << json.size();
        return QJsonDocument();
    }
    return QJsonDocument::fromJson(json);
}

} // namespace pc
} // namespace vesk
