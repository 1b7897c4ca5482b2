#pragma once

#include "cloud/CloudTask.h"

#include <QJsonObject>
#include <QString>

namespace vesk {
namespace pc {

// Posts one object to the cloud log server under a registration path; the
// main window registers each camera that arrives with type 0.
class PushToServer : public CloudTask
{
public:
    enum PushInfoType : int {
        DevSubmit = 0,
        DevStatusSubmit = 1,
        DevFunctionCount = 2,
        ZukicamStatusSubmit = 3,
        ZukicamDevnumStat = 4,
        PushInfoNone = 5,
    };

    PushToServer() = default;
    PushToServer(QJsonObject body, PushInfoType type);

    // The path on the log server; empty for a type without one.
    static QString pathOf(int type);
    // body with "country" and "system" of this computer.
    static QJsonObject withClientKeys(QJsonObject body);

protected:
    void work() override;

private:
    QJsonObject body_;
    PushInfoType type_ = PushInfoNone;
};

} // namespace pc
} // namespace vesk
