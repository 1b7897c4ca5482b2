#include "uicomm/ScreenPlacement.h"

#include <QDebug>
#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QWidget>

#include <utility>

namespace {

QRect& areaOverride()
{
    static QRect area;
    return area;
}

// The window's frame around its client area: the title bar is the top part.
// Zero for a window never shown, whose frame is not known yet.
QMargins frameMargins(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                    frame.bottom() - client.bottom());
}

// Lowers the window's limits and size so that its frame fits room.
void limitTo(QWidget* window, const QSize& room)
{
    const QMargins frame = frameMargins(window);
    const QSize client(qMax(0, room.width() - frame.left() - frame.right()),
                       qMax(0, room.height() - frame.top() - frame.bottom()));
    window->setMinimumSize(window->minimumSize().boundedTo(client));
    window->setMaximumSize(window->maximumSize().boundedTo(client));
    window->resize(window->size().boundedTo(client));
}

// The top-left corner that puts frame inside area; a frame larger than the
// area keeps its top-left corner on it.
QPoint clampInto(const QRect& frame, const QRect& area)
{
    const int x = qMax(area.left(), qMin(frame.left(), area.right() + 1 - frame.width()));
    const int y = qMax(area.top(), qMin(frame.top(), area.bottom() + 1 - frame.height()));
    return QPoint(x, y);
}

} // namespace

QRect setAvailableScreenAreaOverride(const QRect& area)
{
    return std::exchange(areaOverride(), area);
}

QRect availableScreenArea(const QPoint& point)
{
    if (areaOverride().isValid())
        return areaOverride();
    const QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen) {
        qWarning() << "No screen to place a window on";
        return QRect();
    }
    return screen->availableGeometry();
}

QPoint keptOnScreen(const QRect& frame)
{
    const QRect area = availableScreenArea(frame.topLeft());
    return area.isValid() ? clampInto(frame, area) : frame.topLeft();
}

void keepOnScreen(QWidget* window, const QWidget* anchor)
{
    QRect area = availableScreenArea(window->frameGeometry().center());
    if (!area.isValid())
        return;
    const QWidget* owner = anchor && anchor->isVisible() ? anchor->window() : nullptr;
    const QRect frame = window->frameGeometry();
    if (owner && owner != window && frame.intersects(owner->frameGeometry()) && frame.top() >= owner->geometry().top()) {
        // Over the anchor's window, within it from below its title bar down.
        area.setTop(qMax(area.top(), owner->geometry().top()));
        area.setBottom(qMin(area.bottom(), owner->geometry().bottom()));
    }
    limitTo(window, area.size());
    window->move(clampInto(window->frameGeometry(), area));
}

void placeWindow(QWidget* window, const QWidget* anchor, WindowPlace place)
{
    const QWidget* owner = anchor && anchor->isVisible() ? anchor->window() : nullptr;
    const QRect area =
        availableScreenArea(owner ? owner->frameGeometry().center() : window->frameGeometry().center());
    if (!area.isValid())
        return;
    limitTo(window, area.size());
    QRect frame(QPoint(), window->frameGeometry().size());
    if (!owner) {
        frame.moveCenter(area.center());
        window->move(clampInto(frame, area));
        return;
    }
    const QRect outer = owner->frameGeometry();
    const bool right = place == WindowPlace::Beside && outer.right() + frame.width() <= area.right();
    const bool left = !right && place == WindowPlace::Beside && outer.left() - frame.width() >= area.left();
    if (right || left) {
        frame.moveTopLeft(QPoint(right ? outer.right() + 1 : outer.left() - frame.width(), outer.top()));
    } else {
        // Over the anchor: below its title bar, as high as the room there.
        const int top = qMax(owner->geometry().top(), area.top());
        limitTo(window, QSize(area.width(), area.bottom() + 1 - top));
        frame.setSize(window->frameGeometry().size());
        frame.moveCenter(owner->geometry().center());
        if (frame.top() < top)
            frame.moveTop(top);
    }
    window->move(clampInto(frame, area));
}
