#pragma once

#include "uicomm/PopupPage.h"

// The popup page of the anti-flicker mode: Off (0), 50 Hz (1) or 60 Hz (2),
// the current one ticked.
class AntiFlicker : public PopupPage
{
    Q_OBJECT
public:
    explicit AntiFlicker(QWidget* parent = nullptr);
    ~AntiFlicker() override;

    // Ticks the row of 0, 1 or 2; other values change nothing.
    void setUiAntiFlicker(int type);
    int getAntiFlickerType() const { return antiFlickerType; }

signals:
    void antiFlickerChanged(int type);

protected:
    void rowChosen(int row) override;
    void changeEvent(QEvent* event) override;

private:
    void retranslate();

    int antiFlickerType = 0;
};
