// The class-specific descriptors of a camera's video-control interface.

#include "FuzzSupport.h"

#include "uvc/VideoControlUnits.h"

using namespace vesk::pc;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::init();
    const QByteArray descriptors(reinterpret_cast<const char*>(data), int(size));
    const VideoControlUnits units = VideoControlUnits::fromDescriptors(descriptors);
    // A bitmap is a piece of one descriptor, whose length is one byte.
    FUZZ_PROMISE(units.cameraTerminalControls.size() < 256);
    FUZZ_PROMISE(units.processingUnitControls.size() < 256);
    FUZZ_PROMISE(units.cameraTerminalControls.size() + units.processingUnitControls.size() <= descriptors.size());
    return 0;
}
