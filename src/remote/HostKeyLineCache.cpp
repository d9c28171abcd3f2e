#include "remote/HostKeyLineCache.h"

HostKeyLineCache& HostKeyLineCache::shared()
{
    static HostKeyLineCache instance;
    return instance;
}

QString HostKeyLineCache::key(const QString& host, qint64 port, const QString& fingerprint)
{
    return host.toLower() + u':' + QString::number(port) + u':' + fingerprint;
}

std::optional<QString> HostKeyLineCache::line(const QString& host, qint64 port, const QString& fingerprint) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_lines.constFind(key(host, port, fingerprint));
    if (found == m_lines.constEnd())
        return std::nullopt;
    return *found;
}

void HostKeyLineCache::store(const QString& host, qint64 port, const QString& fingerprint, const QString& line)
{
    std::lock_guard lock(m_mutex);
    m_lines.insert(key(host, port, fingerprint), line);
}
