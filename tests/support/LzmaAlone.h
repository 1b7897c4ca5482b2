#pragma once

// A file in the ".lzma" form that a camera's "lzma -d" unpacks: 5 property
// bytes, the u64 size, the raw LZMA stream.

#include "package/LZMA.h"

#include <QByteArray>

inline QByteArray lzmaAlone(const QByteArray& file)
{
    QByteArray raw, props;
    LZMA::encode(file, &raw, props, 5);
    QByteArray size(8, '\0');
    for (int i = 0; i < 4; ++i)
        size[i] = char(uint32_t(file.size()) >> (8 * i));
    return props + size + raw;
}
