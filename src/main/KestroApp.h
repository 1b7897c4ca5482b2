#pragma once

#include "orlacam/window/MainUserUi.h"

#include <QApplication>
#include <QPointer>

#include <functional>

class FileLogger;
class QSettings;
class TermSignals;

// The application object: loads the fonts, sizes the thread pool, and shows
// the main window, whose destruction ends the event loop.
class KestroApp : public QApplication
{
    Q_OBJECT
public:
    KestroApp(int& argc, char** argv);
    ~KestroApp() override;

    // Logs through a file logger on the logging ini from now on.
    void startFileLogging();

    // Shows the main window; afterFirstPaint runs once it has painted.
    void init(const std::function<void()>& afterFirstPaint = nullptr);
    void loadFont();
    // Shows the main window in front, as another start of the program asks.
    void raiseMainWindow();

    MainUserUi* mainWindow() const { return mainUi_; }

private:
    // Closes the main window as a user would, so the normal exit runs.
    void closeOnSignal(int signalNumber);

    QPointer<MainUserUi> mainUi_;
    QSettings* logSettings_ = nullptr;
    FileLogger* logger_ = nullptr;
    TermSignals* termSignals_;
};
