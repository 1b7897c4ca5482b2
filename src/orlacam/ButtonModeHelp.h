#pragma once

#include "uicomm/OWidget.h"

class QEventLoop;

// What the camera's own button does in each work mode: a modal help window
// with one "Yes" button, dragged by its body.
class ButtonModeHelp : public OWidget
{
    Q_OBJECT
public:
    explicit ButtonModeHelp(QWidget* parent = nullptr);
    ~ButtonModeHelp() override;

    // Shows the window and returns 0 once "Yes" closed it.
    int exec();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void retranslate();

    QEventLoop* loop_ = nullptr;
};
