#pragma once

#include <QJsonObject>
#include <QString>
#include <QVariant>

namespace vesk {
namespace pc {

// The window's calls into the cloud reports. The report tasks themselves
// (state, registration and action posts on the global thread pool) come
// with the network services; until then each call only logs what it would
// send, so the window's timing of reports can be followed in the log.

// One user or device action of a camera (action numbers 0 to 55, trigger
// 0 MOUSE, 1 KEY, 2 REMOTE, 3 DEVICE, 4 none).
void devActionToServer(const QString& sn, int action, int trigger, const QString& comment = QString(),
                       const QVariant& value1 = QVariant(), const QVariant& value2 = QVariant(),
                       const QVariant& value3 = QVariant(), const QVariant& value4 = QVariant(),
                       const QVariant& value5 = QVariant());
// The state report of one camera (type as the state task numbers it).
void pushDevUsageState(const QString& sn, unsigned int type);
// The registration report built from UvcDevice::getDevInfoForServer().
void pushDevRegistration(const QJsonObject& info);

} // namespace pc
} // namespace vesk
