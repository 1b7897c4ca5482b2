#pragma once

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QSharedPointer>
#include <QString>

#include <functional>

#include "orlacam/flows/WindowTiming.h"

class FlowHost;
class MsgInfoUi;
class MsgProgressUi;
class QWidget;
namespace vesk {
namespace pc {
class UvcDevice;
} // namespace pc
} // namespace vesk

// One maintenance flow of the main window (upgrade, log export, factory
// reset, software update) as a chain of answers, signals and timers: the
// window keeps painting meanwhile. Each step looks its camera up again by
// the serial taken at the start and ends the flow when the camera or the
// window has gone. The flow deletes itself when it ends, and so do the boxes
// it shows.
class MaintenanceFlow : public QObject
{
    Q_OBJECT
public:
    MaintenanceFlow(FlowHost* host, const QString& sn);
    ~MaintenanceFlow() override;

    virtual void start() = 0;
    QString sn() const { return sn_; }
    // The question before an upgrade or a log export.
    static QString tipsText(bool logExport);

signals:
    void finished();

protected:
    // The camera of the flow, or null when it has gone.
    QSharedPointer<vesk::pc::UvcDevice> device() const;
    // The window, or null once it was closed.
    QWidget* window() const;
    // What the flow asks of that window, or null once it was closed.
    FlowHost* host() const { return window() ? host_ : nullptr; }
    // The window's waits, as they were when the flow began.
    const WindowTiming& timing() const { return timing_; }
    // Runs call on the flow's camera away from the window's thread and hands
    // its result (-1 when the camera had gone) to done, unless the flow has
    // ended by then. The camera is looked up again by serial on that thread.
    void callCamera(std::function<int(vesk::pc::UvcDevice&)> call, std::function<void(int)> done);
    // The window even while hidden; null once it is being destroyed.
    FlowHost* owner() const { return window_ ? host_ : nullptr; }
    void finish();

    // A box of the flow with the window as parent; shown by ask or show.
    MsgInfoUi* newBox(const QString& title, const QString& text);
    // Shows the box and hands its answer to next; the box goes with the
    // answer unless it is kept open. Nothing follows once the window closed.
    void ask(MsgInfoUi* box, std::function<void(int)> next);
    // Offers Yes and No; only Yes goes on to onYes, anything else cancels.
    void confirm(MsgInfoUi* box, std::function<void()> onYes);
    // A Qt file dialog of the flow (not the platform's: it answers by signal
    // on every platform); a choice goes to chosen, a cancel ends the flow.
    void chooseFile(const QString& title, const QString& folder, const QString& name, bool folders,
                    std::function<void(const QString&)> chosen);
    // A box with one Yes that ends the flow when answered.
    void tellAndFinish(const QString& title, const QString& text);
    // The question before an upgrade or a log export: only Yes goes on, so a
    // box closed by Escape or the window's close button means No.
    void askTips(bool logExport, std::function<void()> onYes);
    // Runs the window's downloader with its box; done follows, with the
    // stored package's path, only a verified download answered by OK;
    // anything else ends the flow.
    void downloadPackage(const QJsonObject& query, const QString& dir, const QString& title,
                         std::function<void(const QString&)> done);
    // Shows a progress box of the flow; the flow ends when it is answered.
    void runToEnd(MsgProgressUi* box);
    // A dialog that goes with the flow.
    void adopt(QWidget* dialog) { boxes_ << dialog; }
    // Text of the main window's translation context.
    static QString text(const char* source);

private:
    QPointer<QWidget> window_;
    FlowHost* host_;
    QString sn_;
    WindowTiming timing_;
    QList<QPointer<QWidget>> boxes_;
    bool ended_ = false;
};
