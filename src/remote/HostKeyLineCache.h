#pragma once

#include "remote/KnownHostLine.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <mutex>
#include <optional>

// The known-hosts lines of host keys, so that connecting with a pinned
// fingerprint need not scan the server each time (a scan costs about as much
// as the log-in itself). Lines seen during this run stay in memory; lines a
// connection used are also kept in a file for later runs. A line read from
// that file counts only if its key has the pinned fingerprint and its host
// field names the host, so a changed or planted file can cost a scan, never
// let another key through.
class HostKeyLineCache {
public:
    // The shared cache keeps its file in the user's cache folder.
    static HostKeyLineCache& shared();
    explicit HostKeyLineCache(QString file);
    const QString& file() const { return m_file; }

    std::optional<QString> line(const QString& host, qint64 port, const QString& fingerprint);
    // Seen in a scan the user has yet to confirm: this run only.
    void remember(const QString& host, qint64 port, const QString& fingerprint, const QString& line);
    // Used for a connection: for later runs too.
    void keep(const QString& host, qint64 port, const QString& fingerprint, const QString& line);
    // The server no longer offers the key.
    void forget(const QString& host, qint64 port, const QString& fingerprint);

private:
    // The host in lower case, ":", the port, ":", the fingerprint.
    static QString key(const QString& host, qint64 port, const QString& fingerprint);
    std::optional<QString> lineFromFile(const QString& host, qint64 port, const QString& fingerprint) const;
    QList<KnownHostLine> fileLines() const;
    // Best effort: a file that cannot be written costs a scan next run.
    void writeFileLines(const QList<KnownHostLine>& lines) const;

    const QString m_file;
    std::mutex m_mutex;
    QHash<QString, QString> m_lines;
    QSet<QString> m_inFile;
};
