#include "uvc/IdentityTables.h"

namespace vesk {
namespace pc {

const char* const kProductType[8] = {
    "Kestro_fenn_3P", "Kestro_fenn_2P", "Kestro_zuki_2P", "Kestro_ko_1P",
    "Kestro_orla", "Kestro_zukiair", nullptr, nullptr,
};

const char* const kFirmwareType[4] = {"OA_E", "OA_W", nullptr, nullptr};

const char* const kPlatformType[8] = {
    "Hi3559A", "Hi3519A", "Hi3516DV300", "Hi3516CV500", "SSC336Q", "SSC339G", "SSC359G", nullptr,
};

const char* const kDeviceType[4] = {"release", "test", "debug", nullptr};

} // namespace pc
} // namespace vesk
