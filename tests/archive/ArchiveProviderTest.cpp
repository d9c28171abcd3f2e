#include "ArchiveTestSupport.h"

#include "archive/ArchiveProvider.h"
#include "support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

namespace {

using Case = ArchiveError::Case;
using LocalFileTest::readBytes;

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

    // The names asked for are taken: each result gets the next free name and
    // leaves what is there untouched.
    const QByteArray freeNames[] = {"Archiv 2.zip", "Archiv.tar 2.gz"};
    for (int i = 0; i < 2; ++i) {
        const Jobs& format = formats[i];
        SCOPED_TRACE(format.suffix);
        // Debian's unzip drops bytes that are not UTF-8 from names; tar keeps them.
        if (i == 1)
            source.write("kein-utf8-\xff.txt", "bytes");
        const QMap<QByteArray, QByteArray> original = treeOf(source.url());
        TempFolder target;
        const FileUrl taken = target.write(QByteArray("Archiv") + format.suffix, "alt");
        target.write("Archiv", "alt");
        ArchiveProvider provider;
        FileUrl archive = target.file(freeNames[i]);
        EXPECT_EQ(awaitJob((provider.*format.pack)(entriesIn(source.url()), taken)).result, archive);
        if (i == 1) { // "Archiv.tar 2.gz" is no tar name any more
            ASSERT_EQ(::rename(archive.nativePath().constData(), target.file("Kopie.tar.gz").nativePath().constData()), 0);
            archive = target.file("Kopie.tar.gz");
        }
        const JobEnd unpacked = awaitJob((provider.*format.unpack)(archive, target.file("Archiv")));
        ASSERT_EQ(unpacked.result, target.file("Archiv 2")) << unpacked.description.toStdString();
        EXPECT_EQ(treeOf(*unpacked.result), original);
        EXPECT_EQ(readBytes(taken) + readBytes(target.file("Archiv")), "altalt");
        EXPECT_EQ(namesIn(target.url()).size(), 4);
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
    const pid_t pid = pid_t(readBytes(pidFile).trimmed().toInt());
    EXPECT_GT(pid, 0);
    EXPECT_NE(kill(pid, 0), 0) << "the tool still runs";
    EXPECT_EQ(namesIn(folder.url()), QList<QByteArray>{"daten.txt"});
}

} // namespace
