// The replacement background's pictures against a simulated Orla: a picture
// picked, cropped, uploaded, selected and deleted with the files and the
// camera's records checked; slots that never stick, whatever the camera
// holds; pictures refused before anything decodes them; a camera that leaves
// mid-upload; a camera serial that would lead out of pic/; the crop window's
// bounds, its edges and its work off the window's thread; the windows'
// placement and the boxes' contrast; and the slots rendered in six languages.

#include "comm/AppPaths.h"
#include "comm/Util.h"
#include "orlacam/pictures/ImageCrop.h"
#include "orlacam/pictures/ImageItem.h"
#include "orlacam/pictures/ImagePreview.h"
#include "orlacam/pictures/PictureFile.h"
#include "orlacam/pictures/PictureJourney.h"
#include "support/PictureBytes.h"
#include "support/ScreenArea.h"
#include "support/SimWindowSupport.h"
#include "support/StartFolder.h"
#include "support/TestHome.h"
#include "uicomm/MsgInfoUi.h"
#include "uicomm/MsgProgressUi.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QScreen>
#include <QtTest>

using namespace vesk::pc;

namespace {

constexpr int kBoundMs = 8000;
constexpr int kUploadBoundMs = 60000;
constexpr uint8_t kRecordSelector = 6;

QByteArray maskName(int slot)
{
    return QByteArray("/app/private/mask") + QByteArray::number(slot) + QByteArray(".jpg");
}

QImage plain(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Fine detail all over, so that the crop's first quality is too large.
QImage textured(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int noise = int(random.bounded(40));
            line[x] = qRgb((x / 8 + noise) & 0xFF, (y / 6 + noise) & 0xFF, ((x + y) / 10 + noise) & 0xFF);
        }
    }
    return image;
}

// Blue within a red frame 2 % of the height thick.
QImage framed(int width, int height)
{
    QImage image = plain(width, height, Qt::red);
    const int edge = height / 50;
    QPainter(&image).fillRect(image.rect().adjusted(edge, edge, -edge, -edge), Qt::blue);
    return image;
}

// Where each pixel lies, in its colour: red grows with x, green with y.
QImage gradient(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgb(x * 255 / (width - 1), y * 255 / (height - 1), 0);
    }
    return image;
}

// A crop window on a picture, shown with its selection laid out; its
// picture area, or null when it does not come up.
QWidget* openCrop(ImageCrop& crop, const QString& source, const QString& output)
{
    crop.setImagePath(source);
    crop.setOutputFilePath(output);
    if (!crop.imageIsValid())
        return nullptr;
    crop.open();
    if (!QTest::qWaitForWindowExposed(&crop) || !QTest::qWaitFor([&] { return crop.selection().width() > 0; }))
        return nullptr;
    return crop.findChild<QWidget*>(QStringLiteral("wImage"));
}

// A press on the picture area, one move with the button held, the release.
void dragOn(QWidget* area, const QPoint& from, const QPoint& to)
{
    QTest::mousePress(area, Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(area, &move);
    QTest::mouseRelease(area, Qt::LeftButton, Qt::NoModifier, to);
}

// OK pressed: the crop's result code once it finished, -1 when it did not.
int okResult(ImageCrop& crop)
{
    QSignalSpy finished(&crop, &ImageCrop::finished);
    QTest::mouseClick(crop.findChild<QPushButton*>(QStringLiteral("pbOK")), Qt::LeftButton);
    if (!QTest::qWaitFor([&] { return finished.count() > 0; }, kUploadBoundMs) || finished.count() != 1)
        return -1;
    return finished.at(0).at(0).toInt();
}

bool isRed(QRgb pixel)
{
    return qRed(pixel) > 150 && qGreen(pixel) < 100 && qBlue(pixel) < 100;
}

// The grey of an empty slot's add icon, blended at its edges.
bool isAddGrey(QRgb pixel)
{
    return qAbs(qRed(pixel) - qGreen(pixel)) < 8 && qAbs(qGreen(pixel) - qBlue(pixel)) < 8 && qGreen(pixel) > 0x58
           && qGreen(pixel) < 0xA0;
}

int countPixels(const QImage& image, const QRect& area, bool (*match)(QRgb))
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.valid(x, y) && match(image.pixel(x, y));
    }
    return count;
}

QString writeFile(const QString& name, const QByteArray& bytes)
{
    const QString path = QDir::homePath() + QStringLiteral("/Pictures/") + name;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

// A small PNG whose header claims 20000 x 20000 pixels.
QByteArray hugePng()
{
    QByteArray png = encoded(plain(1, 1, Qt::red), "PNG");
    const uint32_t side = 20000;
    for (int at : {16, 20}) {
        for (int i = 0; i < 4; ++i)
            png[at + i] = char(side >> (24 - 8 * i));
    }
    const uint32_t crc = Util::crc32ForBuf(reinterpret_cast<const uint8_t*>(png.constData()) + 12, 17);
    for (int i = 0; i < 4; ++i)
        png[29 + i] = char(crc >> (24 - 8 * i));
    return png;
}

// A PNG whose header is sound and whose picture data is not.
QByteArray damagedPng()
{
    QByteArray png = encoded(textured(640, 360), "PNG");
    for (int i = png.size() / 2; i < png.size() / 2 + 64; ++i)
        png[i] = char(0xA5);
    return png;
}

// Empty when a window without parent lies centred on the main window, as
// far as the screen has room for that on each axis.
QString placementFault(const QWidget* shown, const QWidget* window)
{
    const QRect screen = availableScreenArea(QPoint());
    const QRect frame = shown->frameGeometry();
    QRect centred(QPoint(), frame.size());
    centred.moveCenter(window->frameGeometry().center());
    centred.moveLeft(qMax(screen.left(), qMin(centred.left(), screen.right() + 1 - centred.width())));
    centred.moveTop(qMax(screen.top(), qMin(centred.top(), screen.bottom() + 1 - centred.height())));
    const QPoint off = frame.center() - centred.center();
    QStringList faults;
    if (frame.width() <= screen.width() && qAbs(off.x()) > 1)
        faults << QStringLiteral("%1 px off across").arg(off.x());
    if (frame.height() <= screen.height() && qAbs(off.y()) > 1)
        faults << QStringLiteral("%1 px off down").arg(off.y());
    if (!faults.isEmpty())
        faults << QStringLiteral("(%1,%2 %3x%4 on %5,%6 %7x%8)")
                      .arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height())
                      .arg(window->frameGeometry().x()).arg(window->frameGeometry().y())
                      .arg(window->frameGeometry().width()).arg(window->frameGeometry().height());
    return faults.join(QStringLiteral("; "));
}

// Parameter records 0x0E (picture use and delete) as id, length and data.
QList<QByteArray> replaceRecords()
{
    QList<QByteArray> sent;
    for (const QByteArray& data : setCurs(kOrlaLocation, UvcUnitKind::ExtensionUnit, kRecordSelector)) {
        if (uint8_t(data.at(0)) == 0x0E)
            sent << data.left(4);
    }
    return sent;
}

template<typename T>
T* shownTopLevel(const QString& name)
{
    T* found = nullptr;
    const bool shown = QTest::qWaitFor([&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* typed = qobject_cast<T*>(widget); typed && typed->isVisible()
                && (name.isEmpty() || typed->objectName() == name))
                found = typed;
        }
        return found != nullptr;
    }, kBoundMs);
    return shown ? found : nullptr;
}

} // namespace

class tst_Pictures : public QObject
{
    Q_OBJECT
    TestHome home_;
    const ScreenArea screen_{ScreenArea::fullHd()};  // room to centre the crop window
    std::unique_ptr<MainUserUi> window_;

    ImageItem* slot(int i) const { return window_->imageItems().value(i); }
    QString picPath(const char* kind, int slot) const
    {
        return AppPaths::dataPath(QStringLiteral("pic/%1_%2_%3.jpg").arg(kOrlaSn, QLatin1String(kind)).arg(slot));
    }
    void chooseFile(const QString& path);
    // Into the third slot, through the dialog, the crop and the upload.
    void addToSlot(const QString& path);
    // The notice's text; its title's and text's contrast on screen in contrast.
    QString noticeText(double* contrast = nullptr);
    void cancelDialog();
    void pickAndCrop(const QString& path);
    // What the window's next status poll would bring.
    void applyCameraStatus();
    QString slotFaults() const;

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void addSelectDeleteJourney();
    void slotsNeverStuck();
    void dialogStartFolder_data();
    void dialogStartFolder();
    void cropWorkOffWindowThread();
    void pictureRefused_data();
    void pictureRefused();
    void cameraUnpluggedMidUpload();
    void oddSerialStaysInsidePic();
    void cropWindowBounds();
    void cropAtEdge_data();
    void cropAtEdge();
    void cropFollowsAMovedSelection_data();
    void cropFollowsAMovedSelection();
    void transparentPictureCroppedAsShown();
    void slotsRenderLegibly_data();
    void slotsRenderLegibly();
};

void tst_Pictures::initTestCase()
{
    QVERIFY(home_.isValid());
    QVERIFY(useProgramFonts());
    useSimulatedCameras();
    QCOMPARE(sim().devices().size(), 2);
}

// Virtual background on with the replacement picture of slot 0; the camera
// holds its two own pictures and none in slot 2.
void tst_Pictures::init()
{
    // Qt 5 skips cleanup() after a failed init(): the window and the files
    // made here would otherwise be in the way of every later row.
    const auto tidy = qScopeGuard([this] {
        if (QTest::currentTestFailed())
            cleanup();
    });
    QByteArray status(60, '\0');
    status[0] = 1;   // virtual background
    status[2] = 1;   // running
    status[5] = 17;  // replacement picture
    sim().camera(kOrlaLocation)->setStatusBlock(status);
    for (int i = 0; i < 2; ++i)
        sim().camera(kOrlaLocation)->setPicture(maskName(i), encoded(plain(1536, 864, Qt::darkCyan), "JPG"),
                                                encoded(plain(64, 36, Qt::darkCyan), "JPG"));
    sim().camera(kOrlaLocation)->removePicture(maskName(2));
    QVERIFY(QDir().mkpath(AppPaths::dataPath(QStringLiteral("pic"))));  // made at start-up
    QVERIFY(openWindowOn(window_, kOrlaSn, kOrlaLocation, kBoundMs));
    window_->enableVirtualBg(true);
    QVERIFY(window_->isVirtualBgOn());
    // The thumbnails come lowest slot first: once slot 1 shows its picture,
    // slot 0 has had its own.
    QTRY_COMPARE_WITH_TIMEOUT(slot(1)->state(), ImageItem::Filled, kBoundMs);
    QCOMPARE(slot(0)->state(), ImageItem::Selected);
    QCOMPARE(slot(2)->state(), ImageItem::Empty);
}

void tst_Pictures::cleanup()
{
    window_.reset();
    QTest::qWait(20);
    QVERIFY(UvcDevices::get().devList().isEmpty());
    for (QWidget* widget : QApplication::topLevelWidgets())
        widget->close();
    QDir(AppPaths::dataPath(QStringLiteral("pic"))).removeRecursively();
}

// The non-native dialog takes an existing file; a file gone meanwhile is
// what the dialog would have handed over before it went.
void tst_Pictures::chooseFile(const QString& path)
{
    auto* dialog = shownTopLevel<QFileDialog>(QString());
    QVERIFY(dialog);
    QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
    if (QFileInfo::exists(path)) {
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept");
    } else {
        emit dialog->fileSelected(path);
        dialog->reject();
    }
}

void tst_Pictures::pickAndCrop(const QString& path)
{
    QTest::mouseClick(slot(2), Qt::LeftButton);
    chooseFile(path);
    auto* crop = shownTopLevel<ImageCrop>(QString());
    QVERIFY(crop);
    QVERIFY(QTest::qWaitForWindowExposed(crop));
    QCOMPARE(placementFault(crop, window_.get()), QString());
    // The crop's work may take seconds on a loaded machine; the upload follows it.
    QCOMPARE(okResult(*crop), int(ImageCrop::kCropped));
}

// The journey ends with the dialog, so that the next click adds again.
void tst_Pictures::cancelDialog()
{
    auto* dialog = shownTopLevel<QFileDialog>(QString());
    QVERIFY(dialog);
    dialog->reject();
    QTRY_VERIFY_WITH_TIMEOUT(!window_->findChild<PictureJourney*>(), kBoundMs);
}

void tst_Pictures::addToSlot(const QString& path)
{
    pickAndCrop(path);
    auto* box = shownTopLevel<MsgProgressUi>(QStringLiteral("pictureUploadBox"));
    QVERIFY(box);
    auto* ok = box->findChild<QPushButton*>(QStringLiteral("pbOk"));
    QTRY_VERIFY_WITH_TIMEOUT(ok->isVisible() && ok->isEnabled(), kUploadBoundMs);
    auto* info = box->findChild<QLabel*>(QStringLiteral("lbInfo"));
    QCOMPARE(info->text(), QStringLiteral("Upload image successfully!"));
    QVERIFY2(renderedContrast(info) >= kLegibleContrast, qPrintable(QString::number(renderedContrast(info))));
    QTest::mouseClick(ok, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->findChild<PictureJourney*>(), kBoundMs);
}

void tst_Pictures::applyCameraStatus()
{
    CameraStatus status;
    QVERIFY(UvcDevices::get().getDevBySn(kOrlaSn)->getCameraStatus(status));
    window_->setLastUserActionMs(0);
    window_->onDevStateUpdate(status);
}

// Empty when each slot shows what it holds, rendered: the add icon without
// a picture, the red frame only round the one selected picture, each slot
// at its place.
QString tst_Pictures::slotFaults() const
{
    QStringList faults;
    const QImage shot = window_->grab().toImage();
    const QPoint page = window_->findChild<QWidget*>(QStringLiteral("pgSelect"))->mapTo(window_.get(), QPoint());
    int selected = 0;
    for (ImageItem* item : window_->imageItems()) {
        const QString name = QStringLiteral("slot ") + item->objectName();
        const bool holds = !item->imageMini().isEmpty();
        const bool isSelected = item->state() == ImageItem::Selected;
        selected += isSelected;
        const QRect home = item->homeRect();
        const QRect grown = home.adjusted(-2, -2, 2, 2);
        if (!item->isVisible() || item->geometry() != (isSelected ? grown : home))
            faults << name + QStringLiteral(" is not at its place");
        const QRect shown = grown.translated(page);
        if (holds == (item->state() == ImageItem::Empty)) {
            faults << name + QStringLiteral(" in state %1 %2 a picture")
                                 .arg(item->state())
                                 .arg(QLatin1String(holds ? "with" : "without"));
        }
        const int red = countPixels(shot, shown, isRed);
        if ((red > 0) != isSelected)
            faults << name + QStringLiteral(" shows %1 red pixels").arg(red);
        if (!holds && countPixels(shot, home.translated(page), isAddGrey) < 8)
            faults << name + QStringLiteral(" shows no add icon");
    }
    if (selected > 1)
        faults << QStringLiteral("%1 slots selected").arg(selected);
    return faults.join(QStringLiteral("; "));
}

QString tst_Pictures::noticeText(double* contrast)
{
    auto* notice = shownTopLevel<MsgInfoUi>(QStringLiteral("pictureNotice"));
    if (!notice)
        return QString();
    auto* content = notice->findChild<QLabel*>(QStringLiteral("lbContent"));
    if (contrast && QTest::qWaitForWindowExposed(notice)) {
        auto* title = notice->findChild<QLabel*>(QStringLiteral("lbTitle"));
        *contrast = qMin(renderedContrast(content), renderedContrast(title));
    }
    const QString text = content->text();
    notice->close();
    return text;
}

void tst_Pictures::addSelectDeleteJourney()
{
    const QString source = writeFile(QStringLiteral("holiday.png"), encoded(textured(4000, 3000), "PNG"));
    addToSlot(source);

    // The picture on the disk and on the camera: 1536 x 864, small enough.
    const QString full = picPath("Preview", 2);
    const QString thumbnail = picPath("Icon", 2);
    QCOMPARE(QImageReader(full).size(), QSize(1536, 864));
    QCOMPARE(QImageReader(thumbnail).size(), QSize(64, 36));
    QFile file(full);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY2(bytes.size() <= PictureFile::kTargetBytes, qPrintable(QString::number(bytes.size())));
    QCOMPARE(sim().camera(kOrlaLocation)->pictures().picture(maskName(2)), bytes);
    QCOMPARE(slot(2)->state(), ImageItem::Selected);
    QCOMPARE(slot(0)->state(), ImageItem::Filled);
    QVERIFY(!slot(2)->isBusy());
    // The camera uses the new picture, so that its next status keeps it selected.
    QCOMPARE(replaceRecords(), QList<QByteArray>{QByteArray::fromHex("0e020002")});
    applyCameraStatus();
    QCOMPARE(slot(2)->state(), ImageItem::Selected);

    // Select the camera's own picture and back.
    QTest::mouseClick(slot(0), Qt::LeftButton);
    QCOMPARE(slot(0)->state(), ImageItem::Selected);
    QCOMPARE(slot(2)->state(), ImageItem::Filled);
    QTRY_COMPARE_WITH_TIMEOUT(replaceRecords().size(), 2, kBoundMs);
    QCOMPARE(replaceRecords().last().toHex(), QByteArray("0e020000"));
    QTest::mouseClick(slot(2), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(replaceRecords().size(), 3, kBoundMs);

    // Deleted while selected: the first picture left takes over, on the camera too.
    slot(2)->findChild<QAction*>(QStringLiteral("ActionDelete"))->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(replaceRecords().size(), 5, kBoundMs);
    QCOMPARE(replaceRecords().mid(3),
             (QList<QByteArray>{QByteArray::fromHex("0e020102"), QByteArray::fromHex("0e020000")}));
    QCOMPARE(slot(2)->state(), ImageItem::Empty);
    QCOMPARE(slot(0)->state(), ImageItem::Selected);
    applyCameraStatus();
    QCOMPARE(slotFaults(), QString());
    QVERIFY(!QFile::exists(full));
    QVERIFY(!QFile::exists(thumbnail));

    // The camera's own picture, fetched whole for the preview.
    slot(1)->findChild<QAction*>(QStringLiteral("ActionPreview"))->trigger();
    auto* preview = shownTopLevel<ImagePreview>(QString());
    QVERIFY(preview);
    QTRY_VERIFY_WITH_TIMEOUT(preview->isLoaded(), kBoundMs);
    QCOMPARE(QImageReader(picPath("Preview", 1)).size(), QSize(1536, 864));
    QCOMPARE(preview->windowTitle(), QStringLiteral("Preview"));
    QCOMPARE(placementFault(preview, window_.get()), QString());
    const QPointer<ImagePreview> shown = preview;
    QTest::keyClick(preview, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!shown, kBoundMs);
}

// A camera without pictures, whose status names its first one: every slot
// adds, and neither an upload nor a delete leaves a slot stuck (rendered as
// pictures_uploaded.png and pictures_deleted.png for a person to look at).
void tst_Pictures::slotsNeverStuck()
{
    window_.reset();
    for (int i = 0; i < 3; ++i)
        sim().camera(kOrlaLocation)->removePicture(maskName(i));
    QVERIFY(openWindowOn(window_, kOrlaSn, kOrlaLocation, kBoundMs));
    window_->enableVirtualBg(true);
    const QSharedPointer<UvcDevice> device = UvcDevices::get().getDevBySn(kOrlaSn);
    QSignalSpy downloads(device.data(), &UvcDevice::fileDownloadDone);
    window_->onCurrDevStateRefresh();
    QTRY_VERIFY_WITH_TIMEOUT(downloads.count() >= 3, kBoundMs);
    QCoreApplication::processEvents();
    applyCameraStatus();
    QCOMPARE(slotFaults(), QString());

    QTest::mouseClick(slot(0), Qt::LeftButton);
    cancelDialog();
    QVERIFY(replaceRecords().isEmpty());

    // The new picture is the one the camera uses.
    addToSlot(writeFile(QStringLiteral("sea.png"), encoded(plain(1920, 1080, Qt::darkBlue), "PNG")));
    QCOMPARE(replaceRecords(), QList<QByteArray>{QByteArray::fromHex("0e020002")});
    applyCameraStatus();
    QCOMPARE(slot(2)->state(), ImageItem::Selected);
    QCOMPARE(slotFaults(), QString());
    QVERIFY(window_->grab().save(stagedFile(QStringLiteral("pictures_uploaded.png"))));

    // Deleted, it leaves three slots that add.
    slot(2)->findChild<QAction*>(QStringLiteral("ActionDelete"))->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(replaceRecords().size(), 2, kBoundMs);
    QCOMPARE(replaceRecords().last().toHex(), QByteArray("0e020102"));
    applyCameraStatus();
    QCOMPARE(slotFaults(), QString());
    QVERIFY(window_->grab().save(stagedFile(QStringLiteral("pictures_deleted.png"))));
    QTest::mouseClick(slot(2), Qt::LeftButton);
    cancelDialog();
    QCOMPARE(replaceRecords().size(), 2);
}

void tst_Pictures::dialogStartFolder_data()
{
    StartFolder::addRows();  // what ~/Pictures is
}

// The dialog starts in ~/Pictures, or in the home folder when that is no
// folder; it never offers a folder's name as the file to open.
void tst_Pictures::dialogStartFolder()
{
    QFETCH(QString, startFolder);
    const StartFolder pictures(QDir::homePath() + QStringLiteral("/Pictures"), startFolder);
    QVERIFY(pictures.isMade());
    QTest::mouseClick(slot(2), Qt::LeftButton);
    auto* dialog = shownTopLevel<QFileDialog>(QString());
    QVERIFY(dialog);
    pictures.check(*dialog);
    cancelDialog();
}

// OK decodes, crops and encodes on the thread pool, and so does opening:
// the window answers at once and hears the outcome by signal. A crop window
// or a main window that closes meanwhile takes the outcome with it.
void tst_Pictures::cropWorkOffWindowThread()
{
    const QString source = writeFile(QStringLiteral("big.png"), encoded(textured(1920, 1080), "PNG"));
    const QString output = picPath("Preview", 2);
    {
        ImageCrop crop;
        crop.setImagePath(source);
        crop.setOutputFilePath(output);
        QSignalSpy loaded(&crop, &ImageCrop::loaded);
        crop.loadImage();
        QCOMPARE(loaded.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, kUploadBoundMs);
        QVERIFY(loaded.at(0).at(0).toBool());
        crop.open();
        QVERIFY(QTest::qWaitForWindowExposed(&crop));
        QSignalSpy finished(&crop, &ImageCrop::finished);
        auto* ok = crop.findChild<QPushButton*>(QStringLiteral("pbOK"));
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(finished.count(), 0);
        QVERIFY(!ok->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, kUploadBoundMs);
        QCOMPARE(finished.at(0).at(0).toInt(), ImageCrop::kCropped);
        QCOMPARE(QImageReader(output).size(), QSize(1536, 864));
    }
    QVERIFY(QFile::remove(output));

    auto* crop = new ImageCrop(nullptr);
    crop->setAttribute(Qt::WA_DeleteOnClose);
    crop->setImagePath(source);
    crop->setOutputFilePath(output);
    QVERIFY(crop->imageIsValid());
    crop->open();
    QVERIFY(QTest::qWaitForWindowExposed(crop));
    QSignalSpy finished(crop, &ImageCrop::finished);
    const QPointer<ImageCrop> shown = crop;
    QTest::mouseClick(crop->findChild<QPushButton*>(QStringLiteral("pbOK")), Qt::LeftButton);
    crop->close();
    QTRY_VERIFY_WITH_TIMEOUT(!shown, kBoundMs);
    QVERIFY(QThreadPool::globalInstance()->waitForDone(kUploadBoundMs));
    QCoreApplication::processEvents();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), ImageCrop::kCancelled);
    QVERIFY(!QFile::exists(output) || QImageReader(output).size() == QSize(1536, 864));

    // The picture chosen, still being decoded when the window goes.
    QTest::mouseClick(slot(2), Qt::LeftButton);
    chooseFile(source);
    window_.reset();
    QVERIFY(QThreadPool::globalInstance()->waitForDone(kUploadBoundMs));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    for (QWidget* widget : QApplication::topLevelWidgets())
        QVERIFY2(!widget->isVisible(), qPrintable(widget->objectName()));
}

void tst_Pictures::pictureRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");  // empty: no file
    QTest::addColumn<bool>("outputBlocked");
    QTest::addColumn<QString>("notice");
    const QString invalid = QStringLiteral("Please select valid image and try again!");
    QTest::newRow("huge") << hugePng() << false
                          << QStringLiteral("The image is too large. Please select an image of at most 64 MB "
                                            "and 50 megapixels.");
    QTest::newRow("corrupt") << QByteArray("\xff\xd8\xff\xe0 not a picture at all") << false << invalid;
    QTest::newRow("damaged data") << damagedPng() << false << invalid;
    QTest::newRow("sliver") << encoded(plain(2000, 2, Qt::red), "PNG") << false << invalid;
    QTest::newRow("missing") << QByteArray() << false << invalid;
    QTest::newRow("save fails") << encoded(plain(1920, 1080, Qt::blue), "PNG") << true
                                << QStringLiteral("The cropped image could not be saved, please try again!");
}

// Refused with a notice, before any crop or upload, and nothing written.
void tst_Pictures::pictureRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, outputBlocked);
    QFETCH(QString, notice);
    const QString path = bytes.isEmpty() ? QDir::homePath() + QStringLiteral("/Pictures/gone.jpg")
                                         : writeFile(QStringLiteral("picked.png"), bytes);
    if (outputBlocked)
        QVERIFY(QDir().mkpath(picPath("Preview", 2)));  // a folder where the picture goes
    const int recordsBefore = sim().camera(kOrlaLocation)->pictures().recordsTaken();
    QTest::mouseClick(slot(2), Qt::LeftButton);
    chooseFile(path);
    if (outputBlocked) {
        auto* crop = shownTopLevel<ImageCrop>(QString());
        QVERIFY(crop);
        QCOMPARE(okResult(*crop), int(ImageCrop::kSaveFailed));
    }
    double contrast = 0;
    QCOMPARE(noticeText(&contrast), notice);
    QVERIFY2(contrast >= kLegibleContrast, qPrintable(QString::number(contrast)));
    QTest::qWait(50);
    QCOMPARE(slot(2)->state(), ImageItem::Empty);
    QVERIFY(!QFile::exists(picPath("Icon", 2)));
    QCOMPARE(sim().camera(kOrlaLocation)->pictures().recordsTaken(), recordsBefore);
    for (QWidget* widget : QApplication::topLevelWidgets())
        QVERIFY2(!widget->isVisible() || widget == window_.get(), qPrintable(widget->objectName()));
}

// The box ends in its failure look, the slot can be deleted again and a
// later journey starts.
void tst_Pictures::cameraUnpluggedMidUpload()
{
    const SimCameraModel model = sim().camera(kOrlaLocation)->model();
    const auto replug = qScopeGuard([&] {
        if (!sim().camera(kOrlaLocation))
            sim().plug(model);
    });
    SimKnobs knobs = sim().camera(kOrlaLocation)->knobs();
    knobs.transferDelayMs = 2;
    sim().camera(kOrlaLocation)->setKnobs(knobs);
    pickAndCrop(writeFile(QStringLiteral("slow.png"), encoded(textured(1920, 1080), "PNG")));
    const QPointer<MsgProgressUi> box = shownTopLevel<MsgProgressUi>(QStringLiteral("pictureUploadBox"));
    QVERIFY(box);
    QTRY_VERIFY_WITH_TIMEOUT(sim().camera(kOrlaLocation)->pictures().recordsTaken() > 50, kUploadBoundMs);
    QVERIFY(slot(2)->isBusy());
    QVERIFY(sim().unplug(kOrlaLocation));
    auto* ok = box->findChild<QPushButton*>(QStringLiteral("pbOk"));
    QTRY_VERIFY_WITH_TIMEOUT(ok->isVisible() && ok->isEnabled(), kUploadBoundMs);
    QCOMPARE(box->findChild<QLabel*>(QStringLiteral("lbInfo"))->text(),
             QStringLiteral("Image upload failed, please try again!"));
    QVERIFY(!slot(2)->isBusy());
    QTest::mouseClick(ok, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!box, kBoundMs);
}

// A camera may name itself "../x": its pictures still go to pic/x_*.
void tst_Pictures::oddSerialStaysInsidePic()
{
    constexpr uint32_t kLocation = 0x14400000;
    SimCameraModel odd = sim().camera(kOrlaLocation)->model();
    odd.usb = {QStringLiteral("sim-odd"), kLocation, 0x3564, 0xFEF2, 0xEF, 0x02};
    odd.serial = QByteArray("../x\0\0\0\0\0\0\0\0\0\0", 14);
    odd.uuid = QByteArray::fromHex("4b4553545230314f524c41000000000000000000a1b2c3d8");
    sim().plug(odd);
    const auto unplug = qScopeGuard([] { sim().unplug(kLocation); });
    const QString sn = QStringLiteral("../x");
    QTRY_VERIFY_WITH_TIMEOUT(buttonFor(*window_, sn), kBoundMs);
    QTest::mouseClick(buttonFor(*window_, sn), Qt::LeftButton);
    QCOMPARE(window_->currentSn(), sn);
    window_->enableVirtualBg(true);
    QVERIFY(window_->isVirtualBgOn());

    const QString data = AppPaths::dataDir();
    const QStringList before = QDir(data + QStringLiteral("/..")).entryList(QDir::Files);
    addToSlot(writeFile(QStringLiteral("odd.png"), encoded(plain(1600, 900, Qt::green), "PNG")));
    QVERIFY(QFile::exists(AppPaths::dataPath(QStringLiteral("pic/x_Preview_2.jpg"))));
    QVERIFY(QFile::exists(AppPaths::dataPath(QStringLiteral("pic/x_Icon_2.jpg"))));
    QCOMPARE(QDir(data).entryList(QDir::Files), QStringList());
    QCOMPARE(QDir(data + QStringLiteral("/..")).entryList(QDir::Files), before);
    QCOMPARE(QDir(AppPaths::dataPath(QStringLiteral("pic"))).entryList({QStringLiteral("*_2.jpg")}, QDir::Files),
             (QStringList{QStringLiteral("x_Icon_2.jpg"), QStringLiteral("x_Preview_2.jpg")}));
}

// A small picture is first scaled to 800 wide; the selection starts 16:9 and
// as large as the picture allows, and never shrinks below 320 px.
void tst_Pictures::cropWindowBounds()
{
    const QString source = writeFile(QStringLiteral("small.png"), encoded(plain(300, 200, Qt::yellow), "PNG"));
    ImageCrop crop;
    crop.setImagePath(source);
    crop.setOutputFilePath(picPath("Preview", 2));
    QVERIFY(crop.imageIsValid());
    crop.open();
    QVERIFY(QTest::qWaitForWindowExposed(&crop));
    QWidget* area = crop.findChild<QWidget*>(QStringLiteral("wImage"));
    QTRY_VERIFY(crop.selection().width() > 0);
    const QRect display = crop.displayRect();
    QCOMPARE(display.height(), area->height());
    QVERIFY(qAbs(display.width() * 200 - display.height() * 300) <= 300);
    const QRect start = crop.selection();
    QCOMPARE(start.width(), display.width());
    QCOMPARE(start.height(), start.width() * 9 / 16);

    // Drag the bottom-right corner far past the top-left one.
    const QPoint past = start.topLeft() - QPoint(50, 50);
    QTest::mousePress(area, Qt::LeftButton, Qt::NoModifier, start.bottomRight());
    QMouseEvent drag(QEvent::MouseMove, past, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(area, &drag);
    QTest::mouseRelease(area, Qt::LeftButton, Qt::NoModifier, past);
    QCOMPARE(crop.selection().width(), ImageCrop::kMinSelectionWidth);
    QCOMPARE(crop.selection().topLeft(), start.topLeft());
    QVERIFY(crop.grab().save(stagedFile(QStringLiteral("crop.png"))));  // for a person to look at

    QCOMPARE(okResult(crop), int(ImageCrop::kCropped));
    QCOMPARE(QImageReader(picPath("Preview", 2)).size(), QSize(1536, 864));
}

void tst_Pictures::cropAtEdge_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("drag");  // far past the picture's edge
    QTest::newRow("4000x3000 bottom") << QSize(4000, 3000) << QPoint(0, 5000);
    QTest::newRow("4000x3000 top") << QSize(4000, 3000) << QPoint(0, -5000);
    QTest::newRow("2000x800 right") << QSize(2000, 800) << QPoint(5000, 0);
    QTest::newRow("2000x800 left") << QSize(2000, 800) << QPoint(-5000, 0);
    QTest::newRow("1200x3000 bottom") << QSize(1200, 3000) << QPoint(0, 5000);
    QTest::newRow("600x1500 enlarged, bottom") << QSize(600, 1500) << QPoint(0, 5000);
}

// The selection moved against an edge crops up to that edge: the picture's
// frame shows on that side of the 1536 x 864 result.
void tst_Pictures::cropAtEdge()
{
    QFETCH(QSize, size);
    QFETCH(QPoint, drag);
    const QString output = picPath("Preview", 2);
    ImageCrop crop;
    QWidget* area = openCrop(
        crop, writeFile(QStringLiteral("edge.png"), encoded(framed(size.width(), size.height()), "PNG")), output);
    QVERIFY(area);
    const QPoint middle = crop.selection().center();
    dragOn(area, middle, middle + drag);
    const QRect display = crop.displayRect();
    const QRect selection = crop.selection();
    QVERIFY(display.contains(selection));
    QVERIFY(selection.top() == display.top() || selection.bottom() == display.bottom()
            || selection.left() == display.left() || selection.right() == display.right());

    QCOMPARE(okResult(crop), int(ImageCrop::kCropped));
    const QImage result(output);
    QCOMPARE(result.size(), QSize(ImageCrop::kOutputWidth, ImageCrop::kOutputHeight));
    const QPoint side = drag.y() > 0   ? QPoint(result.width() / 2, result.height() - 3)
                        : drag.y() < 0 ? QPoint(result.width() / 2, 2)
                        : drag.x() > 0 ? QPoint(result.width() - 3, result.height() / 2)
                                       : QPoint(2, result.height() / 2);
    QVERIFY2(isRed(result.pixel(side)), qPrintable(QColor(result.pixel(side)).name()));
    QVERIFY(!isRed(result.pixel(result.rect().center())));
}

void tst_Pictures::cropFollowsAMovedSelection_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("move");  // of the pointer, in window pixels
    QTest::newRow("right and down") << QSize(1920, 1080) << QPoint(70, 30);
    QTest::newRow("left and up from the top-left corner: held there") << QSize(1920, 1080) << QPoint(-60, -25);
    QTest::newRow("past the bottom-right corner: held there") << QSize(1920, 1080) << QPoint(5000, 5000);
    QTest::newRow("2400x900 left and down") << QSize(2400, 900) << QPoint(-80, 30);
    QTest::newRow("2400x900 past the top-left corner: held there") << QSize(2400, 900) << QPoint(-5000, -5000);
    QTest::newRow("640x480 enlarged, right and down") << QSize(640, 480) << QPoint(50, 40);
}

// The selection made smaller, then moved by the pointer: it keeps its size,
// stays inside the picture, and OK saves the region it was moved to.
void tst_Pictures::cropFollowsAMovedSelection()
{
    QFETCH(QSize, size);
    QFETCH(QPoint, move);
    const QString output = picPath("Preview", 2);
    ImageCrop crop;
    QWidget* area = openCrop(
        crop, writeFile(QStringLiteral("moved.png"), encoded(gradient(size.width(), size.height()), "PNG")), output);
    QVERIFY(area);
    const QRect start = crop.selection();
    dragOn(area, start.bottomRight(), start.topLeft() + QPoint(399, 0));  // 400 wide, the top-left corner kept
    const QRect small = crop.selection();
    QCOMPARE(small, QRect(start.topLeft(), QSize(400, 225)));

    dragOn(area, small.center(), small.center() + move);
    const QRect display = crop.displayRect();
    QRect expected = small.translated(move);
    expected.moveLeft(qBound(display.left(), expected.left(), display.right() - expected.width() + 1));
    expected.moveTop(qBound(display.top(), expected.top(), display.bottom() - expected.height() + 1));
    QCOMPARE(crop.selection(), expected);
    QVERIFY(display.contains(expected));

    QCOMPARE(okResult(crop), int(ImageCrop::kCropped));
    const QImage result(output);
    QCOMPARE(result.size(), QSize(ImageCrop::kOutputWidth, ImageCrop::kOutputHeight));

    // The crop in the pixels of the picture as cropped (a small one enlarged
    // to 800 wide first), a width of whole 16 px, 16:9.
    const double scale = size.width() < 800 ? 800.0 / size.width() : 1.0;
    const int pw = int(qRound(size.width() * scale));
    const int ph = int(qRound(size.height() * scale));
    const int x = pw * (expected.left() - display.left()) / display.width();
    const int y = ph * (expected.top() - display.top()) / display.height();
    const int w = pw * expected.width() / display.width() / 16 * 16;
    const int h = w * 9 / 16;
    for (const QPoint& at : {QPoint(100, 80), QPoint(1436, 80), QPoint(100, 784), QPoint(1436, 784),
                             QPoint(768, 432)}) {
        // The source pixel this result pixel shows, and the colour it has there.
        const double sx = (x + double(at.x()) * w / ImageCrop::kOutputWidth) / scale;
        const double sy = (y + double(at.y()) * h / ImageCrop::kOutputHeight) / scale;
        const QRgb pixel = result.pixel(at);
        const int red = int(sx * 255 / (size.width() - 1));
        const int green = int(sy * 255 / (size.height() - 1));
        QVERIFY2(qAbs(qRed(pixel) - red) <= 6 && qAbs(qGreen(pixel) - green) <= 6,
                 qPrintable(QStringLiteral("at %1,%2: %3 where %4,%5 was wanted")
                                .arg(at.x()).arg(at.y()).arg(QColor(pixel).name()).arg(red).arg(green)));
    }
}

// A picture with transparency (a half-transparent red square) goes to the
// camera as the crop window shows it: laid on white once.
void tst_Pictures::transparentPictureCroppedAsShown()
{
    QImage picture(1920, 1080, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    QPainter(&picture).fillRect(QRect(660, 240, 600, 600), QColor(255, 0, 0, 128));
    const QString output = picPath("Preview", 2);
    ImageCrop crop;
    QWidget* area = openCrop(crop, writeFile(QStringLiteral("half.png"), encoded(picture, "PNG")), output);
    QVERIFY(area);
    const QRect display = crop.displayRect();
    const QImage shown = area->grab().toImage();
    QCOMPARE(okResult(crop), int(ImageCrop::kCropped));
    const QImage saved(output);
    // The square's middle and a clear part away from the selection's lines.
    for (const QColor& expected : {QColor(255, 127, 127), QColor(Qt::white)}) {
        const double at = expected == Qt::white ? 1.0 / 6 : 0.5;
        for (const QRgb pixel : {shown.pixel(display.topLeft() + (display.bottomRight() - display.topLeft()) * at),
                                 saved.pixel(saved.rect().bottomRight() * at)})
            QVERIFY2(qAbs(qRed(pixel) - expected.red()) + qAbs(qGreen(pixel) - expected.green())
                             + qAbs(qBlue(pixel) - expected.blue()) <= 16,
                     qPrintable(QColor(pixel).name() + QStringLiteral(" where ") + expected.name()));
    }
}

void tst_Pictures::slotsRenderLegibly_data()
{
    QTest::addColumn<QString>("language");
    for (const QString& code : languageCodes())
        QTest::newRow(code.toLatin1()) << code;
}

// Rendered for a person to look at (pictures_<language>.png in the build
// directory): the panel with the pad and the three slots, one selected.
void tst_Pictures::slotsRenderLegibly()
{
    QFETCH(QString, language);
    QTranslator translator;
    QVERIFY(installLanguage(translator, language));
    QTRY_COMPARE(window_->findChild<QLabel*>(QStringLiteral("lbConnect"))->text(),
                 translator.translate("MainUserUi", "Connect"));
    auto* page = window_->findChild<QWidget*>(QStringLiteral("pgSelect"));
    QVERIFY(page->isVisible());
    QVERIFY(window_->findChild<QWidget*>(QStringLiteral("wDirection"))->isVisible());
    const QString png = stagedFile(QStringLiteral("pictures_") + language + QStringLiteral(".png"));
    QVERIFY(window_->grab().save(png));
    int shown = 0;
    const QString faults = legibilityFault(page, &shown);
    QVERIFY2(faults.isEmpty(), qPrintable(faults));
    QVERIFY(shown >= 5);
}

QTEST_MAIN(tst_Pictures)
#include "tst_pictures.moc"
