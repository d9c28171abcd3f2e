// The local file layer: what copies and moves keep, refuse and leave behind.
#include "core/BrenvikError.h"
#include "core/SystemError.h"
#include "platform/FileCopier.h"
#include "platform/LocalFileError.h"
#include "platform/LocalFileOperations.h"
#include "platform/LocalFileTestSupport.h"
#include "support/TestEnvironment.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/xattr.h>

namespace {

using namespace LocalFileTest;
using LocalFileOperations::AtTarget;

// A POSIX ACL as the kernel stores it: owner rw, user 65534 r, group r, mask r, others nothing.
QByteArray aclGivingNobodyRead()
{
    QByteArray acl;
    const auto add = [&acl](quint32 value, int bytes) { acl.append(reinterpret_cast<const char*>(&value), bytes); };
    add(2, 4);
    for (const auto& [tag, permissions, id] :
         {std::tuple{0x01u, 6u, ~0u}, {0x02u, 4u, 65534u}, {0x04u, 4u, ~0u}, {0x10u, 4u, ~0u}, {0x20u, 0u, ~0u}}) {
        add(tag, 2);
        add(permissions, 2);
        add(id, 4);
    }
    return acl;
}

QMap<QByteArray, QByteArray> attributesOf(const FileUrl& url)
{
    QMap<QByteArray, QByteArray> result;
    char names[4096];
    const ssize_t length = llistxattr(url.nativePath().constData(), names, sizeof names);
    for (ssize_t at = 0; at < length; at += ssize_t(strlen(names + at)) + 1) {
        char value[4096];
        const ssize_t size = lgetxattr(url.nativePath().constData(), names + at, value, sizeof value);
        result.insert(names + at, QByteArray(value, qMax<ssize_t>(size, 0)));
    }
    return result;
}

bool setAttribute(const FileUrl& url, const char* name, const QByteArray& value)
{
    return setxattr(url.nativePath().constData(), name, value.constData(), size_t(value.size()), 0) == 0;
}

// A file of `size` bytes holding 8 KiB of data in its middle, the rest holes.
FileUrl makeSparse(const FileUrl& url, off_t size)
{
    const int fd = open(url.nativePath().constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    const bool made = fd >= 0 && ftruncate(fd, size) == 0
        && pwrite(fd, QByteArray(8192, 'd').constData(), 8192, size / 2) == 8192;
    close(fd);
    if (!made)
        throw std::runtime_error("cannot make a sparse file");
    return url;
}

// Everything `cp -a` keeps: modes, times to the nanosecond, names that are not
// UTF-8, a dangling link, a FIFO, a read-only folder, a foreign set-ID file,
// extended attributes, ACLs, holes, and `notiz.txt` with a second name inside
// the tree and a third one beside it.
FileUrl fillTree(const TempFolder& folder, bool withUserAttributes)
{
    const FileUrl note = folder.write("Baum/notiz.txt", "notiz");
    const FileUrl tree = note.parent();
    if ((withUserAttributes && !setAttribute(note, "user.herkunft", "Kamera"))
        || !setAttribute(note, "system.posix_acl_access", aclGivingNobodyRead())
        || !setAttribute(tree, "system.posix_acl_default", aclGivingNobodyRead()))
        throw std::runtime_error("no attributes or ACLs on the test disk");
    link(note.nativePath().constData(), folder.file("Baum/zweiter-name").nativePath().constData());
    link(note.nativePath().constData(), folder.file("dritter-name").nativePath().constData());
    makeSparse(folder.file("Baum/abbild.img"), 16 << 20);
    const FileUrl odd = folder.write("Baum/caf\xe9.txt", "inhalt");
    chmod(odd.nativePath().constData(), 04750);
    setModificationTime(odd, 1'500'000'000, 123'456'789);
    folder.write("Baum/\xff\xfe/gross.bin", QByteArray(3 << 20, 'z'));
    const FileUrl foreign = folder.write("Baum/fremd.txt", "#!/bin/sh\n");
    lchown(foreign.nativePath().constData(), 65534, 65534);
    chmod(foreign.nativePath().constData(), 06755);
    symlink("../nirgendwo", folder.file("Baum/\xff\xfe/kaputt").nativePath().constData());
    mkfifo(folder.file("Baum/rohr").nativePath().constData(), 0640);
    chmod(folder.file("Baum/\xff\xfe").nativePath().constData(), 0550);
    setModificationTime(tree, 1'400'000'000, 1);
    return tree;
}

TEST(FileCopier, CopiesAndMovesKeepEverythingCpAKeeps)
{
    TempFolder disk;
    TempFolder to;
    ShmFolder memory;
    const bool memoryTakesUserAttributes = setAttribute(memory.url(), "user.probe", "1");
    const FileUrl tree = fillTree(disk, memoryTakesUserAttributes);
    const auto picture = snapshot(tree);
    const auto treeAttributes = attributesOf(tree);
    const auto noteAttributes = attributesOf(disk.file("Baum/notiz.txt"));
    ASSERT_EQ(noteAttributes.size(), memoryTakesUserAttributes ? 2 : 1);
    const qint64 imageAllocation = allocated(disk.file("Baum/abbild.img"));

    // A copy on the same disk, a move across file systems, where the source is
    // gone afterwards, and back again, replacing a folder of the same name whole.
    for (const auto& [from, into] : {std::pair{disk.url(), to.url()}, {disk.url(), memory.url()}, {memory.url(), disk.url()}}) {
        FileCopier copier;
        const bool move = into != to.url();
        if (into == disk.url())
            disk.write("Baum/anderes", "weg damit");
        for (const QByteArray name : {"Baum", "dritter-name"})
            move ? LocalFileOperations::moveItem(from.appending(name), into.appending(name), AtTarget::replace, copier)
                 : LocalFileOperations::copyItem(from.appending(name), into.appending(name), AtTarget::replace, copier);
        const FileUrl copy = into.appending(QByteArray("Baum"));
        // A copy is the copier's own: it never hands out another user's set-ID rights.
        auto expected = picture;
        if (!move)
            expected["fremd.txt"].replace("file 6755", "file 755");
        EXPECT_EQ(snapshot(copy), expected);
        EXPECT_EQ(attributesOf(copy), treeAttributes);
        EXPECT_EQ(attributesOf(copy.appending(QByteArray("notiz.txt"))), noteAttributes);
        const ino_t note = lstatOf(copy.appending(QByteArray("notiz.txt"))).st_ino;
        EXPECT_EQ(lstatOf(copy.appending(QByteArray("zweiter-name"))).st_ino, note);
        EXPECT_EQ(lstatOf(into.appending(QByteArray("dritter-name"))).st_ino, note);
        EXPECT_LE(allocated(copy.appending(QByteArray("abbild.img"))), imageAllocation);
        EXPECT_EQ(copier.attributesNotKept(), 0);
        EXPECT_EQ(exists(from.appending(QByteArray("Baum"))), !move);
        EXPECT_EQ(lstatOf(copy.appending(QByteArray("fremd.txt"))).st_uid, move ? 65534u : getuid());
        EXPECT_TRUE(stagingLeftovers(into).isEmpty());
    }
}

TEST(FileCopier, SmallAndAttributeLessFileSystemsTakeWhatFits)
{
    TempFolder disk;
    const FileUrl image = makeSparse(disk.file("abbild.img"), off_t(2) << 30);
    const FileUrl note = disk.write("notiz.txt", "notiz");
    ASSERT_TRUE(setAttribute(note, "user.herkunft", "Kamera"));
    const FileUrl small = disk.makeFolder("klein");
    const FileUrl bare = disk.makeFolder("ohne-attribute");
    const int status = inPrivateMounts([&] {
        CHILD_CHECK(mount("klein", small.nativePath().constData(), "tmpfs", 0, "size=16m") == 0);
        CHILD_CHECK(mount("ohne", bare.nativePath().constData(), "ramfs", 0, nullptr) == 0);
        FileCopier copier;
        LocalFileOperations::copyItem(image, small.appending(QByteArray("abbild.img")), AtTarget::mustBeFree, copier);
        CHILD_CHECK(lstatOf(small.appending(QByteArray("abbild.img"))).st_size == off_t(2) << 30);
        LocalFileOperations::copyItem(note, bare.appending(QByteArray("notiz.txt")), AtTarget::mustBeFree, copier);
        CHILD_CHECK(readBytes(bare.appending(QByteArray("notiz.txt"))) == "notiz");
        return copier.attributesNotKept() == 1 ? 0 : 1;
    });
    if (status == mountsRefused)
        GTEST_SKIP() << "this system lets no one mount";
    EXPECT_EQ(status, 0);
}

TEST(FileCopier, AFolderIsNotCopiedIntoItselfThroughABindMount)
{
    TempFolder folder;
    const FileUrl source = folder.write("A/sub/x", "x").parent().parent();
    const FileUrl mirror = folder.makeFolder("Spiegel");
    const int status = inPrivateMounts([&] {
        CHILD_CHECK(mount(source.nativePath().constData(), mirror.nativePath().constData(), nullptr, MS_BIND, nullptr) == 0);
        for (const bool move : {false, true}) {
            const FileUrl target = mirror.appending(QByteArray("Kopie"));
            const auto error = thrown<LocalFileError>([&] {
                move ? LocalFileOperations::moveItem(source, target, AtTarget::mustBeFree)
                     : LocalFileOperations::copyItem(source, target, AtTarget::mustBeFree);
            });
            CHILD_CHECK(error && error->description().contains(QStringLiteral("in sich selbst")));
        }
        return 0;
    });
    if (status == mountsRefused)
        GTEST_SKIP() << "this system lets no one mount";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(snapshot(source, false).keys(), (QList<QByteArray>{"sub", "sub/x"}));
}

TEST(FileCopier, TreesDeeperThanTheDescriptorLimitAreCopiedMovedAndRemoved)
{
    TempFolder disk;
    ShmFolder memory;
    const FileUrl bottom = disk.write("Baum" + QByteArray("/d").repeated(700) + "/boden.txt", "unten");
    EXPECT_EQ(runInChild([&] {
                  const rlimit limit{1024, 1024};
                  CHILD_CHECK(setrlimit(RLIMIT_NOFILE, &limit) == 0);
                  LocalFileOperations::copyItem(disk.file("Baum"), disk.file("Kopie"), AtTarget::mustBeFree);
                  LocalFileOperations::moveItem(disk.file("Kopie"), memory.file("Baum"), AtTarget::mustBeFree);
                  LocalFileOperations::removeItem(memory.file("Baum"));
                  return 0;
              }),
              0);
    EXPECT_EQ(readBytes(bottom), QByteArray("unten"));
    EXPECT_FALSE(exists(disk.file("Kopie")) || exists(memory.file("Baum")));
}

TEST(FileCopier, AFailedCopyLeavesNothingBehindEvenInReadOnlyFolders)
{
    TempFolder from;
    TempFolder to;
    ASSERT_EQ(chmod(to.path().constData(), 0777), 0);
    const FileUrl tree = from.makeFolder("Baum");
    // "fest" must be complete, and read-only, before the copy of "gross" fails:
    // the creation order decides the listing order on some file systems.
    const auto writeBig = [&] { from.write("Baum/gross", QByteArray(1 << 20, 'g')); };
    const auto writeFixed = [&] { from.write("Baum/fest/innen/datei", "x"); };
    for (const bool bigFirst : {false, true}) {
        bigFirst ? writeBig() : writeFixed();
        bigFirst ? writeFixed() : writeBig();
        const QList<QByteArray> order = namesInListingOrder(tree);
        if (order.indexOf("fest") < order.indexOf("gross"))
            break;
        LocalFileOperations::removeItem(from.file("Baum/gross"));
        LocalFileOperations::removeItem(from.file("Baum/fest"));
    }
    if (!exists(from.file("Baum/gross")))
        GTEST_SKIP() << "this file system lists the failing file first";
    ASSERT_EQ(chmod(from.file("Baum/fest/innen").nativePath().constData(), 0555), 0);
    ASSERT_EQ(chmod(from.file("Baum/fest").nativePath().constData(), 0555), 0);

    EXPECT_EQ(runUnprivileged([&] {
                  signal(SIGXFSZ, SIG_IGN);
                  const rlimit limit{64 * 1024, 64 * 1024};
                  setrlimit(RLIMIT_FSIZE, &limit);
                  const auto error = thrown<SystemError>(
                      [&] { LocalFileOperations::copyItem(tree, to.file("Baum"), AtTarget::mustBeFree); });
                  return error && error->code() == EFBIG ? 0 : 1;
              }),
              0);
    EXPECT_TRUE(snapshot(to.url()).isEmpty());
}

// A token that fires at its `firing`-th look and calls `onLook` at every look.
CancellationToken firingAt(int firing, std::function<void(int)> onLook = {})
{
    auto looks = std::make_shared<int>(0);
    return CancellationToken([=] {
        if (onLook)
            onLook(*looks + 1);
        return ++*looks >= firing;
    });
}

TEST(FileCopier, CancellingStopsWithinABlockAndKeepsTargetAndSource)
{
    ShmFolder memory;
    TempFolder disk;
    const FileUrl big = memory.file("gross.bin");
    ASSERT_EQ(system(("head -c 40M /dev/zero | tr '\\0' x > " + big.nativePath()).constData()), 0);
    disk.write("gross.bin", "alt");
    const auto before = snapshot(disk.url());
    for (const bool move : {false, true}) {
        FileCopier copier(firingAt(4)); // in the middle of the data
        EXPECT_THROW(move ? LocalFileOperations::moveItem(big, disk.file("gross.bin"), AtTarget::replace, copier)
                          : LocalFileOperations::copyItem(big, disk.file("gross.bin"), AtTarget::replace, copier),
                     CancellationError);
        EXPECT_EQ(snapshot(disk.url()), before);
        EXPECT_EQ(lstatOf(big).st_size, 40 << 20);
    }
}

TEST(FileCopier, AMoveAcrossFileSystemsRemovesOnlyWhatItCopied)
{
    TempFolder disk;
    ShmFolder memory;
    const FileUrl tree = disk.write("Baum/a.txt", "a").parent();
    disk.write("Baum/Unterordner/b.txt", "b");
    const auto copied = snapshot(tree);
    // Once the folder has been read, a new file appears in it.
    FileCopier copier(firingAt(0x7fffffff, [&](int look) {
        if (look == 2)
            disk.write("Baum/neu.txt", "neu");
    }));
    const auto error = thrown<LocalFileError>(
        [&] { LocalFileOperations::moveItem(tree, memory.file("Baum"), AtTarget::mustBeFree, copier); });
    ASSERT_TRUE(error) << "the move reported no change of its source";
    EXPECT_EQ(error->reason(), LocalFileError::Reason::sourceChanged);
    EXPECT_EQ(snapshot(memory.file("Baum")), copied);
    EXPECT_EQ(snapshot(tree, false).keys(), QList<QByteArray>{"neu.txt"});
}

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
