#pragma once

#include "uicomm/OWidget.h"

class QEventLoop;

namespace Ui {
class MsgProgressUi;
}

// The modal progress box of downloads, uploads and upgrades. Workers report
// through onProgressUpdate (connect it queued from other threads): 0 to 99 are
// percentages, and the outcome codes of comm/UpgradeCodes.h (kErrCodeSuccess
// 100, kErrCodeError -1, kErrCodeWarn -2, kErrCodeFailure -3) colour the
// status text and offer OK. exec() waits until OK is clicked and returns
// QMessageBox::Yes (0x4000) for success or QMessageBox::No (0x10000) when an
// error or failure was reported since the last 0 %; -1 when the box was
// closed without OK. Escape does nothing.
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

    // Subclasses put their own start and stop around it.
    virtual int exec();

    // Set by an error or failure report, cleared by 0 % and by a warning; a
    // flow that reuses the box clears it before the next run.
    bool errorLatched = false;

public slots:
    void onProgressUpdate(int value, const QString& message);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    void on_pbOk_clicked();

private:
    void setStatus(const QString& colour, const QString& message);
    void fitStatusHeight(const QString& text);
    void offerOk();

    Ui::MsgProgressUi* ui = nullptr;
    QEventLoop* loop = nullptr;
    int result = -1;
};
