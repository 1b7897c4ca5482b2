// A camera in network mode: its HTTP requests, and the protocol frames that
// take their place in the other modes.

#include "uvc/NetworkCalls.h"

#include "comm/AppPaths.h"
#include "comm/CameraRoutes.h"
#include "comm/GlobalParams.h"
#include "comm/JsonGuard.h"
#include "comm/Util.h"
#include "uvc/CameraHttpCall.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QHostAddress>
#include <QJsonDocument>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QSaveFile>
#include <QtEndian>

namespace vesk {
namespace pc {

namespace {

const char* const kPathDeviceInfo = "/query_device_info";
const char* const kPathChangeIp = "/change_ip";
const char* const kPathUpgrade = "/start_upgrade";
const char* const kPathLog = "/download_log";
const char* const kPathShell = "/run_shell_script";
const char* const kJsonType = "application/json";

constexpr uint16_t kCmdChangeIp = 0x8064;
constexpr uint16_t kCmdUpgrade = 0x8061;
constexpr uint8_t kHostToSystem = 0xE8;
constexpr int kServerModeNet = 3;
constexpr int kServerModeUpgrading = 0;
constexpr int kSnLength = 14;
constexpr qint64 kMaxJsonReplyBytes = 1 << 20;
constexpr qint64 kMaxLogBytes = qint64(512) << 20;
constexpr int kMaxLogNameChars = 128;

QUrl cameraUrl(const QString& ip, const char* path)
{
    const CameraRoutes::Endpoint endpoint = CameraRoutes::reach(ip, GlobalParams::get().device_port);
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(endpoint.host);
    url.setPort(endpoint.port);
    url.setPath(QLatin1String(path));
    return url;
}

CameraHttpCall::Limits jsonLimits(const UvcTiming& timing)
{
    return {timing.httpConnectMs, timing.httpIdleMs, timing.httpTotalMs, kMaxJsonReplyBytes};
}

void addPostHeaders(CameraHttpCall& call, const QByteArray& contentType, int length)
{
    call.addHeader("Accept", kJsonType);
    call.addHeader("Content-Type", contentType);
    call.addHeader("charset", "utf-8");
    call.addHeader("content-length", QByteArray::number(length));
}

// The reply's JSON object; empty (and logged) for anything else.
QJsonObject replyObject(const CameraHttpCall::Result& result)
{
    if (result.outcome != CameraHttpCall::Completed)
        return {};
    if (result.status != 200) {
        qWarning() << "Camera answered with status" << result.status;
        return {};
    }
    const QJsonObject object = JsonGuard::fromJson(result.body).object();
    if (object.isEmpty())
        qCritical() << "The response is an invalid json";
    return object;
}

QString stringOf(const QJsonObject& reply, const char* key)
{
    return reply.value(QLatin1String(key)).toString();
}

int intOf(const QJsonObject& reply, const char* key)
{
    return reply.value(QLatin1String(key)).toInt(0);
}

// The camera's address with ".20" in place of its last part: this computer
// on the camera's subnet.
QString hostAddressFor(const QString& cameraIp)
{
    return cameraIp.left(cameraIp.lastIndexOf(QLatin1Char('.'))) + QLatin1String(".20");
}

// Four dotted decimal parts, each 0..255 (QHostAddress alone also takes "a.b.c").
bool isIpv4(const QString& ip)
{
    static const QRegularExpression dotted(QStringLiteral("^\\d{1,3}(\\.\\d{1,3}){3}$"));
    QHostAddress address;
    return dotted.match(ip).hasMatch() && address.setAddress(ip)
           && address.protocol() == QAbstractSocket::IPv4Protocol;
}

// A name from the camera reduced to a plain file name: no directories, only
// letters, digits, '.', '-' and '_', no leading dot, bounded length.
QString safeLogName(const QByteArray& header)
{
    const int nul = header.indexOf('\0');
    QString name = QString::fromUtf8(nul < 0 ? header : header.left(nul));
    name = name.mid(qMax(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\'))) + 1);
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._-]"));
    name.remove(unsafe);
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    return name.left(kMaxLogNameChars);
}

} // namespace

NetworkCalls::NetworkCalls(MessagePort& channel, ControlPort& control)
    : channel_(channel)
    , control_(control)
{
}

QString NetworkCalls::netDevVersion(const QString& cameraIp)
{
    return queryNetInfo("getDevVersion", cameraIp).value("version").toString();
}

QByteArray NetworkCalls::netDevUuid(const QString& cameraIp)
{
    const QString seqid = queryNetInfo("getDevUuid", cameraIp).value("seqid").toString();
    static const QRegularExpression hex48(QStringLiteral("^[0-9A-Fa-f]{48}$"));
    if (!hex48.match(seqid).hasMatch()) {
        qWarning() << "Dev uuid length error, received seqid is" << seqid.left(64);
        return {};
    }
    return QByteArray::fromHex(seqid.toLatin1());
}

QJsonObject NetworkCalls::netDevInfo(const QString& cameraIp)
{
    const QJsonObject reply = queryNetInfo("getDevInfo", cameraIp);
    if (reply.isEmpty())
        return {};
    QJsonObject info;
    for (const char* key : {"product", "branch", "platform", "status", "version", "seqid"})
        info.insert(QLatin1String(key), stringOf(reply, key));
    const QString seqid = info.value("seqid").toString();
    const QString devsn = stringOf(reply, "devsn");
    info.insert("devsn", devsn.isEmpty() ? seqid.right(kSnLength) : devsn);
    info.insert("systype", intOf(reply, "systype"));
    info.insert("socver", intOf(reply, "socver"));
    return info;
}

QJsonObject NetworkCalls::queryNetInfo(const char* operation, const QString& cameraIp)
{
    CameraHttpCall call(QLatin1String(operation), jsonLimits(control_.timing()));
    addPostHeaders(call, kJsonType, 0);
    return replyObject(call.run(qhttp::EHTTP_POST, cameraUrl(cameraIp, kPathDeviceInfo)));
}

int NetworkCalls::postJsonRequest(const char* operation, const char* path, const QJsonObject& body,
                                  const QString& cameraIp)
{
    const QByteArray bytes = QJsonDocument(body).toJson(QJsonDocument::Compact);
    CameraHttpCall call(QLatin1String(operation), jsonLimits(control_.timing()));
    addPostHeaders(call, kJsonType, bytes.size());
    call.setBody(bytes);
    const CameraHttpCall::Result result = call.run(qhttp::EHTTP_POST, cameraUrl(cameraIp, path));
    if (result.outcome == CameraHttpCall::NotStarted) {
        qCritical() << "Start http client request failed";
        return -1;
    }
    return replyObject(result).isEmpty() ? -1 : 0;
}

int NetworkCalls::changeIpAddr(const QString& ip, bool network, const QString& cameraIp)
{
    qDebug() << "==============" << ip;
    if (!isIpv4(ip)) {
        qWarning() << "Not an address to give a camera:" << ip;
        return -1;
    }
    if (network)
        return postJsonRequest("reqDevChangeIpAddr", kPathChangeIp,
                               {{"device_ip", ip}, {"server_mode", kServerModeNet}}, cameraIp);
    ProtocolMsg::FrmPacket frame;
    frame.setAddresses(kHostToSystem);
    frame.setCommand(kCmdChangeIp);
    qToLittleEndian<quint32>(Util::verStrToUint(ip), frame.payload());
    frame.payload()[4] = kServerModeNet;
    frame.setPayloadLength(5);
    const MessageResult::ErrorType result = channel_.sendMsgAsync(frame, false);
    if (result > MessageResult::ErrSuccess) {
        qCritical() << "Error occurred in sendMsgAsync, ret_val =" << result;
        return -1;
    }
    return 0;
}

int NetworkCalls::reqDevUpgrade(const QString& cameraIp, bool network, bool upgradeSystem)
{
    const QString& ip = cameraIp;
    qInfo() << "Require device to upgrade:" << ip;
    const QString host = hostAddressFor(ip);
    const uint16_t port = GlobalParams::get().host_port;
    if (network) {
        const int result = postJsonRequest(
            "reqDevUpgrade", kPathUpgrade,
            {{"server_ip", host}, {"server_port", int(port)}, {"server_mode", kServerModeNet}}, ip);
        qDebug() << "reqDevUpgrade finished" << (result == 0 ? "true" : "false");
        return result;
    }
    if (!isIpv4(host)) {
        qWarning() << "Camera has no address for the upgrade server:" << ip;
        return -1;
    }
    ProtocolMsg::FrmPacket frame;
    frame.setAddresses(kHostToSystem);
    frame.setCommand(kCmdUpgrade);
    qToLittleEndian<quint32>(Util::verStrToUint(host), frame.payload());
    qToLittleEndian<quint16>(port, frame.payload() + 4);
    frame.payload()[6] = upgradeSystem ? kServerModeUpgrading : kServerModeNet;
    frame.setPayloadLength(7);
    const MessageResult::ErrorType result = upgradeSystem ? channel_.sendMsgAsyncDirectly(frame)
                                                          : channel_.sendMsgAsync(frame, false);
    if (result > MessageResult::ErrSuccess) {
        qCritical() << "Error occurred in sendMsgAsync, ret_val =" << result;
        return -1;
    }
    return 0;
}

bool NetworkCalls::reqDevReboot(const QString& cameraIp)
{
    const QByteArray body("reboot");
    CameraHttpCall call(QStringLiteral("reqDevReboot"), jsonLimits(control_.timing()));
    addPostHeaders(call, "text/plain", body.size());
    call.setBody(body);
    const CameraHttpCall::Result result = call.run(qhttp::EHTTP_POST, cameraUrl(cameraIp, kPathShell));
    if (result.outcome == CameraHttpCall::NotStarted)
        return false;
    const QJsonObject reply = JsonGuard::fromJson(result.body).object();
    qDebug() << "Reply of run_shell_script:" << reply;
    if (!result.isOk() || reply.value("errorcode") != QJsonValue(QStringLiteral("200")))
        qCritical() << "Execute shell cmd failed";
    return true;
}

QString NetworkCalls::lastLogFile() const
{
    QMutexLocker lock(&logFileMutex_);
    return lastLogFile_;
}

int NetworkCalls::getDevLogFile(const QString& cameraIp, const QByteArray& uuid)
{
    const UvcTiming timing = control_.timing();
    CameraHttpCall call(QStringLiteral("getDevLogFile"),
                        {timing.httpConnectMs, timing.httpIdleMs, timing.logDownloadTotalMs, kMaxLogBytes});
    QSaveFile file;  // renamed into place only when the whole archive is in
    qint64 received = 0;
    const QString fallbackName = QString::fromLatin1(uuid.toHex().toUpper()) + QLatin1String(".tar.gz");
    call.setHeadCheck([&](int status, const qhttp::THeaderHash& headers) {
        qDebug() << "content-length =" << headers.value("content-length")
                 << "content-type =" << headers.value("content-type")
                 << "file-name =" << headers.value("file-name");
        if (status != 200) {
            qWarning() << "Camera answered with status" << status;
            return false;
        }
        if (headers.value("content-length").toLongLong() > kMaxLogBytes) {
            qWarning() << "Log archive too large:" << headers.value("content-length");
            return false;
        }
        QString name = fallbackName;
        if (headers.contains("file-name")) {
            qDebug() << "file_path =" << headers.value("file-name");
            const QString safe = safeLogName(headers.value("file-name"));
            if (!safe.isEmpty())
                name = safe;
        }
        const QString dir = AppPaths::dataPath(QStringLiteral("log"));
        const QString path = dir + QLatin1Char('/')
                             + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_hhmmss_")) + name;
        qDebug() << "file path =" << path;
        file.setFileName(path);
        if (!QDir().mkpath(dir) || !file.open(QIODevice::WriteOnly)) {
            qCritical() << "Open file failed" << path;
            return false;
        }
        return true;
    });
    call.setBodySink([&](const QByteArray& chunk) {
        received += chunk.size();
        if (received > kMaxLogBytes) {
            qWarning() << "Log archive exceeds" << kMaxLogBytes << "bytes";
            return false;
        }
        return file.write(chunk) == chunk.size();
    });
    const CameraHttpCall::Result result = call.run(qhttp::EHTTP_GET, cameraUrl(cameraIp, kPathLog));
    qDebug() << "getDevLogFile finished:" << (result.outcome != CameraHttpCall::NotStarted ? "true" : "false");
    if (result.outcome == CameraHttpCall::NotStarted) {
        qCritical() << "Start http client request failed";
        return -1;
    }
    if (!result.isOk() || !file.isOpen()) {
        file.cancelWriting();
        return -1;
    }
    qDebug() << "File size received =" << received;
    if (!file.commit()) {
        qCritical() << "Writing the log archive failed:" << file.errorString();
        return -1;
    }
    QMutexLocker lock(&logFileMutex_);
    lastLogFile_ = file.fileName();
    return 0;
}

} // namespace pc
} // namespace vesk
