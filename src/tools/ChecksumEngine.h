#pragma once

#include "core/CancellationToken.h"
#include "core/FileUrl.h"
#include "tools/SerialExecutor.h"

#include <QFuture>
#include <QList>
#include <QString>

// SHA-256 digests of files, on its own serial executor; the commander window
// owns one. A cancelled future stops within one block.
class ChecksumEngine {
public:
    struct Result {
        FileUrl url;
        QString digest; // 64 lower-case hexadecimal digits
        friend bool operator==(const Result&, const Result&) = default;
    };

    static constexpr qsizetype blockSize = 1048576;

    // One result per url in order, or the first error (SystemError, or
    // NotRegularFileError for a folder, device or FIFO) and nothing else.
    QFuture<QList<Result>> sha256(QList<FileUrl> urls);

    static QList<Result> sha256Now(const QList<FileUrl>& urls, const CancellationToken& token = {});
    static QString sha256Of(const FileUrl& url, const CancellationToken& token = {});

    // "digest  name" per result, joined by line feeds, without a final one.
    static QString clipboardText(const QList<Result>& results);

private:
    SerialExecutor m_executor;
};
