#pragma once

#include <QFuture>
#include <QPromise>
#include <QtConcurrent>
#include <exception>
#include <type_traits>

// Runs `body` on the shared thread pool. Its exception reaches the future as it
// was thrown (a plain QtConcurrent::run would wrap anything that is no
// QException), so callers catch the program's errors by type.
template <typename Body>
QFuture<std::invoke_result_t<Body>> runInBackground(Body body)
{
    using Result = std::invoke_result_t<Body>;
    return QtConcurrent::run([body = std::move(body)](QPromise<Result>& promise) {
        try {
            promise.addResult(body());
        } catch (...) {
            promise.setException(std::current_exception());
        }
    });
}
