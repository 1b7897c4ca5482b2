#include "comm/GlobalParams.h"

#include "comm/Util.h"

#include <QDebug>

namespace vesk {
namespace pc {

namespace {

constexpr int kTickMs = 500;
// A released address stays reserved for its camera for 360 ticks (180 s).
constexpr int kReservedMaxMs = 179499;
const char* const kCameraHost = ".10";
const char* const kLocalHost = ".20";
const char* const kFallbackLocalIp = "192.168.88.20";
const char* const kFallbackCameraIp = "192.168.88.10";

QString subnetOf(const QString& ip)
{
    return ip.left(ip.lastIndexOf(QLatin1Char('.')));
}

// Takes an entry for devId: held from now on when inUse.
QString takeEntry(GlobalParams::IpAddrInfo& entry, const QByteArray& devId, bool inUse)
{
    entry.inUse = inUse;
    entry.owner = devId;
    entry.idleMs = 0;
    return entry.ip;
}

} // namespace

// One camera subnet per candidate segment; subnets already on this computer
// are listed too (they may be a camera that is connected now) but do not
// count towards the pool size. Segments are bounded to 0..255 when loaded.
void GlobalParams::initIpPool()
{
    QMutexLocker lock(&mutex_);
    const QStringList localSegs = Util::getLocalIpSegs();
    int counted = 0;
    for (int n = host_ip_seg_start; counted < kIpPoolSize; ++n) {
        const QString subnet = host_ip_prefix + QString::number(n);
        IpAddrInfo entry;
        entry.ip = subnet + QLatin1String(kCameraHost);
        entry.existed = localSegs.contains(subnet);
        if (entry.existed)
            qDebug().noquote() << "Add existed ip:" << subnet;
        else
            ++counted;
        ipPool_.append(entry);
        if (n >= host_ip_seg_end)
            break;
    }
}

QString GlobalParams::applyForAnIpAddr(const QByteArray& devId, bool inUse)
{
    QMutexLocker lock(&mutex_);
    // Its own address first, even while reserved, so a camera keeps it.
    for (IpAddrInfo& entry : ipPool_) {
        if (!entry.owner.isNull() && entry.owner == devId)
            return takeEntry(entry, devId, inUse);
    }
    for (IpAddrInfo& entry : ipPool_) {
        if (!entry.inUse && entry.owner.isNull())
            return takeEntry(entry, devId, inUse);
    }
    // Nothing free: break another camera's reservation.
    for (IpAddrInfo& entry : ipPool_) {
        if (!entry.inUse)
            return takeEntry(entry, devId, inUse);
    }
    qWarning() << "No free address for" << devId;
    return QString();
}

void GlobalParams::releaseAnIpAddr(const QString& ip)
{
    QMutexLocker lock(&mutex_);
    for (IpAddrInfo& entry : ipPool_) {
        if (entry.ip == ip) {
            entry.inUse = false;
            entry.idleMs = 0;
            return;
        }
    }
}

void GlobalParams::deleteAnIpAddr(const QString& ip)
{
    QMutexLocker lock(&mutex_);
    for (int i = 0; i < ipPool_.size(); ++i) {
        if (ipPool_.at(i).ip == ip && ipPool_.at(i).existed) {
            ipPool_.removeAt(i);
            qDebug().noquote() << "Delete ip:" << ip;
            return;
        }
    }
}

void GlobalParams::updateGlobalParams()
{
    QMutexLocker lock(&mutex_);
    for (IpAddrInfo& entry : ipPool_) {
        if (entry.inUse || entry.owner.isNull())
            continue;
        const int before = entry.idleMs;
        entry.idleMs += kTickMs;
        if (before > kReservedMaxMs) {
            entry.owner = QByteArray();
            entry.idleMs = 0;
        }
    }
}

GlobalParams::IpAddrInfo GlobalParams::getLocalJustAddedIp() const
{
    QMutexLocker lock(&mutex_);
    const QStringList localIps = Util::getLocalIpList();
    for (const QString& local : localIps) {
        if (!local.startsWith(host_ip_prefix) || !local.endsWith(QLatin1String(kLocalHost)))
            continue;
        const QString cameraIp = subnetOf(local) + QLatin1String(kCameraHost);
        for (const IpAddrInfo& entry : ipPool_) {
            if (entry.ip == cameraIp && !entry.inUse)
                return entry;
        }
    }
    IpAddrInfo none;
    if (localIps.contains(QLatin1String(kFallbackLocalIp)))
        none.ip = QLatin1String(kFallbackCameraIp);
    return none;
}

QList<GlobalParams::IpAddrInfo> GlobalParams::getLocalJustRemovedIps() const
{
    QMutexLocker lock(&mutex_);
    const QStringList localIps = Util::getLocalIpList();
    QList<IpAddrInfo> removed;
    for (const IpAddrInfo& entry : ipPool_) {
        if (entry.inUse && !localIps.contains(subnetOf(entry.ip) + QLatin1String(kLocalHost)))
            removed.append(entry);
    }
    return removed;
}

QList<GlobalParams::IpAddrInfo> GlobalParams::ipPool() const
{
    QMutexLocker lock(&mutex_);
    return ipPool_;
}

} // namespace pc
} // namespace vesk
