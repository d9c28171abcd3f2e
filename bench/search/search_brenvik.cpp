// One search or checksum through the engines, as a whole process, for run.sh:
//   bench_search_brenvik content ROOT NEEDLE   files below ROOT holding NEEDLE
//   bench_search_brenvik name ROOT QUERY       entries below ROOT named like QUERY
//   bench_search_brenvik sha256 FILE           the file's digest
// Prints the number of hits (or the digest) and, on standard error, the peak
// resident memory in KiB.
#include "tools/ChecksumEngine.h"
#include "tools/SearchEngine.h"

#include <QCoreApplication>
#include <cstdio>
#include <sys/resource.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 4 && !(argc == 3 && qstrcmp(argv[1], "sha256") == 0)) {
        std::fprintf(stderr, "usage: %s content|name ROOT TEXT | sha256 FILE\n", argv[0]);
        return 2;
    }
    const QByteArray mode = argv[1];
    const FileUrl target = FileUrl::fromNativePath(QByteArray(argv[2]));
    try {
        if (mode == "sha256") {
            ChecksumEngine engine;
            std::printf("%s\n", qPrintable(engine.sha256({target}).result().constFirst().digest));
        } else {
            SearchEngine::Options options;
            (mode == "content" ? options.content : options.query) = QString::fromLocal8Bit(argv[3]);
            SearchEngine engine;
            std::printf("%lld\n", static_cast<long long>(engine.search(target, options, 1 << 30).result().size()));
        }
    } catch (const BrenvikError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::fprintf(stderr, "maxrss_kib %ld\n", usage.ru_maxrss);
    return 0;
}
