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

    enum class Option { Run, LogStd, Help, Version, Unknown };

    // The exit code after an unknown option or argument.
    static constexpr int kUsageExitCode = 2;

    // In order, the first of --help/-h, --version/-V or an argument that is
    // none of ours (Unknown, and *refused gets it) ends the scan; --log_std
    // is remembered. The toolkit's own options (-platform, -style, -display
    // ...) and the values of those that take one are left to it.
    static Option parseOptions(const QStringList& args, QString* refused = nullptr);
    // The same on the raw argument vector, before the toolkit has taken out
    // its own arguments (so that help, version and refusals come without a
    // display).
    static Option parseRawOptions(int argc, char** argv, QString* refused = nullptr);

    static QByteArray helpText();
    static QByteArray versionLine();
    // For Help or Version writes their text to standard output and returns
    // 0; for Unknown writes the refusal of refused and the help text to
    // standard error and returns kUsageExitCode; -1 (nothing written) for
    // the options that run the program.
    static int answerOption(Option option, const QString& refused = QString());

    // Before the application object: the window is drawn by the raster
    // engine alone, so X need not load the system's OpenGL driver for it
    // (most of a start on X). A value the user set is kept; true when this
    // set one.
    static bool keepOpenGlUnloaded();
    // Once the first window exists (the toolkit has chosen): the value goes
    // again when keepOpenGlUnloaded set it, so that programs started from
    // here (a browser for a link) make their own choice.
    static void leaveOpenGlToOthers(bool set);

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
