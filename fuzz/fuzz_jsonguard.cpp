// JSON from outside through the guard alone, with Qt's parser behind it. A
// document the guard lets through must not make the parser leak (the leak
// checker ends the run), and what Qt's writer makes of it passes the guard
// again, as it passes the parser.

#include "FuzzSupport.h"

#include "comm/JsonGuard.h"

using namespace vesk::pc;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::init();
    const QByteArray json(reinterpret_cast<const char*>(data), int(size));
    const QJsonDocument document = JsonGuard::fromJson(json);
    if (document.isNull())
        return 0;
    for (const QJsonDocument::JsonFormat format : {QJsonDocument::Compact, QJsonDocument::Indented})
        FUZZ_PROMISE(JsonGuard::refusedAt(document.toJson(format)) < 0);
    return 0;
}
