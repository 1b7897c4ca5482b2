#pragma once

#include <QIcon>

class QAbstractButton;

// The on and off pictures of the switches on the main window and the
// setting page, made once per owner. A switch gets its picture only when it
// changed: each new icon is rendered anew when painted and its pixmap kept,
// so re-setting them on every status poll grows the program all day.
class SwitchIcons
{
public:
    void show(QAbstractButton* button, bool on);

private:
    QIcon icons_[2];  // off, on; made on first use, once the resources are in
};
