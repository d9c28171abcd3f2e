#pragma once

#include "core/CancellationToken.h"
#include "core/FileItem.h"

#include <QFuture>
#include <QList>
#include <QSet>
#include <QThreadPool>
#include <atomic>

// The engine's result: what to mark in each panel, and how many names matched.
struct DirectoryComparison {
    QSet<FileUrl> leftMarks;  // left entries missing on the right or differing from their namesake
    QSet<FileUrl> rightMarks; // the same for the right folder
    qsizetype identicalCount = 0;
};

// Puts two folders side by side, one level deep, hidden entries included. Names
// match exactly (case counts). A pair is equal when both are folders, or both
// are no folders and have the same size; dates, contents and the contents of
// sub-folders are not looked at. A serial executor: one comparison at a time,
// never on the GUI thread.
class DirectoryCompareEngine {
public:
    DirectoryCompareEngine();
    // Stops a running comparison at its next entry and waits for it.
    ~DirectoryCompareEngine();
    DirectoryCompareEngine(const DirectoryCompareEngine&) = delete;
    DirectoryCompareEngine& operator=(const DirectoryCompareEngine&) = delete;

    // Ends with the listing's SystemError, or cancelled when the future is cancelled.
    QFuture<DirectoryComparison> compare(const FileUrl& left, const FileUrl& right);

    // The comparison of two listings, usable without an executor.
    static DirectoryComparison compareListings(const QList<FileItem>& left, const QList<FileItem>& right,
                                               const CancellationToken& token = {});

private:
    std::atomic_bool m_stopping = false;
    QThreadPool m_pool;
};
