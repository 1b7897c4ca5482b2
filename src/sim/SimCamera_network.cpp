// A simulated camera's network operation: the change of address that takes
// it there, the HTTP services it answers there, and the reboot that brings
// it back onto USB.

#include "sim/SimCamera.h"

#include "comm/CameraRoutes.h"
#include "comm/Util.h"
#include "uvc/IdentityTables.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutexLocker>
#include <QtEndian>

namespace vesk {
namespace pc {

namespace {

constexpr uint16_t kCmdChangeIp = 0x8064;
constexpr int kServerModeAt = 16;
constexpr uint8_t kServerModeNet = 3;
constexpr int kMainSystem = 1;
const char* const kArchiveName = "vesk_log.tar.gz";  // as the camera packs it for USB

QByteArray json(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// The device information frame's identity, as "/query_device_info" gives it.
QJsonObject identityOf(const SimCameraModel& model)
{
    const auto name = [](const char* const* table, int last, uint8_t index) {
        return QString::fromLatin1(index <= last && table[index] ? table[index] : "");
    };
    const int nul = model.serial.indexOf('\0');
    return {{"product", name(kProductType, kProductTypeLast, model.productIndex)},
            {"branch", name(kFirmwareType, kFirmwareTypeLast, model.branchIndex)},
            {"platform", name(kPlatformType, kPlatformTypeLast, model.platformIndex)},
            {"status", name(kDeviceType, kDeviceTypeLast, model.statusIndex)},
            {"version", Util::verUintToStr(model.version)},
            {"seqid", QString::fromLatin1(model.uuid.toHex().toUpper())},
            {"devsn", QString::fromLatin1(nul < 0 ? model.serial : model.serial.left(nul))},
            {"systype", model.systemType},
            {"socver", model.socVersion}};
}

} // namespace

// A change of address on the main system: once its request is through,
// the camera leaves USB and comes back in network operation there.
void SimCamera::takeNetworkFrame(const uint8_t* frame)
{
    const uint16_t command = qFromBigEndian<quint16>(frame + 10);
    const int length = qFromBigEndian<quint16>(frame + 1) & 0x0FFF;
    if (command != kCmdChangeIp || length <= kServerModeAt)
        return;
    const QByteArray payload(reinterpret_cast<const char*>(frame) + 12, length - 12);
    journal_->add({model_.boot, SimEvent::Frame, QByteArray::number(command, 16), payload});
    if (model_.systemType == kMainSystem && frame[kServerModeAt] == kServerModeNet && !model_.knobs.staysOnUsb)
        switchAsked_ = Util::verUintToStr(qFromLittleEndian<quint32>(frame + 12));
}

// To network operation at address, or back onto USB when it is empty.
void SimCamera::switchNetwork(const QString& address)
{
    SimCameraModel next = current();
    next.boot = model_.boot + 1;
    next.netAddress = address;
    next.usb.network = !address.isEmpty();
    leave(next, model_.rebootDelayMs, address.isEmpty() ? "main" : "network");
}

void SimCamera::startNetwork()
{
    net_ = std::make_unique<SimNetService>(
        [this](const QByteArray& method, const QString& path, const QByteArray& body) {
            return answerRequest(method, path, body);
        },
        [this] {
            QMutexLocker lock(&mutex_);
            if (plugged_)
                switchNetwork(QString());
        });
    if (net_->port() != 0)
        CameraRoutes::serveOnLoopback(model_.netAddress, net_->port());
    qInfo() << "Simulated camera" << model_.name << "in network operation at" << model_.netAddress
            << "served on loopback port" << net_->port();
}

// Gone from its network: this computer reaches it there no more.
void SimCamera::endNetwork()
{
    if (net_ && net_->port() != 0)
        CameraRoutes::endLoopback(model_.netAddress, net_->port());
}

SimNetService::Answer SimCamera::answerRequest(const QByteArray& method, const QString& path,
                                               const QByteArray& body)
{
    QMutexLocker lock(&mutex_);
    journal_->add({model_.boot, SimEvent::Request, method + ' ' + path.toLatin1(), body});
    SimNetService::Answer answer;
    if (!plugged_) {
        answer.status = 503;
        return answer;
    }
    const QByteArray archive = upgrade_.model().logArchive;
    if (method == "POST" && path == QLatin1String("/query_device_info")) {
        answer.status = 200;
        answer.headers = {{"Content-Type", "application/json"}};
        answer.body = json(identityOf(model_));
    } else if (method == "GET" && path == QLatin1String("/download_log") && !archive.isEmpty()) {
        answer.status = 200;
        answer.headers = {{"Content-Type", "application/octet-stream"}, {"file-name", kArchiveName}};
        answer.body = archive;
    } else if (method == "POST" && path == QLatin1String("/run_shell_script") && body == "reboot") {
        answer.status = 200;
        answer.headers = {{"Content-Type", "application/json"}};
        answer.body = json({{"errorcode", "200"}});
        answer.thenLeave = true;
    }
    return answer;
}

} // namespace pc
} // namespace vesk
