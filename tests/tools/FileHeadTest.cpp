#include "core/SystemError.h"
#include "support/TestEnvironment.h"
#include "tools/FileHead.h"

#include <QTest>
#include <QtConcurrent>
#include <cerrno>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

namespace {

// The read runs aside, so that a reader that blocks fails the test instead of hanging it.
QString refusalOf(const FileUrl& url)
{
    QFuture<QString> read = QtConcurrent::run([url] {
        try {
            readFileHead(url, 1024);
            return QStringLiteral("<gelesen>");
        } catch (const BrenvikError& error) {
            return error.typeName();
        }
    });
    if (!QTest::qWaitFor([&] { return read.isFinished(); }, 5000))
        return QStringLiteral("<hängt>");
    return read.result();
}

} // namespace

TEST(FileHead, SpecialFilesAreRefusedWithoutWaiting)
{
    TempFolder folder;
    const FileUrl fifo = folder.file("pipe");
    ASSERT_EQ(mkfifo(fifo.nativePath().constData(), 0644), 0);
    const FileUrl socketFile = folder.file("socket");
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, socketFile.nativePath().constData(), sizeof address.sun_path);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const FileUrl linkToFifo = folder.file("link");
    ASSERT_EQ(symlink("pipe", linkToFifo.nativePath().constData()), 0);

    EXPECT_EQ(refusalOf(fifo), QStringLiteral("NotRegularFileError"));
    EXPECT_EQ(refusalOf(linkToFifo), QStringLiteral("NotRegularFileError"));
    EXPECT_EQ(refusalOf(socketFile), QStringLiteral("NotRegularFileError"));
    EXPECT_EQ(refusalOf(FileUrl::fromNativePath("/dev/zero")), QStringLiteral("NotRegularFileError"));
    EXPECT_EQ(refusalOf(FileUrl::remote(QStringLiteral("p"), QStringLiteral("a.txt"))), QStringLiteral("NotRegularFileError"));
    close(listener);

    try {
        readFileHead(folder.url(), 1024);
        ADD_FAILURE() << "a folder was read";
    } catch (const SystemError& error) {
        EXPECT_EQ(error.code(), EISDIR);
    }
}

TEST(FileHead, ReadsUpToTheLimitAndKnowsTheSize)
{
    TempFolder folder;
    const FileUrl file = folder.write("data.bin", QByteArray(5000, 'z'));
    const FileHead head = readFileHead(file, 4096);
    EXPECT_EQ(head.bytes, QByteArray(4096, 'z'));
    EXPECT_EQ(head.size, 5000);
    EXPECT_EQ(readFileHead(file, 8192).bytes.size(), 5000);
    // Kernel files report no size and still have contents.
    EXPECT_FALSE(readFileHead(FileUrl::fromNativePath("/proc/self/status"), 8192).bytes.isEmpty());
}
