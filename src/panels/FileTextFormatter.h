#pragma once

#include "core/FileItem.h"

#include <QLocale>
#include <QString>
#include <optional>

// The texts of the file table and the status line. Built once per panel: the
// locale and its date format are looked up here, not per cell.
class FileTextFormatter {
public:
    explicit FileTextFormatter(const QLocale& locale = QLocale());

    // Numeric date and short time; "—" without a date.
    QString date(const std::optional<FileTime>& time) const;

    static QString nameCell(const FileItem& item, bool marked);
    static QString extensionCell(const FileItem& item);
    // A computed folder size wins, then "…" while computing, then "<DIR>".
    QString sizeCell(const FileItem& item, std::optional<qint64> calculatedSize, bool calculating) const;
    static QString kindCell(const FileItem& item);

    // "2 gewählt · 1,2 MB     15 Objekte     Frei: 120,5 GB"; "—" without a free-space figure.
    QString localStatus(qsizetype selectedCount, qint64 selectedBytes, qsizetype visibleRows,
                        std::optional<qint64> freeBytes) const;

private:
    QLocale m_locale;
    QString m_dateFormat;
};
