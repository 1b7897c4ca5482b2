// The three pictures of the replacement background: their slots on the
// option page, selecting and deleting a picture on the camera, adding one
// (PictureJourney) and previewing it.

#include "orlacam/window/MainUserUi.h"

#include "orlacam/pictures/ImageItem.h"
#include "orlacam/pictures/ImagePreview.h"
#include "orlacam/pictures/PictureJourney.h"
#include "uicomm/ScreenPlacement.h"
#include "ui_MainUserUi.h"
#include "uvc/UvcDevices.h"

#include <QDateTime>
#include <QDebug>

using vesk::pc::UvcDevice;

namespace {

constexpr int kSlots = 3;
const int kSlotX[kSlots] = {118, 188, 258};
constexpr int kSlotY = 22;
constexpr int kDeletableSlot = 2;  // the first two hold the camera's own pictures

// The slot of a single picture kind in a family of three bits from first.
int slotOf(unsigned type, unsigned first)
{
    for (int i = 0; i < kSlots; ++i) {
        if (type == first << i)
            return i;
    }
    return -1;
}

bool holdsPicture(const ImageItem* item)
{
    return !item->imageMini().isEmpty();
}

ImageItem::ImageSelectState slotState(bool holds, bool enabled, bool inUse)
{
    if (!holds)
        return ImageItem::Empty;
    if (!enabled)
        return ImageItem::Ignored;
    return inUse ? ImageItem::Selected : ImageItem::Filled;
}

} // namespace

void MainUserUi::initPictureSlots()
{
    for (int i = 0; i < kSlots; ++i) {
        auto* item = new ImageItem(ui->pgSelect);
        item->setObjectName(QString::number(i));
        item->setHomeRect(QRect(kSlotX[i], kSlotY, 64, 36));
        item->setState(ImageItem::Empty);
        item->setDeletable(i == kDeletableSlot);
        connect(item, &ImageItem::imageAction, this, &MainUserUi::onImageAction);
        item->show();
        imageItems_.append(item);
    }
}

// Only a slot with a picture shows the red frame: an empty one keeps its add
// icon whatever the camera names, so that a click on it adds a picture.
void MainUserUi::selectPictureSlot(ImageItem* item)
{
    for (ImageItem* other : imageItems_) {
        if (other == item || other->state() == ImageItem::Selected)
            other->setState(slotState(holdsPicture(other), true, other == item));
    }
}

// The camera is told to use the picture the window shows selected.
void MainUserUi::usePicture(UvcDevice& device, ImageItem* item)
{
    selectPictureSlot(item);
    device.cameraSetImageReplace(0, imageItems_.indexOf(item));
}

// From the panel: the camera's picture selected, the others filled; off,
// every slot with a picture ignored.
void MainUserUi::setPictureSlotStates(bool enabled, int pictureIndex)
{
    for (int i = 0; i < imageItems_.size(); ++i) {
        ImageItem* item = imageItems_[i];
        const ImageItem::ImageSelectState state = slotState(holdsPicture(item), enabled, i == pictureIndex);
        if (item->state() != state)
            item->setState(state);
    }
}

// The pictures belong to the camera that was selected.
void MainUserUi::clearPictureSlots()
{
    for (ImageItem* item : imageItems_) {
        item->clearPictures();
        item->setState(ImageItem::Empty);
    }
}

void MainUserUi::onImageAction(int action)
{
    auto* item = qobject_cast<ImageItem*>(sender());
    const QSharedPointer<UvcDevice> device = currentDevice();
    const int index = imageItems_.indexOf(item);
    if (!device || index < 0 || action < ImageItem::ActionPreview || action > ImageItem::ActionAdd)
        return;
    switch (action) {
    case ImageItem::ActionDelete: {
        const bool wasSelected = item->state() == ImageItem::Selected;
        item->clearPictures();
        item->setState(ImageItem::Empty);
        device->cameraSetImageReplace(1, index);
        // The first picture left takes over, on the camera too: otherwise it
        // would go on naming the deleted one.
        for (ImageItem* other : imageItems_) {
            if (wasSelected && holdsPicture(other)) {
                usePicture(*device, other);
                break;
            }
        }
        break;
    }
    case ImageItem::ActionSelect:
        usePicture(*device, item);
        break;
    case ImageItem::ActionAdd:
        if (virtualBgOn_)
            onSelectPicAndUpload(item);
        return;
    default:
        if (item->state() != ImageItem::Empty)
            previewPicture(index);
        return;
    }
    device->setStatusPollCounter(0);
    lastUserActionMs_ = QDateTime::currentMSecsSinceEpoch();
}

bool MainUserUi::onSelectPicAndUpload(ImageItem* item)
{
    const int index = imageItems_.indexOf(item);
    if (!currentDevice() || index < 0)
        return false;
    if (pictureJourney_) {
        qDebug() << "A picture is being added already";
        return false;
    }
    pictureJourney_ = new PictureJourney(this, currSn_, index, item);
    // Once the camera holds the new picture, it uses it.
    connect(pictureJourney_, &PictureJourney::uploaded, this, [this, sn = currSn_](ImageItem* uploaded) {
        const QSharedPointer<UvcDevice> device = currentDevice();
        if (!device || sn != currSn_ || !virtualBgOn_)
            return;
        usePicture(*device, uploaded);
        device->setStatusPollCounter(0);
        lastUserActionMs_ = QDateTime::currentMSecsSinceEpoch();
    });
    if (!pictureJourney_->start()) {
        delete pictureJourney_;
        return false;
    }
    return true;
}

// The full picture is asked for first; the preview waits for its file.
void MainUserUi::previewPicture(int slot)
{
    const QSharedPointer<UvcDevice> device = currentDevice();
    if (!device)
        return;
    device->startFileDownloadAsync(UvcDevice::ImageTransType(UvcDevice::ImageFull0 << slot));
    const QString sn = currSn_;
    QTimer::singleShot(timing_.previewWaitMs, this, [this, sn, slot] {
        const QSharedPointer<UvcDevice> device = registry_->getDevBySn(sn);
        if (!device || sn != currSn_)
            return;
        auto* preview = new ImagePreview(device->fullPicturePath(slot), nullptr);
        preview->setObjectName(QStringLiteral("ImagePreview"));
        preview->setAttribute(Qt::WA_DeleteOnClose);
        preview->setWindowModality(Qt::ApplicationModal);
        connect(this, &QObject::destroyed, preview, &QWidget::close);
        preview->show();
        placeWindow(preview, this, WindowPlace::Centred);
    });
}

void MainUserUi::onDevImageDownload(unsigned int type, int result)
{
    const QSharedPointer<UvcDevice> device = currentDevice();
    if (!device)
        return;
    // Anything but fetched (0) and unchanged (1) is a failure.
    const bool ok = result == UvcDevice::kDownloadFetched || result == UvcDevice::kDownloadUnchanged;
    if (const int slot = slotOf(type, UvcDevice::ImageThumbnail0); slot >= 0) {
        ImageItem* item = imageItems_.value(slot);
        item->setImageMini(ok ? device->thumbnailPath(slot) : QString());
        const int inUse = device->cachedStatus().bgProtectArea1(device->getProductType());
        item->setState(slotState(holdsPicture(item), virtualBgOn_, slot == inUse));
    } else if (const int slot = slotOf(type, UvcDevice::ImageFull0); slot >= 0) {
        imageItems_.value(slot)->setImagePreview(ok ? device->fullPicturePath(slot) : QString());
    }
}
