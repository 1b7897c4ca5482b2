#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

namespace vesk {
namespace pc {

// The steps of program start-up that come before the application object
// takes over: options, data directory, summaries, language, meta types.
class StartUp
{
public:
    StartUp() = delete;

    enum class Option { Run, LogStd, Help, Version };

    // The first of --help/-h or --version/-V ends the scan; --log_std is
    // remembered; anything else, including look-alikes, is ignored.
    static Option parseOptions(const QStringList& args);
    // The same on the raw argument vector, before the toolkit has taken out
    // its own arguments (so that help and version work without a display).
    static Option parseRawOptions(int argc, char** argv);

    static QByteArray helpText();
    static QByteArray versionLine();
    // Writes the text for Help or Version to standard output.
    static void printOption(Option option);

    // Creates {data} with firmware, log, config and pic, and copies the
    // default ini files into config when they are missing there.
    static void prepareDataDir();

    static void logSystemSummary();
    static void logLocations();

    // Language code for a locale: 0 English, 1 Simplified Chinese,
    // 2 Traditional Chinese, 3 Japanese, 4 German, 5 Spanish.
    static int languageFromLocale(const QLocale& locale);
    // Stores the locale's language unless one is stored already.
    static void chooseLanguage();

    static void registerMetaTypes();
};

} // namespace pc
} // namespace vesk
