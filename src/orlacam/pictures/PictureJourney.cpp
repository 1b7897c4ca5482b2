#include "orlacam/pictures/PictureJourney.h"

#include "comm/AppPaths.h"
#include "comm/Util.h"
#include "orlacam/pictures/ImageCrop.h"
#include "orlacam/pictures/ImageItem.h"
#include "orlacam/pictures/PictureFile.h"
#include "uicomm/ScreenPlacement.h"
#include "uicomm/MsgInfoUi.h"
#include "uicomm/MsgProgressUi.h"
#include "comm/UpgradeCodes.h"
#include "uvc/UvcDevices.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileDialog>

using vesk::pc::AppPaths;
using vesk::pc::UvcDevice;
using vesk::pc::UvcDevices;

namespace {

constexpr int kThumbnailWidth = 64;
constexpr int kThumbnailHeight = 36;
constexpr int kBoxWidth = 320;

const char* const kTitleInvalid = QT_TRANSLATE_NOOP("MainUserUi", "Image Invalid");
const char* const kTitleUpload = QT_TRANSLATE_NOOP("MainUserUi", "Start Image Upload");
const char* const kTitleSaveFailed = QT_TRANSLATE_NOOP("MainUserUi", "Image Save Failed");
const char* const kUploadFailed = QT_TRANSLATE_NOOP("MainUserUi", "Image upload failed, please try again!");
const char* const kPleaseValid = QT_TRANSLATE_NOOP("MainUserUi", "Please select valid image and try again!");

QString text(const char* source)
{
    return QCoreApplication::translate("MainUserUi", source);
}

} // namespace

PictureJourney::PictureJourney(QWidget* window, const QString& sn, int slot, ImageItem* item)
    : QObject(window)
    , window_(window)
    , sn_(sn)
    , slot_(slot)
    , item_(item)
{
    silence_.setSingleShot(true);
    silence_.setInterval(kUploadSilenceMs);
    connect(&silence_, &QTimer::timeout, this, &PictureJourney::onUploadSilent);
}

// The crop window has no parent: a window that goes takes the journey, and
// the crop window with it.
PictureJourney::~PictureJourney()
{
    if (crop_) {
        disconnect(crop_, nullptr, this, nullptr);
        crop_->close();
    }
}

// The paths come from the camera's serial; they must lead into pic/.
bool PictureJourney::picturePaths(QString* full, QString* thumbnail) const
{
    const QSharedPointer<UvcDevice> device = UvcDevices::get().getDevBySn(sn_);
    if (!device)
        return false;
    *full = device->fullPicturePath(slot_);
    *thumbnail = device->thumbnailPath(slot_);
    if (PictureFile::insidePicFolder(*full) && PictureFile::insidePicFolder(*thumbnail))
        return true;
    qWarning() << "Picture paths outside the picture folder:" << *full << *thumbnail;
    return false;
}

bool PictureJourney::start()
{
    QString full, thumbnail;
    if (!window_ || !item_ || !picturePaths(&full, &thumbnail))
        return false;
    auto* dialog = new QFileDialog(window_, text(QT_TRANSLATE_NOOP("MainUserUi", "Choose Background Image")),
                                   AppPaths::startFolder(QDir::homePath() + QStringLiteral("/Pictures")),
                                   QStringLiteral("Image Files(*.jpg *.jpeg *.png *.bmp)"));
    dialog->setObjectName(QStringLiteral("pictureDialog"));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    connect(dialog, &QFileDialog::fileSelected, this, &PictureJourney::onFileChosen);
    connect(dialog, &QFileDialog::rejected, this, &PictureJourney::finish);
    dialog->open();
    return true;
}

void PictureJourney::onFileChosen(const QString& path)
{
    qInfo() << "image_path =" << path;
    QString full, thumbnail;
    if (path.isEmpty() || !picturePaths(&full, &thumbnail))
        return finish();
    const PictureFile::Check check = PictureFile::check(path);
    if (check == PictureFile::TooLarge) {
        tell(kTitleInvalid, text(QT_TRANSLATE_NOOP("MainUserUi", "The image is too large. Please select an image "
                                                                 "of at most %1 MB and %2 megapixels."))
                                .arg(PictureFile::kMaxFileBytes / (1024 * 1024))
                                .arg(PictureFile::kMaxPixels / 1000000));
        return finish();
    }
    if (check != PictureFile::Ok) {
        tell(kTitleInvalid, text(kPleaseValid));
        return finish();
    }
    crop_ = new ImageCrop(nullptr);
    crop_->setObjectName(QStringLiteral("ImageCrop"));
    crop_->setAttribute(Qt::WA_DeleteOnClose);
    crop_->setImagePath(path);
    crop_->setOutputFilePath(full);
    connect(crop_, &ImageCrop::loaded, this, &PictureJourney::onPictureLoaded);
    connect(crop_, &ImageCrop::finished, this, &PictureJourney::onCropFinished);
    crop_->loadImage();
}

void PictureJourney::onPictureLoaded(bool valid)
{
    if (!valid) {
        disconnect(crop_, nullptr, this, nullptr);
        crop_->close();
        tell(kTitleInvalid, text(kPleaseValid));
        return finish();
    }
    crop_->open();
    if (window_)
        placeWindow(crop_, window_, WindowPlace::Centred);
}

void PictureJourney::onCropFinished(int result)
{
    if (result == ImageCrop::kSaveFailed)
        tell(kTitleSaveFailed,
             text(QT_TRANSLATE_NOOP("MainUserUi", "The cropped image could not be saved, please try again!")));
    if (result != ImageCrop::kCropped)
        return finish();
    queueUpload();
}

void PictureJourney::queueUpload()
{
    QString full, thumbnail;
    const QSharedPointer<UvcDevice> device = UvcDevices::get().getDevBySn(sn_);
    if (!device || !item_ || !picturePaths(&full, &thumbnail)) {
        qWarning() << "Camera gone before the upload:" << sn_;
        tell(kTitleUpload, text(kUploadFailed));
        return finish();
    }
    if (!vesk::pc::Util::resizeImage(full, thumbnail, kThumbnailWidth, kThumbnailHeight))
        qWarning() << "No thumbnail for" << full;
    item_->setImagePreview(full);
    item_->setImageMini(thumbnail);
    const auto type = UvcDevice::ImageTransType(UvcDevice::ImageUpload0 << slot_);
    connect(device.data(), &UvcDevice::fileUploadProgress, this, &PictureJourney::onUploadProgress,
            Qt::QueuedConnection);
    connect(&UvcDevices::get(), &UvcDevices::devChanged, this, &PictureJourney::onDevChanged,
            Qt::QueuedConnection);
    if (!device->startFileUploadAsync(type)) {
        disconnect(device.data(), nullptr, this, nullptr);
        tell(kTitleUpload, text(kUploadFailed));
        return finish();
    }
    uploading_ = true;
    item_->setBusy(true);
    showProgressBox();
}

void PictureJourney::showProgressBox()
{
    box_ = new MsgProgressUi(window_);
    box_->setObjectName(QStringLiteral("pictureUploadBox"));
    box_->setAttribute(Qt::WA_DeleteOnClose);
    box_->setWindowModality(Qt::ApplicationModal);
    box_->setFixedWidth(kBoxWidth);
    box_->setTitle(text(kTitleUpload));
    box_->setText(text(QT_TRANSLATE_NOOP("MainUserUi", "Uploading image, please wait...")));
    connect(box_, &QObject::destroyed, this, [this] {
        if (!uploading_)
            finish();  // otherwise the outcome ends the journey
    });
    if (window_)
        box_->move(window_->geometry().center() - QPoint(kBoxWidth / 2, box_->height() / 2));
    box_->show();
    silence_.start();
}

void PictureJourney::onUploadProgress(int value)
{
    if (!uploading_)
        return;
    if (value > 99 || value < 0) {
        endUpload(value);
        return;
    }
    silence_.start();
    if (box_)
        box_->onProgressUpdate(value, QString());
}

void PictureJourney::onDevChanged(const QByteArray& sn, bool present)
{
    if (!present && uploading_ && QString::fromLatin1(sn) == sn_) {
        qWarning() << "Camera left during the picture upload:" << sn_;
        endUpload(vesk::pc::kErrCodeFailure);
    }
}

void PictureJourney::onUploadSilent()
{
    qWarning() << "Picture upload silent for" << kUploadSilenceMs << "ms:" << sn_;
    endUpload(vesk::pc::kErrCodeFailure);
}

// The outcome is known: the box offers OK, and the slot may be deleted again.
void PictureJourney::endUpload(int value)
{
    uploading_ = false;
    silence_.stop();
    if (item_)
        item_->setBusy(false);
    if (const QSharedPointer<UvcDevice> device = UvcDevices::get().getDevBySn(sn_))
        disconnect(device.data(), nullptr, this, nullptr);
    disconnect(&UvcDevices::get(), nullptr, this, nullptr);
    const bool success = value > 99;
    if (success && item_)
        emit uploaded(item_);
    const QString message = success ? text(QT_TRANSLATE_NOOP("MainUserUi", "Upload image successfully!"))
                                    : text(kUploadFailed);
    if (box_)
        box_->onProgressUpdate(success ? vesk::pc::kErrCodeSuccess : vesk::pc::kErrCodeFailure, message);
    else
        finish();
}

void PictureJourney::tell(const char* title, const QString& message)
{
    auto* box = new MsgInfoUi(text(title), message, window_);
    box->setObjectName(QStringLiteral("pictureNotice"));
    box->open();
}

void PictureJourney::finish()
{
    if (finished_)
        return;
    finished_ = true;
    emit finished();
    deleteLater();
}
