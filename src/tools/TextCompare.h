#pragma once

#include "core/CancellationToken.h"
#include "core/FileUrl.h"

#include <QString>
#include <QStringList>
#include <vector>

// Line-by-line comparison of two text files by position: line n on the left
// against line n on the right, no alignment of inserted lines.
namespace TextCompare {

// Each file is compared up to this many bytes.
constexpr qint64 readLimit = 4 * 1024 * 1024;

struct LinesRead {
    QStringList lines;
    bool truncated = false; // the file is longer than the read limit
};

// The file's first 4 MiB as UTF-8 (invalid sequences replaced), split into
// lines. Throws what readFileHead throws.
LinesRead readLines(const FileUrl& url, const CancellationToken& token = {});

// Every single line-break character (LF, VT, FF, CR, U+0085, U+2028, U+2029)
// ends a line by itself: CR LF gives an empty line between the two, a break at
// the end gives a final empty line, an empty text one empty line.
QStringList splitLines(const QString& text);

// The background of one shown line.
enum class LineShade : quint8 {
    none,
    changed, // present, and different from the other side
    missing  // the file has fewer lines
};

struct Side {
    QString text;                  // "%6d  %s\n" per line
    std::vector<LineShade> shades; // one per line
};

struct Comparison {
    Side left;
    Side right;
    qsizetype differences = 0; // pairs that differ; a missing line counts as empty text
};

// Both sides get as many lines as the longer file has.
Comparison compareLines(const QStringList& left, const QStringList& right, const CancellationToken& token = {});

// "n abweichende Zeile(n)", with a note when a file was cut at 4 MB.
QString status(qsizetype differences, bool truncated);

} // namespace TextCompare
