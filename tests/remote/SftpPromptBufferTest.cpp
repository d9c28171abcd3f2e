#include "remote/SftpPromptBuffer.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

const QByteArray marker = "__BRVK_DONE_42__";

TEST(SftpPromptBuffer, AnswerEndsWithTheWholeLineHoldingTheMarker)
{
    SFTPPromptBuffer buffer;
    buffer.append("sftp> ls -la \"/d\"\n-rw-r--r-- ? u g 1 Dec 6 08:19 caf\xc3\n\xffsftp> lcd /dev/null/__BRVK_DO");
    EXPECT_EQ(buffer.take(marker), std::nullopt);
    buffer.append("NE_42__");
    // Complete only with its line end: the rest of the line belongs to it.
    EXPECT_EQ(buffer.take(marker), std::nullopt);
    buffer.append(": Not a directory\r\nnext answer");
    const std::optional<QString> answer = buffer.take(marker);
    ASSERT_TRUE(answer);
    EXPECT_TRUE(answer->startsWith(QStringLiteral("sftp> ls -la")));
    EXPECT_TRUE(answer->contains(QStringLiteral("caf\uFFFD\n\uFFFDsftp>")));
    EXPECT_TRUE(answer->endsWith(QStringLiteral("Not a directory\r\n")));
    EXPECT_EQ(buffer.tail(100), QStringLiteral("next answer"));
    EXPECT_EQ(buffer.take(marker), std::nullopt);
}

TEST(SftpPromptBuffer, WaitersWakeForDataAndForTheEnd)
{
    SFTPPromptBuffer buffer;
    const auto forever = SFTPPromptBuffer::Clock::now() + std::chrono::hours(1);
    // Data that arrived after the waiter looked is never missed.
    const quint64 seen = buffer.generation();
    buffer.append("x");
    buffer.waitForChange(seen, forever);
    EXPECT_FALSE(buffer.didClose());
    std::thread closer([&] { buffer.close(); });
    buffer.waitForChange(seen + 1, forever);
    closer.join();
    EXPECT_TRUE(buffer.didClose());
}

} // namespace
