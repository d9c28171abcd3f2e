#include "remote/SftpPromptBuffer.h"

#include <algorithm>

void SFTPPromptBuffer::append(QByteArrayView data)
{
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        if (!data.isEmpty())
            m_bytes.append(data);
        ++m_generation;
        wake = m_searchedMarker.isEmpty() || markerLineEnd() >= 0 || m_bytes.size() - m_sizeAtWake >= wakeEveryBytes;
        if (wake)
            m_sizeAtWake = m_bytes.size();
    }
    if (wake)
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

qsizetype SFTPPromptBuffer::size() const
{
    std::lock_guard lock(m_mutex);
    return m_bytes.size();
}

quint64 SFTPPromptBuffer::generation() const
{
    std::lock_guard lock(m_mutex);
    return m_generation;
}

qsizetype SFTPPromptBuffer::markerLineEnd()
{
    const qsizetype at = m_bytes.indexOf(m_searchedMarker, m_searchFrom);
    if (at < 0) {
        // A marker may still be arriving: search its possible start again.
        m_searchFrom = std::max<qsizetype>(0, m_bytes.size() - m_searchedMarker.size());
        return -1;
    }
    m_searchFrom = at;
    return m_bytes.indexOf('\n', at + m_searchedMarker.size());
}

std::optional<QString> SFTPPromptBuffer::take(const QByteArray& marker)
{
    std::lock_guard lock(m_mutex);
    if (marker != m_searchedMarker) {
        m_searchedMarker = marker;
        m_searchFrom = 0;
    }
    const qsizetype lineEnd = markerLineEnd();
    if (lineEnd < 0)
        return std::nullopt;
    const QString text = QString::fromUtf8(m_bytes.constData(), lineEnd + 1);
    m_bytes.remove(0, lineEnd + 1);
    m_searchFrom = 0;
    m_sizeAtWake = 0;
    return text;
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
