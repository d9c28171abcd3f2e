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
    const std::optional<Error> error = thrown<Error>(body);
    return error ? error->description() : QString();
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

// Replacing an entry with itself, or with what holds it, would remove the
// source; so would copying a folder into itself. Nothing is touched.
TEST(LocalFileOperations, ReplacingWhatHoldsTheSourceIsRefused)
{
    TempFolder folder;
    const FileUrl inner = folder.write("a/a/datei", "x").parent();
    const FileUrl hardLink = folder.file("zweiter-name");
    ASSERT_EQ(link(folder.file("a/a/datei").nativePath().constData(), hardLink.nativePath().constData()), 0);
    // Links in another folder that lead to the very entries they would replace, or into the source.
    const FileUrl left = folder.makeFolder("links");
    for (const auto& [target, name] : {std::pair{"../zweiter-name", "zweiter-name"}, {"../a", "a"}, {"../a/a", "b"}})
        ASSERT_EQ(symlink(target, left.appending(QByteArray(name)).nativePath().constData()), 0);
    const auto before = snapshot(folder.url());
    const QString same = QStringLiteral("Quelle und Ziel sind dasselbe Objekt.");
    const QString intoItself = QStringLiteral("in sich selbst");
    const QList<std::tuple<FileUrl, FileUrl, QString>> cases{
        {inner, folder.file("a"), same},
        {hardLink, folder.file("a/a/datei"), same},
        {left.appending(QByteArray("zweiter-name")), hardLink, same},
        {left.appending(QByteArray("a")), folder.file("a"), same},
        {left.appending(QByteArray("b")), folder.file("a"), same},
        {folder.file("a"), folder.file("a/a/neu"), intoItself},
        {folder.file("a"), left.appending(QByteArray("b/neu")), intoItself}};
    for (const auto& [source, target, refusal] : cases) {
        for (const bool move : {false, true}) {
            SCOPED_TRACE(target.nativePath().toStdString() + (move ? " moved" : " copied"));
            EXPECT_TRUE(errorOf<LocalFileError>([&] {
                            move ? LocalFileOperations::moveItem(source, target, AtTarget::replace)
                                 : LocalFileOperations::copyItem(source, target, AtTarget::replace);
                        }).contains(refusal));
            EXPECT_EQ(snapshot(folder.url()), before);
        }
    }
}

} // namespace
