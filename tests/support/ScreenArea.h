#pragma once

// Windows placed as on a screen with this available area, for the life of
// the object; the area before comes back after it. The test platform's own
// screen is 800 x 600, lower than the program's larger windows.

#include "uicomm/ScreenPlacement.h"

#include <QRect>

class ScreenArea
{
public:
    explicit ScreenArea(const QRect& area) : before_(setAvailableScreenAreaOverride(area)) {}
    ~ScreenArea() { setAvailableScreenAreaOverride(before_); }
    ScreenArea(const ScreenArea&) = delete;
    ScreenArea& operator=(const ScreenArea&) = delete;

    static QRect fullHd() { return QRect(0, 0, 1920, 1080); }
    static QRect laptop() { return QRect(0, 0, 1366, 768); }

private:
    QRect before_;
};
