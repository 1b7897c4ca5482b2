#pragma once

#include "uicomm/PopupPage.h"

// The popup page of the camera button's work mode: Default (0) or Rotation
// (1), the current one ticked.
class ButtonMode : public PopupPage
{
    Q_OBJECT
public:
    explicit ButtonMode(QWidget* parent = nullptr);
    ~ButtonMode() override;

    // 0 or 1 ticks that row and is kept; other values change nothing.
    void setButtonModeType(int type);
    int getButtonModeType() const { return buttonModeType; }

signals:
    void buttonModeChanged(int type);

protected:
    void rowChosen(int row) override;
    void changeEvent(QEvent* event) override;

private:
    int buttonModeType = 0;
};
