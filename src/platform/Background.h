#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QThreadPool>
#include <functional>

// Runs work on a pool thread and hands its result to done on the user-interface thread, unless
// context has gone by then. The answer travels through the application object, which outlives
// every window, so nothing can reach a destroyed context.
template <typename Result>
void RunInBackground(QObject* context, std::function<Result()> work,
                     std::function<void(Result)> done) {
    QThreadPool::globalInstance()->start(
        [guard = QPointer<QObject>(context), work = std::move(work), done = std::move(done)] {
            Result result = work();
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [guard, done, result = std::move(result)] {
                    if (guard) {
                        done(result);
                    }
                },
                Qt::QueuedConnection);
        });
}
