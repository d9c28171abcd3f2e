#include "tools/ChecksumEngine.h"

#include "core/SystemError.h"
#include "support/TestEnvironment.h"
#include "tools/RegularFile.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <sys/stat.h>

TEST(ChecksumEngineTest, DigestsAgreeWithAnIndependentImplementationAcrossBlocks)
{
    TempFolder folder;
    QByteArray large(qsizetype(ChecksumEngine::blockSize) * 2 + 12345, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(large.data()), large.size() / 4);
    const QList<FileUrl> files = {folder.write("leer"), folder.write("abc.txt", "abc"), folder.write("groß.bin", large)};
    ChecksumEngine engine;
    const QList<ChecksumEngine::Result> results = engine.sha256(files).result();
    ASSERT_EQ(results.size(), 3);
    EXPECT_EQ(results[0].digest, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(results[1].digest, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(results[2].digest, QString::fromLatin1(QCryptographicHash::hash(large, QCryptographicHash::Sha256).toHex()));
    EXPECT_EQ(results[2].url, files[2]);
    EXPECT_EQ(ChecksumEngine::clipboardText(results.mid(0, 2)),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855  leer\n"
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad  abc.txt");
}

TEST(ChecksumEngineTest, SpecialAndProtectedFilesEndTheRunWithoutBlocking)
{
    TempFolder folder;
    const FileUrl text = folder.write("a.txt", "a");
    const FileUrl fifo = folder.file("röhre");
    ASSERT_EQ(mkfifo(fifo.nativePath().constData(), 0644), 0);
    EXPECT_THROW(ChecksumEngine::sha256Now({text, fifo}), NotRegularFileError);
    EXPECT_THROW(ChecksumEngine::sha256Now({folder.url()}), NotRegularFileError);

    const FileUrl locked = folder.write("geschützt", "x");
    ASSERT_EQ(chmod(locked.nativePath().constData(), 0), 0);
    EXPECT_EQ(runUnprivileged([&] {
        try {
            ChecksumEngine::sha256Now({text, locked});
        } catch (const SystemError& error) {
            return error.code() == EACCES ? 0 : 2;
        }
        return 1;
    }), 0);
}
