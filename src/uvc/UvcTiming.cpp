#include "uvc/UvcTiming.h"

#include <QMutex>
#include <QMutexLocker>

namespace vesk {
namespace pc {

namespace {

struct StoredDefaults
{
    QMutex mutex;
    UvcTiming timing;
};

StoredDefaults& stored()
{
    static StoredDefaults defaults;
    return defaults;
}

} // namespace

UvcTiming UvcTiming::defaults()
{
    QMutexLocker lock(&stored().mutex);
    return stored().timing;
}

void UvcTiming::setDefaults(const UvcTiming& timing)
{
    QMutexLocker lock(&stored().mutex);
    stored().timing = timing;
}

} // namespace pc
} // namespace vesk
