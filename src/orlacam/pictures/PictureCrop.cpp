#include "orlacam/pictures/PictureCrop.h"

#include "orlacam/pictures/PictureFile.h"

#include <QDebug>
#include <QImageReader>

namespace vesk {
namespace pc {

namespace {

constexpr int kMinPictureWidth = 800;
constexpr int kMinPictureHeight = 450;

} // namespace

QSize PictureCrop::workingSize(const QSize& source)
{
    QSize size = source;
    if (size.width() < kMinPictureWidth)
        size = QSize(kMinPictureWidth, int(qRound64(double(size.height()) * kMinPictureWidth / size.width())));
    if (size.height() < kMinPictureHeight)
        size = QSize(int(qRound64(double(size.width()) * kMinPictureHeight / size.height())), kMinPictureHeight);
    // A sliver enlarged to 450 rows would be a picture of gigapixels.
    if (size.width() > PictureFile::kMaxSide || size.height() > PictureFile::kMaxSide)
        return QSize();
    return size;
}

// The display rectangle's size is whole pixels, so the selection's place
// may map a little past the picture's edge: the crop is kept inside.
QRect PictureCrop::cropRect(const QSize& working, const QRect& display, const QRect& selection)
{
    const qint64 pw = working.width();
    const qint64 ph = working.height();
    int w = int(qMin(pw * selection.width() / display.width(), pw)) / 16 * 16;
    if (heightFor(w) > ph)
        w = widthFor(int(ph)) / 16 * 16;
    const int h = heightFor(w);
    const qint64 x = pw * (selection.left() - display.left()) / display.width();
    const qint64 y = ph * (selection.top() - display.top()) / display.height();
    return QRect(int(qBound<qint64>(0, x, pw - w)), int(qBound<qint64>(0, y, ph - h)), w, h);
}

// The file is measured again (it may have changed since it was shown), and
// only the selection is decoded where no enlargement is needed.
int PictureCrop::save(const Job& job)
{
    QSize size;
    if (PictureFile::check(job.source, &size) != PictureFile::Ok || size != job.sourceSize) {
        qWarning() << "Picture changed since it was shown:" << job.source << size;
        return 0;
    }
    QImageReader reader(job.source);
    QImage part;
    if (job.working == size) {
        reader.setClipRect(job.rect);
        if (!reader.read(&part))
            part = QImage();
    } else {
        QImage whole;
        if (reader.read(&whole))
            part = whole.scaled(job.working, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).copy(job.rect);
    }
    if (part.size() != job.rect.size()) {
        qWarning() << "Picture cannot be cropped:" << job.source << job.rect << reader.errorString();
        return 0;
    }
    // Laid on the background the crop window showed it on.
    const QImage cropped =
        PictureFile::opaque(part).scaled(kOutputWidth, kOutputHeight, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    int quality = 0;
    if (!PictureFile::saveForCamera(cropped, job.output, &quality))
        return 0;
    return quality;
}

} // namespace pc
} // namespace vesk
