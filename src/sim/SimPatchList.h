#pragma once

#include <QByteArray>

namespace vesk {
namespace pc {

// The camera's patch tool: checks a patch list ("bspt" header, one entry per
// chunk, the patches after them) and rebuilds the new image from the old one
// chunk by chunk with our patch-file reader.
class SimPatchList
{
public:
    SimPatchList() = delete;

    // False, logged, when the list, a CRC, an MD5 or a patch is bad, or the
    // chunks do not rebuild an image of the old one's length.
    static bool apply(const QByteArray& oldImage, const QByteArray& list, QByteArray* newImage);
};

} // namespace pc
} // namespace vesk
