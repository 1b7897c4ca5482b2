#pragma once

#include "uvc/ExtensionUnit.h"

#include <QByteArray>

#include <cstdint>
#include <cstring>

namespace vesk {
namespace pc {

// Fields of the 60-byte blocks that the upgrade selectors carry.
struct SimBlock
{
    static constexpr int kSize = ExtensionUnit::kBlockSize;

    // NUL-terminated text from offset, never read past the block.
    static QByteArray textAt(const uint8_t* block, int offset)
    {
        const char* text = reinterpret_cast<const char*>(block) + offset;
        return QByteArray(text, int(strnlen(text, size_t(kSize - offset))));
    }

    static QByteArray bytes(const uint8_t* block)
    {
        return QByteArray(reinterpret_cast<const char*>(block), kSize);
    }
};

} // namespace pc
} // namespace vesk
