#include "orlacam/pictures/ImagePreview.h"

#include "orlacam/pictures/PictureFile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

namespace {

constexpr int kWaitMs = 1000;
const QSize kBlackSize(640, 360);

// The largest rectangle of the picture's aspect ratio centred in area.
QRect fitted(const QSize& picture, const QSize& area)
{
    const QSize size = picture.scaled(area, Qt::KeepAspectRatio);
    return QRect(QPoint((area.width() - size.width()) / 2, (area.height() - size.height()) / 2), size);
}

} // namespace

ImagePreview::ImagePreview(QWidget* parent)
    : OWidget(parent)
{
    init();
}

ImagePreview::ImagePreview(const QString& path, QWidget* parent)
    : OWidget(parent)
    , path_(path)
{
    if (QFileInfo::exists(path_))
        loadImage();
    else
        timerId_ = startTimer(kWaitMs);
    init();
}

ImagePreview::~ImagePreview()
{
    if (timerId_)
        killTimer(timerId_);
}

void ImagePreview::init()
{
    roundedMask = false;
    setMinimumSize(kBlackSize);
    setStyleSheet(QStringLiteral("background-color: rgb(0, 0, 0);"));
    setWindowIcon(QIcon(QStringLiteral(":/source/orlacam/icon/orla_icon.ico")));
    // The file's name is the program's own business.
    setWindowTitle(QCoreApplication::translate("ImageItem", "Preview"));
    if (!loaded_)
        resize(kBlackSize);
}

// Halved until it takes less than 80 % of the screen both ways.
void ImagePreview::loadImage()
{
    image_ = PictureFile::load(path_);
    loaded_ = !image_.isNull();
    QSize size = kBlackSize;
    if (loaded_) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QSize room = screen ? screen->availableGeometry().size() * 0.8 : QSize(1024, 768);
        size = image_.size();
        while ((size.width() >= room.width() || size.height() >= room.height()) && size.width() > 1
               && size.height() > 1)
            size /= 2;
        size = size.expandedTo(kBlackSize);
    }
    // A picture that arrives late keeps the window where it was centred.
    QRect frame = geometry();
    frame.setSize(size);
    if (isVisible())
        frame.moveCenter(geometry().center());
    setGeometry(frame);
    update();
}

void ImagePreview::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != timerId_)
        return OWidget::timerEvent(event);
    if (QFileInfo::exists(path_))
        loadImage();
    if (loaded_) {
        killTimer(timerId_);
        timerId_ = 0;
    }
}

void ImagePreview::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    OWidget::keyPressEvent(event);
}

void ImagePreview::paintEvent(QPaintEvent* event)
{
    if (!loaded_) {
        OWidget::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(fitted(image_.size(), size()), image_);
}
