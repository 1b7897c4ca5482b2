#pragma once

// The hover events of a pointer going in a straight line over widgets that
// may lie over each other (stack: topmost first), as the window system
// brings them: a widget left is told where the pointer last was in it.

#include "uicomm/PopupPage.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QHoverEvent>
#include <QWidget>

inline QRect globalRect(const QWidget* widget)
{
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

inline void moveHover(const QList<QWidget*>& stack, const QPoint& from, const QPoint& to)
{
    const auto under = [&](const QPoint& point) -> QWidget* {
        for (QWidget* widget : stack) {
            if (widget->isVisible() && globalRect(widget).contains(point))
                return widget;
        }
        return nullptr;
    };
    QWidget* current = under(from);
    const int steps = qMax(1, (to - from).manhattanLength());
    for (int i = 1; i <= steps; ++i) {
        const QPoint last = from + (to - from) * (i - 1) / steps;
        const QPoint point = from + (to - from) * i / steps;
        QWidget* now = under(point);
        if (now == current)
            continue;
        if (current) {
            QHoverEvent leave(QEvent::HoverLeave, QPointF(-1, -1), current->mapFromGlobal(last));
            QCoreApplication::sendEvent(current, &leave);
        }
        if (now) {
            QHoverEvent enter(QEvent::HoverEnter, now->mapFromGlobal(point), QPointF(-1, -1));
            QCoreApplication::sendEvent(now, &enter);
        }
        current = now;
    }
}

// Clicks the arrow of a setting row: the popup it opened over the row.
inline QWidget* openPopup(QAbstractButton* arrow)
{
    arrow->click();
    return arrow->parentWidget()->findChild<PopupPage*>(QString(), Qt::FindDirectChildrenOnly);
}

// The pointer from the middle of row to 30 px inside popup, as near that
// middle as it gets: the point it got to.
inline QPoint hoverIntoPopup(QWidget* row, QWidget* popup)
{
    const QRect inside = globalRect(popup).adjusted(30, 30, -30, -30);
    const QPoint from = globalRect(row).center();
    const QPoint to(qBound(inside.left(), from.x(), inside.right()), qBound(inside.top(), from.y(), inside.bottom()));
    moveHover({popup, row}, from, to);
    return to;
}
