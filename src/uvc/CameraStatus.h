#pragma once

#include "uvc/ExtensionUnit.h"

#include <QMetaType>
#include <QtEndian>

#include <cstdint>
#include <cstring>

namespace vesk {
namespace pc {

// The camera's status block as read from it (one extension-unit block) plus
// two bytes that are always 0. The meaning of each byte depends on the camera family, so readers
// pick bytes by index, or read a field through the accessors below with the
// camera's product type; the record carries no family marker.
struct CameraStatus
{
    static constexpr int kSize = 62;

    // Families by product type: 0 and 1 Zuki, 2 and 3 Orla; Ko and unknown
    // cameras have no status column, so every field reads as off or none.
    enum class Family { None, Zuki, Orla };
    enum class Field {
        AiTracking, MediaMode, Hdr, RunState, AntiFlicker, FaceAe, Zoom, ViewArea,
        BackgroundKind, BlurLevel, NoiseCancellation, ButtonMode, AutoSleep, Portrait,
        AutoFramingParam, AutoFramingSize, BgProtectArea1, BgProtectArea2, FaceFocus,
        AutoFocus, ManualFocus, VirtualBgSwitch,
    };
    enum MediaMode { MediaNone = 0, MediaVirtualBackground = 1, MediaAutoFraming = 2 };
    enum RunState { RunNormal = 0, RunRunning = 1, RunSleeping = 3, RunPrivacy = 4 };
    enum AntiFlicker { AntiFlickerOff = 0, AntiFlicker50Hz = 1, AntiFlicker60Hz = 2 };
    enum BackgroundKind { BgNone = -1, BgBlue = 0, BgGreen = 1, BgReplace = 17, BgBlur = 18 };

    uint8_t bytes[kSize] = {};

    uint8_t at(int index) const { return index >= 0 && index < kSize ? bytes[index] : 0; }
    uint16_t u16At(int index) const
    {
        return index >= 0 && index + 2 <= kSize ? qFromLittleEndian<quint16>(bytes + index) : at(index);
    }
    int16_t s16At(int index) const { return int16_t(u16At(index)); }

    bool operator==(const CameraStatus& other) const
    {
        return std::memcmp(bytes, other.bytes, kSize) == 0;
    }
    bool operator!=(const CameraStatus& other) const { return !(*this == other); }

    static Family familyOf(int productType);
    // Whether the camera's family has the field, and its raw value (0 when not).
    static bool hasField(Field field, int productType);
    int field(Field field, int productType) const;
    // Bytes the field takes in the block: 1, or 2 for the 16-bit ones.
    static int fieldSize(Field field);
    // Writes a field where the camera's family reports it, low byte first;
    // false, with nothing written, when the family has no such field.
    bool setField(Field field, int value, int productType);

    bool aiTrackingOn(int productType) const { return field(Field::AiTracking, productType) != 0; }
    MediaMode mediaMode(int productType) const;
    bool hdrOn(int productType) const { return field(Field::Hdr, productType) != 0; }
    RunState runState(int productType) const;
    AntiFlicker antiFlicker(int productType) const;
    bool faceAeOn(int productType) const { return field(Field::FaceAe, productType) != 0; }
    int zoomPosition(int productType) const { return field(Field::Zoom, productType); }
    int viewArea(int productType) const { return field(Field::ViewArea, productType); }
    BackgroundKind backgroundKind(int productType) const;
    int blurLevel(int productType) const { return field(Field::BlurLevel, productType); }
    bool noiseCancellationOn(int productType) const { return field(Field::NoiseCancellation, productType) != 0; }
    bool buttonRotation(int productType) const { return field(Field::ButtonMode, productType) != 0; }
    // Seconds; 0 when automatic sleep is off (the camera reports 0 or less).
    int autoSleepSeconds(int productType) const;
    bool portrait(int productType) const { return field(Field::Portrait, productType) != 0; }
    int autoFramingParam(int productType) const { return field(Field::AutoFramingParam, productType); }
    bool autoFramingUpperBody(int productType) const { return field(Field::AutoFramingSize, productType) != 0; }
    int bgProtectArea1(int productType) const { return field(Field::BgProtectArea1, productType); }
    int bgProtectArea2(int productType) const { return field(Field::BgProtectArea2, productType); }
    bool faceFocusOn(int productType) const;  // counts only while auto focus is on
    bool autoFocusOn(int productType) const { return field(Field::AutoFocus, productType) != 0; }
    int manualFocusPosition(int productType) const { return field(Field::ManualFocus, productType); }
    bool virtualBackgroundOn(int productType) const;
};

static_assert(sizeof(CameraStatus) == CameraStatus::kSize, "the status record is 62 bytes");

} // namespace pc
} // namespace vesk

Q_DECLARE_METATYPE(vesk::pc::CameraStatus)
