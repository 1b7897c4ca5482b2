#pragma once

#include <QByteArray>
#include <QRandomGenerator>

#include <cstdint>

// Byte helpers shared by the diff, patch-file and compression tests.
namespace patchtest {

inline const uint8_t* bytes(const QByteArray& data)
{
    return reinterpret_cast<const uint8_t*>(data.constData());
}

// Incompressible bytes, the same for the same seed.
inline QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        data[i] = char(random.bounded(256));
    return data;
}

inline QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

} // namespace patchtest
