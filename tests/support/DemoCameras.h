#pragma once

// The two simulated cameras the simulated backend starts with.

#include <QString>

#include <cstdint>

const QString kOrlaSn = QStringLiteral("OR22A0000001");
const QString kZukiSn = QStringLiteral("ZK22A0000002");
const QString kDemoFirmware = QStringLiteral("4.2.6.0");  // both run it
constexpr uint32_t kOrlaLocation = 0x14100000;
constexpr uint32_t kZukiLocation = 0x14200000;
