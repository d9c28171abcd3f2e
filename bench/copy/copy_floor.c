/* The syscall floor of copying a tree with its modes and times: per entry one
 * fstatat, and for a file open, create (umask 0, so the mode is right at once),
 * copy_file_range, futimens and two closes. No error recovery, no staging name,
 * no fallbacks. Usage: bench_copy_floor SOURCE TARGET */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static void die(const char* what)
{
    perror(what);
    exit(1);
}

static void copy_entry(int sd, const char* name, const struct stat* st, int dd)
{
    const struct timespec times[2] = {st->st_atim, st->st_mtim};
    if (S_ISREG(st->st_mode)) {
        int in = openat(sd, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        int out = openat(dd, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, st->st_mode & 07777);
        if (in < 0 || out < 0)
            die(name);
        for (off_t done = 0; done < st->st_size;) {
            ssize_t n = copy_file_range(in, NULL, out, NULL, (size_t)(st->st_size - done), 0);
            if (n <= 0)
                die("copy_file_range");
            done += n;
        }
        futimens(out, times);
        close(in);
        close(out);
    } else if (S_ISLNK(st->st_mode)) {
        char text[4096];
        ssize_t length = readlinkat(sd, name, text, sizeof text - 1);
        if (length < 0)
            die(name);
        text[length] = '\0';
        if (symlinkat(text, dd, name) != 0)
            die(name);
        utimensat(dd, name, times, AT_SYMLINK_NOFOLLOW);
    } else if (S_ISDIR(st->st_mode)) {
        int in = openat(sd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (in < 0 || mkdirat(dd, name, 0700) != 0)
            die(name);
        int out = openat(dd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        DIR* dir = fdopendir(in);
        if (out < 0 || !dir)
            die(name);
        for (struct dirent* e; (e = readdir(dir));) {
            if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0)
                continue;
            struct stat child;
            if (fstatat(dirfd(dir), e->d_name, &child, AT_SYMLINK_NOFOLLOW) != 0)
                die(e->d_name);
            copy_entry(dirfd(dir), e->d_name, &child, out);
        }
        closedir(dir);
        fchmod(out, st->st_mode & 07777);
        futimens(out, times);
        close(out);
    }
}

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    umask(0);
    struct stat st;
    char* source = strdup(argv[1]);
    char* target = strdup(argv[2]);
    char* sourceName = strrchr(source, '/');
    char* targetName = strrchr(target, '/');
    if (!sourceName || !targetName || lstat(argv[1], &st) != 0)
        return 2;
    *sourceName++ = '\0';
    *targetName++ = '\0';
    int sd = open(*source ? source : "/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int dd = open(*target ? target : "/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (sd < 0 || dd < 0 || strcmp(sourceName, targetName) != 0)
        return 2;
    copy_entry(sd, sourceName, &st, dd);
    return 0;
}
