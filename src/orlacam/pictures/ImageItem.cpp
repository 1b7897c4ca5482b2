#include "orlacam/pictures/ImageItem.h"

#include "orlacam/pictures/PictureFile.h"

#include <QAction>
#include <QDebug>
#include <QEvent>
#include <QFile>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>

namespace {

const char* const kAddIcon = ":/source/orlacam/icon/icon_add@3x";
constexpr int kCorner = 4;

struct MenuEntry
{
    const char* name;
    const char* text;
    void (ImageItem::*slot)();
};
const MenuEntry kMenuEntries[] = {
    {"ActionPreview", QT_TRANSLATE_NOOP("ImageItem", "Preview"), &ImageItem::actionPreview},
    {"ActionDelete", QT_TRANSLATE_NOOP("ImageItem", "Delete"), &ImageItem::actionDelete},
};

} // namespace

ImageItem::ImageItem(QWidget* parent)
    : QPushButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setIconSize(QSize(16, 16));
    setStyleSheet(QStringLiteral("QPushButton { color: #7C7C7C; font-size: 12px; border: 2px dashed #404040;"
                                 " border-radius: 4px; background: transparent; }"));
    setContextMenuPolicy(Qt::CustomContextMenu);
    menu_ = new QMenu(this);
    menu_->setStyleSheet(QStringLiteral("QMenu { color: white; background-color: rgb(30, 30, 30);"
                                        " border: 1px solid rgb(240, 240, 240); font-size: 15px; }"
                                        " QMenu::item:selected { background-color: black; }"));
    for (const MenuEntry& entry : kMenuEntries) {
        QAction* action = menu_->addAction(QString());
        action->setObjectName(QLatin1String(entry.name));
        connect(action, &QAction::triggered, this, entry.slot);
    }
    retranslate();
    connect(this, &QPushButton::clicked, this, &ImageItem::onImageBtnClicked);
    connect(this, &QWidget::customContextMenuRequested, this, &ImageItem::showMenu);
    setState(Empty);
}

void ImageItem::setState(ImageSelectState state)
{
    if (unsigned(state) > Ignored)
        return;
    state_ = state;
    if (!home_.isNull())
        setGeometry(state == Selected ? home_.adjusted(-2, -2, 2, 2) : home_);
    if (state == Empty) {
        // Made once: each new icon from a file name asks the MIME database
        // what the file is, and the slots go back to empty on every refresh.
        static const QIcon add{QLatin1String(kAddIcon)};
        setIcon(add);
        clearMask();
    } else {
        setIcon(QIcon());
    }
    update();
}

void ImageItem::setImageMini(const QString& path)
{
    const QImage image = PictureFile::load(path);
    if (image.isNull()) {
        miniPath_.clear();
        thumbnail_ = QPixmap();
    } else {
        miniPath_ = path;
        thumbnail_ = QPixmap::fromImage(image);
    }
    update();
}

void ImageItem::setImagePreview(const QString& path)
{
    previewPath_ = QFile::exists(path) ? path : QString();
}

void ImageItem::clearPictures()
{
    miniPath_.clear();
    previewPath_.clear();
    thumbnail_ = QPixmap();
    update();
}

void ImageItem::onImageBtnClicked()
{
    if (state_ == Ignored)
        return;
    emit imageAction(state_ == Empty ? ActionAdd : ActionSelect);
}

void ImageItem::showMenu(const QPoint& point)
{
    if (state_ == Empty || state_ == Ignored || miniPath_.isEmpty())
        return;
    QAction* remove = menu_->findChild<QAction*>(QStringLiteral("ActionDelete"));
    remove->setVisible(deletable_ && !busy_);
    menu_->popup(mapToGlobal(point));
}

// Only files of the picture folder are removed: the paths come from the
// camera's serial, which the camera chose.
void ImageItem::actionDelete()
{
    if (busy_) {
        qWarning() << "Picture is being uploaded; not deleted:" << objectName();
        return;
    }
    for (const QString& path : {miniPath_, previewPath_}) {
        if (path.isEmpty())
            continue;
        if (!PictureFile::insidePicFolder(path))
            qWarning() << "Not a picture of the picture folder; not deleted:" << path;
        else if (QFile::exists(path) && !QFile::remove(path))
            qWarning() << "Cannot delete picture" << path;
    }
    emit imageAction(ActionDelete);
}

void ImageItem::actionPreview()
{
    emit imageAction(ActionPreview);
}

void ImageItem::paintEvent(QPaintEvent* event)
{
    if (state_ == Empty) {
        QPushButton::paintEvent(event);
        return;
    }
    QPainterPath round;
    round.addRoundedRect(QRectF(rect()), kCorner, kCorner);
    setMask(QRegion(round.toFillPolygon().toPolygon()));
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QSize size = home_.isNull() ? this->size() : home_.size();
    painter.drawPixmap(rect(), thumbnail_);
    switch (state_) {
    case Selected:
        painter.drawPixmap(QRect(QPoint(2, 2), size), thumbnail_);
        painter.setPen(QPen(Qt::red, 3));
        painter.drawRoundedRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), kCorner, kCorner);
        break;
    case Filled:
        painter.drawPixmap(QRect(QPoint(0, 0), size), thumbnail_);
        break;
    default:
        painter.drawPixmap(QRect(QPoint(0, 0), size), thumbnail_);
        painter.fillRect(rect(), QColor(0, 0, 0, 128));
        break;
    }
}

void ImageItem::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QPushButton::changeEvent(event);
}

void ImageItem::retranslate()
{
    for (const MenuEntry& entry : kMenuEntries) {
        if (auto* action = menu_->findChild<QAction*>(QLatin1String(entry.name)))
            action->setText(tr(entry.text));
    }
}
