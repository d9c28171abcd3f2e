#include "operations/FileOperationQueue.h"
#include "platform/LocalFileTestSupport.h"
#include "support/TestEnvironment.h"

#include <QScopeGuard>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/sysmacros.h>

namespace {

using Queue = FileOperationQueue;
using Action = Queue::ConflictAction;
using Kind = Queue::Kind;
using namespace LocalFileTest;

constexpr uid_t nobody = 65534;

QList<Queue::Failure> perform(Kind kind, const QList<FileUrl>& sources, const FileUrl& destination)
{
    Queue queue;
    return queue
        .perform({kind, sources, destination}, [](qsizetype, qsizetype, const FileUrl&) {},
                 [](const FileUrl&, const FileUrl&) { return Queue::ConflictDecision{Action::replace, true}; })
        .result();
}

// Exit status for a child: 0 when every failure's message holds `text` and
// there are `expected` of them, 1 otherwise.
int expectFailures(const QList<Queue::Failure>& failures, qsizetype expected, const QString& text)
{
    const auto holdsText = [&](const Queue::Failure& failure) { return failure.message.contains(text); };
    return failures.size() == expected && std::all_of(failures.begin(), failures.end(), holdsText) ? 0 : 1;
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
    for (const FileUrl& url : {to.write("Projekt/alt.txt", "alt"), to.file("Projekt")})
        ASSERT_EQ(lchown(url.nativePath().constData(), nobody, nobody), 0);
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
    ShmFolder from; // a move within one file system would write nothing
    TempFolder to;
    const QList<FileUrl> sources{from.file("gross.bin"), from.file("Ordner")};
    const QByteArray big = sources[0].nativePath();
    ASSERT_EQ(system(("head -c 1M /dev/zero >" + big + " && mkdir " + sources[1].nativePath() + " && cp " + big + ' '
                      + sources[1].nativePath())
                         .constData()),
              0);
    to.write("gross.bin", "alt");
    const auto before = snapshot(to.url());
    for (const Kind kind : {Kind::copy, Kind::move}) {
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
    from.write("Geräte/daneben", "x");
    if (mknod(from.file("Geräte/null").nativePath().constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        GTEST_SKIP() << "creating a device needs root";
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
