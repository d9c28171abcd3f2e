#include "core/SystemError.h"
#include "platform/LocalFileError.h"
#include "platform/LocalFileOperations.h"
#include "platform/LocalFileTestSupport.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

using namespace LocalFileTest;
using LocalFileOperations::AtTarget;

template <typename Error>
QString errorOf(const std::function<void()>& body)
{
    try {
        body();
    } catch (const Error& error) {
        return error.description();
    }
    return {};
}

TEST(LocalFileOperations, CopyKeepsModesTimesAndLinksButNeverAnotherUsersRights)
{
    TempFolder from;
    TempFolder to;
    const FileUrl own = from.write("Baum/eigenes", "#!/bin/sh\n");
    const FileUrl foreign = from.write("Baum/fremdes", "#!/bin/sh\n");
    ASSERT_EQ(lchown(foreign.nativePath().constData(), 65534, 65534), 0);
    for (const FileUrl& file : {own, foreign}) {
        ASSERT_EQ(chmod(file.nativePath().constData(), 06755), 0);
        setModificationTime(file, 1'234'567'890, 987'654'321);
    }
    from.write("Baum/nur-lesen/x", "x");
    ASSERT_EQ(chmod(from.file("Baum/nur-lesen").nativePath().constData(), 0500), 0);
    const FileUrl outside = to.write("ausserhalb", "nicht anfassen");
    ASSERT_EQ(symlink(outside.nativePath().constData(), from.file("Baum/raus").nativePath().constData()), 0);

    LocalFileOperations::copyItem(from.file("Baum"), to.file("Baum"), AtTarget::mustBeFree);
    auto expected = snapshot(from.file("Baum"));
    expected["fremdes"].replace("file 6755", "file 755");
    EXPECT_EQ(snapshot(to.file("Baum")), expected);
    EXPECT_EQ(lstatOf(to.file("Baum/fremdes")).st_uid, getuid());
    EXPECT_EQ(readBytes(outside), QByteArray("nicht anfassen"));
    EXPECT_TRUE(stagingLeftovers(to.url()).isEmpty());
}

TEST(LocalFileOperations, ExistingTargetIsAnErrorUnlessReplaced)
{
    TempFolder folder;
    const FileUrl file = folder.write("quelle/a", "neu");
    const FileUrl target = folder.write("ziel/a/alt", "alt").parent();
    EXPECT_TRUE(errorOf<SystemError>([&] { LocalFileOperations::copyItem(file, target, AtTarget::mustBeFree); })
                    .contains(QStringLiteral("existiert bereits")));
    EXPECT_TRUE(errorOf<SystemError>([&] { LocalFileOperations::moveItem(file, target, AtTarget::mustBeFree); })
                    .contains(QStringLiteral("existiert bereits")));
    EXPECT_EQ(readBytes(target.appending(QByteArray("alt"))), QByteArray("alt"));

    // A file takes a folder's place and a folder a file's, whole.
    LocalFileOperations::copyItem(file, target, AtTarget::replace);
    EXPECT_EQ(readBytes(target), QByteArray("neu"));
    const FileUrl folderSource = folder.write("quelle/b/inhalt", "b").parent();
    LocalFileOperations::moveItem(folderSource, target, AtTarget::replace);
    EXPECT_EQ(readBytes(target.appending(QByteArray("inhalt"))), QByteArray("b"));
    EXPECT_FALSE(exists(folderSource));
    EXPECT_TRUE(stagingLeftovers(folder.url()).isEmpty());
}

TEST(LocalFileOperations, ReplacingWhatHoldsTheSourceIsRefused)
{
    TempFolder folder;
    const FileUrl inner = folder.write("a/a/datei", "x").parent();
    const FileUrl hardLink = folder.file("zweiter-name");
    ASSERT_EQ(link(folder.file("a/a/datei").nativePath().constData(), hardLink.nativePath().constData()), 0);

    // Links in another folder that lead to the very entries they would replace.
    const FileUrl left = folder.makeFolder("links");
    ASSERT_EQ(symlink("../zweiter-name", left.appending(QByteArray("zweiter-name")).nativePath().constData()), 0);
    ASSERT_EQ(symlink("../a", left.appending(QByteArray("a")).nativePath().constData()), 0);
    ASSERT_EQ(symlink("../a/a", left.appending(QByteArray("b")).nativePath().constData()), 0);
    const auto before = snapshot(folder.url());
    // Copying a/a over a would remove the source itself, as would every link over what it leads to.
    const QList<std::pair<FileUrl, FileUrl>> cases{{inner, folder.file("a")},
                                                   {hardLink, folder.file("a/a/datei")},
                                                   {left.appending(QByteArray("zweiter-name")), hardLink},
                                                   {left.appending(QByteArray("a")), folder.file("a")},
                                                   {left.appending(QByteArray("b")), folder.file("a")}};
    for (const auto& [source, target] : cases) {
        for (const bool move : {false, true}) {
            SCOPED_TRACE(source.nativePath().toStdString() + (move ? " moved" : " copied"));
            EXPECT_TRUE(errorOf<LocalFileError>([&] {
                            move ? LocalFileOperations::moveItem(source, target, AtTarget::replace)
                                 : LocalFileOperations::copyItem(source, target, AtTarget::replace);
                        }).contains(QStringLiteral("Quelle und Ziel sind dasselbe Objekt.")));
            EXPECT_EQ(snapshot(folder.url()), before);
        }
    }
}

} // namespace
