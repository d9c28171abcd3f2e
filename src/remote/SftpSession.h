#pragma once

#include "core/CancellationToken.h"
#include "platform/InteractiveProcess.h"
#include "remote/SftpPromptBuffer.h"

#include <QString>
#include <chrono>
#include <functional>
#include <memory>

// One running sftp process, fed command lines on its standard input. Each
// command is followed by a local line that puts a fresh marker on sftp's
// standard output and error (SftpCommand::markerCommand); sftp reads it only
// after the command has finished, so the marker on each stream closes that
// command's answer there, with no shell started and no extra round trip.
//
// Failures end the session for good (the owner starts a new one):
// SFTPTransportError::command "Die SFTP-Sitzung wurde vom Server geschlossen."
// with the server's last message when sftp ends, ::timeout(host, port) when an
// answer does not come in time (sftp is then stopped).
class SftpSession {
public:
    using Clock = std::chrono::steady_clock;

    struct Answer {
        QString output; // standard output without echoes and marker
        QString errors; // standard error, the same way
    };

    SftpSession(QString host, qint64 port, QByteArray program, QList<QByteArray> arguments,
                ChildProcess::Environment environment);
    ~SftpSession();
    SftpSession(const SftpSession&) = delete;
    SftpSession& operator=(const SftpSession&) = delete;

    // Starts sftp and waits until it takes commands, i.e. the log-in succeeded.
    // Throws ProcessStartError and the failures above; CancellationError when
    // `stop` says so while waiting.
    void start(std::chrono::milliseconds readyWait, const CancellationToken& stop = {});
    bool isRunning() { return m_process.isRunning(); }
    pid_t processId() const { return m_process.processId(); }

    // `commands` are complete lines. The wait is reset whenever `progress`
    // (when given) reports a new value, so a transfer that keeps moving is never
    // cut off. When `stop` says so, sftp is ended and CancellationError thrown;
    // an answer longer than a listing may be (FtpListing::maximumBytes) ends it
    // with RemoteTransportError::listingTooLarge.
    Answer exchange(const QByteArray& commands, std::chrono::milliseconds wait,
                    const std::function<qint64()>& progress = {}, const CancellationToken& stop = {});
    // The same in two halves, so that several commands can be on their way at
    // once: send() returns the marker that closes the commands' answer, and
    // receive() takes the answers in the order they were sent.
    QByteArray send(const QByteArray& commands, std::chrono::milliseconds wait);
    Answer receive(const QByteArray& marker, std::chrono::milliseconds wait,
                   const std::function<qint64()>& progress = {}, const CancellationToken& stop = {});

    // Ends sftp (its input closed first, so it can leave on its own).
    void stop();

private:
    QString awaitMarker(SFTPPromptBuffer& buffer, const QByteArray& marker, std::chrono::milliseconds wait,
                        Clock::time_point& deadline, const std::function<qint64()>& progress,
                        const CancellationToken& stop);
    [[noreturn]] void failClosed();
    [[noreturn]] void failTimeout();
    void recordEnd(const ChildExit& end);

    QString m_host;
    qint64 m_port;
    std::shared_ptr<SFTPPromptBuffer> m_output = std::make_shared<SFTPPromptBuffer>();
    std::shared_ptr<SFTPPromptBuffer> m_errors = std::make_shared<SFTPPromptBuffer>();
    InteractiveProcess m_process;
    bool m_started = false;
    bool m_stopped = false;
};
