#include "orlacam/pictures/ImageCrop.h"

#include "uicomm/OffGuiCall.h"
#include "orlacam/pictures/PictureFile.h"
#include "ui_ImageCrop.h"

#include <QCloseEvent>
#include <QDebug>
#include <QFileInfo>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>

namespace {

using vesk::pc::PictureCrop;

constexpr int kGrip = 8;          // how near a corner a press resizes
constexpr int kMarkLength = 30;   // corner marks
const QSize kShownBound(1920, 1080);  // the picture area at its largest

struct Decoded
{
    QImage picture;
    QSize source;
};

} // namespace

ImageCrop::ImageCrop(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::ImageCrop)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setWindowModality(Qt::ApplicationModal);
    ui->wImage->setMouseTracking(true);
    ui->wImage->installEventFilter(this);
}

ImageCrop::~ImageCrop()
{
    delete ui;
}

void ImageCrop::setImagePath(const QString& path)
{
    if (QFileInfo::exists(path))
        sourcePath_ = path;
}

bool ImageCrop::imageIsValid()
{
    QSize source;
    const QImage picture = PictureFile::loadFitted(sourcePath_, kShownBound, &source);
    setShown(picture, source);
    return !picture_.isNull();
}

void ImageCrop::loadImage()
{
    const QString path = sourcePath_;
    runOffGui<Decoded>(
        this,
        [path] {
            Decoded decoded;
            decoded.picture = PictureFile::loadFitted(path, kShownBound, &decoded.source);
            return decoded;
        },
        [this](Decoded decoded) {
            setShown(decoded.picture, decoded.source);
            emit loaded(!picture_.isNull());
        });
}

void ImageCrop::setShown(const QImage& picture, const QSize& source)
{
    picture_ = picture;
    source_ = source;
    working_ = picture.isNull() ? QSize() : PictureCrop::workingSize(source);
    if (!picture.isNull() && working_.isEmpty()) {
        qWarning() << "Picture shape unusable:" << sourcePath_ << source;
        picture_ = QImage();
    }
    display_ = selection_ = QRect(QPoint(-1, -1), QPoint(-2, -2));
}

void ImageCrop::open()
{
    if (picture_.isNull() && !sourcePath_.isEmpty())
        imageIsValid();
    qDebug() << "Crop picture" << QImageReader::imageFormat(sourcePath_) << source_;
    result_ = -1;
    done_ = false;
    show();
}

void ImageCrop::ensureLayout()
{
    if (display_.left() >= 0 || picture_.isNull())
        return;
    const QSize area = ui->wImage->size();
    if (area.isEmpty())
        return;
    const double rw = double(working_.width()) / area.width();
    const double rh = double(working_.height()) / area.height();
    if (rw > rh) {
        const int top = int((1 - rh / rw) * area.height() * 0.5);
        display_ = QRect(0, top, area.width(), int(area.height() * rh / rw));
    } else {
        const int left = int((1 - rw / rh) * area.width() * 0.5);
        display_ = QRect(left, 0, int(area.width() * rw / rh), area.height());
    }
    shown_ = picture_.scaled(display_.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    int width = display_.width();
    if (display_.left() <= 0 || PictureCrop::heightFor(width) > display_.height())
        width = qMin(display_.width(), PictureCrop::widthFor(display_.height()));
    const int height = PictureCrop::heightFor(width);
    selection_ = QRect(display_.left() + (display_.width() - width) / 2,
                       display_.top() + (display_.height() - height) / 2, width, height);
}

bool ImageCrop::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->wImage && imageEventProcess(event))
        return true;
    return QWidget::eventFilter(watched, event);
}

bool ImageCrop::imageEventProcess(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Resize:
        display_ = selection_ = QRect(QPoint(-1, -1), QPoint(-2, -2));  // laid out again
        return false;
    case QEvent::Paint:
        paintPicture();
        return true;
    case QEvent::Leave:
        if (!pressed_)
            ui->wImage->setCursor(Qt::ArrowCursor);
        return false;
    case QEvent::MouseButtonPress: {
        if (saving_)
            return true;
        auto* mouse = static_cast<QMouseEvent*>(event);
        ensureLayout();
        hover(mouse->pos());
        const Qt::CursorShape shape = ui->wImage->cursor().shape();
        if (mouse->button() != Qt::LeftButton || shape == Qt::ArrowCursor)
            return false;  // the window drags itself
        pressed_ = true;
        moving_ = shape == Qt::SizeAllCursor;
        resizing_ = !moving_;
        last_ = mouse->pos();
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (!pressed_)
            return false;
        pressed_ = moving_ = resizing_ = false;
        return true;
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (moving_)
            moveSelection(mouse->pos());
        else if (resizing_)
            resizeSelection(mouse->pos());
        else if (!dragging_)
            hover(mouse->pos());
        return pressed_;
    }
    default:
        return false;
    }
}

void ImageCrop::hover(const QPoint& p)
{
    ensureLayout();
    const QRect s = selection_;
    const QPoint corners[] = {s.topLeft(), s.topRight(), s.bottomLeft(), s.bottomRight()};
    for (int i = 0; i < 4; ++i) {
        if (qAbs(p.x() - corners[i].x()) <= kGrip && qAbs(p.y() - corners[i].y()) <= kGrip) {
            corner_ = i;
            ui->wImage->setCursor(i == 0 || i == 3 ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor);
            return;
        }
    }
    const bool inside = s.adjusted(kGrip, kGrip, -kGrip, -kGrip).contains(p);
    ui->wImage->setCursor(inside ? Qt::SizeAllCursor : Qt::ArrowCursor);
}

void ImageCrop::moveSelection(const QPoint& point)
{
    QRect moved = selection_.translated(point - last_);
    last_ = point;
    moved.moveLeft(qBound(display_.left(), moved.left(), display_.right() - moved.width() + 1));
    moved.moveTop(qBound(display_.top(), moved.top(), display_.bottom() - moved.height() + 1));
    selection_ = moved;
    ui->wImage->update();
}

// The corner follows the pointer's x; the opposite corner stays, and the
// height follows the width unless the rows run out first.
void ImageCrop::resizeSelection(const QPoint& point)
{
    const bool left = corner_ == 0 || corner_ == 2;
    const bool top = corner_ == 0 || corner_ == 1;
    const int fixedX = left ? selection_.right() : selection_.left();
    const int fixedY = top ? selection_.bottom() : selection_.top();
    int x = qBound(display_.left(), point.x(), display_.right());
    x = left ? qMin(x, fixedX - kMinSelectionWidth + 1) : qMax(x, fixedX + kMinSelectionWidth - 1);
    int width = qAbs(x - fixedX) + 1;
    int height = PictureCrop::heightFor(width);
    const int rows = top ? fixedY - display_.top() + 1 : display_.bottom() - fixedY + 1;
    if (height > rows) {
        height = rows;
        width = PictureCrop::widthFor(height);
    }
    const int x1 = left ? fixedX - width + 1 : fixedX;
    const int y1 = top ? fixedY - height + 1 : fixedY;
    selection_ = QRect(x1, y1, width, height);
    ui->wImage->update();
}

void ImageCrop::paintPicture()
{
    ensureLayout();
    if (display_.left() < 0)
        return;
    QPainter painter(ui->wImage);
    painter.drawImage(display_.topLeft(), shown_);
    const QRect inner = selection_.adjusted(2, 2, -2, -2);
    QRegion shade(display_);
    shade -= QRegion(inner);
    painter.setClipRegion(shade);
    painter.fillRect(display_, QColor(0, 0, 0, 128));
    painter.setClipping(false);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(inner);
    for (int third = 1; third <= 2; ++third) {
        const int x = inner.left() + inner.width() * third / 3;
        const int y = inner.top() + inner.height() * third / 3;
        painter.drawLine(x, inner.top(), x, inner.bottom());
        painter.drawLine(inner.left(), y, inner.right(), y);
    }
    painter.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    const struct
    {
        QPoint at;
        int dx;
        int dy;
    } marks[] = {{inner.topLeft(), 1, 1}, {inner.topRight(), -1, 1}, {inner.bottomLeft(), 1, -1},
                 {inner.bottomRight(), -1, -1}};
    for (const auto& mark : marks) {
        painter.drawLine(mark.at, mark.at + QPoint(mark.dx * kMarkLength, 0));
        painter.drawLine(mark.at, mark.at + QPoint(0, mark.dy * kMarkLength));
    }
}

void ImageCrop::on_pbOK_clicked()
{
    if (saving_)
        return;
    ensureLayout();
    if (display_.left() < 0 || display_.width() <= 0 || display_.height() <= 0) {
        qWarning() << "Nothing to crop";
        finish(kSaveFailed);
        return;
    }
    const PictureCrop::Job job{sourcePath_, source_, working_,
                               PictureCrop::cropRect(working_, display_, selection_), outputPath_};
    if (job.rect.isEmpty() || !PictureFile::insidePicFolder(outputPath_)) {
        qWarning() << "Crop not saved:" << job.rect << working_ << outputPath_;
        finish(kSaveFailed);
        return;
    }
    saving_ = true;
    ui->pbOK->setEnabled(false);
    ui->pbCancel->setEnabled(false);
    setCursor(Qt::BusyCursor);
    runOffGui<int>(
        this, [job] { return PictureCrop::save(job); },
        [this, output = job.output](int quality) {
            saving_ = false;
            unsetCursor();
            if (quality <= 0) {
                qWarning() << "Cropped picture not saved:" << output;
                finish(kSaveFailed);
                return;
            }
            qInfo() << "Cropped picture saved at quality" << quality << output;
            finish(kCropped);
        });
}

void ImageCrop::on_pbCancel_clicked()
{
    finish(kCancelled);
}

void ImageCrop::finish(int result)
{
    if (done_)
        return;
    done_ = true;
    result_ = result;
    close();
    emit finished(result);
}

void ImageCrop::closeEvent(QCloseEvent* event)
{
    if (!done_) {
        done_ = true;
        result_ = kCancelled;
        emit finished(kCancelled);
    }
    QWidget::closeEvent(event);
}

void ImageCrop::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    dragging_ = true;
    dragStart_ = event->globalPos();
    windowStart_ = pos();
}

void ImageCrop::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging_)
        move(windowStart_ + event->globalPos() - dragStart_);
}

void ImageCrop::mouseReleaseEvent(QMouseEvent* event)
{
    Q_UNUSED(event)
    dragging_ = false;
}
