#include "orlacam/window/DirectionHandler.h"

#include <QDebug>
#include <QHash>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {

const char* const kDirectionNames[] = {"Left", "UpLeft", "Up", "UpRight", "Right",
                                       "DownRight", "Down", "DownLeft", "Stop"};

struct PadImages
{
    const char* background;
    const char* slider;
};
const PadImages kOnImages = {":/source/uicomm/icon/dir_control@3x.png", ":/source/uicomm/icon/dir_slider@3x.png"};
const PadImages kOffImages = {":/source/uicomm/icon/dir_control_off@3x.png",
                              ":/source/uicomm/icon/dir_slider_off@3x.png"};

// Shared by every pad: a drag repaints on every second move only.
bool g_repaintToggle = false;

// The "@3x" in the file names would make the images draw at a third of
// their size; the pad measures them in its own pixels.
QImage scaledTo(QImage image, int diameter)
{
    image.setDevicePixelRatio(1.0);
    if (image.isNull() || diameter <= 0)
        return image;
    return image.scaled(diameter, diameter, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

// Each file is decoded once: the pad takes its images again whenever its
// size or state changes.
QImage decoded(const char* file)
{
    static QHash<const char*, QImage> cache;  // the GUI thread's only
    auto it = cache.constFind(file);
    if (it == cache.constEnd()) {
        QImage image{QLatin1String(file)};
        image.setDevicePixelRatio(1.0);  // so that scaledTo() need not copy it
        it = cache.insert(file, image);
    }
    return *it;
}

} // namespace

DirectionHandler::DirectionHandler(const QRect& geometry, QWidget* parent)
    : QWidget(parent)
{
    setGeometry(geometry);
    setAutoFillBackground(true);
    // The panel's colour, so that the round images sit on it without a frame.
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x14, 0x14, 0x14));
    setPalette(palette);
    knob_ = control_ = centre();
    repeat_.setInterval(kRepeatMs);
    connect(&repeat_, &QTimer::timeout, this, [this] { emit keyNumchanged(getKeyNum()); });
    connect(this, &DirectionHandler::keyNumchanged, this, &DirectionHandler::calCtrlRef);
}

const char* DirectionHandler::directionName(int key)
{
    return key >= Left && key <= Stop ? kDirectionNames[key] : "";
}

// Only when drawn or measured: the window builds the pad enabled and turns
// it off before its first paint, so the images of a state it never shows
// are not decoded.
void DirectionHandler::loadImages() const
{
    if (!imagesStale_)
        return;
    imagesStale_ = false;
    const PadImages& files = enabled_ ? kOnImages : kOffImages;
    background_ = scaledTo(decoded(files.background), bgDiameter_);
    slider_ = scaledTo(decoded(files.slider), sliderDiameter_);
    if (background_.isNull() || slider_.isNull())
        qWarning() << "Direction pad images missing";
}

void DirectionHandler::setBgDiameter(int diameter)
{
    bgDiameter_ = diameter;
    imagesStale_ = true;
    update();
}

void DirectionHandler::setSliderDiameter(int diameter)
{
    sliderDiameter_ = diameter;
    imagesStale_ = true;
    update();
}

// Called with every camera status: the images are drawn again only when
// the state changes.
void DirectionHandler::setWidgetState(bool enabled)
{
    if (!enabled)
        release();
    if (enabled == enabled_ && !imagesStale_ && !background_.isNull())
        return;
    enabled_ = enabled;
    imagesStale_ = true;
    update();
}

int DirectionHandler::reach() const
{
    loadImages();
    const int background = background_.isNull() ? bgDiameter_ : background_.width();
    const int slider = slider_.isNull() ? sliderDiameter_ : slider_.width();
    return qMax(1, int(background * 0.5) - slider / 2);
}

// The speed comes from here, on each pointer or key event; painting only
// draws what this decided.
void DirectionHandler::placeKnob(const QPoint& point)
{
    const QPoint c = centre();
    const double m = pointDis(point.x(), point.y(), c.x(), c.y());
    const int limit = reach();
    magnitude_ = qMin(1.0, m / limit);
    knob_ = point;
    if (m > limit) {
        const double cx = width() * 0.5;
        const double cy = height() * 0.5;
        knob_ = QPoint(int(cx + (point.x() - cx) * limit / m), int(cy + (point.y() - cy) * limit / m));
    }
    control_ = knob_;
}

void DirectionHandler::mousePressEvent(QMouseEvent* event)
{
    if (!enabled_ || event->button() != Qt::LeftButton)
        return;
    placeKnob(event->pos());
    repeat_.start(kRepeatMs);
    held_ = true;
    first_ = true;
    update();
}

void DirectionHandler::mouseMoveEvent(QMouseEvent* event)
{
    if (!enabled_ || !held_ || !repeat_.isActive())
        return;
    placeKnob(event->pos());
    g_repaintToggle = !g_repaintToggle;
    if (g_repaintToggle)
        update();
}

void DirectionHandler::mouseReleaseEvent(QMouseEvent* event)
{
    if (!enabled_ || event->button() != Qt::LeftButton)
        return;
    release();
}

void DirectionHandler::release()
{
    const bool byPointer = repeat_.isActive();
    if (!held_ && !byPointer)
        return;
    repeat_.stop();
    held_ = false;
    knob_ = centre();
    magnitude_ = 0.0;
    qDebug() << "Direction pad:" << directionName(Stop);
    if (byPointer) {
        emit keyNumchanged(Stop);  // answered by calCtrlRef with the zeros
    } else {
        first_ = false;
        calCtrlRef();
    }
    update();
}

void DirectionHandler::dirCtrl(int key)
{
    if (!enabled_)
        return;
    const int w = width();
    const int h = height();
    QPoint point;
    switch (key) {
    case Qt::Key_Left:
        point = QPoint(0, h / 2);
        break;
    case Qt::Key_Up:
        point = QPoint(w / 2, 0);
        break;
    case Qt::Key_Right:
        point = QPoint(w, h / 2);
        break;
    case Qt::Key_Down:
        point = QPoint(w / 2, h);
        break;
    default:
        release();
        return;
    }
    repeat_.stop();  // a key takes over from a pointer that still held the knob
    first_ = true;
    held_ = true;
    placeKnob(point);
    magnitude_ = 1.0;
    qDebug() << "Direction pad key:" << directionName(getKeyNum());
    update();
    calCtrlRef();
}

int DirectionHandler::getKeyNum() const
{
    const double a = std::atan2(control_.y() - height() * 0.5, control_.x() - width() * 0.5);
    const long key = std::lrint((a * 57.296 / 22.5 + 8) * 0.5);  // ties to even
    return int(((key % 8) + 8) % 8);
}

void DirectionHandler::calCtrlRef()
{
    const double dx = control_.x() - width() * 0.5;
    const double dy = control_.y() - height() * 0.5;
    const double angle = (dx == 0.0 && dy == 0.0) ? 0.0 : std::atan2(dy, dx);
    emit ctrlRef(std::sin(angle) * magnitude_, std::cos(angle) * magnitude_, first_);
    first_ = false;
}

double DirectionHandler::pointDis(int x1, int y1, int x2, int y2)
{
    const double dx = double(x1) - x2;
    const double dy = double(y1) - y2;
    return std::sqrt(dx * dx + dy * dy);
}

void DirectionHandler::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event)
    loadImages();
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QPoint c = centre();
    painter.drawImage(c - QPoint(background_.width() / 2, background_.height() / 2), background_);
    const QPoint at = held_ ? knob_ : c;
    painter.drawImage(at - QPoint(slider_.width() / 2, slider_.height() / 2), slider_);
}

void DirectionHandler::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
}

// A pad that disappears while held would never see its release.
void DirectionHandler::hideEvent(QHideEvent* event)
{
    release();
    QWidget::hideEvent(event);
}
