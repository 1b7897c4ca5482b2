#include "uicomm/AfterFirstPaint.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <utility>

void AfterFirstPaint::run(QWidget* window, std::function<void()> step, int waitMs)
{
    new AfterFirstPaint(window, std::move(step), waitMs);
}

AfterFirstPaint::AfterFirstPaint(QWidget* window, std::function<void()> step, int waitMs)
    : QObject(window)
    , step_(std::move(step))
    , waitMs_(waitMs)
{
    window->installEventFilter(this);
    if (window->isVisible())
        startWait();
}

bool AfterFirstPaint::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != parent())
        return false;
    if (event->type() == QEvent::Show)
        startWait();
    else if (event->type() == QEvent::Paint)
        queue();
    return false;
}

// From the show on: a window is painted only once it is on screen.
void AfterFirstPaint::startWait()
{
    if (waiting_ || waitMs_ < 0)
        return;
    waiting_ = true;
    QTimer::singleShot(waitMs_, this, &AfterFirstPaint::queue);
}

// After the paint in progress (and its flush), not before it.
void AfterFirstPaint::queue()
{
    if (queued_)
        return;
    queued_ = true;
    parent()->removeEventFilter(this);
    QTimer::singleShot(0, this, [this] {
        step_();
        deleteLater();
    });
}
