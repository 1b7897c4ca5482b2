#pragma once

#include <QString>
#include <QVector>

namespace vesk {
namespace pc {

// A slider's table mode: each position stands for a value the camera
// understands (the key) and the text the dialog shows for it.
class CamSettingTable
{
public:
    struct Entry
    {
        int key;
        QString text;
    };

    explicit CamSettingTable(QVector<Entry> entries) : entries_(std::move(entries)) {}

    // The first entry with this key; 0 when no entry has it, so a value that
    // is no key shows as the first entry.
    int positionOf(int key) const;
    // Positions outside the table are held at its ends.
    const Entry& at(int position) const;
    int size() const { return entries_.size(); }

private:
    QVector<Entry> entries_;
};

// Backlight compensation in thirds of a stop (position = key).
extern const CamSettingTable kCompensationTable;
// Gain 1 to 48 as ISO 100 to 4800 (position = key - 1).
extern const CamSettingTable kIsoTable;
// Exposure time in 100 µs as a shutter speed.
extern const CamSettingTable kShutterTable;

} // namespace pc
} // namespace vesk
