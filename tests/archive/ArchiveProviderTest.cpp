#include "ArchiveTestSupport.h"

#include "archive/ArchiveProvider.h"
#include "platform/ChildProcess.h"
#include "support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QTest>
#include <QRandomGenerator>
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>

namespace {

using Case = ArchiveError::Case;

enum class Format { zip, tar };

struct Jobs {
    const char* suffix;
    QFuture<FileUrl> (ArchiveProvider::*pack)(QList<FileUrl>, FileUrl);
    QFuture<FileUrl> (ArchiveProvider::*unpack)(FileUrl, FileUrl);
};

const Jobs formats[] = {
    {".zip", &ArchiveProvider::createZIP, &ArchiveProvider::extractZIP},
    {".tar.gz", &ArchiveProvider::createTarGZ, &ArchiveProvider::extractTar},
};

QList<FileUrl> entriesIn(const FileUrl& folder)
{
    QList<FileUrl> entries;
    for (const QByteArray& path : treeOf(folder).keys())
        if (path.count('/') == 1)
            entries.append(folder.appending(path.mid(1)));
    return entries;
}

// The names directly in `folder`.
QList<QByteArray> namesIn(const FileUrl& folder)
{
    QList<QByteArray> names;
    for (const FileUrl& entry : entriesIn(folder))
        names.append(entry.nativeFileName());
    return names;
}

void makeLink(const QByteArray& target, const FileUrl& link)
{
    ASSERT_EQ(symlink(target.constData(), link.nativePath().constData()), 0);
}

TEST(ArchiveProvider, RoundTripsKeepNamesLinksEmptyFoldersAndPermissions)
{
    TempFolder source;
    TempFolder outside;
    outside.write("geheim.txt", "nicht ins Archiv");
    source.write("Gr\xc3\xb6\xc3\x9f" "e.txt", "NFC");
    source.write("Gro\xcc\x88\xc3\x9f" "e.txt", "NFD");
    source.write("-x", "Bindestrich");
    source.write("*", "Stern");
    source.makeFolder("leer");
    chmod(source.write("ordner/unter/privat.bin", QByteArray(70000, 'p')).nativePath().constData(), 0600);
    chmod(source.write("skript.sh", "#!/bin/sh\n").nativePath().constData(), 0755);
    makeLink(outside.path(), source.file("aussen"));
    makeLink("schleife", source.file("schleife"));
    makeLink("..", source.file("ordner/oben"));

    for (const Jobs& format : formats) {
        SCOPED_TRACE(format.suffix);
        // Debian's unzip drops bytes that are not UTF-8 from names; tar keeps them.
        if (&format != &formats[0])
            source.write("kein-utf8-\xff.txt", "bytes");
        const QMap<QByteArray, QByteArray> original = treeOf(source.url());
        TempFolder target;
        ArchiveProvider provider;
        const FileUrl archive = target.file(QByteArray("Archiv") + format.suffix);
        EXPECT_EQ(awaitJob((provider.*format.pack)(entriesIn(source.url()), archive)).result, archive);
        const FileUrl unpacked = target.file("Archiv");
        EXPECT_EQ(awaitJob((provider.*format.unpack)(archive, unpacked)).result, unpacked);
        EXPECT_EQ(treeOf(unpacked), original);
        EXPECT_EQ(namesIn(target.url()), (QList<QByteArray>{"Archiv", QByteArray("Archiv") + format.suffix}));
    }
}

TEST(ArchiveProvider, ANameTakenMeanwhileGivesTheNextFreeNameAndTouchesNothing)
{
    const QByteArray freeNames[] = {"daten 2.zip", "daten.tar 2.gz"};
    for (int i = 0; i < 2; ++i) {
        const Jobs& format = formats[i];
        SCOPED_TRACE(format.suffix);
        TempFolder folder;
        const FileUrl file = folder.write("daten.txt", "neu");
        const FileUrl taken = folder.write(QByteArray("daten") + format.suffix, "alt");
        folder.write("daten", "alt");
        ArchiveProvider provider;
        const FileUrl packed = *awaitJob((provider.*format.pack)({file}, taken)).result;
        EXPECT_EQ(packed, folder.file(freeNames[i]));
        // "daten.tar 2.gz" is no tar name any more.
        const FileUrl renamed = folder.file(QByteArray("neu") + format.suffix);
        ASSERT_EQ(::rename(packed.nativePath().constData(), renamed.nativePath().constData()), 0);
        const FileUrl unpacked = *awaitJob((provider.*format.unpack)(renamed, folder.file("daten"))).result;
        EXPECT_EQ(unpacked, folder.file("daten 2"));
        const QMap<QByteArray, QByteArray> tree = treeOf(folder.url());
        EXPECT_EQ(tree.value("/daten 2/daten.txt"), tree.value("/daten.txt"));
        EXPECT_EQ(tree.value(QByteArray("/daten") + format.suffix), tree.value("/daten"));
    }
}

TEST(ArchiveProvider, RefusesWhatItCannotHandleAndLeavesNothingBehind)
{
    TempFolder a;
    TempFolder b;
    TempFolder target;
    ArchiveProvider provider;
    EXPECT_EQ(awaitJob(provider.createZIP({a.write("x"), b.write("y")}, target.file("x.zip"))).error, Case::unsupported);
    const QByteArray garbage(5000, 'g');
    EXPECT_EQ(awaitJob(provider.extractZIP(a.write("kaputt.zip", garbage), target.file("k"))).error, Case::toolFailed);
    const JobEnd corrupt = awaitJob(provider.extractTar(a.write("kaputt.tar.gz", garbage), target.file("k")));
    EXPECT_EQ(corrupt.error, Case::toolFailed);
    EXPECT_TRUE(corrupt.description.endsWith(QStringLiteral("Status 2"))) << corrupt.description.toStdString();
    EXPECT_EQ(treeOf(target.url()), (QMap<QByteArray, QByteArray>()));
}

// A file system too small for the job: a 1 MB tmpfs where mounting is allowed,
// otherwise a 1 MB limit on the size of files the tools may write.
class SmallDisk {
public:
    SmallDisk()
    {
        m_mounted = mount("tmpfs", m_folder.path().constData(), "tmpfs", 0, "size=1m") == 0;
        if (!m_mounted) {
            getrlimit(RLIMIT_FSIZE, &m_previous);
            m_previousHandler = signal(SIGXFSZ, SIG_IGN);
            const rlimit small{1 << 20, m_previous.rlim_max};
            setrlimit(RLIMIT_FSIZE, &small);
        }
    }
    ~SmallDisk()
    {
        if (m_mounted)
            umount(m_folder.path().constData());
        else {
            setrlimit(RLIMIT_FSIZE, &m_previous);
            signal(SIGXFSZ, m_previousHandler);
        }
    }
    const FileUrl& url() const { return m_folder.url(); }
    bool isTmpfs() const { return m_mounted; }

private:
    TempFolder m_folder;
    bool m_mounted = false;
    rlimit m_previous{};
    sighandler_t m_previousHandler = SIG_DFL;
};

TEST(ArchiveProvider, AFullDiskLeavesNothingUnderTheUsersNames)
{
    TempFolder source;
    QByteArray noise(4 << 20, '\0');
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    const FileUrl big = source.write("zufall.bin", noise);
    const FileUrl zeros = source.write("nullen.bin", QByteArray(4 << 20, '\0'));
    TempFolder packed;
    ArchiveProvider provider;
    for (const Jobs& format : formats) {
        SCOPED_TRACE(format.suffix);
        const FileUrl bomb = *awaitJob((provider.*format.pack)({zeros}, packed.file(QByteArray("b") + format.suffix))).result;
        SmallDisk disk;
        EXPECT_EQ(awaitJob((provider.*format.pack)({big}, disk.url().appending(QByteArray("a") + format.suffix))).error,
                  Case::toolFailed);
        // The listing tells the unpacked size before anything is written.
        EXPECT_EQ(awaitJob((provider.*format.unpack)(bomb, disk.url().appending(QByteArrayLiteral("b")))).error,
                  disk.isTmpfs() ? Case::notEnoughSpace : Case::toolFailed);
        EXPECT_EQ(treeOf(disk.url()), (QMap<QByteArray, QByteArray>()));
    }
}

TEST(ArchiveProvider, CancellingEndsTheToolAndRemovesItsWork)
{
    // A tar that starts writing the archive, then hangs.
    TempFolder tools;
    const FileUrl pidFile = tools.file("pid");
    const FileUrl tar = tools.write("tar", "#!/bin/sh\necho $$ > '" + pidFile.nativePath() + "'\necho halb > \"$3\"\nexec sleep 60\n");
    chmod(tar.nativePath().constData(), 0755);
    TempFolder folder;
    const FileUrl source = folder.write("daten.txt", "x");
    ArchiveProvider provider({{}, {}, tar.nativePath()});

    QFuture<FileUrl> job = provider.createTarGZ({source}, folder.file("daten.tar.gz"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return treeOf(tools.url()).contains("/pid"); }, 5000));
    QElapsedTimer clock;
    clock.start();
    job.cancel();
    job.waitForFinished();
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_TRUE(job.isCanceled());
    QFile pidText(pidFile.path());
    ASSERT_TRUE(pidText.open(QIODevice::ReadOnly));
    const pid_t pid = pid_t(pidText.readAll().trimmed().toInt());
    EXPECT_GT(pid, 0);
    EXPECT_NE(kill(pid, 0), 0) << "the tool still runs";
    EXPECT_EQ(namesIn(folder.url()), QList<QByteArray>{"daten.txt"});
}

} // namespace
