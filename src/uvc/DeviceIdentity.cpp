// Who the camera is: version, uuid, serial number, device information,
// product type, and the initialisation that gathers them.

#include "uvc/DeviceIdentity.h"

#include "comm/GlobalParams.h"
#include "comm/Util.h"
#include "uvc/IdentityTables.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMutexLocker>
#include <QThread>
#include <QtEndian>

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
    return qFromLittleEndian<quint32>(data.constData() + offset);
}

// Callers wrap their texts in QT_TRANSLATE_NOOP so that lupdate finds them.
QString translated(const char* text)
{
    return QCoreApplication::translate("UvcDevice", text);
}

} // namespace

QString DeviceIdentity::safeSerial(const QString& serial)
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

DeviceIdentity::DeviceIdentity(MessagePort& channel, ControlPort& control, NetworkQueries network)
    : channel_(channel)
    , control_(control)
    , network_(std::move(network))
    , productType_(kProductUnknown)
{
}

bool DeviceIdentity::queryIdentity(uint16_t command, QByteArray* data)
{
    ProtocolMsg::FrmPacket frame;
    frame.setAddresses(kHostToSystem);
    frame.setCommand(command);
    const MessageResult::ErrorType result = channel_.sendMsgSync(frame, *data);
    if (result != MessageResult::ErrSuccess) {
        qWarning() << "Error occurred in sendMsgSync, ret_val =" << result;
        return false;
    }
    return true;
}

QString DeviceIdentity::queryDevVersion(bool network)
{
    if (network)
        return network_.version();
    QByteArray data;
    if (!queryIdentity(kCmdVersion, &data))
        return {};
    if (data.size() < 4) {
        qWarning() << "Dev version length error, received length is" << data.size();
        return {};
    }
    return Util::verUintToStr(u32Le(data, 0));
}

QByteArray DeviceIdentity::queryDevUuid(bool network)
{
    if (network)
        return network_.uuid();
    QByteArray data;
    if (!queryIdentity(kCmdUuid, &data))
        return {};
    if (data.size() != kUuidLength) {
        qWarning() << "Dev uuid length error, received length is" << data.size();
        return {};
    }
    return data;
}

QString DeviceIdentity::queryDevSn(bool network)
{
    if (network) {
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

QJsonObject DeviceIdentity::queryDevInfo(bool network)
{
    if (network)
        return network_.info();
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
    const QString sn = queryDevSn(network);
    info.insert("devsn", sn.isEmpty() ? seqid.right(kSnLength) : sn);
    return info;
}

// Runs on the registry's thread: a plain sleep, no event loop of its own.
bool DeviceIdentity::waitForNetAddress()
{
    const UvcTiming timing = control_.timing();
    QString ip;
    for (int attempt = 0; attempt < timing.netAddressAttempts; ++attempt) {
        QThread::msleep(ulong(qMax(timing.netAddressWaitMs, 0)));
        ip = GlobalParams::get().getLocalJustAddedIp().ip;
        if (ip.isEmpty())
            qDebug() << "There is no new device inserted, will wait and try again";
    }
    if (ip.isEmpty()) {
        qCritical() << "There is no new device inserted";
        return false;
    }
    qDebug() << "Temporary ip:" << ip;
    QMutexLocker lock(&mutex_);
    identity_.ip = ip;
    return true;
}

DeviceIdentity::InitResult DeviceIdentity::initDev(bool network, int fallbackSystemType)
{
    InitResult result;
    if (network && !waitForNetAddress())
        return result;
    const QByteArray uuid = queryDevUuid(network);
    {
        QMutexLocker lock(&mutex_);
        identity_.uuid = uuid;
    }
    if (uuid.isEmpty()) {
        qWarning() << "Failed to get device's uuid";
        return result;
    }
    qDebug() << "Device uuid is:" << uuid.toHex().toUpper().right(16);
    const QString version = queryDevVersion(network);
    {
        QMutexLocker lock(&mutex_);
        identity_.version = version;
    }
    if (version.isEmpty()) {
        qWarning() << "Failed to get device's version";
        return result;
    }
    qDebug() << "Device version is:" << version;
    const QJsonObject info = queryDevInfo(network);
    qDebug() << "Device Info is:" << info;
    const int reported = info.value("systype").toInt(0);
    result.systemType = reported == 1 || reported == 2 ? reported : fallbackSystemType;
    result.inited = takeIdentity(uuid, version, info, network);
    return result;
}

bool DeviceIdentity::takeIdentity(const QByteArray& uuid, const QString& version,
                                  const QJsonObject& info, bool network)
{
    const QString sn = info.contains("devsn")
        ? info.value("devsn").toString().left(kSnLength)
        : QString::fromLatin1(uuid.toHex().toUpper().right(kSnLength));
    {
        QMutexLocker lock(&mutex_);
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
    if (!network || ip == identity().ip) {
        const QString name = QStringLiteral("KESTRO_OrlaCam_") + safeSerial(sn).toUpper();
        {
            QMutexLocker lock(&mutex_);
            identity_.ip = ip;
            identity_.name = name;
        }
        qDebug() << "Device ip is:" << ip;
        qDebug() << "Device name is:" << name;
        return true;
    }
    qDebug() << "Due to different ip, reqDevChangeIpAddr";
    if (network_.changeIp(ip) != 0)
        qWarning() << "reqDevChangeIpAddr failed";
    GlobalParams::get().releaseAnIpAddr(ip);
    return false;
}

int DeviceIdentity::isUpgradeNeeded(QString& info)
{
    const Identity known = identity();
    const QString current = known.version;
    const QString latest = known.latestVersion;
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
    QMutexLocker lock(&mutex_);
    identity_.upgradeNeeded = result;
    return result;
}

int DeviceIdentity::getProductType()
{
    const int cached = productType_;
    if (cached != kProductUnknown)
        return cached;
    const ProductRow* row = productRowFor(identity().info);
    productType_ = row ? row->type : kProductUnknown;
    return productType_;
}

bool DeviceIdentity::is4K() const
{
    const ProductRow* row = productRowFor(identity().info);
    return row && (row->type == 1 || row->type == 3);
}

QJsonObject DeviceIdentity::getDevInfoForServer() const
{
    const Identity known = identity();
    const QJsonObject& info = known.info;
    QJsonObject server;
    const ProductRow* row = productRowFor(info);
    if (row && row->serverName)
        server.insert(kNameProduct, row->serverName);
    server.insert("branch", info.value("branch"));
    server.insert(kNamePlatform, info.value(kNamePlatform));
    server.insert("version", known.version);
    server.insert("sn", known.sn);
    return server;
}

DeviceIdentity::Identity DeviceIdentity::identity() const
{
    QMutexLocker lock(&mutex_);
    return identity_;
}

void DeviceIdentity::setDevInfo(const QJsonObject& info)
{
    QMutexLocker lock(&mutex_);
    identity_.info = info;
}

void DeviceIdentity::setLatestVersion(const QString& version)
{
    QMutexLocker lock(&mutex_);
    identity_.latestVersion = version;
}

} // namespace pc
} // namespace vesk
