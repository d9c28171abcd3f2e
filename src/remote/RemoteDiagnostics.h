#pragma once

#include <QMutex>
#include <QString>

// The diagnostic log of one remote transport: where its file lives, and the
// messages the transport hands over, kept as ISO 8601 time-stamped lines. The
// messages hold fixed texts and numbers only, never names, paths or secrets.
// Logging never stops an operation: a log that cannot be written is skipped.
class RemoteDiagnostics {
public:
    // Creates the log's folder (with parents; a failure is ignored), not the file.
    explicit RemoteDiagnostics(QString filePath);
    RemoteDiagnostics(const RemoteDiagnostics&) = delete;
    RemoteDiagnostics& operator=(const RemoteDiagnostics&) = delete;

    const QString& path() const { return m_path; }
    // Safe from any thread; lines keep the order of the calls.
    void record(const QString& message);

    // A log past this size is moved aside to "<name>.1" (replacing the older one).
    static constexpr qint64 rotationSize = 1 << 20;

private:
    QString m_path;
    QMutex m_mutex;
};

// The curl provider's log and the summary a failed curl run shows the user.
class FTPDiagnostics : public RemoteDiagnostics {
public:
    using RemoteDiagnostics::RemoteDiagnostics;
    // "FTP-Diagnose.log" in the program's log folder; created on first use.
    static FTPDiagnostics& shared();

    // The last line of curl's error output that starts with "curl:" or tells of a
    // refused log-in, a failed action or a time-out; otherwise a sentence with
    // the exit status that points at this log.
    QString failureSummary(const QString& standardError, int status) const;
};

// The OpenSSH transport's log.
class SFTPDiagnostics : public RemoteDiagnostics {
public:
    using RemoteDiagnostics::RemoteDiagnostics;
    // "SFTP-Diagnose.log" in the program's log folder; created on first use.
    static SFTPDiagnostics& shared();
};
