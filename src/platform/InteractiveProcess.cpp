#include "platform/InteractiveProcess.h"

#include "platform/SigpipeGuard.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds killDelay{500};
constexpr milliseconds exitPollInterval{10};
// Reads smaller than this count as a tool talking line by line.
constexpr ssize_t smallRead = 4096;
constexpr int smallReadsBeforeGathering = 8;
constexpr int gatheringMilliseconds = 1;

int millisecondsUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<milliseconds>(deadline - Clock::now()).count();
    return int(std::clamp<long long>(left, 0, 60'000));
}

} // namespace

InteractiveProcess::InteractiveProcess(QByteArray program, QList<QByteArray> arguments,
                                       ChildProcess::Environment additions, Sinks sinks)
    : m_process(std::move(program), std::move(arguments), std::move(additions)), m_sinks(std::move(sinks))
{
}

InteractiveProcess::~InteractiveProcess()
{
    stopReader();
    // ~ChildProcess kills and collects a tool that still runs.
}

void InteractiveProcess::start()
{
    if (pipe2(m_wake, O_CLOEXEC) != 0)
        throw ProcessStartError(errno, QByteArrayLiteral("pipe"));
    try {
        m_process.start();
    } catch (...) {
        ::close(m_wake[0]);
        ::close(m_wake[1]);
        m_wake[0] = m_wake[1] = -1;
        throw;
    }
    const int input = m_process.standardInput();
    fcntl(input, F_SETFL, fcntl(input, F_GETFL) | O_NONBLOCK);
    m_reader = std::thread([this] { readLoop(); });
}

void InteractiveProcess::readLoop()
{
    int output = m_process.standardOutput();
    int error = m_process.standardError();
    char buffer[64 * 1024];
    int smallReadsInARow = 0;
    while (output >= 0 || error >= 0) {
        pollfd watched[3] = {{m_wake[0], POLLIN, 0}, {output, POLLIN, 0}, {error, POLLIN, 0}};
        const Clock::time_point waitStarted = Clock::now();
        if (poll(watched, 3, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (watched[0].revents != 0)
            return;
        bool onlySmallReads = true;
        for (int i = 1; i < 3; ++i) {
            if (watched[i].revents == 0)
                continue;
            const ssize_t count = ::read(watched[i].fd, buffer, sizeof buffer);
            if (count < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            const auto& sink = i == 1 ? m_sinks.standardOutput : m_sinks.standardError;
            if (count > 0) {
                onlySmallReads = onlySmallReads && count < smallRead;
                if (sink)
                    sink(QByteArrayView(buffer, count));
                continue;
            }
            // End of file (or a broken pipe): this stream is finished. poll()
            // ignores negative descriptors, so it simply drops out.
            (i == 1 ? output : error) = -1;
        }
        const bool cameAtOnce = Clock::now() - waitStarted < milliseconds(gatheringMilliseconds);
        smallReadsInARow = onlySmallReads && cameAtOnce ? smallReadsInARow + 1 : 0;
        // A tool that writes line by line (sftp's listings) would wake this
        // thread once per line, which costs more than the line. While small
        // pieces keep coming one right after the other, they gather for a
        // moment; an answer after a quiet spell is passed on at once, and a
        // stop ends the pause.
        if (smallReadsInARow >= smallReadsBeforeGathering) {
            pollfd wake{m_wake[0], POLLIN, 0};
            if (poll(&wake, 1, gatheringMilliseconds) > 0)
                return;
        }
    }
    if (m_sinks.closed)
        m_sinks.closed();
}

void InteractiveProcess::stopReader()
{
    if (m_reader.joinable()) {
        const char wake = 1;
        while (::write(m_wake[1], &wake, 1) < 0 && errno == EINTR) {
        }
        m_reader.join();
    }
    for (int& fd : m_wake) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

bool InteractiveProcess::write(const QByteArray& bytes, milliseconds timeout)
{
    const int input = m_process.standardInput();
    if (input < 0)
        return false;
    SigpipeGuard sigpipeGuard;
    const Clock::time_point deadline = Clock::now() + timeout;
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t sent = ::write(input, bytes.constData() + written, size_t(bytes.size() - written));
        if (sent > 0) {
            written += sent;
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && errno != EAGAIN)
            return false;
        // The pipe is full: wait for room, but not past the deadline.
        const int wait = millisecondsUntil(deadline);
        if (wait == 0)
            return false;
        pollfd watched{input, POLLOUT, 0};
        poll(&watched, 1, wait);
    }
    return true;
}

void InteractiveProcess::closeInput()
{
    m_process.closeStandardInput();
}

bool InteractiveProcess::isRunning()
{
    return m_process.processId() > 0 && !m_process.collectExit(false);
}

std::optional<ChildExit> InteractiveProcess::exit()
{
    return m_process.collectExit(false);
}

ChildExit InteractiveProcess::stop(milliseconds grace)
{
    closeInput();
    auto endsWithin = [this](milliseconds limit) {
        const Clock::time_point deadline = Clock::now() + limit;
        while (isRunning()) {
            if (Clock::now() >= deadline)
                return false;
            std::this_thread::sleep_for(exitPollInterval);
        }
        return true;
    };
    if (!endsWithin(grace)) {
        m_process.sendSignal(SIGTERM);
        if (!endsWithin(killDelay))
            m_process.sendSignal(SIGKILL);
    }
    const std::optional<ChildExit> end = m_process.collectExit(true);
    stopReader();
    return end.value_or(ChildExit{});
}
