#include "TestHome.h"

#include <QDir>

namespace {
const char* const kVars[5] = {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME",
                              "XDG_RUNTIME_DIR"};
const char* const kSubdirs[5] = {"", "/.local/share", "/.config", "/.cache", "/runtime"};
}

TestHome::TestHome()
{
    for (int i = 0; i < 5; ++i) {
        saved_[i] = qgetenv(kVars[i]);
        const QString p = dir_.path() + QLatin1String(kSubdirs[i]);
        QDir().mkpath(p);
        qputenv(kVars[i], p.toLocal8Bit());
    }
    QFile::setPermissions(dir_.path() + "/runtime", QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                        | QFileDevice::ExeOwner);
}

TestHome::~TestHome()
{
    for (int i = 0; i < 5; ++i) {
        if (saved_[i].isNull())
            qunsetenv(kVars[i]);
        else
            qputenv(kVars[i], saved_[i]);
    }
}

QString TestHome::dataDir() const
{
    return dir_.path() + "/.local/share/KESTRO_OrlaCam";
}
