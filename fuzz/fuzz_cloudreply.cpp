// Replies of the cloud servers: the common check of every reply, then the
// firmware query's package, whose texts become a file name, a size and a
// URL. The query is taken from the reply's own identity where the input
// asks for it, so that the checks past the identity are reached.

#include "FuzzSupport.h"

#include "cloudlink/CloudReply.h"
#include "cloudlink/PackageCheck.h"
#include "comm/JsonGuard.h"
#include "package/PackageIo.h"

#include <QJsonArray>
#include <QJsonObject>

using namespace vesk::pc;

namespace {

const char* const kChannels[] = {"release", "test", "debug", "other"};

QJsonObject queryFor(const QJsonObject& reply, uint8_t mode)
{
    QJsonObject query{{"product", "Kestro_orla"}, {"branch", "OA_E"}, {"platform", "SSC336Q"},
                      {"version", "1.0.3.7"}, {"seqid", "1"}};
    const QJsonObject package = reply.value(QLatin1String("packages")).toArray().first().toObject();
    if (mode & 4) {
        for (const char* key : {"product", "branch", "platform"})
            query.insert(QLatin1String(key), package.value(QLatin1String(key)));
    }
    query.insert(QStringLiteral("status"), QLatin1String(kChannels[(mode >> 3) % 4]));
    return query;
}

void checkAccepted(const QJsonObject& package)
{
    const qint64 size = PackageCheck::packageSize(package);
    FUZZ_PROMISE(size >= 1 && size <= PackageCheck::kMaxPackageSize);
    FUZZ_PROMISE(PackageCheck::isHttpUrl(package.value(QLatin1String("url")).toString()));
    for (int type : {0, 1}) {
        const QString name = PackageCheck::packageFileName(package, type);
        FUZZ_PROMISE(!name.isEmpty() && PackageIo::isSafeBaseName(name));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::init();
    fuzz::Input in(data, size);
    const uint8_t mode = in.byte();
    const int status = (mode & 1) ? 200 : int(in.u32() % 1000);
    const QByteArray body = in.rest();
    QJsonObject reply;
    const CloudReply::Verdict verdict = CloudReply::check(status, body, QtDebugMsg, &reply);
    FUZZ_PROMISE((verdict == CloudReply::Good) == !reply.isEmpty());
    // A reply that repeats a key never reaches the parser, where it would leak.
    FUZZ_PROMISE(verdict != CloudReply::Good || JsonGuard::refusedAt(body) < 0);
    // Any text is judged, before the verdict: the body of a good reply is an
    // object, never a plain token. A plain token never leads out of a folder.
    const QString token = QString::fromUtf8(body.left(80));
    if (PackageCheck::isPlainToken(token))
        FUZZ_PROMISE(token != QLatin1String(".") && !token.contains(QLatin1String("..")));
    if (verdict != CloudReply::Good)
        return 0;
    QJsonObject package;
    if (PackageCheck::check(reply, queryFor(reply, mode), &package) == PackageCheck::Accepted)
        checkAccepted(package);
    else
        FUZZ_PROMISE(package.isEmpty());
    return 0;
}
