// JSON from outside through the guard alone, with Qt's parser behind it. A
// document the guard lets through holds no key twice, so the parser keeps
// every key it was sent (a dropped one would have leaked its value); and
// what Qt's writer makes of it passes the guard again, as it passes the
// parser.

#include "FuzzSupport.h"

#include "comm/JsonGuard.h"

#include <QJsonArray>
#include <QJsonObject>

using namespace vesk::pc;

namespace {

// Keys as written: in valid JSON a string followed by a colon.
int keysWritten(const QByteArray& json)
{
    int keys = 0;
    for (int at = 0; at < json.size(); ++at) {
        if (json.at(at) != '"')
            continue;
        for (++at; at < json.size() && json.at(at) != '"'; ++at)
            at += json.at(at) == '\\';
        int next = at + 1;
        while (next < json.size() && QByteArrayLiteral(" \t\n\r").contains(json.at(next)))
            ++next;
        keys += next < json.size() && json.at(next) == ':';
    }
    return keys;
}

int keysKept(const QJsonValue& value)
{
    int keys = 0;
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        keys += object.size();
        for (auto it = object.begin(); it != object.end(); ++it)
            keys += keysKept(it.value());
    } else if (value.isArray()) {
        for (const QJsonValue& item : value.toArray())
            keys += keysKept(item);
    }
    return keys;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::init();
    const QByteArray json(reinterpret_cast<const char*>(data), int(size));
    const QJsonDocument document = JsonGuard::fromJson(json);
    if (document.isNull())
        return 0;
    const QJsonValue root = document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());
    FUZZ_PROMISE(keysKept(root) == keysWritten(json));
    for (const QJsonDocument::JsonFormat format : {QJsonDocument::Compact, QJsonDocument::Indented})
        FUZZ_PROMISE(JsonGuard::refusedAt(document.toJson(format)) < 0);
    return 0;
}
