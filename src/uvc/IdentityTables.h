#pragma once

#include <QString>

namespace vesk {
namespace pc {

// Names a camera reports by index in its device information. Empty slots
// are null; the index checks keep them out of reach.
extern const char* const kProductType[8];
extern const char* const kFirmwareType[4];
extern const char* const kPlatformType[8];  // by DevPlatformType (package/)
extern const char* const kDeviceType[4];

// Highest valid index of each table.
constexpr int kProductTypeLast = 5;
constexpr int kFirmwareTypeLast = 1;
constexpr int kPlatformTypeLast = 6;
constexpr int kDeviceTypeLast = 2;

// A camera recognised by its product and platform names: its product type
// (0 Zuki, 1 Zuki 4K, 2 Orla, 3 Orla 4K, 4 Ko, kProductUnknown) and its
// name toward the cloud server (null: none).
struct ProductRow
{
    const char* product;
    const char* platform;  // null: any platform
    int type;
    const char* serverName;
};

constexpr int kProductUnknown = 5;

// The first row for these names; null when none matches.
const ProductRow* productRowOf(const QString& product, const QString& platform);
// The product type of a camera whose device information gives these indices
// into kProductType and kPlatformType.
int productTypeOfIndices(int productIndex, int platformIndex);

} // namespace pc
} // namespace vesk
