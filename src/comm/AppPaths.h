#pragma once

#include <QString>

namespace vesk {
namespace pc {

// The two places every file of the program lives under: the writable data
// directory ({data}) and the installed resources beside the executable's
// directory ({appDir}/..).
class AppPaths
{
public:
    AppPaths() = delete;

    static QString dataDir();          // AppDataLocation, e.g. ~/.local/share/KESTRO_OrlaCam
    static QString dataPath(const QString& relative);  // dataDir() + "/" + relative
    static QString appDir();           // directory of the executable
    static QString installPath(const QString& relative);  // appDir() + "/../" + relative

    // Copies an installed file into the data directory. The copy is always
    // writable by its owner: QFile::copy keeps the source's permissions, and
    // a read-only installed default would make every later save fail.
    static bool copyToData(const QString& source, const QString& target);

    // Where a file dialog starts: wanted when it is a folder, else the home
    // folder (a dialog given a missing folder offers its name as the file).
    static QString startFolder(const QString& wanted);

    static const char* const kSettingsIni;  // "kestro_macos.ini"
    static const char* const kLoggingIni;   // "logging_orlacam.ini"
};

} // namespace pc
} // namespace vesk
