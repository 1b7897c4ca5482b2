#pragma once

#include <QObject>
#include <QVariantList>

namespace vesk {
namespace pc {

// Carries one non-blocking reply from the device thread to its receiver. A
// queued signal is the one road to another thread's object that stays safe
// when that object is destroyed meanwhile: Qt drops the connection and the
// pending call together.
class ReplyRelay : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void replied(const QVariantList& arguments);
};

} // namespace pc
} // namespace vesk
