#pragma once

// A file in the ".lzma" form that a camera's "lzma -d" unpacks: 5 property
// bytes, the u64 size, the raw LZMA stream.

#include "package/LZMA.h"

#include <QByteArray>
#include <QtEndian>

inline QByteArray lzmaAlone(const QByteArray& file)
{
    QByteArray raw, props;
    LZMA::encode(file, &raw, props, 5);
    QByteArray size(8, '\0');
    qToLittleEndian<quint64>(quint64(file.size()), size.data());
    return props + size + raw;
}
