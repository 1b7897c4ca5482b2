#pragma once

#include "uicomm/OWidget.h"

class QTimer;

namespace Ui {
class MsgProgressUi;
}

// The modal progress box of downloads, uploads and upgrades. Workers report
// through onProgressUpdate (connect it queued from other threads): 0 to 99 are
// percentages, and the outcome codes of comm/UpgradeCodes.h (kErrCodeSuccess
// 100, kErrCodeError -1, kErrCodeWarn -2, kErrCodeFailure -3) colour the
// status text and offer OK. open() shows it and returns at once; answered
// then reports QMessageBox::Yes (0x4000) after OK for success or
// QMessageBox::No (0x10000) when an error or failure was reported since the
// last 0 %; -1 when the box was closed without OK. Escape does nothing, and
// nor does the window system's close until OK is offered.
class MsgProgressUi : public OWidget
{
    Q_OBJECT

public:
    explicit MsgProgressUi(QWidget* parent = nullptr);
    ~MsgProgressUi() override;

    void setTitle(const QString& title);
    // Plain text; fits the status height without changing its colour.
    void setText(const QString& text);
    // Negative values are ignored.
    void setProgress(int value);
    void setMaxProg(int maximum);
    void setOkBtnState(bool visible, bool enabled);

    // Shows the box, centred on the parent; the result comes with answered.
    // Subclasses may put their own start and stop around it.
    virtual void open();

    // Set by an error or failure report, cleared by 0 % and by a warning; a
    // flow that reuses the box clears it before the next run.
    bool errorLatched = false;

signals:
    // The run of open() ended, by OK or by any other close.
    void answered(int result);

public slots:
    void onProgressUpdate(int value, const QString& message);

protected:
    // A deadline for each run, armed by open() and stopped when the run
    // ends, so that one of an earlier run never acts on a later one.
    // Subclasses connect to its timeout; 0 arms nothing.
    void setRunTimeout(int ms);
    QTimer* runTimer() const { return runTimer_; }

    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    void on_pbOk_clicked();

private:
    void setStatus(const QString& colour, const QString& message);
    void fitStatusHeight();
    void offerOk();

    Ui::MsgProgressUi* ui = nullptr;
    int result = -1;
    bool running_ = false;
    QTimer* runTimer_ = nullptr;
    int runTimeoutMs_ = 0;
};
