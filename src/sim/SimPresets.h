#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>

#include <cstdint>

namespace vesk {
namespace pc {

// The gimbal presets of a simulated camera (extension-unit selector 7): adds,
// removes, triggers and the get exchange, a SET naming the preset and the next
// GET answering it. Not locked: the owning camera serialises the calls.
class SimPresets
{
public:
    // Records as the camera keeps them: id first, then position, name length, name.
    explicit SimPresets(const QList<QByteArray>& records = {});

    int write(const uint8_t* block, int length);
    int read(uint8_t* data, int length) const;

    QByteArray record(uint8_t id) const { return records_.value(id); }
    int lastTriggered() const { return triggered_; }

private:
    QMap<uint8_t, QByteArray> records_;
    int queried_ = -1;
    int triggered_ = -1;
};

} // namespace pc
} // namespace vesk
