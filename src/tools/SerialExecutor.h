#pragma once

#include "core/BrenvikError.h"
#include "core/CancellationToken.h"

#include <QCoreApplication>
#include <QFuture>
#include <QPromise>
#include <QThreadPool>
#include <QtConcurrent>
#include <atomic>
#include <type_traits>

// One worker thread that runs one piece of work at a time, never the GUI
// thread. A body receives a token that fires when its future is cancelled or
// the executor is going away; it ends the future cancelled by throwing
// CancellationError, and with an error by throwing it as it is (callers catch
// it by type). The destructor stops the running body and waits for it.
class SerialExecutor {
public:
    SerialExecutor()
    {
        m_pool.setMaxThreadCount(1);
        m_pool.setExpiryTimeout(-1);
    }
    ~SerialExecutor()
    {
        m_stopping = true;
        // A body may be waiting for a call it handed to this thread.
        while (!m_pool.waitForDone(10))
            QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    }
    SerialExecutor(const SerialExecutor&) = delete;
    SerialExecutor& operator=(const SerialExecutor&) = delete;

    template <typename T, typename Body>
    QFuture<T> run(Body body)
    {
        return QtConcurrent::run(&m_pool, [this, body = std::move(body)](QPromise<T>& promise) {
            const CancellationToken token([&promise, this] { return promise.isCanceled() || m_stopping.load(); });
            try {
                if constexpr (std::is_void_v<T>)
                    body(token);
                else
                    promise.addResult(body(token));
            } catch (const CancellationError&) {
                promise.future().cancel();
            } catch (...) {
                promise.setException(std::current_exception());
            }
        });
    }

private:
    std::atomic_bool m_stopping = false;
    QThreadPool m_pool;
};
