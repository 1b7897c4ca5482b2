#pragma once

#include "cloud/ActionReport.h"

#include <QJsonObject>
#include <QString>

class QObject;

namespace vesk {
namespace pc {

// The window's starts of cloud tasks, each on the cloud pool. Actions are
// reported with devActionToServer (cloud/ActionReport.h).

// The main and extended state reports of one camera.
void pushDevUsageState(const QString& sn, unsigned int type = PushDevUsageState::kAllStatesFlag);
// The registration report built from UvcDevice::getDevInfoForServer().
void pushDevRegistration(const QJsonObject& info);
// The newest desktop software package, handed to receiver's slot (one
// QJsonObject, empty for none) on the receiver's thread.
void queryPcSoftware(QObject* receiver, const QString& slot);

} // namespace pc
} // namespace vesk
