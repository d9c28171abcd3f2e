#include "core/SystemError.h"
#include "operations/FileOperationQueue.h"
#include "platform/LocalFileTestSupport.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

using Queue = FileOperationQueue;
using namespace LocalFileTest;

TEST(FileOperationTrash, TrashAndRestoreRoundTrip)
{
    TempFolder folder;
    const FileUrl file = folder.write("Notiz \xe4.txt", "text");
    const FileUrl tree = folder.write("Ordner/tief/datei", "tief").parent().parent();
    const auto before = snapshot(folder.url());
    Queue queue;
    QList<qsizetype> progress;
    const QList<Queue::TrashRecord> records =
        queue.trash({file, tree}, [&](qsizetype done, qsizetype, const FileUrl&) { progress.append(done); }).result();
    EXPECT_EQ(progress, (QList<qsizetype>{0, 1, 2}));
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[1].location, tree);
    EXPECT_TRUE(snapshot(folder.url()).isEmpty());
    // Last first; a place taken meanwhile stops the undo, and a retry restores only what is still in the trash.
    folder.write(file.nativeFileName(), "neu");
    EXPECT_THROW(queue.restoreFromTrash(records).waitForFinished(), SystemError);
    const QList<Queue::TrashRecord> remaining = queue.stillInTrash(records).result();
    EXPECT_EQ(remaining, QList<Queue::TrashRecord>{records[0]});
    ASSERT_EQ(unlink(file.nativePath().constData()), 0);
    queue.restoreFromTrash(remaining).waitForFinished();
    EXPECT_EQ(snapshot(folder.url()), before);
}

TEST(FileOperationTrash, FirstErrorEndsTrashingAndEarlierEntriesStayTrashed)
{
    TempFolder folder;
    const FileUrl first = folder.write("erste", "1");
    const FileUrl missing = folder.file("gibt-es-nicht");
    const FileUrl third = folder.write("dritte", "3");
    Queue queue;
    const auto error = thrown<SystemError>(
        [&] { queue.trash({first, missing, third}, [](qsizetype, qsizetype, const FileUrl&) {}).waitForFinished(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), ENOENT);
    EXPECT_EQ(error->nativePath(), missing.nativePath());
    EXPECT_FALSE(exists(first));
    EXPECT_TRUE(exists(third));
}

} // namespace
