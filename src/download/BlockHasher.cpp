#include "download/BlockHasher.h"

namespace vesk {
namespace pc {

BlockHasher::BlockHasher()
    : md5_(QCryptographicHash::Md5)
    , worker_("block md5", [this](const QByteArray& block) {
        md5_.addData(block);
        return true;
    })
{
}

QByteArray BlockHasher::resultHex()
{
    worker_.finish();
    return md5_.result().toHex();
}

} // namespace pc
} // namespace vesk
