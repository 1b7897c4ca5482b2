#include "cloud/PushDevUsageState.h"

#include "cloud/CameraSnapshotReader.h"
#include "cloud/DeviceStateReport.h"
#include "uvc/UvcDevices.h"

#include <QDebug>

namespace vesk {
namespace pc {

namespace {

struct FamilyPath
{
    int productType;
    unsigned base;
    const char* name;
};

const FamilyPath kFamilies[] = {
    {0, PushDevUsageState::ZukiMainStatus, "zuki"},
    {1, PushDevUsageState::Zuki4kMainStatus, "zuki4k"},
    {2, PushDevUsageState::OrlaMainStatus, "orla"},
    {3, PushDevUsageState::Orla4kMainStatus, "orla4k"},
};

// By RecordKind.
const char* const kKindPaths[] = {"main_status", "ext_status", "main_event", "ext_event"};

} // namespace

PushDevUsageState::PushDevUsageState(QString sn, unsigned type)
    : sn_(std::move(sn))
    , type_(type)
{
}

PushDevUsageState::PushDevUsageState(QJsonObject body, DevUsageStateType type)
    : sn_(body.value(QLatin1String("sn")).toVariant().toString())
    , body_(std::move(body))
    , type_(type)
{
}

void PushDevUsageState::setPositionData(const QString& panKey, const QString& tiltKey)
{
    panKey_ = panKey;
    tiltKey_ = tiltKey;
}

PushDevUsageState::DevUsageStateType PushDevUsageState::typeFor(int productType, RecordKind kind)
{
    for (const FamilyPath& family : kFamilies) {
        if (family.productType == productType)
            return DevUsageStateType(family.base + kind);
    }
    return StateTypeNone;
}

QString PushDevUsageState::pathOf(unsigned type)
{
    for (const FamilyPath& family : kFamilies) {
        if (type >= family.base && type < family.base + std::size(kKindPaths))
            return QStringLiteral("dev/%1/%2/submit")
                .arg(QLatin1String(family.name), QLatin1String(kKindPaths[type - family.base]));
    }
    return QString();
}

void PushDevUsageState::work()
{
    const QSharedPointer<UvcDevice> device = UvcDevices::get().getDevBySn(sn_);
    if (type_ > StateTypeNone) {
        if (device)
            pushStates(*device);
        return;
    }
    if (device && !panKey_.isEmpty())
        fillPositionData(*device);
    pushInfoToServer(type_);
}

void PushDevUsageState::pushStates(UvcDevice& device)
{
    if ((type_ & kMainStateFlag) && !pushState(device, MainStatus))
        return;
    if (type_ & kExtStateFlag)
        pushState(device, ExtStatus);
}

// Reads the camera for one record and posts it; false when asked to stop.
bool PushDevUsageState::pushState(UvcDevice& device, RecordKind kind)
{
    const CameraSnapshotReader reader([this] { return stopRequested(); });
    const bool main = kind == MainStatus;
    CameraSnapshot camera;
    if (!(main ? reader.readMain(device, &camera) : reader.readExt(device, &camera)))
        return false;
    body_ = main ? DeviceStateReport::mainStateInfo(camera) : DeviceStateReport::extStateInfo(camera);
    const DevUsageStateType type = typeFor(camera.productType, kind);
    if (type != StateTypeNone)
        pushInfoToServer(type);
    return true;
}

void PushDevUsageState::fillPositionData(UvcDevice& device)
{
    CameraSnapshot camera;
    CameraSnapshotReader::readPosition(device, &camera);
    body_.insert(QStringLiteral("data"),
                 QStringLiteral("%1=%2,%3=%4").arg(panKey_).arg(camera.pan).arg(tiltKey_).arg(camera.tilt));
}

void PushDevUsageState::pushInfoToServer(unsigned type)
{
    // A camera that left meanwhile is not reported.
    if (!UvcDevices::get().getDevBySn(sn_))
        return;
    const QString path = pathOf(type);
    if (path.isEmpty()) {
        qCritical() << "Unknown type =" << type;
        return;
    }
    if (body_.isEmpty() || stopRequested())
        return;
    postToLogServer(path, [this] { return body_; }, "Connecting timeout: PushDevUsageState failed");
}

} // namespace pc
} // namespace vesk
