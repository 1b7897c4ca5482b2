#pragma once

#include "cloud/ActionSourceType.h"
#include "cloud/ActionType.h"
#include "cloud/CameraSnapshot.h"
#include "cloud/PushDevUsageState.h"

#include <QJsonObject>
#include <QString>
#include <QVariant>

namespace vesk {
namespace pc {

// The vocabulary of the action reports: each action's name and the rule
// that makes its "data" (and for three actions its "comment") from the
// caller's values.
class ActionReport
{
public:
    static constexpr int kActionCount = 56;
    static constexpr ActionType kLastMainEvent = ActionSetBackgroundReplacementImageIndex;

    // Empty for a value outside the table.
    static QString actionName(ActionType action);
    static QString triggerName(ActionSourceType trigger);  // "" for SourceNone
    // The record; actions 5 and 16 get their "data" from the camera when
    // posted (positionKeys).
    static QJsonObject record(const QString& sn, const CameraSnapshot& camera, ActionType action,
                              ActionSourceType trigger, const QString& comment, const QVariant& value1,
                              const QVariant& value2, const QVariant& value3, const QVariant& value4);
    // The keys of an action whose data is where the camera looks.
    static bool positionKeys(ActionType action, QString* panKey, QString* tiltKey);
    // Main or extended event path of the camera's family.
    static PushDevUsageState::DevUsageStateType typeFor(int productType, ActionType action);
};

// The one call by which windows report an action; a camera that is not
// connected reports nothing. The record is built here, posted on the cloud
// pool. value5 is not used.
void devActionToServer(const QString& sn, ActionType action, ActionSourceType trigger,
                       const QString& comment = QString(), const QVariant& value1 = QVariant(),
                       const QVariant& value2 = QVariant(), const QVariant& value3 = QVariant(),
                       const QVariant& value4 = QVariant(), const QVariant& value5 = QVariant());
// The path type an action of this camera is filed under; 108 when absent.
unsigned getActionType(const QString& sn, ActionType action);

} // namespace pc
} // namespace vesk
