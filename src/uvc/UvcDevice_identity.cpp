// Who the camera is: version, uuid, serial number, device information,
// product type, and the initialisation that gathers them.

#include "uvc/UvcDevice.h"

#include "comm/GlobalParams.h"
#include "comm/Util.h"
#include "uvc/IdentityTables.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMutexLocker>

namespace vesk {
namespace pc {

namespace {

constexpr uint16_t kCmdVersion = 0x8010;
constexpr uint16_t kCmdUuid = 0x8060;
constexpr uint16_t kCmdSn = 0x8063;
constexpr uint16_t kCmdInfo = 0x8065;
constexpr uint8_t kHostToSystem = 0xE8;
constexpr int kUuidLength = 24;
constexpr int kSnLength = 14;
constexpr int kInfoLength = 34;

const char* const kNameProduct = "product";
const char* const kNamePlatform = "platform";

const ProductRow* productRowFor(const QJsonObject& info)
{
    if (!info.contains(kNameProduct) || !info.contains(kNamePlatform))
        return nullptr;
    return productRowOf(info.value(kNameProduct).toString(), info.value(kNamePlatform).toString());
}

uint32_t u32Le(const QByteArray& data, int offset)
{
    const auto* b = reinterpret_cast<const uint8_t*>(data.constData()) + offset;
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

// Callers wrap their texts in QT_TRANSLATE_NOOP so that lupdate finds them.
QString translated(const char* text)
{
    return QCoreApplication::translate("UvcDevice", text);
}

} // namespace

QString UvcDevice::safeSerial(const QString& serial)
{
    QString safe;
    for (const QChar c : serial) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
                           || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
                           || (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
                           || c == QLatin1Char('-') || c == QLatin1Char('_');
        if (plain)
            safe += c;
    }
    return safe;
}

bool UvcDevice::identityQueryAllowed() const
{
    if (!inited_)
        qWarning() << "Device has not been inited";
    return inited_;
}

bool UvcDevice::queryIdentity(uint16_t command, QByteArray* data)
{
    ProtocolMsg::FrmPacket frame;
    frame.setAddresses(kHostToSystem);
    frame.setCommand(command);
    const ErrorType result = sendMsgSync(frame, *data);
    if (result != ErrSuccess) {
        qWarning() << "Error occurred in sendMsgSync, ret_val =" << result;
        return false;
    }
    return true;
}

QString UvcDevice::getDevVersion()
{
    return identityQueryAllowed() ? queryDevVersion() : QString();
}

QByteArray UvcDevice::getDevUuid()
{
    return identityQueryAllowed() ? queryDevUuid() : QByteArray();
}

QJsonObject UvcDevice::getDevInfo()
{
    return identityQueryAllowed() ? queryDevInfo() : QJsonObject();
}

QString UvcDevice::getDevSn()
{
    return identityQueryAllowed() ? queryDevSn() : QString();
}

QString UvcDevice::queryDevVersion()
{
    if (devMode() == DevModeNet)
        return netDevVersion();
    QByteArray data;
    if (!queryIdentity(kCmdVersion, &data))
        return {};
    if (data.size() < 4) {
        qWarning() << "Dev version length error, received length is" << data.size();
        return {};
    }
    return Util::verUintToStr(u32Le(data, 0));
}

QByteArray UvcDevice::queryDevUuid()
{
    if (devMode() == DevModeNet)
        return netDevUuid();
    QByteArray data;
    if (!queryIdentity(kCmdUuid, &data))
        return {};
    if (data.size() != kUuidLength) {
        qWarning() << "Dev uuid length error, received length is" << data.size();
        return {};
    }
    return data;
}

QString UvcDevice::queryDevSn()
{
    if (devMode() == DevModeNet) {
        qCritical() << "Net mode not supported";
        return {};
    }
    QByteArray data;
    if (!queryIdentity(kCmdSn, &data))
        return {};
    if (data.size() != kSnLength) {
        qWarning() << "Wrong sn length =" << data.size();
        return {};
    }
    const int end = data.indexOf('\0');
    const QString sn = QString::fromLatin1(data.left(end < 0 ? kSnLength : end));
    qDebug() << "Dev sn =" << sn;
    return sn;
}

QJsonObject UvcDevice::queryDevInfo()
{
    if (devMode() == DevModeNet)
        return netDevInfo();
    QByteArray data;
    if (!queryIdentity(kCmdInfo, &data))
        return {};
    if (data.size() < kInfoLength) {
        qWarning() << "Dev info length error, received length is" << data.size();
        return {};
    }
    const auto* b = reinterpret_cast<const uint8_t*>(data.constData());
    if (b[0] > kProductTypeLast || b[1] > kFirmwareTypeLast || b[2] > kPlatformTypeLast
        || b[3] > kDeviceTypeLast) {
        qCritical() << "Error response:" << "Product type =" << b[0] << "Firmware type =" << b[1]
                    << "Platform type =" << b[2] << "Device type =" << b[3];
        return {};
    }
    QJsonObject info;
    info.insert(kNameProduct, kProductType[b[0]]);
    info.insert("branch", kFirmwareType[b[1]]);
    info.insert(kNamePlatform, kPlatformType[b[2]]);
    info.insert("status", kDeviceType[b[3]]);
    info.insert("version", Util::verUintToStr(u32Le(data, 4)));
    const QString seqid = QString::fromLatin1(data.mid(8, kUuidLength).toHex().toUpper());
    info.insert("seqid", seqid);
    info.insert("systype", int(int8_t(b[32])));
    info.insert("socver", int(int8_t(b[33])));
    const QString sn = queryDevSn();
    info.insert("devsn", sn.isEmpty() ? seqid.right(kSnLength) : sn);
    return info;
}

bool UvcDevice::waitForNetAddress()
{
    const UvcTiming timing = this->timing();
    QString ip;
    for (int attempt = 0; attempt < timing.netAddressAttempts; ++attempt) {
        Util::delayMs(timing.netAddressWaitMs, 100);
        ip = GlobalParams::get().getLocalJustAddedIp().ip;
        if (ip.isEmpty())
            qDebug() << "There is no new device inserted, will wait and try again";
    }
    if (ip.isEmpty()) {
        qCritical() << "There is no new device inserted";
        return false;
    }
    qDebug() << "Temporary ip:" << ip;
    QMutexLocker lock(&identityMutex_);
    identity_.ip = ip;
    return true;
}

bool UvcDevice::initDev()
{
    inited_ = false;  // true only once every step has succeeded
    const bool net = devMode() == DevModeNet;
    if (net && !waitForNetAddress())
        return false;
    const QByteArray uuid = queryDevUuid();
    {
        QMutexLocker lock(&identityMutex_);
        identity_.uuid = uuid;
    }
    if (uuid.isEmpty()) {
        qWarning() << "Failed to get device's uuid";
        return false;
    }
    qDebug() << "Device uuid is:" << uuid.toHex().toUpper().right(16);
    const QString version = queryDevVersion();
    {
        QMutexLocker lock(&identityMutex_);
        identity_.version = version;
    }
    if (version.isEmpty()) {
        qWarning() << "Failed to get device's version";
        return false;
    }
    qDebug() << "Device version is:" << version;
    const QJsonObject info = queryDevInfo();
    qDebug() << "Device Info is:" << info;
    return takeIdentity(uuid, version, info);
}

bool UvcDevice::takeIdentity(const QByteArray& uuid, const QString& version, const QJsonObject& info)
{
    const int reported = info.value("systype").toInt(0);
    setSystemType(reported == 1 || reported == 2 ? reported : devMode() == DevModeUvc ? 1 : 0);
    const QString sn = info.contains("devsn")
        ? info.value("devsn").toString().left(kSnLength)
        : QString::fromLatin1(uuid.toHex().toUpper().right(kSnLength));
    {
        QMutexLocker lock(&identityMutex_);
        identity_.version = version;
        identity_.info = info;
        identity_.sn = sn;
        identity_.socVersion = info.contains("socver") ? info.value("socver").toInt(0) : 0;
    }
    const QString ip = GlobalParams::get().applyForAnIpAddr(uuid, true);
    if (ip.isEmpty()) {
        qWarning() << "There is no ip for current device";
        return false;
    }
    if (devMode() != DevModeNet || ip == ipAddr()) {
        const QString name = QStringLiteral("KESTRO_OrlaCam_") + safeSerial(sn).toUpper();
        {
            QMutexLocker lock(&identityMutex_);
            identity_.ip = ip;
            identity_.name = name;
        }
        qDebug() << "Device ip is:" << ip;
        qDebug() << "Device name is:" << name;
        inited_ = true;
        return true;
    }
    qDebug() << "Due to different ip, reqDevChangeIpAddr";
    if (changeIpAddr(ip) != 0)
        qWarning() << "reqDevChangeIpAddr failed";
    GlobalParams::get().releaseAnIpAddr(ip);
    return false;
}

int UvcDevice::isUpgradeNeeded(QString& info)
{
    const QString current = devVersion();
    const QString latest = latestVersion();
    int result = 0;
    if (latest.isEmpty()) {
        info = translated(QT_TRANSLATE_NOOP("UvcDevice", "Cannot get latest firmware info from server!"));
        result = 2;
    } else if (Util::verStrToUint(latest) > Util::verStrToUint(current)) {
        info = translated(QT_TRANSLATE_NOOP("UvcDevice", "New firmware is available: ")) + latest + QLatin1String("!");
        result = 1;
    } else {
        info = translated(QT_TRANSLATE_NOOP("UvcDevice", "Current firmware is up to date!"));
    }
    QMutexLocker lock(&identityMutex_);
    identity_.upgradeNeeded = result;
    return result;
}

int UvcDevice::getProductType()
{
    const int cached = productType_;
    if (cached != kProductUnknown)
        return cached;
    const ProductRow* row = productRowFor(devInfo());
    productType_ = row ? row->type : kProductUnknown;
    return productType_;
}

bool UvcDevice::is4K() const
{
    const ProductRow* row = productRowFor(devInfo());
    return row && (row->type == 1 || row->type == 3);
}

QJsonObject UvcDevice::getDevInfoForServer() const
{
    const QJsonObject info = devInfo();
    QJsonObject server;
    const ProductRow* row = productRowFor(info);
    if (row && row->serverName)
        server.insert(kNameProduct, row->serverName);
    server.insert("branch", info.value("branch"));
    server.insert(kNamePlatform, info.value(kNamePlatform));
    server.insert("version", devVersion());
    server.insert("sn", sn());
    return server;
}

UvcDevice::Identity UvcDevice::identity() const
{
    QMutexLocker lock(&identityMutex_);
    return identity_;
}

QString UvcDevice::sn() const { return identity().sn; }
QByteArray UvcDevice::uuid() const { return identity().uuid; }
QString UvcDevice::devVersion() const { return identity().version; }
QString UvcDevice::latestVersion() const { return identity().latestVersion; }
QJsonObject UvcDevice::devInfo() const { return identity().info; }
QString UvcDevice::devName() const { return identity().name; }
QString UvcDevice::ipAddr() const { return identity().ip; }
void UvcDevice::setDevInfo(const QJsonObject& info)
{
    QMutexLocker lock(&identityMutex_);
    identity_.info = info;
}

int UvcDevice::socVersion() const { return identity().socVersion; }
int UvcDevice::upgradeNeeded() const { return identity().upgradeNeeded; }

void UvcDevice::setLatestVersion(const QString& version)
{
    QMutexLocker lock(&identityMutex_);
    identity_.latestVersion = version;
}

} // namespace pc
} // namespace vesk
