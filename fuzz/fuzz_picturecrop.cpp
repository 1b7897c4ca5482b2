// A picture the user picks for a virtual background, as the crop takes it:
// measured, decoded no larger than the area that shows it, and the result
// encoded for the camera. The first byte picks the area, from the crop's
// largest down to a few pixels, so that large and small pictures both meet
// a scaled decoding.

#include "FuzzSupport.h"

#include "orlacam/pictures/ImageCrop.h"
#include "orlacam/pictures/PictureFile.h"
#include "support/PackageBuilder.h"

#include <QFileInfo>

using namespace vesk::pc;

namespace {

bool fits(const QSize& size, const QSize& bound)
{
    return size.width() <= bound.width() && size.height() <= bound.height();
}

// Saved whole or not at all, and then below the camera's limit.
void encodeForCamera(const QImage& shown, const QString& output)
{
    int quality = 0;
    const QImage cropped = shown.scaled(ImageCrop::kOutputWidth, ImageCrop::kOutputHeight);
    if (PictureFile::saveForCamera(cropped, output, &quality))
        FUZZ_PROMISE(QFileInfo(output).size() > 0 && QFileInfo(output).size() < PictureFile::kCameraLimit
                     && quality >= PictureFile::kQualityFloor && quality <= PictureFile::kFirstQuality);
    else
        FUZZ_PROMISE(!QFileInfo::exists(output));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::init();
    fuzz::Input in(data, size);
    const QSize bound = QSize(1920, 1080) / (1 + in.byte() / 2);
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
    if (!shown.isNull())
        encodeForCamera(shown, box.file(QStringLiteral("crop.jpg")));
    FUZZ_PROMISE(box.clean());
    return 0;
}
