// A picture the user picks for a virtual background, through the crop:
// measured, decoded no larger than the area that shows it, then the
// selection mapped onto the picture, decoded at full size, cropped and
// encoded for the camera. The first byte picks the area, from the crop's
// largest down to a few pixels, so that large and small pictures both meet
// a scaled decoding; the next seven place the picture and the selection
// over it as the window may have left them, or as it never would.

#include "FuzzSupport.h"

#include "orlacam/pictures/PictureCrop.h"
#include "orlacam/pictures/PictureFile.h"
#include "support/PackageBuilder.h"

#include <QFileInfo>
#include <QImageReader>

using namespace vesk::pc;

namespace {

bool fits(const QSize& size, const QSize& bound)
{
    return size.width() <= bound.width() && size.height() <= bound.height();
}

struct Placing
{
    QRect display;
    QRect selection;
};

// A display of any size up to about 2000 x 1300 at an offset, and a
// selection of any width from nothing to past the display, shifted by up
// to half a thousand pixels either way.
Placing placing(fuzz::Input& in)
{
    const QPoint at(in.byte(), in.byte());
    const QRect display(at, QSize(1 + in.byte() * 8, 1 + in.byte() * 5));
    const int width = in.byte() * 8;
    const QPoint shift(int8_t(in.byte()) * 4, int8_t(in.byte()) * 4);
    return {display, QRect(display.topLeft() + shift, QSize(width, PictureCrop::heightFor(width)))};
}

// Inside the picture, 16:9 and whole blocks of 16 pixels wide.
bool wellCut(const QRect& rect, const QSize& working)
{
    return QRect(QPoint(0, 0), working).contains(rect) && rect.width() % 16 == 0
           && rect.height() == PictureCrop::heightFor(rect.width());
}

// Saved whole or not at all, and then at the output size below the camera's
// limit.
void crop(const PictureCrop::Job& job)
{
    const int quality = PictureCrop::save(job);
    if (quality > 0) {
        const qint64 bytes = QFileInfo(job.output).size();
        FUZZ_PROMISE(bytes > 0 && bytes < PictureFile::kCameraLimit && quality >= PictureFile::kQualityFloor
                     && quality <= PictureFile::kFirstQuality);
        FUZZ_PROMISE(QImageReader(job.output).size() == QSize(PictureCrop::kOutputWidth, PictureCrop::kOutputHeight));
    } else {
        FUZZ_PROMISE(!QFileInfo::exists(job.output));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::init();
    fuzz::Input in(data, size);
    const QSize bound = QSize(1920, 1080) / (1 + in.byte() / 2);
    const Placing place = placing(in);
    fuzz::Sandbox box;
    const QString picked = box.file(QStringLiteral("picked"));
    FUZZ_PROMISE(pkgtest::writeFile(picked, in.rest()));

    QSize pixels;
    const PictureFile::Check check = PictureFile::check(picked, &pixels);
    FUZZ_PROMISE(check != PictureFile::Ok
                 || (!pixels.isEmpty() && fits(pixels, QSize(PictureFile::kMaxSide, PictureFile::kMaxSide))
                     && qint64(pixels.width()) * pixels.height() <= PictureFile::kMaxPixels));
    QSize source;
    PictureFile::Check why = PictureFile::Missing;
    const QImage shown = PictureFile::loadFitted(picked, bound, &source, &why);
    FUZZ_PROMISE(why == PictureFile::Ok ? check == PictureFile::Ok && source == pixels && !shown.isNull()
                                              && fits(shown.size(), bound)
                                        : shown.isNull() && !source.isValid());
    // The window refuses a picture without a working size, and a crop
    // without pixels.
    const QSize working = shown.isNull() ? QSize() : PictureCrop::workingSize(source);
    if (!working.isEmpty()) {
        FUZZ_PROMISE(fits(working, QSize(PictureFile::kMaxSide, PictureFile::kMaxSide)));
        const QRect rect = PictureCrop::cropRect(working, place.display, place.selection);
        FUZZ_PROMISE(rect.isEmpty() || wellCut(rect, working));
        if (!rect.isEmpty())
            crop({picked, source, working, rect, box.file(QStringLiteral("crop.jpg"))});
    }
    FUZZ_PROMISE(box.clean());
    return 0;
}
