#pragma once

#include "uicomm/ScreenPlacement.h"

#include <QWidget>

// A window without a parent opens in the screen's corner: shown, it is
// moved to the middle of window, kept on the screen. Once shown, its frame
// is known.
inline void centreOn(QWidget* shown, const QWidget& window)
{
    QRect frame(QPoint(), shown->frameGeometry().size());
    frame.moveCenter(window.frameGeometry().center());
    shown->move(keptOnScreen(frame));
}
