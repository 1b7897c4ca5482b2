#pragma once

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

// Where a window of this frame goes so that it lies whole on the screen
// that holds its top-left corner (the primary one when none does); a frame
// larger than the screen keeps its top-left corner on it.
inline QPoint keptOnScreen(const QRect& frame)
{
    const QScreen* screen = QGuiApplication::screenAt(frame.topLeft());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return frame.topLeft();
    const QRect area = screen->availableGeometry();
    const int x = qMax(area.left(), qMin(frame.left(), area.right() + 1 - frame.width()));
    const int y = qMax(area.top(), qMin(frame.top(), area.bottom() + 1 - frame.height()));
    return QPoint(x, y);
}
