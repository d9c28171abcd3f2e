// One ArchiveProvider job as a whole process, for the archive benchmark.
// Usage: bench_archive_brenvik pack-zip|pack-tgz SOURCE ARCHIVE
//        bench_archive_brenvik unpack-zip|unpack-tgz ARCHIVE FOLDER   (absolute paths)
#include "archive/ArchiveProvider.h"
#include "core/BrenvikError.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 4)
        return 2;
    const FileUrl first = FileUrl::fromNativePath(argv[2]);
    const FileUrl second = FileUrl::fromNativePath(argv[3]);
    ArchiveProvider provider;
    QFuture<FileUrl> job;
    if (std::strcmp(argv[1], "pack-zip") == 0)
        job = provider.createZIP({first}, second);
    else if (std::strcmp(argv[1], "pack-tgz") == 0)
        job = provider.createTarGZ({first}, second);
    else if (std::strcmp(argv[1], "unpack-zip") == 0)
        job = provider.extractZIP(first, second);
    else if (std::strcmp(argv[1], "unpack-tgz") == 0)
        job = provider.extractTar(first, second);
    else
        return 2;
    try {
        return job.result() == second ? 0 : 1;
    } catch (const BrenvikError& error) {
        std::fprintf(stderr, "%s\n", error.description().toUtf8().constData());
        return 1;
    }
}
