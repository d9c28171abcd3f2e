#include "sync/SyncPlanItem.h"

#include <array>

namespace {

const std::array<QString, 3> rawValues = {QStringLiteral("Links → Rechts"), QStringLiteral("Rechts → Links"),
                                          QStringLiteral("Konflikt")};

constexpr qint64 nanosecondsPerSecond = 1000000000;

QString sizes(const SyncPlanItem& item)
{
    return QStringLiteral(" · %1 / %2 Bytes").arg(item.left.size).arg(item.right.size);
}

} // namespace

QString rawValue(SyncAction action)
{
    return rawValues.at(size_t(action));
}

std::optional<SyncAction> syncActionFromRawValue(const QString& text)
{
    for (size_t i = 0; i < rawValues.size(); ++i) {
        if (rawValues[i] == text)
            return SyncAction(i);
    }
    return std::nullopt;
}

bool sameContentsLikely(const SyncEntryState& a, const SyncEntryState& b)
{
    if (a.size != b.size)
        return false;
    const qint64 earlier = std::min(a.modifiedNs, b.modifiedNs);
    const qint64 later = std::max(a.modifiedNs, b.modifiedNs);
    // Unknown dates are the most distant past; the subtraction must not overflow.
    if (later < SyncEntryState::unknownTime + nanosecondsPerSecond)
        return true;
    return later - nanosecondsPerSecond < earlier;
}

QString SyncPlanItem::detail() const
{
    switch (action) {
    case SyncAction::copyLeftToRight:
        return right.exists() ? QStringLiteral("Links neuer") + sizes(*this) : QStringLiteral("Nur links vorhanden");
    case SyncAction::copyRightToLeft:
        return left.exists() ? QStringLiteral("Rechts neuer") + sizes(*this) : QStringLiteral("Nur rechts vorhanden");
    case SyncAction::conflict:
        return left.isFolder() != right.isFolder() ? QStringLiteral("Datei/Ordner-Konflikt")
                                                   : QStringLiteral("Gleiche Zeit, unterschiedliche Größe");
    }
    return {};
}

QString planLine(const SyncPlanItem& item)
{
    return rawValue(item.action) + QLatin1Char('\t') + item.relativePath() + QLatin1Char('\t') + item.detail();
}
