#pragma once

#include <QPoint>
#include <QRect>

class QWidget;

// Where the program's windows go: whole on the available area of their
// screen, a window larger than that area limited to it (its content
// scrolls), and a window that belongs with another one beside it or over
// it, never over that one's title bar with its buttons.

enum class WindowPlace {
    Beside,   // right of the anchor, else left of it, else over it
    Centred,  // over the anchor, centred on it
};

// Places window for anchor, usually the main window; called once window is
// shown, when its frame (title bar) is known. Without an anchor on screen
// it goes to the middle of the area.
void placeWindow(QWidget* window, const QWidget* anchor, WindowPlace place = WindowPlace::Beside);

// Keeps a window that changed its size whole on the available area: its
// limits and size lowered to what the area leaves for it below its frame (a
// scroll area inside it then scrolls), moved onto the area where it reaches
// past it. One that lies over anchor's window below its title bar stays
// within that window, below the title bar.
void keepOnScreen(QWidget* window, const QWidget* anchor);

// Where a window of this frame goes so that it lies whole on the available
// area of the screen that holds its top-left corner (the primary one when
// none does); a frame larger than the area keeps its top-left corner on it.
QPoint keptOnScreen(const QRect& frame);

// The available area of the screen that holds point, the primary one when
// none does, or the area set below.
QRect availableScreenArea(const QPoint& point);

// For tests: every placement uses this area instead of the screens'; an
// empty rectangle goes back to the screens. Returns the area set before.
QRect setAvailableScreenAreaOverride(const QRect& area);
