#include "main/DemoCameras.h"

#include "comm/Util.h"
#include "sim/SimPictures.h"
#include "sim/SimStatusBlock.h"
#include "uvc/IdentityTables.h"

#include <QBuffer>
#include <QDebug>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QtEndian>

namespace vesk {
namespace pc {

namespace {

constexpr uint32_t kCurrentFirmware = 0x04020600;  // 4.2.6.0: every setting page opens
constexpr uint8_t kRunning = 1;

// Where the demo cameras' controls differ from the simulated webcam's: the
// ranges of the cameras themselves, which the setting dialog's tables are
// made for (compensation -3 to 3 EV in thirds, ISO 100 to 4800, shutter
// 1/6400 to 1/2.5 s), and a focus that the status block's byte can hold.
// The zoom stands at 1.5x.
struct DemoControl
{
    UvcUnitKind unit;
    uint8_t selector;
    int length;
    int64_t min, max, res, def, cur;
};

constexpr UvcUnitKind kCt = UvcUnitKind::CameraTerminal;
constexpr UvcUnitKind kPu = UvcUnitKind::ProcessingUnit;

const DemoControl kDemoControls[] = {
    {kCt, 0x04, 4, 1, 4000, 1, 100, 100},  // exposure time, absolute, in 100 us
    {kCt, 0x06, 2, 0, 255, 1, 0, 0},       // focus, absolute
    {kCt, 0x0B, 2, 100, 500, 1, 100, 300}, // zoom, absolute
    {kPu, 0x01, 2, 0, 18, 1, 9, 9},        // backlight compensation
    {kPu, 0x04, 2, 1, 48, 1, 1, 1},        // gain
};

QByteArray octal(int64_t value, int digits)
{
    return QByteArray::number(qlonglong(value), 8).rightJustified(digits, '0') + '\0';
}

void setControls(SimCameraModel& model)
{
    for (const DemoControl& demo : kDemoControls) {
        for (SimControl& control : model.controls) {
            if (control.unit != demo.unit || control.selector != demo.selector)
                continue;
            control = SimControl::make(demo.unit, demo.selector, demo.length, demo.min, demo.max,
                                       demo.res, demo.def);
            control.cur = SimControl::le(demo.cur, demo.length);
        }
    }
}

// The camera's own pictures in the first two slots, as JPEG files of the
// size the camera keeps them at, with their thumbnails.
const QSize kPictureSize(1536, 864);
const QSize kThumbnailSize(64, 36);

struct DefaultPicture
{
    QRgb top, bottom, shape;
};

const DefaultPicture kDefaultPictures[] = {
    {qRgb(28, 62, 112), qRgb(186, 214, 236), qRgb(238, 238, 226)},  // a bright room
    {qRgb(24, 48, 36), qRgb(120, 168, 128), qRgb(210, 226, 200)},    // a garden
};

QImage drawPicture(const DefaultPicture& look)
{
    QImage image(kPictureSize, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, kPictureSize.height());
    sky.setColorAt(0, QColor(look.top));
    sky.setColorAt(1, QColor(look.bottom));
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(look.shape));
    painter.drawEllipse(QPointF(kPictureSize.width() * 0.78, kPictureSize.height() * 0.28), 120, 120);
    painter.setBrush(QColor(look.top).darker(130));
    painter.drawRect(QRectF(0, kPictureSize.height() * 0.72, kPictureSize.width(), kPictureSize.height() * 0.28));
    return image;
}

QByteArray jpeg(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPG", 85))
        qWarning() << "Demo camera picture not encoded";
    return bytes;
}

void addDefaultPictures(SimCameraModel& model)
{
    for (int i = 0; i < 2; ++i) {
        const QImage full = drawPicture(kDefaultPictures[i]);
        const QByteArray name = SimPictures::maskName(i);
        model.pictures.insert(name, jpeg(full));
        model.thumbnails.insert(name, jpeg(full.scaled(kThumbnailSize, Qt::IgnoreAspectRatio,
                                                       Qt::SmoothTransformation)));
    }
}

// A camera as its owner has it: awake, its status block showing what its
// controls are set to, its own two pictures, a log to pack and firmware to
// rebuild.
SimCameraModel demoCamera(const QString& name, const UsbDeviceInfo& usb)
{
    SimCameraModel model;
    model.usb = usb;
    model.name = name;
    model.version = kCurrentFirmware;
    setControls(model);
    const QByteArray log = "[20240101 9:00:00.000 I] " + name.toLatin1() + " started, firmware 4.2.6.0\n";
    model.upgrade.logArchive = DemoCameras::tarGz("log/" + name.toLower().toLatin1() + ".log", log);
    model.upgrade.presentImage = QByteArray("firmware ").repeated(64) + name.toLatin1();
    addDefaultPictures(model);
    return model;
}

// The status block its controls and run state give.
void settle(SimCameraModel& model)
{
    const int type = productTypeOfIndices(model.productIndex, model.platformIndex);
    applyRunStatus(kRunning, type, model.statusBlock);
    for (const SimControl& control : model.controls)
        applyControl(control, type, model.statusBlock);
}

} // namespace

QList<SimCameraModel> DemoCameras::models()
{
    SimCameraModel orla = demoCamera(QStringLiteral("Orla"),
                                     {QStringLiteral("sim-orla"), 0x14100000, 0x3564, 0xFEF2, 0xEF, 0x02});

    SimCameraModel zuki = demoCamera(QStringLiteral("Zuki"),
                                     {QStringLiteral("sim-zuki"), 0x14200000, 0x3564, 0xFEF2, 0xEF, 0x02});
    zuki.productIndex = 2;  // "Kestro_zuki_2P" on the SSC336Q: a Zuki
    zuki.serial = QByteArray("ZK22A0000002\0\0", 14);
    zuki.uuid = QByteArray::fromHex("4b4553545230315a554b49000000000000000000a1b2c3d5");

    for (SimCameraModel* model : {&orla, &zuki})
        settle(*model);
    return {orla, zuki};
}

QByteArray DemoCameras::tarGz(const QByteArray& name, const QByteArray& content)
{
    constexpr int kTarBlock = 512;
    constexpr int64_t kMtime = 1704067200;  // 2024-01-01
    QByteArray header(kTarBlock, '\0');
    header.replace(0, qMin(int(name.size()), 99), name.left(99));
    header.replace(100, 8, octal(0644, 7));
    header.replace(108, 8, octal(0, 7));  // owner
    header.replace(116, 8, octal(0, 7));  // group
    header.replace(124, 12, octal(content.size(), 11));
    header.replace(136, 12, octal(kMtime, 11));
    header.replace(148, 8, QByteArray(8, ' '));  // summed as blanks
    header[156] = '0';                          // a regular file
    header.replace(257, 8, QByteArray("ustar\0" "00", 8));
    int sum = 0;
    for (char byte : qAsConst(header))
        sum += uint8_t(byte);
    header.replace(148, 8, octal(sum, 6) + ' ');
    const int padding = (kTarBlock - content.size() % kTarBlock) % kTarBlock;
    const QByteArray tar = header + content + QByteArray(padding + 2 * kTarBlock, '\0');

    // gzip with stored deflate blocks: no compression, any reader takes it.
    QByteArray gz = QByteArray::fromHex("1f8b08000000000000ff");
    constexpr int kStoredMax = 0xFFFF;
    for (int at = 0; at < tar.size(); at += kStoredMax) {
        const int length = qMin(kStoredMax, int(tar.size()) - at);
        char head[5];
        head[0] = char(at + length >= tar.size() ? 1 : 0);  // the last block
        qToLittleEndian<quint16>(quint16(length), head + 1);
        qToLittleEndian<quint16>(quint16(~length), head + 3);
        gz += QByteArray(head, 5) + tar.mid(at, length);
    }
    char trailer[8];
    qToLittleEndian<quint32>(Util::crc32ForBuf(reinterpret_cast<const uint8_t*>(tar.constData()),
                                               uint32_t(tar.size())),
                             trailer);
    qToLittleEndian<quint32>(quint32(tar.size()), trailer + 4);
    return gz + QByteArray(trailer, 8);
}

} // namespace pc
} // namespace vesk
