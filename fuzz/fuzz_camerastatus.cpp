// The status block read from a camera, through every field accessor of
// every camera family, and the enumerations they promise.

#include "FuzzSupport.h"

#include "uvc/CameraStatus.h"
#include "uvc/ExtensionUnit.h"

#include <cstring>

using namespace vesk::pc;

namespace {

using F = CameraStatus::Field;
const F kFields[] = {F::AiTracking, F::MediaMode, F::Hdr, F::RunState, F::AntiFlicker, F::FaceAe,
                     F::Zoom, F::ViewArea, F::BackgroundKind, F::BlurLevel, F::NoiseCancellation,
                     F::ButtonMode, F::AutoSleep, F::Portrait, F::AutoFramingParam,
                     F::AutoFramingSize, F::BgProtectArea1, F::BgProtectArea2, F::FaceFocus,
                     F::AutoFocus, F::ManualFocus, F::VirtualBgSwitch};

template <typename E>
bool oneOf(E value, std::initializer_list<E> allowed)
{
    for (E a : allowed)
        if (value == a)
            return true;
    return false;
}

void checkEnums(const CameraStatus& s, int type)
{
    using S = CameraStatus;
    FUZZ_PROMISE(oneOf(s.mediaMode(type), {S::MediaNone, S::MediaVirtualBackground, S::MediaAutoFraming}));
    FUZZ_PROMISE(oneOf(s.runState(type), {S::RunNormal, S::RunRunning, S::RunSleeping, S::RunPrivacy}));
    FUZZ_PROMISE(oneOf(s.antiFlicker(type), {S::AntiFlickerOff, S::AntiFlicker50Hz, S::AntiFlicker60Hz}));
    FUZZ_PROMISE(oneOf(s.backgroundKind(type), {S::BgNone, S::BgBlue, S::BgGreen, S::BgReplace, S::BgBlur}));
    FUZZ_PROMISE(s.autoSleepSeconds(type) >= 0);
    s.faceFocusOn(type);
    s.virtualBackgroundOn(type);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::init();
    CameraStatus status;
    std::memcpy(status.bytes, data, size < size_t(ExtensionUnit::kBlockSize) ? size : ExtensionUnit::kBlockSize);
    for (int type = -1; type <= 5; ++type) {
        checkEnums(status, type);
        for (F field : kFields) {
            const int value = status.field(field, type);
            const int size = CameraStatus::fieldSize(field);
            FUZZ_PROMISE(size == 1 || size == 2);
            if (!CameraStatus::hasField(field, type)) {
                FUZZ_PROMISE(value == 0);
                continue;
            }
            // Writing back what was read changes nothing.
            CameraStatus copy = status;
            FUZZ_PROMISE(copy.setField(field, value, type) && copy == status);
        }
    }
    return 0;
}
