#include "platform/ChildProcess.h"

#include "core/SystemError.h"
#include "platform/SigpipeGuard.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds killDelay{500};
constexpr qsizetype chunkSize = 64 * 1024;
constexpr int unknownStatus = -1;

QString describeStart(int code, const QByteArray& program)
{
    return QStringLiteral("Das Programm „%1“ konnte nicht gestartet werden: %2")
        .arg(QString::fromUtf8(program), SystemError::messageFor(code));
}

void closeDescriptor(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// A pipe whose ends lie above the standard descriptors, so that placing them on
// 0, 1 and 2 in the child can never overwrite one another.
int makePipe(int ends[2])
{
    if (pipe2(ends, O_CLOEXEC) != 0)
        return errno;
    for (int i = 0; i < 2; ++i) {
        if (ends[i] > STDERR_FILENO)
            continue;
        const int moved = fcntl(ends[i], F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        const int error = errno;
        ::close(ends[i]);
        ends[i] = moved;
        if (moved < 0) {
            closeDescriptor(ends[1 - i]);
            return error;
        }
    }
    return 0;
}

QList<QByteArray> environmentWith(const ChildProcess::Environment& additions)
{
    QList<QByteArray> entries;
    for (char** entry = environ; entry && *entry; ++entry) {
        const QByteArray text(*entry);
        const QByteArray name = text.left(text.indexOf('='));
        const bool replaced = std::any_of(additions.begin(), additions.end(),
                                          [&](const auto& addition) { return addition.first == name; });
        if (!replaced)
            entries.append(text);
    }
    for (const auto& [name, value] : additions)
        entries.append(name + '=' + value);
    return entries;
}

std::vector<char*> pointerList(const QList<QByteArray>& items)
{
    std::vector<char*> pointers;
    pointers.reserve(size_t(items.size()) + 1);
    for (const QByteArray& item : items)
        pointers.push_back(const_cast<char*>(item.constData()));
    pointers.push_back(nullptr);
    return pointers;
}

// A byte string with an inner NUL would reach the tool cut short: another
// argument than the one meant.
bool holdsNul(const QByteArray& bytes)
{
    return bytes.contains('\0');
}

// Reads what is there; false at end of file or on an error.
bool readAvailable(int fd, QByteArray& into)
{
    char buffer[chunkSize];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count > 0) {
            into.append(buffer, count);
            return true;
        }
        if (count < 0 && errno == EINTR)
            continue;
        return count < 0 && errno == EAGAIN;
    }
}

ChildExit decodeStatus(int status)
{
    ChildExit end;
    if (status == unknownStatus)
        end.exitStatus = -1;
    else if (WIFSIGNALED(status))
        end.terminationSignal = WTERMSIG(status);
    else
        end.exitStatus = WEXITSTATUS(status);
    return end;
}

} // namespace

ProcessStartError::ProcessStartError(int code, QByteArray program)
    : BrenvikError(QStringLiteral("ProcessStartError"), describeStart(code, program)), m_code(code),
      m_program(std::move(program))
{
}

ChildProcess::ChildProcess(QByteArray program, QList<QByteArray> arguments, Environment additions)
    : m_program(std::move(program)), m_arguments(std::move(arguments)), m_additions(std::move(additions))
{
}

ChildProcess::~ChildProcess()
{
    closeDescriptors();
    if (m_pid > 0) {
        signalTool(SIGKILL);
        int status = 0;
        reap(true, status);
    }
}

void ChildProcess::closeDescriptors()
{
    closeDescriptor(m_standardInput);
    closeDescriptor(m_standardOutput);
    closeDescriptor(m_standardError);
}

bool ChildProcess::reap(bool block, int& status)
{
    for (;;) {
        const pid_t result = waitpid(m_pid, &status, block ? 0 : WNOHANG);
        if (result < 0 && errno == EINTR)
            continue;
        if (result == 0)
            return false;
        // Also when waitpid failed: the process is not ours to wait for any more,
        // and what became of it is unknown, never a success.
        if (result < 0)
            status = unknownStatus;
        m_pid = -1;
        m_exit = decodeStatus(status);
        return true;
    }
}

void ChildProcess::start()
{
    if (m_pid > 0)
        return;
    m_exit.reset();
    if (!m_program.startsWith('/'))
        throw ProcessStartError(ENOENT, m_program);
    const QList<QByteArray> environment = environmentWith(m_additions);
    if (std::any_of(m_arguments.begin(), m_arguments.end(), holdsNul) || holdsNul(m_program) || holdsNul(m_workingDirectory)
        || std::any_of(environment.begin(), environment.end(), holdsNul))
        throw ProcessStartError(EINVAL, m_program);

    int input[2] = {-1, -1}, output[2] = {-1, -1}, error[2] = {-1, -1};
    int failure = makePipe(input);
    if (failure == 0)
        failure = makePipe(output);
    if (failure == 0)
        failure = makePipe(error);
    auto closeAll = [&] {
        for (int* pair : {input, output, error})
            for (int i = 0; i < 2; ++i)
                closeDescriptor(pair[i]);
    };
    if (failure != 0) {
        closeAll();
        throw ProcessStartError(failure, m_program);
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, error[1], STDERR_FILENO);
    if (!m_workingDirectory.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, m_workingDirectory.constData());
#ifdef __GLIBC__
    // Also descriptors some library opened without close-on-exec stay behind.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
#endif
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t noSignals;
    sigemptyset(&noSignals);
    posix_spawnattr_setsigmask(&attributes, &noSignals);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signal : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGCHLD, SIGUSR1, SIGUSR2, SIGALRM})
        sigaddset(&defaults, signal);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, short(POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF
                                                | (m_ownSession ? POSIX_SPAWN_SETSID : 0)));

    const std::vector<char*> argv = pointerList(QList<QByteArray>{m_program} + m_arguments);
    const std::vector<char*> envp = pointerList(environment);
    pid_t pid = -1;
    failure = posix_spawn(&pid, m_program.constData(), &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);

    closeDescriptor(input[0]);
    closeDescriptor(output[1]);
    closeDescriptor(error[1]);
    if (failure != 0) {
        closeAll();
        throw ProcessStartError(failure, m_program);
    }
    m_pid = pid;
    m_standardInput = input[1];
    m_standardOutput = output[0];
    m_standardError = error[0];
}

ChildProcessResult ChildProcess::runToCompletion(const QByteArray& input, std::optional<milliseconds> timeout,
                                                 const ChildProcessLimits& limits)
{
    start();
    SigpipeGuard sigpipeGuard;
    ChildProcessResult result;
    std::optional<Clock::time_point> deadline;
    if (timeout)
        deadline = Clock::now() + *timeout;
    bool killed = false;

    // Past the deadline: first ask the tool to end, then end it.
    bool terminated = false;
    auto escalate = [&] {
        if (!terminated) {
            terminated = true;
            result.timedOut = !result.stopped && !result.outputLimitReached;
            signalTool(SIGTERM);
            deadline = Clock::now() + killDelay;
        } else {
            signalTool(SIGKILL);
            killed = true;
        }
    };
    auto millisecondsLeft = [&]() -> int {
        const int stopPoll = limits.stopRequested ? 100 : 60'000;
        if (!deadline)
            return limits.stopRequested ? stopPoll : -1;
        const auto left = std::chrono::ceil<milliseconds>(*deadline - Clock::now()).count();
        return int(std::clamp<long long>(left, 0, stopPoll));
    };
    // A stop or an exceeded limit ends the tool the way a time-out does.
    auto endEarly = [&](bool& reason) {
        if (reason || terminated)
            return;
        reason = true;
        deadline = Clock::now();
    };
    auto checkLimits = [&] {
        if (limits.stopRequested && limits.stopRequested())
            endEarly(result.stopped);
        if (limits.outputLimit >= 0 && result.standardOutput.size() > limits.outputLimit) {
            endEarly(result.outputLimitReached);
            closeDescriptor(m_standardOutput); // nothing more of it is kept
        }
    };

    qsizetype written = 0;
    if (input.isEmpty())
        closeDescriptor(m_standardInput);
    else
        fcntl(m_standardInput, F_SETFL, fcntl(m_standardInput, F_GETFL) | O_NONBLOCK);

    // A killed tool may have left children behind that hold its pipes open:
    // reading stops with the kill instead of waiting for them.
    while (!killed && (m_standardInput >= 0 || m_standardOutput >= 0 || m_standardError >= 0)) {
        checkLimits();
        const int wait = millisecondsLeft();
        if (wait == 0) {
            escalate();
            continue;
        }
        pollfd watched[3];
        nfds_t count = 0;
        if (m_standardInput >= 0)
            watched[count++] = {m_standardInput, POLLOUT, 0};
        if (m_standardOutput >= 0)
            watched[count++] = {m_standardOutput, POLLIN, 0};
        if (m_standardError >= 0)
            watched[count++] = {m_standardError, POLLIN, 0};
        if (poll(watched, count, wait) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (nfds_t i = 0; i < count; ++i) {
            if (watched[i].revents == 0)
                continue;
            const int fd = watched[i].fd;
            if (fd == m_standardInput) {
                const ssize_t sent = ::write(fd, input.constData() + written, size_t(input.size() - written));
                if (sent > 0)
                    written += sent;
                // A tool that stopped reading (EPIPE) simply does not get the rest.
                if (written == input.size() || (sent < 0 && errno != EAGAIN && errno != EINTR))
                    closeDescriptor(m_standardInput);
            } else if (fd == m_standardOutput) {
                if (!readAvailable(fd, result.standardOutput))
                    closeDescriptor(m_standardOutput);
            } else if (!readAvailable(fd, result.standardError)) {
                closeDescriptor(m_standardError);
            }
        }
    }
    closeDescriptors();

    // The output has ended, but the tool may still run: the deadline holds on.
    int status = 0;
    bool reaped = false;
    if (!killed && (deadline || limits.stopRequested)) {
        while (!killed && !(reaped = reap(false, status))) {
            checkLimits();
            const int wait = millisecondsLeft();
            if (wait == 0)
                escalate();
            else
                std::this_thread::sleep_for(milliseconds(std::min(wait, 10)));
        }
    }
    if (!reaped)
        reap(true, status);

    result.exitStatus = m_exit->exitStatus;
    result.terminationSignal = m_exit->terminationSignal;
    return result;
}

void ChildProcess::closeStandardInput()
{
    closeDescriptor(m_standardInput);
}

void ChildProcess::signalTool(int signal)
{
    if (m_pid > 0)
        ::kill(m_ownSession ? -m_pid : m_pid, signal);
}

void ChildProcess::sendSignal(int signal)
{
    if (m_pid > 0)
        ::kill(m_pid, signal);
}

std::optional<ChildExit> ChildProcess::collectExit(bool wait)
{
    int status = 0;
    if (m_pid > 0)
        reap(wait, status);
    return m_exit;
}
