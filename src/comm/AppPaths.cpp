#include "comm/AppPaths.h"

#include <QCoreApplication>
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

} // namespace pc
} // namespace vesk
