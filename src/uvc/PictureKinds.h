#pragma once

#include <cstdint>

namespace vesk {
namespace pc {

// The names of the camera's picture transfers, shared by the part that runs
// them and the camera object that offers them.
struct PictureKinds
{
    // Thumbnail and full downloads per slot, and uploads of the full
    // picture, queued as bits for the device thread.
    enum ImageTransType : unsigned {
        ImageThumbnail0 = 1,
        ImageThumbnail1 = 2,
        ImageThumbnail2 = 4,
        ImageFull0 = 8,
        ImageFull1 = 16,
        ImageFull2 = 32,
        ImageUpload0 = 64,
        ImageUpload1 = 128,
        ImageUpload2 = 256,
    };
    // Results of fileDownloadByUvc.
    static constexpr int kDownloadFetched = 0;
    static constexpr int kDownloadUnchanged = 1;  // the local file already matches
    static constexpr int kDownloadFailed = 254;
    static constexpr int kDownloadMissing = 255;  // the camera has no such picture
    // Pictures of this size and above, and empty ones, are refused.
    static constexpr int64_t kMaxPictureSize = 0x80000;
};

} // namespace pc
} // namespace vesk
