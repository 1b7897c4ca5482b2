// The two ini files: the settings read by the parameter store (and saved
// back beside them), and the logging group read by the file logger. The
// log file's name is the one key the harness sets, so that the logger
// writes only inside its folder.

#include "FuzzSupport.h"

#include "comm/GlobalParams.h"
#include "logging/FileLogger.h"
#include "support/PackageBuilder.h"

#include <QSettings>

#include <algorithm>

using namespace vesk::pc;

namespace {

void readSettings(const fuzz::Sandbox& box, const QByteArray& ini)
{
    const QString data = box.file(QStringLiteral("kestro_macos.ini"));
    const QString installed = box.file(QStringLiteral("default.ini"));
    FUZZ_PROMISE(pkgtest::writeFile(installed, ini));
    GlobalParams params(data, installed);
    FUZZ_PROMISE(params.devInfos().size() <= GlobalParams::kMaxLoadedDevInfos);
    // Subnets already on this machine are listed without counting.
    const QList<GlobalParams::IpAddrInfo> pool = params.ipPool();
    FUZZ_PROMISE(std::count_if(pool.begin(), pool.end(), [](const GlobalParams::IpAddrInfo& entry) {
                     return !entry.existed;
                 }) <= GlobalParams::kIpPoolSize);
    params.applyForAnIpAddr("fuzz", true);
}

void readLogging(const fuzz::Sandbox& box, const QByteArray& ini)
{
    const QString path = box.file(QStringLiteral("logging.ini"));
    FUZZ_PROMISE(pkgtest::writeFile(path, ini));
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("logging"));
    settings.setValue(QStringLiteral("filename"), QStringLiteral("log/orlacam.log"));
    FileLogger logger(&settings, 0);
    for (int i = 0; i < 4; ++i)
        logger.log(QtMsgType(i), QStringLiteral("line %1 {name}").arg(i), QStringLiteral("fuzz.cpp"),
                   QStringLiteral("fuzz"), i);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::init();
    const QByteArray ini(reinterpret_cast<const char*>(data), int(size));
    fuzz::Sandbox box;
    readSettings(box, ini);
    readLogging(box, ini);
    FUZZ_PROMISE(box.clean());
    return 0;
}
