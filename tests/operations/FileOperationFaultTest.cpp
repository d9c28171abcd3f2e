#include "operations/FileOperationQueue.h"
#include "platform/LocalFileTestSupport.h"
#include "support/TestEnvironment.h"

#include <QScopeGuard>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>

namespace {

using Queue = FileOperationQueue;
using Action = Queue::ConflictAction;
using Kind = Queue::Kind;
using namespace LocalFileTest;

constexpr uid_t nobody = 65534;

QList<Queue::Failure> perform(Kind kind, const QList<FileUrl>& sources, const FileUrl& destination,
                              Action answer = Action::replace)
{
    Queue queue;
    return queue
        .perform({kind, sources, destination}, [](qsizetype, qsizetype, const FileUrl&) {},
                 [answer](const FileUrl&, const FileUrl&) { return Queue::ConflictDecision{answer, true}; })
        .result();
}

// Exit status for a child: 0 when every failure's message holds `text` and
// there are `expected` of them, 1 otherwise.
int expectFailures(const QList<Queue::Failure>& failures, qsizetype expected, const QString& text)
{
    if (failures.size() != expected)
        return 1;
    for (const Queue::Failure& failure : failures)
        if (!failure.message.contains(text))
            return 1;
    return 0;
}

void giveTo(const FileUrl& url, uid_t owner)
{
    ASSERT_EQ(lchown(url.nativePath().constData(), owner, owner), 0);
}

TEST(FileOperationFaults, UnwritableDestinationLeavesEverythingAsItWas)
{
    TempFolder from;
    TempFolder to; // root's, not writable for the unprivileged copier
    const QList<FileUrl> sources{from.write("a.txt", "neu"), from.write("Ordner/b.txt", "neu").parent()};
    to.write("a.txt", "alt");
    const auto before = snapshot(to.url());
    for (const Kind kind : {Kind::copy, Kind::move}) {
        EXPECT_EQ(runUnprivileged([&] {
                      return expectFailures(perform(kind, sources, to.url()), 2, QStringLiteral("Zugriff verweigert"));
                  }),
                  0);
        EXPECT_EQ(snapshot(to.url()), before);
        EXPECT_TRUE(exists(sources[0]) && exists(sources[1]));
    }
}

TEST(FileOperationFaults, UnreadableFileLeavesNoHalfCopyAndKeepsTheTarget)
{
    TempFolder from;
    TempFolder to;
    const FileUrl tree = from.write("Projekt/lesbar.txt", "ja").parent();
    const FileUrl secret = from.write("Projekt/tief/geheim.txt", "nein");
    ASSERT_EQ(chmod(secret.nativePath().constData(), 0600), 0);
    const FileUrl single = from.write("einzeln.txt", "nein");
    ASSERT_EQ(chmod(single.nativePath().constData(), 0600), 0);
    ASSERT_EQ(chmod(to.path().constData(), 0777), 0);
    giveTo(to.write("Projekt/alt.txt", "alt"), nobody);
    giveTo(to.file("Projekt"), nobody);
    const auto before = snapshot(to.url());

    EXPECT_EQ(runUnprivileged([&] {
                  const QList<Queue::Failure> failures = perform(Kind::copy, {tree, single}, to.url());
                  return expectFailures(failures, 2, QStringLiteral("Zugriff verweigert"))
                      + (failures.value(0).message.contains(QStringLiteral("geheim.txt")) ? 0 : 2);
              }),
              0);
    EXPECT_EQ(snapshot(to.url()), before);
}

TEST(FileOperationFaults, WriteBeyondTheFileSizeLimitKeepsTheOldTarget)
{
    TempFolder from;
    TempFolder to;
    const FileUrl big = from.write("gross.bin", QByteArray(1 << 20, 'x'));
    const FileUrl tree = from.write("Ordner/gross.bin", QByteArray(1 << 20, 'y')).parent();
    to.write("gross.bin", "alt");
    const auto before = snapshot(to.url());
    for (const Kind kind : {Kind::copy, Kind::move}) {
        ShmFolder elsewhere; // a move within one file system writes nothing
        const QList<FileUrl> sources =
            kind == Kind::copy ? QList<FileUrl>{big, tree} : QList<FileUrl>{elsewhere.file("gross.bin"), elsewhere.file("Ordner")};
        if (kind == Kind::move) {
            ASSERT_EQ(system(("cp -a " + big.nativePath() + ' ' + tree.nativePath() + ' ' + elsewhere.url().nativePath())
                                 .constData()),
                      0);
        }
        EXPECT_EQ(runInChild([&] {
                      signal(SIGXFSZ, SIG_IGN);
                      const rlimit limit{64 * 1024, 64 * 1024};
                      setrlimit(RLIMIT_FSIZE, &limit);
                      return expectFailures(perform(kind, sources, to.url()), 2, QStringLiteral("zu groß"));
                  }),
                  0);
        EXPECT_EQ(snapshot(to.url()), before);
        EXPECT_TRUE(exists(sources[0]) && exists(sources[1]));
    }
}

// Everything a tree can hold, with names that are not UTF-8 and times with nanoseconds.
void fillTree(const TempFolder& folder)
{
    const FileUrl file = folder.write("Baum/caf\xe9.txt", "inhalt");
    ASSERT_EQ(chmod(file.nativePath().constData(), 04750), 0);
    setModificationTime(file, 1'500'000'000, 123'456'789);
    folder.write("Baum/leer");
    folder.write("Baum/\xff\xfe/gross.bin", QByteArray(3 << 20, 'z'));
    giveTo(folder.write("Baum/fremd.txt", "fremd"), nobody);
    ASSERT_EQ(symlink("../nirgendwo", folder.file("Baum/\xff\xfe/kaputt").nativePath().constData()), 0);
    ASSERT_EQ(mkfifo(folder.file("Baum/rohr").nativePath().constData(), 0640), 0);
    ASSERT_EQ(chmod(folder.file("Baum/\xff\xfe").nativePath().constData(), 0550), 0);
    setModificationTime(folder.file("Baum"), 1'400'000'000, 1);
}

TEST(FileOperationFaults, MovesAcrossFileSystemsKeepEverything)
{
    TempFolder disk;
    ShmFolder memory;
    fillTree(disk);
    const auto tree = snapshot(disk.url());

    EXPECT_TRUE(perform(Kind::move, {disk.file("Baum")}, memory.url()).isEmpty());
    EXPECT_FALSE(exists(disk.file("Baum")));
    EXPECT_EQ(snapshot(memory.url()), tree);
    EXPECT_EQ(lstatOf(memory.file("Baum/fremd.txt")).st_uid, nobody);

    // Back again, replacing a folder of the same name whole.
    disk.write("Baum/anderes", "weg damit");
    EXPECT_TRUE(perform(Kind::move, {memory.file("Baum")}, disk.url()).isEmpty());
    EXPECT_EQ(snapshot(disk.url()), tree);
    EXPECT_FALSE(exists(memory.file("Baum")));
    EXPECT_TRUE(stagingLeftovers(disk.url()).isEmpty());
}

TEST(FileOperationFaults, MoveAcrossFileSystemsThatCouldNotRemoveTheSourceCopiesNothing)
{
    TempFolder disk; // root's: the unprivileged mover cannot take entries out of it
    ShmFolder memory;
    ASSERT_EQ(chmod(memory.url().nativePath().constData(), 0777), 0);
    const FileUrl source = disk.write("Ordner/datei", "bleibt");
    EXPECT_EQ(runUnprivileged([&] {
                  return expectFailures(perform(Kind::move, {source.parent()}, memory.url()), 1,
                                        QStringLiteral("Zugriff verweigert"));
              }),
              0);
    EXPECT_TRUE(snapshot(memory.url()).isEmpty());
    EXPECT_EQ(readBytes(source), QByteArray("bleibt"));
}

TEST(FileOperationFaults, DevicesAreRecreatedNeverReadAndRefusedWithoutTheRight)
{
    TempFolder from;
    TempFolder to;
    if (mknod(from.file("null").nativePath().constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        GTEST_SKIP() << "creating a device needs root";
    ASSERT_EQ(rename(from.file("null").nativePath().constData(), from.makeFolder("Geräte").appending(QByteArray("null")).nativePath().constData()), 0);
    from.write("Geräte/daneben", "x");
    ASSERT_EQ(chmod(to.path().constData(), 0777), 0);

    EXPECT_EQ(runUnprivileged([&] {
                  return expectFailures(perform(Kind::copy, {from.file("Geräte")}, to.url()), 1,
                                        QStringLiteral("Zugriff verweigert"));
              }),
              0);
    EXPECT_TRUE(snapshot(to.url()).isEmpty());

    EXPECT_TRUE(perform(Kind::copy, {from.file("Geräte")}, to.url()).isEmpty());
    EXPECT_EQ(snapshot(to.url()), snapshot(from.url()));
}

// Root cannot remove an immutable file either: the fault behind half-done outcomes.
bool setImmutable(const FileUrl& url, bool immutable)
{
    const QByteArray command = QByteArray("chattr -R ") + (immutable ? "+i '" : "-i '") + url.nativePath() + "' 2>/dev/null";
    return system(command.constData()) == 0;
}

TEST(FileOperationFaults, RemainsThatCannotBeRemovedAreReportedWithTheNewEntryInPlace)
{
    TempFolder from;
    TempFolder to;
    ShmFolder memory;
    from.write("Ordner/neu.txt", "neu");
    if (!setImmutable(to.write("Ordner/fest.txt", "alt"), true))
        GTEST_SKIP() << "chattr +i is not available here";
    const auto thawTarget = qScopeGuard([&] { setImmutable(to.url(), false); });

    QList<Queue::Failure> failures = perform(Kind::copy, {from.file("Ordner")}, to.url());
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].message.contains(QStringLiteral("Reste des alten Objekts"))) << failures[0].message.toStdString();
    EXPECT_EQ(snapshot(to.file("Ordner")), snapshot(from.file("Ordner")));
    ASSERT_EQ(stagingLeftovers(to.url()).size(), 2); // the set-aside folder and the file that stuck

    // A move across file systems whose source cannot go entirely keeps the complete copy.
    from.write("Ordner/geht.txt", "geht");
    ASSERT_TRUE(setImmutable(from.file("Ordner/neu.txt"), true));
    const auto thawSource = qScopeGuard([&] { setImmutable(from.url(), false); });
    const auto source = snapshot(from.file("Ordner"));
    failures = perform(Kind::move, {from.file("Ordner")}, memory.url());
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].message.contains(QStringLiteral("Quelle konnte aber nicht ganz entfernt werden")))
        << failures[0].message.toStdString();
    EXPECT_EQ(snapshot(memory.file("Ordner")), source);
    EXPECT_FALSE(exists(from.file("Ordner/geht.txt")));
}

} // namespace
