#pragma once

#include <QByteArray>

#include <cstdint>
#include <cstring>

namespace vesk {
namespace pc {

// Fields of the 60-byte blocks that the upgrade selectors carry.
struct SimBlock
{
    static constexpr int kSize = 60;

    static uint32_t u32At(const uint8_t* at)
    {
        return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
    }

    static void putU32(uint8_t* at, uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            at[i] = uint8_t(value >> (8 * i));
    }

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
