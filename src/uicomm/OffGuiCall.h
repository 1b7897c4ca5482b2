#pragma once

#include <QFutureInterface>
#include <QFutureWatcher>
#include <QObject>
#include <QThreadPool>

#include <functional>

// Runs work on the global thread pool (a camera call that may block for
// seconds) and hands its result to done on context's thread, so that the
// window keeps processing events meanwhile. Nothing follows once context is
// gone; work must therefore hold nothing of context's.
template <typename Result>
void runOffGui(QObject* context, std::function<Result()> work, std::function<void(Result)> done)
{
    QFutureInterface<Result> promise;
    promise.reportStarted();
    auto* watcher = new QFutureWatcher<Result>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context, [watcher, done] {
        watcher->deleteLater();
        done(watcher->result());
    });
    watcher->setFuture(promise.future());
    QThreadPool::globalInstance()->start([promise, work]() mutable {
        promise.reportResult(work());
        promise.reportFinished();
    });
}
