#pragma once

#include "platform/UsbDeviceInfo.h"
#include "sim/SimControl.h"
#include "sim/SimKnobs.h"
#include "sim/SimStreamModel.h"
#include "sim/SimUpgradeModel.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <cstdint>

namespace vesk {
namespace pc {

// A simulated camera described as data. The defaults are an Orla on its main
// system; a test changes the few fields it cares about.
struct SimCameraModel
{
    UsbDeviceInfo usb = {QStringLiteral("sim-orla"), 0x14100000, 0x2ca3, 0x0201, 0xEF, 0x02};
    QString name = QStringLiteral("Orla");

    // Device-information reply: indices into the camera's own string tables
    // (product, firmware branch, platform, release channel) and the rest.
    uint8_t productIndex = 4;   // "Kestro_orla"
    uint8_t branchIndex = 0;    // "OA_E"
    uint8_t platformIndex = 4;  // "SSC336Q"
    uint8_t statusIndex = 0;    // "release"
    uint32_t version = 0x01000307;
    QByteArray uuid = QByteArray::fromHex("4b4553545230314f524c41000000000000000000a1b2c3d4");
    QByteArray serial = QByteArray("OR22A0000001\0\0", 14);  // as the camera stores it
    int8_t systemType = 1;
    int8_t socVersion = 2;

    uint8_t interfaceNumber = 0;
    uint8_t cameraTerminalId = 1;
    uint8_t processingUnitId = 2;
    uint8_t extensionUnitId = 3;
    QByteArray cameraTerminalControls = QByteArray::fromHex("2a0a02");
    QByteArray processingUnitControls = QByteArray::fromHex("5f1f00");
    QByteArray rawDescriptors;  // replaces the generated descriptors when set

    QList<SimControl> controls = defaultControls();
    QByteArray statusBlock = QByteArray(60, '\0');
    // What a factory reset brings the status block back to (empty: the
    // block as plugged); the controls go back to their defaults.
    QByteArray factoryStatusBlock;
    // Reply data by command word; a command not listed echoes its payload.
    QHash<uint16_t, QByteArray> replies;
    // Pictures the camera holds by file name, and their thumbnails (a name
    // without one sends the full picture as its thumbnail).
    QHash<QByteArray, QByteArray> pictures;
    QHash<QByteArray, QByteArray> thumbnails;
    // Gimbal presets the camera holds, each record from its id byte on.
    QList<QByteArray> presets;
    SimKnobs knobs;
    SimStreamModel stream;  // capture formats and download-stream faults
    // The upgrade service, which answers while the camera runs its upgrade
    // system (a system type other than 1).
    SimUpgradeModel upgrade;
    // A reboot takes the camera away this long before it is back at the same
    // location; boot counts the camera's boots, 1 as plugged.
    int rebootDelayMs = 50;
    int boot = 1;
    // The address it works at in network operation, reached over HTTP on
    // loopback (usb.network set); empty on USB. A change of address puts it
    // there, the reboot its service is asked for brings it back.
    QString netAddress;
    // Requests the camera keeps for a test to read, the oldest going first
    // (-1: all of them; a camera left polled all day would keep growing).
    int requestLog = -1;

    static QList<SimControl> defaultControls();
    // Replies to the identity queries (version, uuid, serial number, device
    // information) built from the fields above.
    QHash<uint16_t, QByteArray> identityReplies() const;
};

} // namespace pc
} // namespace vesk
