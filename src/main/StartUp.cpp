#include "main/StartUp.h"

#include "comm/AppPaths.h"
#include "comm/GlobalParams.h"
#include "download/PkgDownloader.h"
#include "package/FirmwareStore.h"
#include "uvc/CameraStatus.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaType>
#include <QStandardPaths>
#include <QSysInfo>

#include <cstdio>

namespace vesk {
namespace pc {

namespace {

// Which OpenGL integration Qt's X platform loads; "none" loads none.
const char* const kGlIntegration = "QT_XCB_GL_INTEGRATION";

// The toolkit's own options (Qt's and its X11 plugin's), left to it. Those
// that take a value: the value is not one of ours even if it looks like one.
const char* const kToolkitValueOptions[] = {
    "-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-qwindowgeometry",
    "-qwindowicon", "-qwindowtitle", "-display", "-geometry", "-title", "-name", "-style",
    "-stylesheet", "-session", "-visual", "-visualid", "-icon", "-qmljsdebugger",
};
const char* const kToolkitFlags[] = {
    "-reverse", "-nograb", "-dograb", "-sync", "-widgetcount", "-testability",
};
// Those also written "-style=Fusion".
const char* const kToolkitJoinedOptions[] = {"-style=", "-stylesheet=", "-qmljsdebugger="};

enum class Toolkit { None, Flag, TakesValue };

// The toolkit takes "--style" for "-style" too.
Toolkit toolkitOption(const QString& arg)
{
    const QString bare = arg.startsWith(QLatin1String("--")) ? arg.mid(1) : arg;
    for (const char* option : kToolkitValueOptions) {
        if (bare == QLatin1String(option))
            return Toolkit::TakesValue;
    }
    for (const char* option : kToolkitFlags) {
        if (bare == QLatin1String(option))
            return Toolkit::Flag;
    }
    for (const char* option : kToolkitJoinedOptions) {
        if (bare.startsWith(QLatin1String(option)))
            return Toolkit::Flag;
    }
    return Toolkit::None;
}

struct DataSubdir
{
    const char* name;
    const char* failure;
};

const DataSubdir kDataSubdirs[] = {
    {FirmwareStore::kFolderName, "create firmware dir failed"},
    {"log", "create log dir failed"},
    {"config", "create config dir failed"},
    {"pic", "create pic dir failed"},
};

void copyDefaultIni(const char* name)
{
    const QString target = AppPaths::dataPath(QStringLiteral("config/") + name);
    if (QFile::exists(target))
        return;
    const QString source = AppPaths::installPath(QStringLiteral("config/") + name);
    if (!AppPaths::copyToData(source, target))
        qDebug() << "copy default ini failed:" << source << "->" << target;
}

} // namespace

StartUp::Option StartUp::parseOptions(const QStringList& args, QString* refused)
{
    Option result = Option::Run;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h"))
            return Option::Help;
        if (arg == QLatin1String("--version") || arg == QLatin1String("-V"))
            return Option::Version;
        if (arg == QLatin1String("--log_std")) {
            result = Option::LogStd;
            continue;
        }
        const Toolkit toolkit = toolkitOption(arg);
        if (toolkit == Toolkit::TakesValue)
            ++i;
        if (toolkit != Toolkit::None)
            continue;
        if (refused)
            *refused = arg;
        return Option::Unknown;
    }
    return result;
}

StartUp::Option StartUp::parseRawOptions(int argc, char** argv, QString* refused)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    return parseOptions(args, refused);
}

QByteArray StartUp::helpText()
{
    return QByteArrayLiteral("--help, -h: Get list of available commands. \n\n"
                             "--log_std: Output log to std\n\n"
                             "--version, -V: Get current version.\n");
}

QByteArray StartUp::versionLine()
{
    return QByteArrayLiteral("KESTRO_OrlaCam_") + GlobalParams::getPcSoftwareVer().toLatin1()
           + QByteArrayLiteral(",   Build Time: ") + QByteArrayLiteral(__DATE__)
           + QByteArrayLiteral(", ") + QByteArrayLiteral(__TIME__) + '\n';
}

int StartUp::answerOption(Option option, const QString& refused)
{
    if (option == Option::Run || option == Option::LogStd)
        return -1;
    if (option == Option::Unknown) {
        const QByteArray what = refused.startsWith(QLatin1Char('-')) ? "Unknown option: " : "Unexpected argument: ";
        const QByteArray text = what + refused.toLocal8Bit() + "\n\n" + helpText();
        std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
        std::fflush(stderr);
        return kUsageExitCode;
    }
    const QByteArray text = option == Option::Help ? helpText() : versionLine();
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fflush(stdout);
    return 0;
}

bool StartUp::keepOpenGlUnloaded()
{
    if (!qEnvironmentVariableIsEmpty(kGlIntegration))
        return false;
    qputenv(kGlIntegration, "none");
    return true;
}

void StartUp::leaveOpenGlToOthers(bool set)
{
    if (set)
        qunsetenv(kGlIntegration);
}

void StartUp::prepareDataDir()
{
    const QString data = AppPaths::dataDir();
    QDir dir;
    // A file in a directory's place counts as missing: creating it fails and says so.
    if (!QFileInfo(data).isDir() && !dir.mkpath(data)) {
        qDebug().noquote() << "create dir failed:" << data;
        return;
    }
    for (const DataSubdir& sub : kDataSubdirs) {
        const QString path = AppPaths::dataPath(QLatin1String(sub.name));
        if (!QFileInfo(path).isDir() && !dir.mkdir(path)) {
            qDebug() << sub.failure;
            return;
        }
    }
    copyDefaultIni(AppPaths::kSettingsIni);
    copyDefaultIni(AppPaths::kLoggingIni);
}

void StartUp::logSystemSummary()
{
    const QString values[] = {
        QSysInfo::buildCpuArchitecture(),
        QSysInfo::currentCpuArchitecture(),
        QSysInfo::buildAbi(),
        QSysInfo::kernelType(),
        QSysInfo::kernelVersion(),
        QSysInfo::productType(),
        QSysInfo::productVersion(),
        QSysInfo::prettyProductName(),
        QSysInfo::machineHostName(),
        QString::fromUtf8(QSysInfo::machineUniqueId()),
        QString::fromUtf8(QSysInfo::bootUniqueId()),
    };
    for (const QString& value : values)
        qInfo().noquote() << value;
}

void StartUp::logLocations()
{
    struct Location
    {
        const char* label;
        QStandardPaths::StandardLocation kind;
    };
    static const Location kLocations[] = {
        {"GenericDataLocation =", QStandardPaths::GenericDataLocation},
        {"AppDataLocation =", QStandardPaths::AppDataLocation},
        {"AppConfigLocation =", QStandardPaths::AppConfigLocation},
        {"DownloadLocation =", QStandardPaths::DownloadLocation},
    };
    qInfo().noquote() << "Application dir path =" << AppPaths::appDir() + QStringLiteral("/..");
    qInfo().noquote() << "Application name =" << QCoreApplication::applicationName();
    for (const Location& location : kLocations)
        qInfo().noquote() << location.label << QStandardPaths::writableLocation(location.kind);
}

int StartUp::languageFromLocale(const QLocale& locale)
{
    switch (locale.language()) {
    case QLocale::Chinese:
        return locale.country() == QLocale::China ? 1 : 2;
    case QLocale::Japanese:
        return 3;
    case QLocale::German:
        return 4;
    case QLocale::Spanish:
        return 5;
    default:
        return 0;
    }
}

void StartUp::chooseLanguage()
{
    const QLocale locale = QLocale::system();
    qDebug() << "Country =" << locale.country() << "; Language =" << locale.language();
    GlobalParams& params = GlobalParams::get();
    if (params.language_type < 0)
        params.language_type = languageFromLocale(locale);
}

void StartUp::registerMetaTypes()
{
    qRegisterMetaType<PkgDownloader::InfoType>("PkgDownloader::InfoType");
    qRegisterMetaType<CameraStatus>("CameraStatus");
}

} // namespace pc
} // namespace vesk
