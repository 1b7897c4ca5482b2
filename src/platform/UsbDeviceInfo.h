#pragma once

#include <QString>

#include <cstdint>

namespace vesk {
namespace pc {

// What the backend knows of one attached USB device before anything opens it.
// A removal still carries the location and the ids of the device that left.
struct UsbDeviceInfo
{
    QString key;                 // backend's own name for the device
    uint32_t locationId = 0;     // stable across re-plugging at the same port
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint8_t deviceClass = 0;
    uint8_t deviceSubClass = 0;
    // The camera in network operation: reached over its own network, not
    // through a video-control interface.
    bool network = false;
};

} // namespace pc
} // namespace vesk
