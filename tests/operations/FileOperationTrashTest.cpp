#include "core/SystemError.h"
#include "operations/FileOperationQueue.h"
#include "platform/LocalFileTestSupport.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

using Queue = FileOperationQueue;
using namespace LocalFileTest;

struct ProgressCall {
    qsizetype completed;
    qsizetype total;
    FileUrl url;
    friend bool operator==(const ProgressCall&, const ProgressCall&) = default;
};

// The error a future ended with, as the file layer threw it.
template <typename T>
int errorCodeOf(QFuture<T> future, QByteArray* path = nullptr)
{
    try {
        future.waitForFinished();
    } catch (const SystemError& error) {
        if (path)
            *path = error.nativePath();
        return error.code();
    }
    return 0;
}

TEST(FileOperationTrash, TrashAndRestoreRoundTrip)
{
    TempFolder folder;
    const FileUrl file = folder.write("Notiz \xe4.txt", "text");
    const FileUrl tree = folder.write("Ordner/tief/datei", "tief").parent().parent();
    const auto before = snapshot(folder.url());
    Queue queue;
    QList<ProgressCall> progress;
    const QList<Queue::TrashRecord> records =
        queue.trash({file, tree}, [&](qsizetype done, qsizetype total, const FileUrl& url) { progress.append({done, total, url}); })
            .result();
    EXPECT_EQ(progress, (QList<ProgressCall>{{0, 2, file}, {1, 2, tree}, {2, 2, tree}}));
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].location, file);
    EXPECT_EQ(readBytes(records[0].trashed), QByteArray("text"));
    EXPECT_EQ(readBytes(records[1].trashed.appending(QByteArray("tief/datei"))), QByteArray("tief"));
    EXPECT_TRUE(snapshot(folder.url()).isEmpty());

    queue.restoreFromTrash(records).waitForFinished();
    EXPECT_EQ(snapshot(folder.url()), before);
    EXPECT_FALSE(exists(records[0].trashed));
    EXPECT_FALSE(exists(records[1].trashed));
}

TEST(FileOperationTrash, EmptyListReportsTheHomeFolder)
{
    Queue queue;
    QList<ProgressCall> progress;
    EXPECT_TRUE(queue.trash({}, [&](qsizetype done, qsizetype total, const FileUrl& url) { progress.append({done, total, url}); })
                    .result()
                    .isEmpty());
    EXPECT_EQ(progress, (QList<ProgressCall>{{0, 0, FileUrl::fromNativePath(qgetenv("HOME"))}}));
}

TEST(FileOperationTrash, FirstErrorEndsTrashingAndEarlierEntriesStayTrashed)
{
    TempFolder folder;
    const FileUrl first = folder.write("erste", "1");
    const FileUrl missing = folder.file("gibt-es-nicht");
    const FileUrl third = folder.write("dritte", "3");
    Queue queue;
    QByteArray path;
    EXPECT_EQ(errorCodeOf(queue.trash({first, missing, third}, [](qsizetype, qsizetype, const FileUrl&) {}), &path), ENOENT);
    EXPECT_EQ(path, missing.nativePath());
    EXPECT_FALSE(exists(first));
    EXPECT_TRUE(exists(third));
}

} // namespace
