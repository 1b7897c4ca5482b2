#include "comm/AppPaths.h"
#include "comm/GlobalParams.h"
#include "main/BackendChoice.h"
#include "main/KestroApp.h"
#include "main/SingleInstance.h"
#include "main/StartUp.h"
#include "uvc/UvcDevices.h"

#include <QDebug>
#include <QThreadPool>

using vesk::pc::AppPaths;
using vesk::pc::BackendChoice;
using vesk::pc::DeviceBackend;
using vesk::pc::GlobalParams;
using vesk::pc::SingleInstance;
using vesk::pc::StartUp;
using vesk::pc::UvcDevices;

namespace {

const char* const kMessagePattern =
    "[%{time yyyyMMdd h:mm:ss.zzz} %{if-debug}D%{endif}%{if-info}I%{endif}%{if-warning}W%{endif}"
    "%{if-critical}C%{endif}%{if-fatal}F%{endif}] %{function}:%{line} - %{message}";

const int kPoolDrainMs = 10000;

} // namespace

int main(int argc, char* argv[])
{
    // Help, version and refused arguments need neither a display nor the
    // disk, and come before another start's window is raised.
    QString refused;
    const int early = StartUp::answerOption(StartUp::parseRawOptions(argc, argv, &refused), refused);
    if (early >= 0)
        return early;

    // Only the chooser: the camera registry makes the backend on first use.
    // Nothing reads the simulated cameras' request logs here: they keep none.
    // The demo cameras come once the window is on screen, as if plugged then.
    BackendChoice::install(0, BackendChoice::DemoPlug::Later);

    qputenv("QT_MAC_WANTS_LAYER", "1");
    const bool glSet = StartUp::keepOpenGlUnloaded();
    KestroApp app(argc, argv);
    KestroApp::setApplicationName(QStringLiteral("KESTRO_OrlaCam"));
    qSetMessagePattern(QString::fromLatin1(kMessagePattern));

    const StartUp::Option option = StartUp::parseOptions(KestroApp::arguments().mid(1), &refused);
    const int answered = StartUp::answerOption(option, refused);
    if (answered >= 0)
        return answered;

    // Before anything reads the settings or writes the shared log. Static, so
    // that the lock outlives the parameter store (a later static), which
    // saves the settings at exit.
    static SingleInstance instance(AppPaths::dataDir());
    const SingleInstance::Claim claim = instance.claim();
    if (claim != SingleInstance::Claim::Owned)
        return claim == SingleInstance::Claim::RaisedOther ? 0 : 1;
    QObject::connect(&instance, &SingleInstance::raiseRequested, &app, &KestroApp::raiseMainWindow);

    StartUp::prepareDataDir();
    if (option != StartUp::Option::LogStd)
        app.startFileLogging();

    StartUp::logSystemSummary();
    GlobalParams::get();
    UvcDevices::get();

    const QString version = GlobalParams::getPcSoftwareVer();
    qInfo().noquote() << "Software version:" << version;
    KestroApp::setApplicationVersion(version);

    StartUp::chooseLanguage();
    StartUp::registerMetaTypes();
    StartUp::logLocations();

    app.init([] { BackendChoice::plugDemoCameras(DeviceBackend::instance(), 0); });
    StartUp::leaveOpenGlToOthers(glSet);
    const int result = KestroApp::exec();
    instance.stopListening();

    // Cloud tasks may still hold pool threads; give them a bounded time.
    if (!QThreadPool::globalInstance()->waitForDone(kPoolDrainMs))
        qWarning() << "Thread pool still busy after" << kPoolDrainMs << "ms at exit";
    qInfo() << "Exit with" << result;
    return result;
}
