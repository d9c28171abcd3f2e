#include "panels/FileTextFormatter.h"

#include "core/ByteCount.h"

#include <QDateTime>

FileTextFormatter::FileTextFormatter(const QLocale& locale)
    : m_locale(locale), m_dateFormat(locale.dateTimeFormat(QLocale::ShortFormat))
{
}

QString FileTextFormatter::date(const std::optional<FileTime>& time) const
{
    if (!time)
        return QStringLiteral("—");
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(time->time_since_epoch());
    return m_locale.toString(QDateTime::fromMSecsSinceEpoch(milliseconds.count()), m_dateFormat);
}

QString FileTextFormatter::nameCell(const FileItem& item, bool marked)
{
    return marked ? QStringLiteral("✓ ") + item.name() : item.name();
}

QString FileTextFormatter::extensionCell(const FileItem& item)
{
    return item.isDirectory ? QString() : item.url.pathExtension();
}

QString FileTextFormatter::sizeCell(const FileItem& item, std::optional<qint64> calculatedSize,
                                    bool calculating) const
{
    if (calculatedSize)
        return ByteCount::text(*calculatedSize);
    if (calculating)
        return QStringLiteral("…");
    if (item.isDirectory)
        return QStringLiteral("<DIR>");
    return ByteCount::text(item.size);
}

QString FileTextFormatter::kindCell(const FileItem& item)
{
    return item.isSymbolicLink ? QStringLiteral("Link") : item.kind();
}

QString FileTextFormatter::localStatus(qsizetype selectedCount, qint64 selectedBytes, qsizetype visibleRows,
                                       std::optional<qint64> freeBytes) const
{
    const QString free = freeBytes ? ByteCount::text(*freeBytes) : QStringLiteral("—");
    return QStringLiteral("%1 gewählt · %2     %3 Objekte     Frei: %4")
        .arg(QString::number(selectedCount), ByteCount::text(selectedBytes), QString::number(visibleRows), free);
}
