// The camera status block (extension-unit selector 6), its cached copy, and
// its poll on the device thread.

#include "uvc/UvcDevice.h"

#include <QDebug>
#include <QMutexLocker>

namespace vesk {
namespace pc {

bool UvcDevice::getCameraStatus(CameraStatus& status)
{
    if (devMode() == DevModeNet) {
        qCritical() << "Net mode not supported";
        return false;
    }
    if (devMode() == DevModeUvcUpgrade) {
        qWarning() << "Not supported in upgrade mode";
        return false;
    }
    if (systemType_ != 1) {
        qWarning() << "Only supported in main sys";
        return false;
    }
    CameraStatus block;  // zero-filled, so bytes 60 and 61 stay 0
    const int count = transport_.getDataByTypeLengthSelectorUnitId(
        block.bytes, int(UvcRequest::GetCur), ExtensionUnit::kBlockSize,
        ExtensionUnit::kStatusSelector, UvcUnitKind::ExtensionUnit,
        transport_.unitIdFor(UvcUnitKind::ExtensionUnit));
    if (count != ExtensionUnit::kBlockSize) {
        qCritical() << "Invalid ret_val =" << count;
        return false;
    }
    status = block;
    QMutexLocker lock(&statusMutex_);
    if (cachedStatus_ != block)
        cachedStatus_ = block;
    return true;
}

CameraStatus UvcDevice::cachedStatus() const
{
    QMutexLocker lock(&statusMutex_);
    return cachedStatus_;
}

void UvcDevice::pollStatus()
{
    if (systemType_ != 1 || devMode() != DevModeUvc)
        return;
    // The read is asked for now. A command from here on writes the counter
    // and starts a new generation: either this pass sees the write and reads
    // nothing, or the status it reads goes out as of the older generation.
    const quint64 generation = commandGeneration_;
    const int before = statusPollCounter_.fetch_add(1);
    if (before < timing().statusPollPasses - 1)
        return;
    // Reset only the value this pass left: a postponement the window wrote
    // meanwhile (a negative counter) must survive.
    int expected = before + 1;
    if (!statusPollCounter_.compare_exchange_strong(expected, 0))
        return;
    CameraStatus status;
    if (getCameraStatus(status) && statusReport_)
        emit devStateUpdate(status, generation);
}

} // namespace pc
} // namespace vesk
