#pragma once

#include <QHash>
#include <QString>
#include <mutex>
#include <optional>

// The known-hosts lines of host keys whose fingerprints were seen during this
// run, so that a connection right after the user confirmed a fingerprint does
// not scan the server again. Process-wide; entries stay until the program ends.
class HostKeyLineCache {
public:
    static HostKeyLineCache& shared();

    std::optional<QString> line(const QString& host, qint64 port, const QString& fingerprint) const;
    void store(const QString& host, qint64 port, const QString& fingerprint, const QString& line);

private:
    // The host in lower case, ":", the port, ":", the fingerprint.
    static QString key(const QString& host, qint64 port, const QString& fingerprint);

    mutable std::mutex m_mutex;
    QHash<QString, QString> m_lines;
};
