#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QWidget>

#include <functional>

// Answers a modal box: polls for the active modal widget and hands it to the
// action once it is shown. If no box shows within the time bound, every
// visible top-level box is closed so that a flow waiting for an answer ends
// and the test can fail instead of hanging.
// With an owner, the poll ends with the owner, so an action that captured a
// test's locals never runs after that test.
inline void whenModal(std::function<void(QWidget*)> action, int boundMs = 5000,
                      QObject* owner = nullptr)
{
    auto* timer = new QTimer(owner);
    QElapsedTimer clock;
    clock.start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, action, boundMs] {
        QWidget* box = QApplication::activeModalWidget();
        const bool ready = box && box->isVisible();
        if (!ready && clock.elapsed() < boundMs)
            return;
        timer->stop();
        timer->deleteLater();
        if (ready) {
            action(box);
            return;
        }
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget* w : windows)
            if (w->isVisible())
                w->close();
    });
    timer->start();
}

inline QPushButton* childButton(QWidget* box, const char* name)
{
    return box->findChild<QPushButton*>(QLatin1String(name));
}

inline QLabel* childLabel(QWidget* box, const char* name)
{
    return box->findChild<QLabel*>(QLatin1String(name));
}

// The one answer a box's answered has given, or 0 when it gave none or more.
inline int onlyAnswer(const QSignalSpy& spy)
{
    return spy.count() == 1 ? spy.at(0).at(0).toInt() : 0;
}
