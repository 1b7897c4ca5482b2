// JSON from outside through the guard, with Qt's parser behind it. In every
// object of a document the guard lets through, the keys read out are the
// keys sent, as a decoder of its own reads them from the text (none dropped,
// whose value would have leaked, none merged or changed), each once, and
// each found by a lookup of its own text; and what Qt's writer makes of the
// document passes the guard again, as it passes the parser.
// ORLACAM_FUZZ_UNGUARDED=1 puts a guard that accepts everything in the
// guard's place, so that a test sees the checks of the keys catch what the
// guard refuses.

#include "FuzzSupport.h"

#include "comm/JsonGuard.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <cstring>
#include <vector>

using namespace vesk::pc;

namespace {

// An array or object as the text holds it: its keys, decoded, and its
// values in the order written; anything else holds nothing.
struct Written
{
    enum Kind { Other, Array, Object } kind = Other;
    QStringList keys;
    std::vector<Written> items;
};

// Reads JSON that Qt's parser took, so it need not look for faults.
class TextReader
{
public:
    explicit TextReader(const QByteArray& json)
        : json_(json)
    {
        if (json_.startsWith("\xEF\xBB\xBF"))  // the parser skips it
            at_ = 3;
    }

    Written value()
    {
        Written node;
        const char opener = peek();
        if (opener == '"') {
            string();
        } else if (opener == '{' || opener == '[') {
            node.kind = opener == '{' ? Written::Object : Written::Array;
            const char closer = opener == '{' ? '}' : ']';
            ++at_;
            while (peek() != closer) {
                if (node.kind == Written::Object) {
                    node.keys << string();
                    peek();
                    ++at_;  // the colon
                }
                node.items.push_back(value());
                if (peek() == ',')
                    ++at_;
            }
            ++at_;
        } else {
            while (at_ < json_.size() && !QByteArrayLiteral(",]} \t\n\r").contains(json_.at(at_)))
                ++at_;
        }
        return node;
    }

private:
    char peek()
    {
        while (at_ < json_.size() && QByteArrayLiteral(" \t\n\r").contains(json_.at(at_)))
            ++at_;
        return at_ < json_.size() ? json_.at(at_) : '\0';
    }

    uint byteAt(int at) const { return at < json_.size() ? uchar(json_.at(at)) : 0; }

    // The string at at_, its escapes and its UTF-8 decoded.
    QString string()
    {
        QString text;
        for (++at_; at_ < json_.size() && json_.at(at_) != '"';) {
            if (json_.at(at_) == '\\')
                escape(&text);
            else
                character(&text);
        }
        ++at_;
        return text;
    }

    void escape(QString* text)
    {
        static const char kFrom[] = "bfnrt";
        static const char kTo[] = "\b\f\n\r\t";
        const char c = json_.at(at_ + 1);
        at_ += 2;
        if (c == 'u') {
            text->append(QChar(ushort(json_.mid(at_, 4).toUInt(nullptr, 16))));
            at_ += 4;
        } else {
            const char* const known = strchr(kFrom, c);
            text->append(QLatin1Char(known ? kTo[known - kFrom] : c));
        }
    }

    void character(QString* text)
    {
        const uint lead = byteAt(at_);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        uint code = length == 1 ? lead : lead & (0x7F >> length);
        for (int i = 1; i < length; ++i)
            code = code << 6 | (byteAt(at_ + i) & 0x3F);
        at_ += length;
        if (code > 0xFFFF)
            text->append(QChar(QChar::highSurrogate(code))).append(QChar(QChar::lowSurrogate(code)));
        else
            text->append(QChar(ushort(code)));
    }

    const QByteArray& json_;
    int at_ = 0;
};

// The keys of object as read out of it: all of them once, the same as
// those written, and each found by its own text.
void checkKeys(const QJsonObject& object, QStringList written)
{
    QStringList read;
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        read << it.key();
        FUZZ_PROMISE(object.constFind(it.key()) == it);
    }
    std::sort(read.begin(), read.end());
    FUZZ_PROMISE(std::adjacent_find(read.cbegin(), read.cend()) == read.cend());
    std::sort(written.begin(), written.end());
    FUZZ_PROMISE(read == written);
}

void check(const QJsonValue& value, const Written& written)
{
    if (written.kind == Written::Other) {
        FUZZ_PROMISE(!value.isArray() && !value.isObject());
    } else if (written.kind == Written::Array) {
        FUZZ_PROMISE(value.isArray() && value.toArray().size() == int(written.items.size()));
        const QJsonArray array = value.toArray();
        for (int i = 0; i < array.size(); ++i)
            check(array.at(i), written.items[size_t(i)]);
    } else {
        FUZZ_PROMISE(value.isObject());
        const QJsonObject object = value.toObject();
        checkKeys(object, written.keys);
        for (int i = 0; i < written.keys.size(); ++i)
            check(object.value(written.keys.at(i)), written.items[size_t(i)]);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::init();
    static const bool unguarded = qEnvironmentVariableIntValue("ORLACAM_FUZZ_UNGUARDED") == 1;
    const QByteArray json(reinterpret_cast<const char*>(data), int(size));
    const QJsonDocument document = unguarded ? QJsonDocument::fromJson(json) : JsonGuard::fromJson(json);
    if (document.isNull())
        return 0;
    const QJsonValue root = document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());
    check(root, TextReader(json).value());
    for (const QJsonDocument::JsonFormat format : {QJsonDocument::Compact, QJsonDocument::Indented})
        FUZZ_PROMISE(unguarded || JsonGuard::refusedAt(document.toJson(format)) < 0);
    return 0;
}
