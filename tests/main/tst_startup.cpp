// Start-up of the built program: options, data directory, ini copies, the
// order of its log lines, and a normal exit on the termination signals.

#include "support/TestHome.h"
#include "main/StartUp.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QSysInfo>
#include <QtTest>

#include <csignal>

using vesk::pc::StartUp;

namespace {

const int kStartTimeoutMs = 60000;

const QByteArray kHelp = QByteArrayLiteral("--help, -h: Get list of available commands. \n\n"
                                           "--log_std: Output log to std\n\n"
                                           "--version, -V: Get current version.\n");

QString installedConfig(const QString& name)
{
    return QFileInfo(QStringLiteral(ORLACAM_BIN)).absolutePath() + "/../config/" + name;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList treeOf(const QString& root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << it.next();
    entries.sort();
    return entries;
}

} // namespace

class tst_StartUp : public QObject
{
    Q_OBJECT

private:
    QProcessEnvironment environment(const TestHome& home, const QString& lang = "en_US.UTF-8") const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home.path());
        env.insert("XDG_DATA_HOME", home.path() + "/.local/share");
        env.insert("XDG_CONFIG_HOME", home.path() + "/.config");
        env.insert("XDG_CACHE_HOME", home.path() + "/.cache");
        env.insert("XDG_RUNTIME_DIR", home.path() + "/runtime");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("LC_ALL", lang);
        env.insert("LANG", lang);
        env.remove("LANGUAGE");
        return env;
    }

    // Starts the program and waits until its main window is shown, as the log
    // file (or standard error with --log_std) tells.
    bool startUntilShown(QProcess& process, const QStringList& args, const QProcessEnvironment& env,
                         const QString& logFile, const QString& program = QStringLiteral(ORLACAM_BIN))
    {
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(program, args);
        if (!process.waitForStarted(kStartTimeoutMs))
            return false;
        QElapsedTimer timer;
        timer.start();
        QByteArray err;
        while (timer.elapsed() < kStartTimeoutMs && process.state() == QProcess::Running) {
            process.waitForReadyRead(100);
            err += process.readAllStandardError();
            const QByteArray log = logFile.isEmpty() ? err : readAll(logFile);
            if (log.contains("Main window shown")) {
                stderr_ = err;
                return true;
            }
        }
        stderr_ = err + process.readAllStandardError();
        return false;
    }

    // Runs the program to its end in a fresh home, without a display (so it
    // must not need one); what went wrong, or empty: it ended normally and
    // left the home as it was.
    QByteArray runWithoutDisplay(QProcess& process, const QStringList& args) const
    {
        TestHome home;
        const QStringList before = treeOf(home.path());
        QProcessEnvironment env = environment(home);
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(home.path());
        process.start(QStringLiteral(ORLACAM_BIN), args);
        if (!process.waitForFinished(kStartTimeoutMs))
            return "did not end";
        if (process.exitStatus() != QProcess::NormalExit)
            return "crashed";
        return treeOf(home.path()) == before ? QByteArray() : QByteArray("the home changed");
    }

    bool stopWith(QProcess& process, int signalNumber)
    {
        ::kill(pid_t(process.processId()), signalNumber);
        const bool ended = process.waitForFinished(kStartTimeoutMs);
        stderr_ += process.readAllStandardError();
        return ended && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    QByteArray stderr_;

private slots:
    void helpAndVersion_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("help");
        QTest::newRow("--help") << QStringList{"--help"} << true;
        QTest::newRow("-h") << QStringList{"-h"} << true;
        QTest::newRow("--log_std then --help") << QStringList{"--log_std", "--help"} << true;
        QTest::newRow("--version") << QStringList{"--version"} << false;
        QTest::newRow("-V") << QStringList{"-V"} << false;
        QTest::newRow("--version then -h") << QStringList{"--version", "-h"} << false;
        QTest::newRow("-h then a look-alike") << QStringList{"-h", "-help"} << true;
        QTest::newRow("toolkit option value") << QStringList{"-platform", "offscreen", "-V"} << false;
    }

    // Help and version answer without a display and without touching the disk.
    void helpAndVersion()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, help);
        QProcess process;
        const QByteArray fault = runWithoutDisplay(process, args);
        QVERIFY2(fault.isEmpty(), fault.constData());
        QCOMPARE(process.exitCode(), 0);
        const QByteArray out = process.readAllStandardOutput();
        if (help) {
            QCOMPARE(out, kHelp);
        } else {
            QVERIFY(out.startsWith("KESTRO_OrlaCam_1.0.5.4,   Build Time: "));
            const QRegularExpression form(
                "^KESTRO_OrlaCam_1\\.0\\.5\\.4,   Build Time: "
                "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [ 123][0-9] [0-9]{4}, "
                "[0-2][0-9]:[0-5][0-9]:[0-6][0-9]\n$");
            QVERIFY2(form.match(QString::fromLatin1(out)).hasMatch(), out.constData());
        }
    }

    void parseOptions_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("refused");
        using O = StartUp::Option;
        QTest::newRow("nothing") << QStringList() << int(O::Run) << "";
        QTest::newRow("--log_std") << QStringList{"--log_std"} << int(O::LogStd) << "";
        QTest::newRow("--bogus") << QStringList{"--bogus"} << int(O::Unknown) << "--bogus";
        QTest::newRow("look-alike of help") << QStringList{"-help", "-h"} << int(O::Unknown) << "-help";
        QTest::newRow("help in capitals") << QStringList{"--HELP"} << int(O::Unknown) << "--HELP";
        QTest::newRow("-v") << QStringList{"--log_std", "-v"} << int(O::Unknown) << "-v";
        QTest::newRow("help before a bogus one") << QStringList{"--help", "--bogus"} << int(O::Help) << "";
        QTest::newRow("a word") << QStringList{"--log_std", "photo.jpg"} << int(O::Unknown) << "photo.jpg";
        QTest::newRow("a lone dash") << QStringList{"-"} << int(O::Unknown) << "-";
        QTest::newRow("two dashes") << QStringList{"--"} << int(O::Unknown) << "--";
        QTest::newRow("-platform offscreen") << QStringList{"-platform", "offscreen", "--log_std"} << int(O::LogStd)
                                             << "";
        QTest::newRow("--platform offscreen") << QStringList{"--platform", "offscreen"} << int(O::Run) << "";
        QTest::newRow("a toolkit value like ours") << QStringList{"-style", "--bogus", "-V"} << int(O::Version)
                                                   << "";
        QTest::newRow("joined values and flags")
            << QStringList{"-style=Fusion", "-stylesheet=a.css", "-qmljsdebugger=port:1", "-reverse", "-nograb",
                           "-dograb", "-sync", "-widgetcount", "-testability"}
            << int(O::Run) << "";
        QTest::newRow("the X11 plugin's options")
            << QStringList{"-display", ":0", "-geometry", "9x9", "-title", "t", "-name", "n", "-visual", "v",
                           "-visualid", "1", "-icon", "i", "-session", "s"}
            << int(O::Run) << "";
        QTest::newRow("a value joined where the toolkit takes none")
            << QStringList{"-platform=offscreen"} << int(O::Unknown) << "-platform=offscreen";
        QTest::newRow("a value missing at the end") << QStringList{"--log_std", "-style"} << int(O::LogStd) << "";
    }

    void parseOptions()
    {
        QFETCH(QStringList, args);
        QFETCH(int, option);
        QFETCH(QString, refused);
        QString got = QStringLiteral("untouched");
        QCOMPARE(int(StartUp::parseOptions(args, &got)), option);
        QCOMPARE(got, refused.isEmpty() ? QStringLiteral("untouched") : refused);
    }

    void unknownArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("error");
        QTest::newRow("--bogus") << QStringList{"--bogus"} << QByteArray("Unknown option: --bogus\n\n");
        QTest::newRow("after toolkit options") << QStringList{"--log_std", "-platform", "offscreen", "-x"}
                                               << QByteArray("Unknown option: -x\n\n");
        QTest::newRow("a word") << QStringList{"photo.jpg"} << QByteArray("Unexpected argument: photo.jpg\n\n");
    }

    // An argument that is none of ours, nor the toolkit's, is refused with
    // the usage before anything else: no display, no data directory.
    void unknownArguments()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, error);
        QProcess process;
        const QByteArray fault = runWithoutDisplay(process, args);
        QVERIFY2(fault.isEmpty(), fault.constData());
        QCOMPARE(process.exitCode(), 2);
        QCOMPARE(process.readAllStandardError(), error + kHelp);
        QCOMPARE(process.readAllStandardOutput(), QByteArray());
    }

    // A fresh start creates the data directory, copies both ini files, logs its
    // steps in their order, and a SIGTERM ends it normally with the settings saved.
    void freshStart()
    {
        TestHome home;
        QProcess process;
        const QString log = home.dataDir() + "/log/OrlaCam.log";
        QVERIFY2(startUntilShown(process, {}, environment(home, "de_DE.UTF-8"), log), stderr_.constData());
        QVERIFY2(stopWith(process, SIGTERM), stderr_.constData());

        for (const char* sub : {"firmware", "log", "config", "pic"})
            QVERIFY2(QFileInfo(home.dataDir() + "/" + sub).isDir(), sub);
        const QString logIni = home.dataDir() + "/config/logging_orlacam.ini";
        QCOMPARE(readAll(logIni), readAll(installedConfig("logging_orlacam.ini")));
        QVERIFY(stderr_.contains("Logging to "));

        // Messages from the logger's installation on, in the order of start-up
        // and at their levels. The shipped format adds the function and line:
        // "{timestamp} {type} {function}:{line} - {msg}".
        const QString line = QStringLiteral("\\n\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} %1 [^\\n]*:\\d+ - %2");
        const QList<QPair<QString, QString>> markers = {
            {"I", QSysInfo::buildCpuArchitecture() + "\n"},
            {"I", QSysInfo::kernelType() + "\n"},
            {"I", QSysInfo::machineHostName() + "\n"},
            {"I", "Software version: 1.0.5.4\n"},
            {"D", "Country = QLocale::Germany ; Language = QLocale::German\n"},
            {"I", "Application dir path = "},
            {"I", "Application name = KESTRO_OrlaCam\n"},
            {"I", "GenericDataLocation = "},
            {"I", "AppDataLocation = " + home.dataDir() + "\n"},
            {"I", "AppConfigLocation = "},
            {"I", "DownloadLocation = "},
            {"D", "Main window built"},
            {"I", "Main window shown"},
            {"I", "Closing the main window on signal 15"},
            {"I", "Exit with 0"},
        };
        const QString text = QString::fromLocal8Bit(readAll(log));
        int at = 0;
        for (const auto& marker : markers) {
            const QRegularExpression pattern(line.arg(marker.first, QRegularExpression::escape(marker.second)));
            const QRegularExpressionMatch found = pattern.match(text, at);
            QVERIFY2(found.hasMatch(), qPrintable("missing or out of order: " + marker.second + "\n" + text));
            at = found.capturedEnd() - 1;
        }

        // German locale, no language stored: 4 is chosen and saved at exit.
        QSettings saved(home.dataDir() + "/config/kestro_macos.ini", QSettings::IniFormat);
        QCOMPARE(saved.value("language/language_type").toInt(), 4);
        QCOMPARE(readAll(installedConfig("kestro_macos.ini")).contains("language_type=-1"), true);
    }

    // Ini files already in the data directory are used as they are.
    void existingIniUntouched()
    {
        TestHome home;
        QVERIFY(QDir().mkpath(home.dataDir() + "/config"));
        const QByteArray logging = "[logging]\nfilename=mine/own.log\nmsg_format={type} {msg}\n";
        QVERIFY(writeFile(home.dataDir() + "/config/logging_orlacam.ini", logging));
        QVERIFY(writeFile(home.dataDir() + "/config/kestro_macos.ini",
                          "[local_server]\nhost_port=12345\n[language]\nlanguage_type=3\n"
                          "[others]\nmarker=keep\n"));

        QProcess process;
        const QString log = home.dataDir() + "/config/mine/own.log";
        QVERIFY2(startUntilShown(process, {}, environment(home, "de_DE.UTF-8"), log), stderr_.constData());
        QVERIFY2(stopWith(process, SIGTERM), stderr_.constData());

        QCOMPARE(readAll(home.dataDir() + "/config/logging_orlacam.ini"), logging);
        QSettings saved(home.dataDir() + "/config/kestro_macos.ini", QSettings::IniFormat);
        QCOMPARE(saved.value("local_server/host_port").toInt(), 12345);
        QCOMPARE(saved.value("others/marker").toString(), QString("keep"));
        QCOMPARE(saved.value("language/language_type").toInt(), 3);  // stored: locale not consulted
        QVERIFY(readAll(log).contains("I Main window shown"));
    }

    // Settings that cannot be read are kept aside and replaced, and the
    // window says so as it first shows; the next start reads the fresh file
    // and says nothing.
    void unreadableSettingsToldOnce()
    {
        TestHome home;
        const QString ini = home.dataDir() + "/config/kestro_macos.ini";
        QVERIFY(QDir().mkpath(home.dataDir() + "/config"));
        const QByteArray unreadable = "[dev_info]\n1\\dev_name=Desk\n1\\dev_sn=A1\nsize=1\n[language\n";
        QVERIFY(writeFile(ini, unreadable));
        const QByteArray told = "Telling the user that the settings were replaced; the unreadable file is \""
                                + ini.toUtf8() + ".corrupt\"";
        for (const int expected : {1, 0}) {  // the first start tells, the second does not
            QProcess process;
            QVERIFY2(startUntilShown(process, {"--log_std"}, environment(home), QString()), stderr_.constData());
            QVERIFY2(stopWith(process, SIGTERM), stderr_.constData());
            QVERIFY2(stderr_.count(told) == expected, stderr_.constData());
        }
        QCOMPARE(readAll(ini + ".corrupt"), unreadable);
        QSettings fresh(ini, QSettings::IniFormat);
        fresh.allKeys();
        QCOMPARE(fresh.status(), QSettings::NoError);
    }

    void signalsEndNormally_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<QStringList>("args");
        QTest::newRow("SIGTERM") << int(SIGTERM) << QStringList{"--log_std"};
        QTest::newRow("SIGINT") << int(SIGINT) << QStringList{"--log_std", "-reverse", "-style", "Fusion"};
        QTest::newRow("SIGHUP") << int(SIGHUP) << QStringList{"--log_std", "--platform", "offscreen", "-display", ":9"};
    }

    // The termination signals close the window as a user would: normal exit,
    // settings saved. The toolkit's options are its own and the program runs.
    void signalsEndNormally()
    {
        QFETCH(int, signalNumber);
        QFETCH(QStringList, args);
        TestHome home;
        QProcess process;
        QVERIFY2(startUntilShown(process, args, environment(home, "zh_TW.UTF-8"), QString()),
                 stderr_.constData());
        QCOMPARE(process.readAllStandardOutput(), QByteArray());
        QVERIFY2(stopWith(process, signalNumber), stderr_.constData());
        QVERIFY(stderr_.contains("Closing the main window on signal"));
        // --log_std: the message pattern, with function and line, on standard error.
        QVERIFY(QRegularExpression("\\[\\d{8} \\d+:\\d\\d:\\d\\d\\.\\d{3} I\\] [^\\n]*main[^\\n]*:\\d+ - "
                                   "Software version: 1\\.0\\.5\\.4")
                    .match(QString::fromLocal8Bit(stderr_))
                    .hasMatch());
        QVERIFY(!QFile::exists(home.dataDir() + "/log/OrlaCam.log"));
        QSettings saved(home.dataDir() + "/config/kestro_macos.ini", QSettings::IniFormat);
        QCOMPARE(saved.value("language/language_type").toInt(), 2);
    }

    // A termination request while start-up is still running waits for the
    // event loop: the program still ends normally and saves its settings.
    void signalDuringStartUp()
    {
        TestHome home;
        QProcess process;
        process.setProcessEnvironment(environment(home, "ja_JP.UTF-8"));
        process.start(QStringLiteral(ORLACAM_BIN), {"--log_std"});
        QVERIFY(process.waitForStarted(kStartTimeoutMs));
        QElapsedTimer timer;
        timer.start();
        QByteArray err;
        while (!err.contains("Software version:") && process.state() == QProcess::Running
               && timer.elapsed() < kStartTimeoutMs) {
            process.waitForReadyRead(10);
            err += process.readAllStandardError();
        }
        // Whether the signal really came before the window (it takes tens of ms to build).
        const bool early = err.contains("Software version:") && !err.contains("Main window shown");
        stderr_ = err;
        QVERIFY2(stopWith(process, SIGTERM), stderr_.constData());
        QVERIFY(stderr_.contains("Main window shown"));
        QVERIFY(stderr_.contains("Closing the main window on signal 15"));
        QSettings saved(home.dataDir() + "/config/kestro_macos.ini", QSettings::IniFormat);
        QCOMPARE(saved.value("language/language_type").toInt(), 3);
        if (!early)
            QSKIP("start-up had ended before the signal was sent");
    }

    // Starts the program in env and times its end on SIGTERM; -1 on failure.
    // shown gets standard error as it was when the window came up.
    qint64 timedClose(const QProcessEnvironment& env, QByteArray* shown = nullptr)
    {
        QProcess process;
        if (!startUntilShown(process, {"--log_std"}, env, QString()))
            return -1;
        if (shown)
            *shown = stderr_;
        QElapsedTimer clock;
        clock.start();
        return stopWith(process, SIGTERM) ? clock.elapsed() : -1;
    }

    // Closed while the two simulated cameras still settle after their arrival
    // (the real waits, seconds long): the program ends at once all the same.
    // The bound is above the end of the same program without cameras, so a
    // loaded machine's slow exit counts on both sides; waiting out a settle
    // would add seconds.
    void closeWhileCamerasSettle()
    {
        TestHome bare;
        const qint64 plain = timedClose(environment(bare));
        QVERIFY2(plain >= 0, stderr_.constData());
        TestHome home;
        QProcessEnvironment env = environment(home);
        env.insert("ORLACAM_DEVICE_BACKEND", "sim");
        QByteArray shown;
        const qint64 closing = timedClose(env, &shown);
        QVERIFY2(closing >= 0, stderr_.constData());
        const bool settling = !shown.contains("Device uuid is:");
        QVERIFY2(closing < plain + 2000, qPrintable(QString("%1 ms, %2 without cameras").arg(closing).arg(plain)));
        QVERIFY(stderr_.contains("Exit with 0"));
        if (!settling)
            QSKIP("the cameras had settled before the signal was sent");
    }

    // The demo cameras are plugged once the window has painted (drawing their
    // pictures takes longer than the window's start), and still come: the
    // window selects the first. One stream, so that the order is the order
    // of the writes.
    void demoCamerasAfterFirstPaint()
    {
        TestHome home;
        QProcessEnvironment env = environment(home);
        env.insert("ORLACAM_DEVICE_BACKEND", "sim");
        env.insert("ORLACAM_REPORT_SHOWN", "1");
        QProcess process;
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral(ORLACAM_BIN), {"--log_std"});
        QVERIFY(process.waitForStarted(kStartTimeoutMs));
        QByteArray out;
        QElapsedTimer timer;
        timer.start();
        while (!out.contains("Selected camera") && process.state() == QProcess::Running
               && timer.elapsed() < kStartTimeoutMs) {
            process.waitForReadyRead(100);
            out += process.readAll();
        }
        stderr_ = out;
        QVERIFY2(stopWith(process, SIGTERM), stderr_.constData());
        const int shown = out.indexOf("\nshown\n");
        const int plugged = out.indexOf("Simulated camera plugged:");
        QVERIFY2(shown >= 0 && plugged >= 0 && out.contains("Selected camera"), out.constData());
        QVERIFY2(shown < plugged, out.constData());
    }

    // On X the window leaves the system's OpenGL driver unloaded (it draws
    // with the raster engine alone); a choice the user made stays.
    void openGlUnloadedOnX_data()
    {
        QTest::addColumn<QByteArray>("integration");
        QTest::addColumn<bool>("loaded");
        QTest::newRow("left to the program") << QByteArray() << false;
        QTest::newRow("the user's glx") << QByteArray("xcb_glx") << true;
    }

    void openGlUnloadedOnX()
    {
        QFETCH(QByteArray, integration);
        QFETCH(bool, loaded);
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X display");
        TestHome home;
        QProcessEnvironment env = environment(home);
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.remove("QT_XCB_GL_INTEGRATION");
        if (!integration.isEmpty())
            env.insert("QT_XCB_GL_INTEGRATION", QString::fromLatin1(integration));
        QProcess process;
        QVERIFY2(startUntilShown(process, {"--log_std"}, env, QString()), stderr_.constData());
        const QByteArray maps = readAll(QStringLiteral("/proc/%1/maps").arg(process.processId()));
        QVERIFY2(stopWith(process, SIGTERM), stderr_.constData());
        QVERIFY(maps.contains("libQt5XcbQpa"));
        QCOMPARE(maps.contains("-glx-integration") || maps.contains("-egl-integration"), loaded);
    }

    // What the program chose for its own window is not passed on: a program
    // started from it (a browser for a link) sees the user's environment.
    void openGlChoiceNotInherited_data()
    {
        QTest::addColumn<QByteArray>("users");
        QTest::newRow("unset") << QByteArray();
        QTest::newRow("the user's glx") << QByteArray("xcb_glx");
    }

    void openGlChoiceNotInherited()
    {
        QFETCH(QByteArray, users);
        const QByteArray before = qgetenv("QT_XCB_GL_INTEGRATION");
        if (users.isEmpty())
            qunsetenv("QT_XCB_GL_INTEGRATION");
        else
            qputenv("QT_XCB_GL_INTEGRATION", users);
        const bool set = StartUp::keepOpenGlUnloaded();
        const QByteArray during = qgetenv("QT_XCB_GL_INTEGRATION");
        StartUp::leaveOpenGlToOthers(set);
        QProcess child;
        child.start("/bin/sh", {"-c", "printf %s \"${QT_XCB_GL_INTEGRATION-unset}\""});
        const bool ended = child.waitForFinished(kStartTimeoutMs);
        const QByteArray seen = child.readAllStandardOutput();
        if (before.isNull())
            qunsetenv("QT_XCB_GL_INTEGRATION");
        else
            qputenv("QT_XCB_GL_INTEGRATION", before);
        QVERIFY(ended);
        QCOMPARE(during, users.isEmpty() ? QByteArray("none") : users);
        QCOMPARE(seen, users.isEmpty() ? QByteArray("unset") : users);
    }

    // An installation without its ini files and fonts still starts: the copies
    // and fonts are reported missing, the file logger runs on empty settings
    // (so lines go to standard error) and the settings are saved at exit.
    void installationWithoutResources()
    {
        TestHome home;
        const QString bin = home.path() + "/install/bin";
        QVERIFY(QDir().mkpath(bin));
        QVERIFY(QFile::copy(QStringLiteral(ORLACAM_BIN), bin + "/OrlaCam"));
        QProcess process;
        QVERIFY2(startUntilShown(process, {}, environment(home), QString(), bin + "/OrlaCam"),
                 stderr_.constData());
        QVERIFY2(stopWith(process, SIGTERM), stderr_.constData());

        QVERIFY(stderr_.contains("copy default ini failed:"));
        QVERIFY(stderr_.contains("Logging to \nName of logFile is empty\n"));
        const QByteArray fonts = "W Font not loaded: " + bin.toLocal8Bit() + "/../font/";
        QVERIFY(stderr_.contains(fonts + "SourceHanSansCN-Bold.otf"));
        QVERIFY(stderr_.contains(fonts + "Montserrat-Regular.ttf"));
        QVERIFY(!QFileInfo::exists(home.dataDir() + "/config/logging_orlacam.ini"));
        QSettings saved(home.dataDir() + "/config/kestro_macos.ini", QSettings::IniFormat);
        QCOMPARE(saved.value("product_info/product").toString(), QStringLiteral("Kestro_zuki_2P"));
        QCOMPARE(saved.value("language/language_type").toInt(), 0);
    }

    // A file where the config directory should be: start-up says so and goes on.
    void blockedConfigDirectory()
    {
        TestHome home;
        QVERIFY(QDir().mkpath(home.dataDir()));
        QVERIFY(writeFile(home.dataDir() + "/config", "not a directory"));
        QProcess process;
        QVERIFY2(startUntilShown(process, {"--log_std"}, environment(home), QString()), stderr_.constData());
        QVERIFY2(stopWith(process, SIGTERM), stderr_.constData());
        QVERIFY(stderr_.contains("create config dir failed"));
        QVERIFY(stderr_.contains("settings not saved"));  // the save at exit fails, and says so
        QVERIFY(!QFileInfo(home.dataDir() + "/pic").exists());  // later steps skipped
        QCOMPARE(readAll(home.dataDir() + "/config"), QByteArray("not a directory"));
    }

    // A second start with the same home asks the running program to show its
    // window and ends at once, before it reads the settings or writes the
    // log file; help and version still answer; the first runs on.
    void secondStartRaisesFirst()
    {
        TestHome home;
        const QProcessEnvironment env = environment(home);
        QProcess first;
        QVERIFY2(startUntilShown(first, {"--log_std"}, env, QString()), stderr_.constData());
        QByteArray firstErr = stderr_;

        // Refused before it could raise anything.
        QProcess bogus;
        bogus.setProcessEnvironment(env);
        bogus.start(QStringLiteral(ORLACAM_BIN), {"--bogus"});
        QVERIFY(bogus.waitForFinished(kStartTimeoutMs));
        QCOMPARE(bogus.exitCode(), 2);

        QProcess second;
        second.setProcessEnvironment(env);
        QElapsedTimer clock;
        clock.start();
        second.start(QStringLiteral(ORLACAM_BIN), QStringList());
        const bool ended = second.waitForFinished(20000);
        const QByteArray secondErr = second.readAllStandardError();
        QVERIFY2(ended, secondErr.constData());
        QVERIFY2(clock.elapsed() < 15000, QByteArray::number(clock.elapsed()));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY2(secondErr.contains("OrlaCam is running already"), secondErr.constData());
        QVERIFY(!secondErr.contains("Software version:"));
        QVERIFY(!QFile::exists(home.dataDir() + "/log/OrlaCam.log"));

        QProcess version;
        version.setProcessEnvironment(env);
        version.start(QStringLiteral(ORLACAM_BIN), {"--version"});
        QVERIFY(version.waitForFinished(kStartTimeoutMs));
        QCOMPARE(version.exitCode(), 0);
        QVERIFY(version.readAllStandardOutput().startsWith("KESTRO_OrlaCam_1.0.5.4,"));

        QTRY_VERIFY_WITH_TIMEOUT((firstErr += first.readAllStandardError())
                                     .contains("Main window raised at another start's request"),
                                 kStartTimeoutMs);
        QCOMPARE(firstErr.count("Main window raised at another start's request"), 1);
        QCOMPARE(first.state(), QProcess::Running);
        QVERIFY2(stopWith(first, SIGTERM), stderr_.constData());
        QVERIFY(!QFile::exists(home.dataDir() + "/OrlaCam.lock"));
    }

    // The lock of a program that was killed does not keep the next start out.
    void staleLockTakenOver()
    {
        TestHome home;
        const QProcessEnvironment env = environment(home);
        QProcess killed;
        QVERIFY2(startUntilShown(killed, {"--log_std"}, env, QString()), stderr_.constData());
        ::kill(pid_t(killed.processId()), SIGKILL);
        QVERIFY(killed.waitForFinished(kStartTimeoutMs));
        QVERIFY(QFile::exists(home.dataDir() + "/OrlaCam.lock"));

        QProcess next;
        QVERIFY2(startUntilShown(next, {"--log_std"}, env, QString()), stderr_.constData());
        QVERIFY(stderr_.contains("Took over the lock of a program that ended without releasing it"));
        QVERIFY2(stopWith(next, SIGTERM), stderr_.constData());
    }

    void languageFromLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("language");
        QTest::newRow("Chinese, China") << "zh_CN" << 1;
        QTest::newRow("Chinese, Taiwan") << "zh_TW" << 2;
        QTest::newRow("Chinese, Hong Kong") << "zh_HK" << 2;
        QTest::newRow("Japanese") << "ja_JP" << 3;
        QTest::newRow("German, Austria") << "de_AT" << 4;
        QTest::newRow("Spanish, Mexico") << "es_MX" << 5;
        QTest::newRow("French") << "fr_FR" << 0;
        QTest::newRow("English") << "en_GB" << 0;
    }

    void languageFromLocale()
    {
        QFETCH(QString, locale);
        QFETCH(int, language);
        QCOMPARE(StartUp::languageFromLocale(QLocale(locale)), language);
    }
};

QTEST_GUILESS_MAIN(tst_StartUp)
#include "tst_startup.moc"
