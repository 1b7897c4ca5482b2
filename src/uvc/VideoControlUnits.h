#pragma once

#include <QByteArray>

#include <cstdint>

namespace vesk {
namespace pc {

// Unit ids and control bitmaps of a camera's video-control interface, as its
// class-specific descriptors announce them.
struct VideoControlUnits
{
    uint8_t cameraTerminalId = 1;
    uint8_t processingUnitId = 2;
    uint8_t extensionUnitId = 3;
    QByteArray cameraTerminalControls;  // empty: not announced
    QByteArray processingUnitControls;

    // Walks the descriptors from the header on; untrusted, so every read stays
    // inside both the bytes present and the descriptor's own length.
    static VideoControlUnits fromDescriptors(const QByteArray& descriptors);

private:
    void takeUnit(const uint8_t* descriptor, int length);
};

} // namespace pc
} // namespace vesk
