#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

// What one output stream of the sftp process has said so far, shared between
// the reader that appends and the transport that waits for a marker. Every
// change counts up a generation, so a waiter that looked at the buffer never
// misses data that arrived just after it looked. sftp writes a listing line by
// line, so waiters are woken only when the line with the marker last asked for
// is complete, at the end, and every megabyte (for the size limit); a waiter
// that also wants to see time pass waits with a time limit.
class SFTPPromptBuffer {
public:
    using Clock = std::chrono::steady_clock;

    void append(QByteArrayView data);
    // The stream has ended; wakes every waiter.
    void close();
    bool didClose() const;
    quint64 generation() const;
    // Bytes held (not yet taken).
    qsizetype size() const;

    // When a whole line holding `marker` has arrived: removes everything up to
    // and including that line and returns it as text (invalid UTF-8 replaced).
    // The marker is a fresh secret of this program that no server ever sees, so
    // it cannot stand in a server's answer.
    std::optional<QString> take(const QByteArray& marker);
    // The last `limit` characters, as text; nothing is removed.
    QString tail(qsizetype limit) const;

    // Returns once the generation has moved past `seen` and a wake-up came, or at `until`.
    void waitForChange(quint64 seen, Clock::time_point until) const;

private:
    static constexpr qsizetype wakeEveryBytes = 1024 * 1024;

    // Where the line holding `m_searchedMarker` ends; -1 while it has not
    // fully arrived. With the mutex held.
    qsizetype markerLineEnd();

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    QByteArray m_bytes;
    bool m_closed = false;
    quint64 m_generation = 0;
    // Where the search for `m_searchedMarker` may resume: the bytes before it
    // were searched already.
    QByteArray m_searchedMarker;
    qsizetype m_searchFrom = 0;
    qsizetype m_sizeAtWake = 0;
};
