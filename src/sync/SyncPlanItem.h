#pragma once

#include <QByteArray>
#include <QString>
#include <limits>
#include <optional>

// What a planned item does. The order is part of the interface.
enum class SyncAction : quint8 { copyLeftToRight, copyRightToLeft, conflict };

// "Links → Rechts", "Rechts → Links", "Konflikt".
QString rawValue(SyncAction action);
// The action whose raw value is `text`; nothing for any other text.
std::optional<SyncAction> syncActionFromRawValue(const QString& text);

// One side of a path as the planner saw it. The executor compares the
// destination with this record before it replaces anything there.
struct SyncEntryState {
    enum class Kind : quint8 { absent, folder, file, link, other };
    static constexpr qint64 unknownTime = std::numeric_limits<qint64>::min();

    Kind kind = Kind::absent;
    qint64 size = 0;                  // bytes; 0 when unknown
    qint64 modifiedNs = unknownTime;  // nanoseconds since the epoch

    bool exists() const { return kind != Kind::absent; }
    bool isFolder() const { return kind == Kind::folder; }
    friend bool operator==(const SyncEntryState&, const SyncEntryState&) = default;
};

// Sizes equal and dates less than a second apart: the two count as the same file.
bool sameContentsLikely(const SyncEntryState& a, const SyncEntryState& b);

struct SyncPlanItem {
    // Below the compared folders, "/"-separated, no leading slash; the exact
    // bytes of the names, which need not be UTF-8.
    QByteArray nativeRelativePath;
    SyncAction action = SyncAction::conflict;
    SyncEntryState left;
    SyncEntryState right;

    // For display; bytes that are not UTF-8 show as U+FFFD.
    QString relativePath() const { return QString::fromUtf8(nativeRelativePath); }
    // The reason for the action ("Nur links vorhanden", "Links neuer · 100 / 90 Bytes" …).
    QString detail() const;
    // The side the action writes to (the right one for a conflict, which is never executed).
    const SyncEntryState& destination() const { return action == SyncAction::copyRightToLeft ? left : right; }
    const SyncEntryState& source() const { return action == SyncAction::copyRightToLeft ? right : left; }
};

// The line of one item in the copied plan: action, tab, path, tab, detail.
QString planLine(const SyncPlanItem& item);
