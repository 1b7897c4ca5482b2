#include "comm/JsonGuard.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonObject>
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
// Escapes read as the parser reads them: an unknown one stands for the
// character after the backslash (a byte of 0x80 or more as the parser
// sign-extends it), and so does a short \u escape, which the parser refuses.
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
            else if (uchar(escaped) >= 0x80)  // a sign-extended byte: a lone low surrogate
                text->append(QChar(0xD7BF)).append(QChar(0xDF00 | uchar(escaped)));
            else
                text->append(QLatin1Char(known ? kTo[known - kFrom] : escaped));
        }
        at += unit >= 0 ? 6 : 2;
        runStart = at;
    }
    flushRun(size);
    return size;
}

// Why the parser may take key for another key, or null. It keeps a raw
// byte-order mark that QString::fromUtf8 drops; it compares two raw keys of
// one length only up to a NUL; and when it compares a raw key with an
// escaped one it reads a lone surrogate as U+FFFD, so a raw U+FFFD matches
// keys of other texts. Such keys are refused, not compared: no one form of
// a key matches all the parser takes as equal to it.
const char* unsafeKey(const QString& key)
{
    static const struct {
        QChar c;
        const char* why;
    } kRefused[] = {
        {QChar(0x0000), "a key holds U+0000"},
        {QChar(0xFEFF), "a key holds a byte-order mark"},
        {QChar::ReplacementCharacter, "a key holds U+FFFD"},
    };
    for (int i = 0; i < key.size(); ++i) {
        const QChar c = key.at(i);
        for (const auto& refused : kRefused) {
            if (c == refused.c)
                return refused.why;
        }
        if (c.isHighSurrogate() && i + 1 < key.size() && key.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return "a key holds a lone surrogate";
    }
    return nullptr;
}

// The first key that the parser may take for another or that repeats within
// its object, or the first bracket that nests too deep.
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
                if (const char* const why = unsafeKey(key))
                    return {at, why};
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

// Whether every key of every object in value is found again by its own
// text. The parser orders an object's keys by rules of their own: beside a
// raw character above U+FFFF, an escaped one of U+E000 to U+FFFF sorts the
// other way round, and a lookup of such a key misses it. One lookup per key
// keeps the walk at n log n.
bool keysFoundAgain(const QJsonValue& value)
{
    if (value.isArray()) {
        const QJsonArray array = value.toArray();
        for (const QJsonValue& item : array) {
            if (!keysFoundAgain(item))
                return false;
        }
    } else if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
            if (object.constFind(it.key()) != it || !keysFoundAgain(it.value()))
                return false;
        }
    }
    return true;
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
    const QJsonDocument document = QJsonDocument::fromJson(json);
    const QJsonValue root = document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
    if (!document.isNull() && !keysFoundAgain(root)) {
        qWarning().nospace() << "JSON refused: a key is not found by its own text, in " << json.size()
                             << " bytes";
        return QJsonDocument();
    }
    return document;
}

} // namespace pc
} // namespace vesk
