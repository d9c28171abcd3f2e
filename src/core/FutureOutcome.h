#pragma once

#include "core/BrenvikError.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <optional>

// Calls `done(future)` on `context`'s thread once the future has finished
// (also when it ended cancelled or with an error); never after `context` is gone.
template <typename T, typename Done>
void whenFinished(QObject* context, QFuture<T> future, Done done)
{
    auto* watcher = new QFutureWatcher<T>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context, [watcher, done = std::move(done)]() mutable {
        watcher->deleteLater();
        done(watcher->future());
    });
    watcher->setFuture(std::move(future));
}

// The error a finished future ended with, if any. A cancelled future has none.
template <typename T>
std::optional<BrenvikError> errorOf(QFuture<T> future)
{
    try {
        future.waitForFinished();
    } catch (const BrenvikError& error) {
        return error;
    } catch (const std::exception& error) {
        return BrenvikError(QStringLiteral("std::exception"), QString::fromLocal8Bit(error.what()));
    }
    return std::nullopt;
}
