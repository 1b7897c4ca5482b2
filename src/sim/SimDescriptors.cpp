#include "sim/SimDescriptors.h"

#include <QtEndian>

namespace vesk {
namespace pc {

namespace {

constexpr char kCsInterface = 0x24;

QByteArray withLength(QByteArray body)
{
    body.prepend(char(body.size() + 1));
    return body;
}

QByteArray header(int totalLength, uint8_t interfaceNumber)
{
    QByteArray d;
    d += kCsInterface;
    d += char(0x01);                            // VC_HEADER
    d += QByteArray::fromHex("5001");           // bcdUVC 1.50
    char wTotalLength[2];
    qToLittleEndian<quint16>(quint16(totalLength), wTotalLength);
    d += QByteArray(wTotalLength, 2);
    d += QByteArray::fromHex("006cdc02");       // dwClockFrequency 48 MHz
    d += char(1);                               // bInCollection
    d += char(interfaceNumber + 1);             // the streaming interface
    return withLength(d);
}

QByteArray cameraTerminal(const SimCameraModel& model)
{
    QByteArray d;
    d += kCsInterface;
    d += char(0x02);                            // VC_INPUT_TERMINAL
    d += char(model.cameraTerminalId);
    d += QByteArray::fromHex("0102");           // ITT_CAMERA
    d += QByteArray(2, '\0');                   // bAssocTerminal, iTerminal
    d += QByteArray(6, '\0');                   // focal lengths
    d += char(model.cameraTerminalControls.size());
    d += model.cameraTerminalControls;
    return withLength(d);
}

QByteArray processingUnit(const SimCameraModel& model)
{
    QByteArray d;
    d += kCsInterface;
    d += char(0x05);                            // VC_PROCESSING_UNIT
    d += char(model.processingUnitId);
    d += char(model.cameraTerminalId);           // bSourceID
    d += QByteArray(2, '\0');                   // wMaxMultiplier
    d += char(model.processingUnitControls.size());
    d += model.processingUnitControls;
    d += QByteArray(2, '\0');                   // iProcessing, bmVideoStandards
    return withLength(d);
}

QByteArray extensionUnit(const SimCameraModel& model)
{
    QByteArray d;
    d += kCsInterface;
    d += char(0x06);                            // VC_EXTENSION_UNIT
    d += char(model.extensionUnitId);
    d += QByteArray::fromHex("a29e7641de04474ea6f2e3f9a2b4c5d1");  // the vendor's guid
    d += char(7);                               // bNumControls
    d += char(1);                               // bNrInPins
    d += char(model.processingUnitId);
    d += char(1);                               // bControlSize
    d += char(0x7F);                            // selectors 1 to 7
    d += char(0);                               // iExtension
    return withLength(d);
}

QByteArray outputTerminal(const SimCameraModel& model)
{
    QByteArray d;
    d += kCsInterface;
    d += char(0x03);                            // VC_OUTPUT_TERMINAL
    d += char(4);                               // bTerminalID
    d += QByteArray::fromHex("0101");           // TT_STREAMING
    d += char(0);
    d += char(model.extensionUnitId);            // bSourceID
    d += char(0);
    return withLength(d);
}

} // namespace

QByteArray simControlDescriptors(const SimCameraModel& model)
{
    if (!model.rawDescriptors.isEmpty())
        return model.rawDescriptors;
    const QByteArray units = cameraTerminal(model) + processingUnit(model) + extensionUnit(model)
                             + outputTerminal(model);
    const int headerLength = 13;
    return header(headerLength + units.size(), model.interfaceNumber) + units;
}

} // namespace pc
} // namespace vesk
