#include "remote/NetworkProbe.h"

#include "core/SystemError.h"
#include "platform/UniqueFd.h"
#include "remote/NetworkProbeError.h"

#include <QPromise>
#include <QThreadPool>
#include <QUtf8StringView>
#include <QtConcurrent/QtConcurrentRun>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How often a waiting check looks whether its caller gave up.
constexpr milliseconds cancelCheckInterval{50};
constexpr qsizetype greetingMinimum = 4;
constexpr qsizetype greetingMaximum = 255;

// The outcome of the check's single decision-maker; nothing means cancelled.
class Cancelled {};

// The system resolver cannot be interrupted, so it runs on a thread of its own
// that the check stops waiting for at its deadline; whoever finishes last frees
// the result.
struct Resolution {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    int error = 0;
    addrinfo* addresses = nullptr;

    ~Resolution()
    {
        if (addresses)
            freeaddrinfo(addresses);
    }
};

struct Deadline {
    Clock::time_point at;
    const QPromise<void>& promise;

    // The next slice to wait: never past the deadline, short enough to notice a
    // cancellation. Throws when either has come.
    int nextSlice() const
    {
        if (promise.isCanceled())
            throw Cancelled();
        const auto left = std::chrono::ceil<milliseconds>(at - Clock::now());
        if (left.count() <= 0)
            throw NetworkProbeError::timeout();
        return int(std::min(left, cancelCheckInterval).count());
    }
};

std::shared_ptr<Resolution> resolve(const QString& host, qint64 port, const Deadline& deadline)
{
    auto resolution = std::make_shared<Resolution>();
    std::thread([resolution, name = host.toUtf8(), service = QByteArray::number(port)] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_NUMERICSERV;
        addrinfo* addresses = nullptr;
        const int error = getaddrinfo(name.constData(), service.constData(), &hints, &addresses);
        std::lock_guard lock(resolution->mutex);
        resolution->error = error;
        resolution->addresses = addresses;
        resolution->finished = true;
        resolution->done.notify_all();
    }).detach();

    std::unique_lock lock(resolution->mutex);
    while (!resolution->finished) {
        const int slice = deadline.nextSlice();
        resolution->done.wait_for(lock, milliseconds(slice));
    }
    if (resolution->error != 0)
        throw NetworkProbeError::failed(QString::fromLocal8Bit(gai_strerror(resolution->error)));
    return resolution;
}

// Waits until `fd` reports one of `events`.
void awaitEvents(int fd, short events, const Deadline& deadline)
{
    for (;;) {
        pollfd watched{fd, events, 0};
        const int ready = poll(&watched, 1, deadline.nextSlice());
        if (ready > 0 || (ready < 0 && errno != EINTR))
            return;
    }
}

// The first address that accepts a connection; the last refusal when none does.
UniqueFd connectToAny(const addrinfo* addresses, const Deadline& deadline)
{
    int lastError = ECONNREFUSED;
    for (const addrinfo* address = addresses; address; address = address->ai_next) {
        UniqueFd socket(::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                                 address->ai_protocol));
        if (!socket.isValid()) {
            lastError = errno;
            continue;
        }
        if (::connect(socket.get(), address->ai_addr, address->ai_addrlen) != 0) {
            if (errno != EINPROGRESS) {
                lastError = errno;
                continue;
            }
            awaitEvents(socket.get(), POLLOUT, deadline);
            int error = 0;
            socklen_t length = sizeof error;
            if (getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                error = errno;
            if (error != 0) {
                lastError = error;
                continue;
            }
        }
        return socket;
    }
    throw NetworkProbeError::failed(SystemError::messageFor(lastError));
}

void readGreeting(int socket, const Deadline& deadline)
{
    QByteArray greeting;
    while (greeting.size() < greetingMinimum) {
        awaitEvents(socket, POLLIN, deadline);
        char buffer[greetingMaximum];
        const ssize_t count = ::recv(socket, buffer, size_t(greetingMaximum - greeting.size()), 0);
        if (count < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            throw NetworkProbeError::failed(SystemError::messageFor(errno));
        }
        if (count == 0)
            break;
        greeting.append(buffer, count);
    }
    if (!greeting.startsWith("SSH-") || !QUtf8StringView(greeting).isValidUtf8())
        throw NetworkProbeError::noSSHBanner();
}

QFuture<void> runCheck(const QString& host, qint64 port, double timeout, bool expectSSH)
{
    return QtConcurrent::run(QThreadPool::globalInstance(), [=](QPromise<void>& promise) {
        try {
            if (host.isEmpty() || port < 1 || port > 65535)
                throw NetworkProbeError::invalidEndpoint();
            const Deadline deadline{Clock::now() + milliseconds(qint64(timeout * 1000)), promise};
            const std::shared_ptr<Resolution> resolution = resolve(host, port, deadline);
            const UniqueFd socket = connectToAny(resolution->addresses, deadline);
            if (expectSSH)
                readGreeting(socket.get(), deadline);
        } catch (const Cancelled&) {
            // The future is cancelled already; that is the check's one outcome.
        } catch (...) {
            promise.setException(std::current_exception());
        }
    });
}

} // namespace

namespace NetworkProbe {

QFuture<void> test(const QString& host, qint64 port, double timeout)
{
    return runCheck(host, port, timeout, false);
}

QFuture<void> testSSH(const QString& host, qint64 port, double timeout)
{
    return runCheck(host, port, timeout, true);
}

} // namespace NetworkProbe
