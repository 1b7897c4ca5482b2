#include "main/KestroApp.h"

#include "comm/AppPaths.h"
#include "logging/FileLogger.h"
#include "main/InstalledFont.h"
#include "main/ShownReport.h"
#include "main/TermSignals.h"
#include "uicomm/AfterFirstPaint.h"
#include "orlacam/window/MainUserUi.h"

#include <QDebug>
#include <QFile>
#include <QFont>
#include <QSettings>
#include <QThreadPool>

using vesk::pc::AppPaths;
using vesk::pc::InstalledFont;
using vesk::pc::ShownReport;

namespace {

const int kLogRefreshMs = 10000;
const int kPoolExpiryMs = 300000;
const int kPoolThreads = 3;

// The family of an installed font: the system's copy when it has one.
QString fontFamily(const InstalledFont& font)
{
    return font.resolve(AppPaths::installPath(font.relativePath()));
}

} // namespace

KestroApp::KestroApp(int& argc, char** argv)
    : QApplication(argc, argv)
    , termSignals_(new TermSignals(this))
{
    // From here on, a termination request waits for the event loop, which
    // then closes the window it has built by then: no start-up step can be
    // cut off before the settings are saved.
    connect(termSignals_, &TermSignals::received, this, &KestroApp::closeOnSignal);
}

KestroApp::~KestroApp()
{
    mainUi_.clear();
    delete logger_;  // stops being the message handler
    delete logSettings_;
}

void KestroApp::startFileLogging()
{
    QString ini = AppPaths::dataPath(QStringLiteral("config/") + AppPaths::kLoggingIni);
    if (!QFile::exists(ini))
        ini = AppPaths::installPath(QStringLiteral("config/") + AppPaths::kLoggingIni);
    logSettings_ = new QSettings(ini, QSettings::IniFormat);
    logSettings_->beginGroup(QStringLiteral("logging"));
    logger_ = new FileLogger(logSettings_, kLogRefreshMs, nullptr);
    logger_->installMsgHandler();
}

void KestroApp::init(const std::function<void()>& afterFirstPaint)
{
    loadFont();

    QThreadPool::globalInstance()->setExpiryTimeout(kPoolExpiryMs);
    QThreadPool::globalInstance()->setMaxThreadCount(kPoolThreads);

    mainUi_ = new MainUserUi(nullptr);
    mainUi_->setAttribute(Qt::WA_DeleteOnClose);
    connect(mainUi_, &QObject::destroyed, this, &QCoreApplication::quit);
    installEventFilter(mainUi_);

    // Watched before the report: the report, watching last, is queued first
    // at the paint, so that it times the paint alone.
    if (afterFirstPaint)
        AfterFirstPaint::run(mainUi_, afterFirstPaint);
    ShownReport::watch(mainUi_);
    mainUi_->show();
    mainUi_->updateUI();
    qInfo() << "Main window shown";
}

void KestroApp::loadFont()
{
    const QString cjk = fontFamily(InstalledFont::kCjk);
    const QString latin = fontFamily(InstalledFont::kLatin);
    QFont font;
    font.setFamily(latin + QStringLiteral(", ") + cjk);
    setFont(font);
}

void KestroApp::raiseMainWindow()
{
    if (!mainUi_) {
        qInfo() << "No main window to raise";
        return;
    }
    mainUi_->setWindowState(mainUi_->windowState() & ~Qt::WindowMinimized);
    mainUi_->show();
    mainUi_->raise();
    mainUi_->activateWindow();
    qInfo() << "Main window raised at another start's request";
}

void KestroApp::closeOnSignal(int signalNumber)
{
    qInfo() << "Closing the main window on signal" << signalNumber;
    if (mainUi_)
        mainUi_->close();
    else
        quit();
}
