#pragma once

// A cloud task pool of its own for one test, on three threads as the
// program's global pool has.

#include "cloud/CloudTask.h"
#include "cloud/CloudTaskPool.h"

#include <QElapsedTimer>
#include <QThreadPool>
#include <QtTest>

struct CloudTaskRun
{
    QThreadPool threads;
    vesk::pc::CloudTaskPool pool{&threads};

    CloudTaskRun() { threads.setMaxThreadCount(3); }

    bool idle() const { return threads.activeThreadCount() == 0 && pool.waitingCount() == 0; }
    // Milliseconds until no task runs, the event loop running meanwhile.
    qint64 runToEnd(vesk::pc::CloudTask* task, int boundMs = 10000)
    {
        QElapsedTimer clock;
        clock.start();
        pool.start(task);
        (void)QTest::qWaitFor([&] { return idle(); }, boundMs);
        return clock.elapsed();
    }
};
