#pragma once

#include "uicomm/OWidget.h"

// What the camera's own button does in each work mode: a modal help window
// with one "Yes" button, dragged by its body.
class ButtonModeHelp : public OWidget
{
    Q_OBJECT
public:
    explicit ButtonModeHelp(QWidget* parent = nullptr);
    ~ButtonModeHelp() override;

    // Shows the window, centred on its parent, and returns at once; "Yes"
    // or Escape closes it.
    void open();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void retranslate();
};
