#pragma once

#include <QByteArray>
#include <QObject>

namespace vesk {
namespace pc {

// The registry of connected cameras: one process-wide instance that announces
// every camera's arrival and departure by serial number.
class UvcDevices : public QObject
{
    Q_OBJECT
public:
    static UvcDevices& get();

signals:
    void devChanged(const QByteArray& sn, bool present);

private:
    explicit UvcDevices(QObject* parent = nullptr);
    ~UvcDevices() override;
};

} // namespace pc
} // namespace vesk
