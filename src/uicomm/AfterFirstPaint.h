#pragma once

#include <QObject>

#include <functional>

class QWidget;

// Runs a step once a window has painted for the first time and the event
// loop has come round, so that start-up work the first picture does not need
// comes after it. A window shown but not painted within waitMs (unmapped, on
// another desktop) runs the step all the same; a negative waitMs waits for
// the paint alone. Nothing runs once the window is gone. Steps on one window
// queue at its paint in the reverse order of their run() calls (the last
// event filter sees an event first).
class AfterFirstPaint : public QObject
{
public:
    static constexpr int kUnpaintedWaitMs = 2000;

    static void run(QWidget* window, std::function<void()> step, int waitMs = kUnpaintedWaitMs);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AfterFirstPaint(QWidget* window, std::function<void()> step, int waitMs);
    void startWait();
    void queue();

    std::function<void()> step_;
    int waitMs_;
    bool waiting_ = false;
    bool queued_ = false;
};
