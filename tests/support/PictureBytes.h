#pragma once

// A picture as a file of it holds it: its bytes in one of Qt's formats.

#include <QBuffer>
#include <QByteArray>
#include <QImage>

inline QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}
