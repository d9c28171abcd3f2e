#include "remote/SftpPromptBuffer.h"

#include <algorithm>

void SFTPPromptBuffer::append(QByteArrayView data)
{
    {
        std::lock_guard lock(m_mutex);
        if (!data.isEmpty())
            m_bytes.append(data);
        ++m_generation;
    }
    m_changed.notify_all();
}

void SFTPPromptBuffer::close()
{
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        ++m_generation;
    }
    m_changed.notify_all();
}

bool SFTPPromptBuffer::didClose() const
{
    std::lock_guard lock(m_mutex);
    return m_closed;
}

quint64 SFTPPromptBuffer::generation() const
{
    std::lock_guard lock(m_mutex);
    return m_generation;
}

std::optional<QString> SFTPPromptBuffer::take(const QByteArray& marker)
{
    std::lock_guard lock(m_mutex);
    if (marker != m_searchedMarker) {
        m_searchedMarker = marker;
        m_searchFrom = 0;
    }
    for (qsizetype at = m_bytes.indexOf(marker, m_searchFrom); at >= 0; at = m_bytes.indexOf(marker, at + 1)) {
        const qsizetype end = at + marker.size();
        const bool startsLine = at == 0 || m_bytes[at - 1] == '\n';
        if (!startsLine || end >= m_bytes.size() || (m_bytes[end] != '\n' && m_bytes[end] != '\r'))
            continue;
        qsizetype cut = end;
        if (m_bytes[cut] == '\r' && cut + 1 < m_bytes.size() && m_bytes[cut + 1] == '\n')
            ++cut;
        ++cut;
        const QString text = QString::fromUtf8(m_bytes.constData(), end);
        m_bytes.remove(0, cut);
        m_searchFrom = 0;
        return text;
    }
    // A marker line may still be arriving: search its possible start again.
    m_searchFrom = std::max<qsizetype>(0, m_bytes.size() - marker.size() - 2);
    return std::nullopt;
}

QString SFTPPromptBuffer::tail(qsizetype limit) const
{
    std::lock_guard lock(m_mutex);
    const QString text = QString::fromUtf8(m_bytes);
    return text.right(limit);
}

void SFTPPromptBuffer::waitForChange(quint64 seen, Clock::time_point until) const
{
    std::unique_lock lock(m_mutex);
    m_changed.wait_until(lock, until, [&] { return m_generation != seen; });
}
