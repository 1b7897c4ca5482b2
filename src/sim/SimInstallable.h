#pragma once

#include <QByteArray>

#include <cstdint>

namespace vesk {
namespace pc {

// What a camera makes of a file it is told to install: a firmware package,
// checked as the host's package classes check one, whose camera package
// holds only the base and updater modules for an upgrade system.
struct SimInstallable
{
    enum Kind { Refused, MainFirmware, UpgradeSystem };

    Kind kind = Refused;
    uint32_t version = 0;
    int deviceType = 3;  // build channel, numbered as the install command sends it

    static SimInstallable of(const QByteArray& file);
};

} // namespace pc
} // namespace vesk
