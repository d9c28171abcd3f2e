#include "remote/SftpSession.h"

#include "remote/FtpListing.h"
#include "remote/RemoteDiagnostics.h"
#include "remote/RemoteTransportError.h"
#include "remote/SftpCommand.h"
#include "remote/SftpTransportError.h"

#include <QUuid>

namespace {

using std::chrono::milliseconds;

// How soon a stop is noticed; data wakes the wait at once.
constexpr milliseconds pollInterval{100};
// sftp leaves on its own within moments once its input ends.
constexpr milliseconds stopGrace{1000};
// After sftp ended, its last words may still be in the pipe.
constexpr milliseconds lastWordsWait{1000};
constexpr qsizetype tailLimit = 4000;

QByteArray freshMarker(const char* kind)
{
    return QByteArray("__BRVK_") + kind + '_' + QUuid::createUuid().toByteArray(QUuid::WithoutBraces) + "__";
}

} // namespace

SftpSession::SftpSession(QString host, qint64 port, QByteArray program, QList<QByteArray> arguments,
                         ChildProcess::Environment environment)
    : m_host(std::move(host)), m_port(port),
      m_process(std::move(program), std::move(arguments), std::move(environment),
                {[output = m_output](QByteArrayView data) { output->append(data); },
                 [errors = m_errors](QByteArrayView data) { errors->append(data); },
                 [output = m_output, errors = m_errors] {
                     output->close();
                     errors->close();
                 }})
{
}

SftpSession::~SftpSession()
{
    stop();
}

void SftpSession::start(milliseconds readyWait, const CancellationToken& stop)
{
    m_process.start();
    m_started = true;
    // Everything sftp says while logging in ("Connected to …") goes with the
    // ready marker, so the first command's answer holds only its own lines.
    exchange({}, readyWait, {}, stop);
}

SftpSession::Answer SftpSession::exchange(const QByteArray& commands, milliseconds wait,
                                          const std::function<qint64()>& progress, const CancellationToken& stop)
{
    return receive(send(commands, wait), wait, progress, stop);
}

QByteArray SftpSession::send(const QByteArray& commands, milliseconds wait)
{
    const QByteArray marker = freshMarker(commands.isEmpty() ? "READY" : "DONE");
    // A failed write means sftp has ended; waiting for the answer tells how and why.
    m_process.write(commands + SftpCommand::markerCommand(marker), wait);
    return marker;
}

SftpSession::Answer SftpSession::receive(const QByteArray& marker, milliseconds wait,
                                         const std::function<qint64()>& progress, const CancellationToken& stop)
{
    Clock::time_point deadline = Clock::now() + wait;
    const QString output = awaitMarker(*m_output, marker, wait, deadline, progress, stop);
    const QString errors = awaitMarker(*m_errors, marker, wait, deadline, progress, stop);
    return {SftpCommand::answerLines(output, marker), SftpCommand::answerLines(errors, marker)};
}

QString SftpSession::awaitMarker(SFTPPromptBuffer& buffer, const QByteArray& marker, milliseconds wait,
                                 Clock::time_point& deadline, const std::function<qint64()>& progress,
                                 const CancellationToken& stop)
{
    std::optional<qint64> lastProgress = progress ? std::optional(progress()) : std::nullopt;
    for (;;) {
        const quint64 seen = buffer.generation();
        if (std::optional<QString> text = buffer.take(marker))
            return *text;
        if (buffer.didClose() || !m_process.isRunning())
            failClosed();
        if (stop.isCancelled()) {
            this->stop();
            throw CancellationError();
        }
        if (buffer.size() > FtpListing::maximumBytes) {
            this->stop();
            throw RemoteTransportError::listingTooLarge(QString());
        }
        const Clock::time_point now = Clock::now();
        if (now >= deadline) {
            if (!progress || progress() == lastProgress)
                failTimeout();
            lastProgress = progress();
            deadline = now + wait;
        }
        buffer.waitForChange(seen, std::min(deadline, now + pollInterval));
    }
}

void SftpSession::failClosed()
{
    const Clock::time_point until = Clock::now() + lastWordsWait;
    while (!m_errors->didClose() && Clock::now() < until)
        m_errors->waitForChange(m_errors->generation(), std::min(until, Clock::now() + pollInterval));
    const QString tail = m_errors->tail(tailLimit).trimmed();
    SFTPDiagnostics::shared().record(QStringLiteral("Sitzung vor Abschlussmarke geschlossen; Servermeldung vorhanden: ")
                                     + (tail.isEmpty() ? QStringLiteral("false") : QStringLiteral("true")));
    QString message = QStringLiteral("Die SFTP-Sitzung wurde vom Server geschlossen.");
    if (!tail.isEmpty())
        message += QStringLiteral("\nLetzte Meldung: ") + SftpCommand::safeServerMessage(tail);
    stop();
    throw SFTPTransportError::command(message);
}

void SftpSession::failTimeout()
{
    stop();
    throw SFTPTransportError::timeout(m_host, m_port);
}

void SftpSession::stop()
{
    if (!m_started || m_stopped)
        return;
    m_stopped = true;
    recordEnd(m_process.stop(stopGrace));
}

void SftpSession::recordEnd(const ChildExit& end)
{
    // Termination reasons as the platform counts them: 1 an exit, 2 a signal.
    const bool signalled = end.terminationSignal != 0;
    SFTPDiagnostics::shared().record(QStringLiteral("OpenSSH-Prozess beendet: Status %1, Grund %2")
                                         .arg(signalled ? end.terminationSignal : end.exitStatus)
                                         .arg(signalled ? 2 : 1));
}
