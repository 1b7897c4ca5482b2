#pragma once

#include "cloud/CloudTask.h"

#include <QJsonObject>
#include <QString>

namespace vesk {
namespace pc {

class UvcDevice;

// Posts a camera's records to the cloud log server under its family's
// path: an event record built by the caller (the action reports), or the
// main and extended state records that it builds itself from the camera.
class PushDevUsageState : public CloudTask
{
public:
    // The path of a record: family base plus kind; 108 has none.
    enum DevUsageStateType : unsigned {
        ZukiMainStatus = 0,
        ZukiExtStatus = 1,
        ZukiMainEvent = 2,
        ZukiExtEvent = 3,
        Zuki4kMainStatus = 4,
        Zuki4kExtStatus = 5,
        Zuki4kMainEvent = 6,
        Zuki4kExtEvent = 7,
        OrlaMainStatus = 100,
        OrlaExtStatus = 101,
        OrlaMainEvent = 102,
        OrlaExtEvent = 103,
        Orla4kMainStatus = 104,
        Orla4kExtStatus = 105,
        Orla4kMainEvent = 106,
        Orla4kExtEvent = 107,
        StateTypeNone = 108,
    };
    // Offsets from a family's base.
    enum RecordKind : unsigned { MainStatus = 0, ExtStatus = 1, MainEvent = 2, ExtEvent = 3 };
    // Types above 108: which states to build.
    static constexpr unsigned kMainStateFlag = 0x10000;
    static constexpr unsigned kExtStateFlag = 0x20000;
    static constexpr unsigned kAllStatesFlag = kMainStateFlag | kExtStateFlag;

    PushDevUsageState() = default;
    // A state report: type is a flag word.
    PushDevUsageState(QString sn, unsigned type);
    // An event record, posted as it is; its serial number is its "sn".
    PushDevUsageState(QJsonObject body, DevUsageStateType type);

    // For actions that report where the camera looks: just before posting,
    // "data" becomes panKey "=" pan "," tiltKey "=" tilt, read from the camera.
    void setPositionData(const QString& panKey, const QString& tiltKey);

    // The type of a camera's record of this kind; 108 for a product type
    // without a family (Ko, unknown).
    static DevUsageStateType typeFor(int productType, RecordKind kind);
    // "dev/<family>/<kind>/submit"; empty for a type without a path.
    static QString pathOf(unsigned type);

    bool readsCamera() const override { return type_ > StateTypeNone || !panKey_.isEmpty(); }

protected:
    void work() override;

private:
    void pushStates(UvcDevice& device);
    bool pushState(UvcDevice& device, RecordKind kind);
    void fillPositionData(UvcDevice& device);
    void pushInfoToServer(unsigned type);

    QString sn_;
    QJsonObject body_;
    unsigned type_ = StateTypeNone;
    QString panKey_;
    QString tiltKey_;
};

} // namespace pc
} // namespace vesk
