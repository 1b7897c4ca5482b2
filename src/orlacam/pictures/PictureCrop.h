#pragma once

#include <QRect>
#include <QSize>
#include <QString>

namespace vesk {
namespace pc {

// The crop of a picked picture, apart from the window that places its
// selection: the size the selection maps onto, the selection in picture
// pixels, and the full-size work after OK, which runs off the window's
// thread.
class PictureCrop
{
public:
    static constexpr int kOutputWidth = 1536;
    static constexpr int kOutputHeight = 864;

    struct Job
    {
        QString source;
        QSize sourceSize;  // as the window measured it
        QSize working;
        QRect rect;  // in pixels of working
        QString output;
    };

    PictureCrop() = delete;

    // 16:9 at a width or a height.
    static int heightFor(int width) { return width * 9 / 16; }
    static int widthFor(int height) { return height * 16 / 9; }

    // The size a picture of source pixels is cropped at: a small one
    // enlarged to at least 800 wide, then at least 450 high; an empty size
    // when that would go past PictureFile::kMaxSide.
    static QSize workingSize(const QSize& source);
    // The selection, placed over display (not empty), in pixels of
    // working: 16:9, its width a multiple of 16, inside the picture.
    static QRect cropRect(const QSize& working, const QRect& display, const QRect& selection);
    // Decodes the part the job names, scales it to the output size and
    // saves it for the camera; the quality it was saved at, 0 on failure
    // (logged).
    static int save(const Job& job);
};

} // namespace pc
} // namespace vesk
