#include "comm/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace vesk {
namespace pc {

const char* const AppPaths::kSettingsIni = "kestro_macos.ini";
const char* const AppPaths::kLoggingIni = "logging_orlacam.ini";

QString AppPaths::dataDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString AppPaths::dataPath(const QString& relative)
{
    return dataDir() + QLatin1Char('/') + relative;
}

QString AppPaths::appDir()
{
    return QCoreApplication::applicationDirPath();
}

QString AppPaths::installPath(const QString& relative)
{
    return appDir() + QLatin1String("/../") + relative;
}

bool AppPaths::copyToData(const QString& source, const QString& target)
{
    if (!QFile::copy(source, target))
        return false;
    const QFile::Permissions user = QFile::ReadOwner | QFile::WriteOwner;
    const QFile::Permissions current = QFile::permissions(target);
    return (current & user) == user || QFile::setPermissions(target, current | user);
}

QString AppPaths::startFolder(const QString& wanted)
{
    return QFileInfo(wanted).isDir() ? wanted : QDir::homePath();
}

} // namespace pc
} // namespace vesk
