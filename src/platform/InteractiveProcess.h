#pragma once

#include "platform/ChildProcess.h"

#include <QByteArrayView>
#include <chrono>
#include <functional>
#include <thread>

// A tool that keeps running while the program talks to it: the owner writes to
// its standard input whenever it likes, and one background reader hands every
// piece of its standard output and error to the owner's sinks as it arrives.
//
// The sinks run on the reader thread and must only store the data (under their
// own lock). `closed` runs once, when both output pipes have reached their end —
// in practice when the tool (and anything it started) has ended.
//
// All other members are for the owner's thread only. The process is always
// collected: `stop()` ends it politely, the destructor ends it at once.
class InteractiveProcess {
public:
    struct Sinks {
        std::function<void(QByteArrayView)> standardOutput;
        std::function<void(QByteArrayView)> standardError;
        std::function<void()> closed;
    };

    InteractiveProcess(QByteArray program, QList<QByteArray> arguments, ChildProcess::Environment additions,
                       Sinks sinks);
    ~InteractiveProcess();
    InteractiveProcess(const InteractiveProcess&) = delete;
    InteractiveProcess& operator=(const InteractiveProcess&) = delete;

    // Throws ProcessStartError.
    void start();
    pid_t processId() const { return m_process.processId(); }

    // Writes all of `bytes` unless the tool stopped reading (it ended: EPIPE),
    // its input was closed, or `timeout` passed with the pipe full; false then.
    bool write(const QByteArray& bytes, std::chrono::milliseconds timeout);
    void closeInput();

    bool isRunning();
    // How it ended; absent while it runs.
    std::optional<ChildExit> exit();

    // Closes the tool's input and gives it `grace` to end by itself; then
    // SIGTERM and, 0.5 s later, SIGKILL. Returns how it ended.
    ChildExit stop(std::chrono::milliseconds grace);

private:
    void readLoop();
    void stopReader();

    ChildProcess m_process;
    Sinks m_sinks;
    std::thread m_reader;
    int m_wake[2] = {-1, -1}; // written to end the reader early
};
