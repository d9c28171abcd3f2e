// Lists a folder the way a panel does (FileSystemCore::contents) and prints the
// entry count; with --memory also the heap bytes the records hold per entry.
#include "core/FileSystemCore.h"

#include <cstdio>
#include <cstring>
#include <malloc.h>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const bool memory = argc > 2 && std::strcmp(argv[2], "--memory") == 0;
    const size_t before = mallinfo2().uordblks;
    const QList<FileItem> items = FileSystemCore::contents(FileUrl::fromNativePath(QByteArray(argv[1])), false);
    if (memory) {
        const size_t held = mallinfo2().uordblks - before;
        std::printf("%lld Einträge, %.1f Bytes je Eintrag (Heap, sizeof(FileItem) = %zu)\n",
                    static_cast<long long>(items.size()), double(held) / double(items.size()), sizeof(FileItem));
    } else {
        std::printf("%lld\n", static_cast<long long>(items.size()));
    }
    return 0;
}
