#include "uvc/CameraStatus.h"

namespace vesk {
namespace pc {

namespace {

enum Width : uint8_t { U8, U16, S16 };

// Where a field lies in each family's block; -1 where the family has none.
struct FieldPlace
{
    CameraStatus::Field field;
    int8_t zuki;
    int8_t orla;
    Width width;
    bool zukiOnly4K;  // read for the Zuki 4K (type 1) only
};

using F = CameraStatus::Field;

const FieldPlace kFieldPlaces[] = {
    {F::AiTracking, 0, -1, U8, false},
    {F::MediaMode, -1, 0, U8, false},
    {F::Hdr, 6, 1, U8, true},
    {F::RunState, 9, 2, U8, false},
    {F::AntiFlicker, 3, 7, U8, false},
    {F::FaceAe, 7, 3, U8, false},
    {F::Zoom, 4, 8, U16, false},
    {F::ViewArea, -1, 4, U8, false},
    {F::BackgroundKind, -1, 5, U8, false},
    {F::BlurLevel, -1, 6, U8, false},
    {F::NoiseCancellation, 8, 14, U8, false},
    {F::ButtonMode, -1, 10, U8, false},
    {F::AutoSleep, 10, 18, S16, false},
    {F::Portrait, 12, 15, U8, true},
    {F::AutoFramingParam, -1, 16, U8, false},
    {F::AutoFramingSize, -1, 17, U8, false},
    {F::BgProtectArea1, -1, 20, U8, false},
    {F::BgProtectArea2, -1, 22, U8, false},
    {F::FaceFocus, -1, 23, U8, false},
    {F::AutoFocus, -1, 24, U8, false},
    {F::ManualFocus, -1, 25, U8, false},
    {F::VirtualBgSwitch, -1, 26, U8, false},
};

constexpr int kZuki4K = 1;

// The field's offset for this camera, or -1.
int offsetOf(const FieldPlace& place, int productType)
{
    switch (CameraStatus::familyOf(productType)) {
    case CameraStatus::Family::Zuki:
        return place.zukiOnly4K && productType != kZuki4K ? -1 : place.zuki;
    case CameraStatus::Family::Orla:
        return place.orla;
    case CameraStatus::Family::None:
        break;
    }
    return -1;
}

const FieldPlace* placeOf(CameraStatus::Field field)
{
    for (const FieldPlace& place : kFieldPlaces) {
        if (place.field == field)
            return &place;
    }
    return nullptr;
}

} // namespace

CameraStatus::Family CameraStatus::familyOf(int productType)
{
    switch (productType) {
    case 0:
    case 1:
        return Family::Zuki;
    case 2:
    case 3:
        return Family::Orla;
    default:
        return Family::None;
    }
}

bool CameraStatus::hasField(Field field, int productType)
{
    const FieldPlace* place = placeOf(field);
    return place && offsetOf(*place, productType) >= 0;
}

int CameraStatus::field(Field field, int productType) const
{
    const FieldPlace* place = placeOf(field);
    const int offset = place ? offsetOf(*place, productType) : -1;
    if (offset < 0)
        return 0;
    switch (place->width) {
    case U8: return at(offset);
    case U16: return u16At(offset);
    case S16: return s16At(offset);
    }
    return 0;
}

int CameraStatus::fieldSize(Field field)
{
    const FieldPlace* place = placeOf(field);
    return place && place->width != U8 ? 2 : 1;
}

bool CameraStatus::setField(Field field, int value, int productType)
{
    const FieldPlace* place = placeOf(field);
    const int offset = place ? offsetOf(*place, productType) : -1;
    if (offset < 0)
        return false;
    if (place->width == U8)
        bytes[offset] = uint8_t(value);
    else
        qToLittleEndian<quint16>(quint16(value), bytes + offset);
    return true;
}

CameraStatus::MediaMode CameraStatus::mediaMode(int productType) const
{
    const int mode = field(Field::MediaMode, productType);
    return mode == MediaVirtualBackground || mode == MediaAutoFraming ? MediaMode(mode) : MediaNone;
}

CameraStatus::RunState CameraStatus::runState(int productType) const
{
    const int state = field(Field::RunState, productType);
    const bool known = state == RunSleeping || state == RunPrivacy
                       || (state == RunRunning && familyOf(productType) == Family::Orla);
    return known ? RunState(state) : RunNormal;
}

CameraStatus::AntiFlicker CameraStatus::antiFlicker(int productType) const
{
    if (!hasField(Field::AntiFlicker, productType))
        return AntiFlickerOff;
    const int mode = field(Field::AntiFlicker, productType);
    return mode == 0 ? AntiFlickerOff : mode == 1 ? AntiFlicker50Hz : AntiFlicker60Hz;
}

CameraStatus::BackgroundKind CameraStatus::backgroundKind(int productType) const
{
    if (!hasField(Field::BackgroundKind, productType))
        return BgNone;
    const int kind = field(Field::BackgroundKind, productType);
    return kind == BgBlue || kind == BgGreen || kind == BgReplace || kind == BgBlur ? BackgroundKind(kind)
                                                                                   : BgNone;
}

int CameraStatus::autoSleepSeconds(int productType) const
{
    const int seconds = field(Field::AutoSleep, productType);
    return seconds > 0 ? seconds : 0;
}

bool CameraStatus::faceFocusOn(int productType) const
{
    return field(Field::FaceFocus, productType) != 0 && autoFocusOn(productType);
}

bool CameraStatus::virtualBackgroundOn(int productType) const
{
    // The camera reports the switch inverted: 0 means on.
    return hasField(Field::VirtualBgSwitch, productType)
           && field(Field::VirtualBgSwitch, productType) == 0;
}

} // namespace pc
} // namespace vesk
