/* The syscall floor of a sorted listing: read the directory, fstatat each
 * entry, sort the names. Nothing else. */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

struct entry {
    char* name;
    struct stat st;
};

static int by_name(const void* a, const void* b)
{
    return strcasecmp(((const struct entry*)a)->name, ((const struct entry*)b)->name);
}

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    DIR* dir = opendir(argv[1]);
    if (!dir)
        return 1;
    int fd = dirfd(dir);
    size_t count = 0, capacity = 1024;
    struct entry* entries = malloc(capacity * sizeof *entries);
    struct dirent* d;
    while ((d = readdir(dir))) {
        if (d->d_name[0] == '.')
            continue;
        if (count == capacity)
            entries = realloc(entries, (capacity *= 2) * sizeof *entries);
        entries[count].name = strdup(d->d_name);
        if (fstatat(fd, d->d_name, &entries[count].st, AT_SYMLINK_NOFOLLOW) == 0)
            ++count;
    }
    qsort(entries, count, sizeof *entries, by_name);
    printf("%zu\n", count);
    return 0;
}
