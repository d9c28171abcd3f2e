#include "remote/SftpPromptBuffer.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

const QByteArray marker = "__BRVK_DONE_42__";

TEST(SftpPromptBuffer, OnlyTheMarkerOnALineOfItsOwnEndsAnAnswer)
{
    SFTPPromptBuffer buffer;
    // sftp's echo of the marker command, and a listed name made of the marker
    // text, come before the shell's output and must not end the answer.
    buffer.append("sftp> ls -la \"/d\"\n-rw-r--r-- ? u g 1 Dec 6 08:19 /d/__BRVK_DONE_42__\n");
    buffer.append("sftp> !echo __BRVK_DONE_42__; echo __BRVK_DONE_42__ >&2\n__BRVK_DONE_4");
    EXPECT_EQ(buffer.take(marker), std::nullopt);
    buffer.append("2__");
    // Complete only with its line end: a longer line could still follow.
    EXPECT_EQ(buffer.take(marker), std::nullopt);
    buffer.append("\r\nnext answer");
    const std::optional<QString> answer = buffer.take(marker);
    ASSERT_TRUE(answer);
    EXPECT_TRUE(answer->startsWith(QStringLiteral("sftp> ls -la")));
    EXPECT_TRUE(answer->endsWith(QStringLiteral("\n__BRVK_DONE_42__")));
    EXPECT_EQ(buffer.tail(100), QStringLiteral("next answer"));
    EXPECT_EQ(buffer.take(marker), std::nullopt);
}

TEST(SftpPromptBuffer, MarkerAtTheVeryStartAndInvalidUtf8)
{
    SFTPPromptBuffer buffer;
    buffer.append(marker + "\n");
    EXPECT_EQ(buffer.take(marker), QString::fromLatin1(marker));
    buffer.append("caf\xc3\n\xff" + marker + "\n" + marker + "\n");
    // The marker glued to other bytes is no marker line.
    EXPECT_EQ(buffer.take(marker), QStringLiteral("caf\uFFFD\n\uFFFD") + QString::fromLatin1(marker) + u'\n'
                                       + QString::fromLatin1(marker));
    EXPECT_EQ(buffer.tail(10), QString());
}

TEST(SftpPromptBuffer, TailKeepsTheBufferAndCountsCharacters)
{
    SFTPPromptBuffer buffer;
    buffer.append("Verbindung: äöü");
    EXPECT_EQ(buffer.tail(3), QStringLiteral("äöü"));
    EXPECT_EQ(buffer.tail(1000), QStringLiteral("Verbindung: äöü"));
}

TEST(SftpPromptBuffer, WaitersWakeForDataAndForTheEnd)
{
    SFTPPromptBuffer buffer;
    const auto forever = SFTPPromptBuffer::Clock::now() + std::chrono::hours(1);

    // Data that arrived after the waiter looked is never missed.
    const quint64 seen = buffer.generation();
    buffer.append("x");
    buffer.waitForChange(seen, forever);

    std::thread writer([&] { buffer.append({}); });
    buffer.waitForChange(seen + 1, forever);
    writer.join();
    EXPECT_EQ(buffer.tail(10), QStringLiteral("x"));

    EXPECT_FALSE(buffer.didClose());
    const quint64 beforeClose = buffer.generation();
    std::thread closer([&] { buffer.close(); });
    buffer.waitForChange(beforeClose, forever);
    closer.join();
    EXPECT_TRUE(buffer.didClose());
}

} // namespace
