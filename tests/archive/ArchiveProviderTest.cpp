#include "ArchiveTestSupport.h"

#include "archive/ArchiveProvider.h"
#include "support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>

namespace {

using Case = ArchiveError::Case;

struct Jobs {
    const char* suffix;
    QFuture<FileUrl> (ArchiveProvider::*pack)(QList<FileUrl>, FileUrl);
    QFuture<FileUrl> (ArchiveProvider::*unpack)(FileUrl, FileUrl);
};

const Jobs formats[] = {
    {".zip", &ArchiveProvider::createZIP, &ArchiveProvider::extractZIP},
    {".tar.gz", &ArchiveProvider::createTarGZ, &ArchiveProvider::extractTar},
};

QList<QByteArray> namesIn(const FileUrl& folder)
{
    QList<QByteArray> names;
    for (const QByteArray& path : treeOf(folder).keys())
        if (!path.contains('/'))
            names.append(path);
    return names;
}

QList<FileUrl> entriesIn(const FileUrl& folder)
{
    QList<FileUrl> entries;
    for (const QByteArray& name : namesIn(folder))
        entries.append(folder.appending(name));
    return entries;
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
    // Links are stored, never followed: one leads out, one to itself, one up.
    for (const auto& [target, link] : {std::pair{outside.path(), "aussen"}, {"schleife", "schleife"}, {"..", "ordner/oben"}})
        ASSERT_EQ(symlink(target.constData(), source.file(link).nativePath().constData()), 0);

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
        EXPECT_EQ(*awaitJob((provider.*format.unpack)(renamed, folder.file("daten"))).result, folder.file("daten 2"));
        const QMap<QByteArray, QByteArray> tree = treeOf(folder.url());
        EXPECT_EQ(tree.value("daten 2/daten.txt"), tree.value("daten.txt"));
        EXPECT_EQ(tree.value(QByteArray("daten") + format.suffix), tree.value("daten"));
    }
}

// A selection from two folders, corrupt archives, a 1 MB disk: refused or
// failed, and nothing is left under the user's names.
TEST(ArchiveProvider, WhatCannotBeDoneLeavesNothingBehind)
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
    EXPECT_TRUE(treeOf(target.url()).isEmpty());

    QByteArray noise(4 << 20, '\0');
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    const FileUrl big = a.write("zufall.bin", noise);
    const FileUrl zeros = a.write("nullen.bin", QByteArray(4 << 20, '\0'));
    // A 1 MB tmpfs where mounting is allowed, otherwise a 1 MB limit on the size of files.
    const bool tmpfs = mount("tmpfs", b.path().constData(), "tmpfs", 0, "size=1m") == 0;
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    const sighandler_t previousHandler = signal(SIGXFSZ, SIG_IGN);
    for (const Jobs& format : formats) {
        SCOPED_TRACE(format.suffix);
        const FileUrl bomb = *awaitJob((provider.*format.pack)({zeros}, target.file(QByteArray("b") + format.suffix))).result;
        const rlimit small{1 << 20, previous.rlim_max};
        if (!tmpfs)
            setrlimit(RLIMIT_FSIZE, &small);
        EXPECT_EQ(awaitJob((provider.*format.pack)({big}, b.file(QByteArray("a") + format.suffix))).error,
                  Case::toolFailed);
        // The listing tells the unpacked size before anything is written.
        EXPECT_EQ(awaitJob((provider.*format.unpack)(bomb, b.file("b"))).error,
                  tmpfs ? Case::notEnoughSpace : Case::toolFailed);
        setrlimit(RLIMIT_FSIZE, &previous);
        EXPECT_EQ(treeOf(b.url()).keys(), tmpfs ? QList<QByteArray>() : QList<QByteArray>{"y"});
    }
    signal(SIGXFSZ, previousHandler);
    if (tmpfs)
        umount(b.path().constData());
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
    ASSERT_TRUE(QTest::qWaitFor([&] { return LocalFileTest::exists(pidFile) && QFile(pidFile.path()).size() > 0; }, 5000));
    QElapsedTimer clock;
    clock.start();
    job.cancel();
    job.waitForFinished();
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_TRUE(job.isCanceled());
    const pid_t pid = pid_t(LocalFileTest::readBytes(pidFile).trimmed().toInt());
    EXPECT_GT(pid, 0);
    EXPECT_NE(kill(pid, 0), 0) << "the tool still runs";
    EXPECT_EQ(namesIn(folder.url()), QList<QByteArray>{"daten.txt"});
}

} // namespace
