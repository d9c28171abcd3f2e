#pragma once

#include "core/CancellationToken.h"
#include "core/FileUrl.h"
#include "tools/SerialExecutor.h"

#include <QDateTime>
#include <QFuture>
#include <QList>
#include <QString>
#include <optional>

// Finds entries below a folder by name, size, modification date and text
// contained in them. Stateless work on its own serial executor; each search
// window owns one engine. Cancelling a future stops its walk before the next
// entry or chunk.
class SearchEngine {
public:
    struct Options {
        QString query;   // trimmed; empty: no name criterion
        QString content; // trimmed; empty: no content criterion
        bool recursive = true;
        std::optional<qint64> minimumSize; // bytes, inclusive
        std::optional<qint64> maximumSize;
        std::optional<QDateTime> modifiedAfter;
    };

    // Larger files are never searched for text.
    static constexpr qint64 contentSizeLimit = 67108864;

    // Matching entries in the order the walk meets them, at most `limit`.
    QFuture<QList<FileUrl>> search(FileUrl root, Options options, qsizetype limit);
    QFuture<bool> containsText(FileUrl url, QString needle);

    // The same work on the calling thread.
    static QList<FileUrl> searchNow(const FileUrl& root, const Options& options, qsizetype limit,
                                    const CancellationToken& token = {});
    // False for anything but a regular file (or a link to one).
    static bool containsTextNow(const FileUrl& url, const QString& needle, const CancellationToken& token = {});

private:
    SerialExecutor m_executor;
};
