#pragma once

#include "core/BrenvikError.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <chrono>
#include <functional>
#include <optional>
#include <sys/types.h>

// An external tool could not be started: missing, not executable, or the system
// is out of processes or descriptors.
class ProcessStartError : public BrenvikError {
public:
    ProcessStartError(int code, QByteArray program);

    int code() const noexcept { return m_code; }
    const QByteArray& program() const noexcept { return m_program; }

private:
    int m_code;
    QByteArray m_program;
};

// How a process ended.
struct ChildExit {
    int exitStatus = -1;       // the exit code; -1 after a signal or when the end is unknown
    int terminationSignal = 0; // the signal that ended the process; 0 when it exited
};

struct ChildProcessResult {
    int exitStatus = -1;       // the exit code; -1 after a signal or when the end is unknown
    int terminationSignal = 0; // the signal that ended the process; 0 when it exited
    bool timedOut = false;     // the hard time-out had to stop it
    bool stopped = false;      // the owner asked it to stop (ChildProcessLimits)
    bool outputLimitReached = false; // it printed more than the limit allowed
    QByteArray standardOutput;
    QByteArray standardError;
};

// Further reasons to end a running tool early, each handled like the hard
// time-out (SIGTERM, then SIGKILL 0.5 s later).
struct ChildProcessLimits {
    // Asked at least every 100 ms; true ends the tool (a cancelled operation).
    std::function<bool()> stopRequested;
    // More standard output than this ends the tool; what was read is kept. -1: none.
    qsizetype outputLimit = -1;
};

// The one way the program starts an external tool: an absolute path and an
// explicit argument list, never a shell; the inherited environment plus explicit
// additions; standard input, output and error as pipes. Every process started is
// waited for: a child still running when its owner goes away is killed and reaped.
//
// Pipes and the spawn are close-on-exec throughout, so a tool never inherits
// another tool's pipe ends (which would hold them open and hide its end of file).
class ChildProcess {
public:
    using Environment = QList<QPair<QByteArray, QByteArray>>;

    ChildProcess(QByteArray program, QList<QByteArray> arguments, Environment additions = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Before start: the folder the tool starts in (an absolute path; unset means ours).
    void setWorkingDirectory(QByteArray absolutePath) { m_workingDirectory = std::move(absolutePath); }
    // Before start: the tool runs in a session of its own, without a controlling
    // terminal (so it can never stop to ask there), and ending it ends the
    // helpers it started as well.
    void setOwnSession(bool own) { m_ownSession = own; }

    // Throws ProcessStartError. A relative program path is refused: the tool
    // must never depend on the working folder or on PATH.
    void start();
    pid_t processId() const { return m_pid; }

    // Starts the tool unless it runs already, writes `input` to its standard input
    // and closes that, reads standard output and error to their ends (both at
    // once, so a full pipe never stalls the tool) and waits for its exit. With a
    // time-out, a tool still running when it passes gets SIGTERM and, 0.5 s later,
    // SIGKILL; the result then says `timedOut`.
    ChildProcessResult runToCompletion(const QByteArray& input = {},
                                       std::optional<std::chrono::milliseconds> timeout = std::nullopt,
                                       const ChildProcessLimits& limits = {});

    // For a tool that keeps running while its owner talks to it (see
    // InteractiveProcess): the owner serves the pipes itself. Each end is -1 once
    // closed; output and error stay open until the process object goes away.
    int standardInput() const { return m_standardInput; }
    int standardOutput() const { return m_standardOutput; }
    int standardError() const { return m_standardError; }
    void closeStandardInput();
    // Nothing once the process has been collected, so a recycled id is never hit.
    void sendSignal(int signal);
    // The end of the started process once it has ended (with `wait`: waits for
    // it); absent while it runs or when nothing was started.
    std::optional<ChildExit> collectExit(bool wait);

private:
    void closeDescriptors();
    // Collects the exit of the started process; false while it still runs (only
    // possible without `block`).
    bool reap(bool block, int& status);
    // To the process, or with an own session to everything it started too.
    void signalTool(int signal);

    QByteArray m_program;
    QList<QByteArray> m_arguments;
    Environment m_additions;
    QByteArray m_workingDirectory;
    bool m_ownSession = false;
    pid_t m_pid = -1;
    std::optional<ChildExit> m_exit;
    int m_standardInput = -1;
    int m_standardOutput = -1;
    int m_standardError = -1;
};
