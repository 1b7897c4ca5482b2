#include "comm/GlobalParams.h"

#include <QDateTime>
#include <QDebug>
#include <QSettings>
#include <QVariant>

namespace vesk {
namespace pc {

namespace {

constexpr int kImageSlots = 3;
constexpr int kPresetSlots = 3;
const char* const kDevInfoArray = "dev_info";
const char* const kDevImageArray = "dev_image";

// Array sizes come from the file: read in 64 bits and bounded before use.
int boundedCount(const QVariant& stored, int limit, const QString& what)
{
    const qint64 size = GlobalParams::iniNumberFor(stored, 0);
    if (size > limit)
        qDebug() << what << "holds" << size << "elements; reading the first" << limit;
    return static_cast<int>(qBound<qint64>(0, size, limit));
}

void loadImages(QSettings& source, const QString& base, GlobalParams::DevInfo* info)
{
    const QString arrayBase = base + QLatin1String(kDevImageArray) + QLatin1Char('/');
    const int count = boundedCount(source.value(arrayBase + QLatin1String("size")), kImageSlots, base + "dev_image");
    for (int j = 0; j < count; ++j) {
        const QString elem = arrayBase + QString::number(j + 1) + QLatin1Char('/');
        info->img_mini[j] = GlobalParams::iniTextFor(source.value(elem + QLatin1String("img_mini")), QString());
        info->img_preview[j] =
            GlobalParams::iniTextFor(source.value(elem + QLatin1String("img_preview")), QString());
    }
}

} // namespace

bool GlobalParams::IpAddrInfo::operator==(const IpAddrInfo& other) const
{
    return ip == other.ip && inUse == other.inUse && owner == other.owner && idleMs == other.idleMs;
}

// Keys are built by hand instead of through beginReadArray(): its size is an
// int read without bounds, and a file may claim any size.
void GlobalParams::loadDevInfos(QSettings& source)
{
    const QString arrayBase = QLatin1String(kDevInfoArray) + QLatin1Char('/');
    const qint64 stored = iniNumberFor(source.value(arrayBase + QLatin1String("size")), 0);
    if (stored > kMaxLoadedDevInfos)
        qWarning() << "dev_info holds" << stored << "records; loading the first" << kMaxLoadedDevInfos;
    const int count = static_cast<int>(qBound<qint64>(0, stored, kMaxLoadedDevInfos));
    for (int i = 0; i < count; ++i) {
        const QString base = arrayBase + QString::number(i + 1) + QLatin1Char('/');
        DevInfo info;
        info.dev_name = iniTextFor(source.value(base + QLatin1String("dev_name")), QString::number(i));
        info.dev_sn = iniTextFor(source.value(base + QLatin1String("dev_sn")), QStringLiteral("null"));
        info.dev_time = iniNumberFor(source.value(base + QLatin1String("dev_time")), 0);
        const qint64 focus = iniNumberFor(source.value(base + QLatin1String("focus_mode")), 0);
        info.focus_mode = (focus >= 0 && focus <= UINT32_MAX) ? static_cast<uint32_t>(focus) : 0;
        loadImages(source, base, &info);
        devInfos_.append(info);
    }
}

void GlobalParams::saveDevInfos(QSettings& target) const
{
    // A shorter list must not leave the tail of a longer one behind.
    target.remove(QLatin1String(kDevInfoArray));
    target.beginWriteArray(QLatin1String(kDevInfoArray), devInfos_.size());
    for (int i = 0; i < devInfos_.size(); ++i) {
        const DevInfo& info = devInfos_.at(i);
        target.setArrayIndex(i);
        target.setValue(QStringLiteral("dev_name"), info.dev_name);
        target.setValue(QStringLiteral("dev_sn"), info.dev_sn);
        target.setValue(QStringLiteral("dev_time"), static_cast<qlonglong>(info.dev_time));
        target.setValue(QStringLiteral("focus_mode"), info.focus_mode);
        target.beginWriteArray(QLatin1String(kDevImageArray), kImageSlots);
        for (int j = 0; j < kImageSlots; ++j) {
            target.setArrayIndex(j);
            target.setValue(QStringLiteral("img_mini"), info.img_mini[j]);
            target.setValue(QStringLiteral("img_preview"), info.img_preview[j]);
        }
        target.endArray();
    }
    target.endArray();
}

int GlobalParams::indexOfSn(const QString& sn, Qt::CaseSensitivity cs) const
{
    for (int i = 0; i < devInfos_.size(); ++i) {
        if (devInfos_.at(i).dev_sn.compare(sn, cs) == 0)
            return i;
    }
    return -1;
}

void GlobalParams::addOneDevInfo(const QString& name, const QString& sn)
{
    QMutexLocker lock(&mutex_);
    const int known = indexOfSn(sn, Qt::CaseSensitive);
    if (known >= 0) {
        devInfos_[known].dev_name = name;
        saveParams();
        return;
    }
    DevInfo info;
    info.dev_name = name;
    info.dev_sn = sn;
    info.dev_time = QDateTime::currentSecsSinceEpoch();
    // One add drops at most one record, so a longer loaded list keeps its length.
    if (devInfos_.size() >= kMaxDevInfos) {
        int oldest = 0;
        for (int i = 1; i < devInfos_.size(); ++i) {
            if (devInfos_.at(i).dev_time < devInfos_.at(oldest).dev_time)
                oldest = i;
        }
        devInfos_.removeAt(oldest);
    }
    devInfos_.append(info);
    saveParams();
}

void GlobalParams::setDevName(const QString& name, const QString& sn)
{
    QMutexLocker lock(&mutex_);
    const int i = indexOfSn(sn, Qt::CaseSensitive);
    if (i < 0)
        return;
    devInfos_[i].dev_name = name;
    saveParams();
}

void GlobalParams::setDevFocusMode(unsigned int mode, const QString& sn)
{
    QMutexLocker lock(&mutex_);
    const int i = indexOfSn(sn, Qt::CaseSensitive);
    if (i >= 0)
        devInfos_[i].focus_mode = mode;
}

unsigned int GlobalParams::getDevFocusMode(const QString& sn) const
{
    QMutexLocker lock(&mutex_);
    const int i = indexOfSn(sn, Qt::CaseSensitive);
    return i >= 0 ? devInfos_.at(i).focus_mode : 0;
}

GlobalParams::DevInfo GlobalParams::getDevInfo(const QString& sn) const
{
    QMutexLocker lock(&mutex_);
    const int i = indexOfSn(sn, Qt::CaseInsensitive);
    return i >= 0 ? devInfos_.at(i) : DevInfo();
}

GlobalParams::PrePosParam GlobalParams::getPreposParam(const QString& sn, int index) const
{
    QMutexLocker lock(&mutex_);
    const int i = indexOfSn(sn, Qt::CaseSensitive);
    if (i < 0 || index < 0 || index >= kPresetSlots)
        return PrePosParam();
    return devInfos_.at(i).prepos[index];
}

void GlobalParams::setPreposParam(const QString& sn, const PrePosParam& param, int index)
{
    if (index < 0 || index >= kPresetSlots)
        return;
    QMutexLocker lock(&mutex_);
    for (DevInfo& info : devInfos_) {
        if (info.dev_sn == sn)
            info.prepos[index] = param;
    }
    saveParams();
}

QList<GlobalParams::DevInfo> GlobalParams::devInfos() const
{
    QMutexLocker lock(&mutex_);
    return devInfos_;
}

void GlobalParams::printDevInfo(const DevInfo& info)
{
    qDebug() << info.dev_name;
    qDebug() << info.dev_sn;
    qDebug() << info.dev_time;
    for (int j = 0; j < kImageSlots; ++j) {
        qDebug() << info.img_mini[j];
        qDebug() << info.img_preview[j];
    }
}

} // namespace pc
} // namespace vesk
