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

namespace {

// First match wins; a product of the two families on another platform is
// named but not recognised.
const ProductRow kProducts[] = {
    {"Kestro_zuki_2P", "SSC339G", 1, "KESTRO Zuki4K"},
    {"Kestro_zuki_2P", "Hi3516DV300", 0, "KESTRO Zuki"},
    {"Kestro_zuki_2P", "Hi3516CV500", 0, "KESTRO Zuki"},
    {"Kestro_zuki_2P", "SSC336Q", 0, "KESTRO Zuki"},
    {"Kestro_zuki_2P", nullptr, kProductUnknown, "KESTRO Unknown"},
    {"Kestro_orla", "SSC339G", 3, "KESTRO Orla4K"},
    {"Kestro_orla", "SSC336Q", 2, "KESTRO Orla"},
    {"Kestro_orla", nullptr, kProductUnknown, "KESTRO Unknown"},
    {"Kestro_ko_1P", "SSC336Q", 4, nullptr},
};

} // namespace

const ProductRow* productRowOf(const QString& product, const QString& platform)
{
    for (const ProductRow& row : kProducts) {
        if (product == QLatin1String(row.product)
            && (!row.platform || platform == QLatin1String(row.platform)))
            return &row;
    }
    return nullptr;
}

int productTypeOfIndices(int productIndex, int platformIndex)
{
    if (productIndex < 0 || productIndex > kProductTypeLast || platformIndex < 0
        || platformIndex > kPlatformTypeLast)
        return kProductUnknown;
    const ProductRow* row = productRowOf(QLatin1String(kProductType[productIndex]),
                                         QLatin1String(kPlatformType[platformIndex]));
    return row ? row->type : kProductUnknown;
}

} // namespace pc
} // namespace vesk
