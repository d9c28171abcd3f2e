#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>

// One entry of the in-memory log. The message has already lost every path-like
// text; the category is kept as the caller gave it.
struct DiagnosticEvent {
    QDateTime timestamp;
    QString category;
    QString message;
};

// The process-wide, privacy-preserving event log. Confined to the GUI thread:
// it takes no lock, so every call must come from there. Nothing is written to
// disk; the diagnostics window exports the report on explicit request only.
class DiagnosticsStore {
public:
    static constexpr qsizetype maximumEvents = 500;
    using Clock = std::function<QDateTime()>;

    // Tests give their own clock; the shared store reads the wall clock in UTC.
    explicit DiagnosticsStore(Clock clock = &QDateTime::currentDateTimeUtc);
    DiagnosticsStore(const DiagnosticsStore&) = delete;
    DiagnosticsStore& operator=(const DiagnosticsStore&) = delete;

    static DiagnosticsStore& shared();

    // Appends one event; path-like runs in the message become "<Pfad entfernt>".
    // Only the newest maximumEvents events are kept.
    void record(const QString& category, const QString& message);

    const QList<DiagnosticEvent>& events() const { return m_events; }
    // Empties the log; the diagnostics window records its own event afterwards.
    void clear() { m_events.clear(); }

    // The export text: machine header, an empty line, then one line per event,
    // oldest first, joined by line feeds without one at the end.
    QString report() const;

private:
    Clock m_clock;
    QList<DiagnosticEvent> m_events;
};
