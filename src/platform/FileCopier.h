#pragma once

#include "core/FileUrl.h"

#include <QByteArray>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

// Copies one entry — a file, a symbolic link (as a link, never followed), a FIFO,
// socket or device (recreated, never opened), or a folder with everything in it —
// to a name that must not exist yet. Permission bits and access and modification
// times (to the nanosecond) are kept, except set-user-ID and set-group-ID bits on
// a copy that belongs to someone else than the source: a copy never hands out
// another user's rights. Everything below the top-level entry is
// reached through open folder descriptors, so a link swapped into the tree while
// it is copied is copied as a link and never written through.
class FileCopier {
public:
    enum class Ownership {
        copier,    // the copy belongs to whoever copies (as with any new file)
        keepSource // the copy keeps the source's owner where the system lets us (moves)
    };

    explicit FileCopier(Ownership ownership = Ownership::copier);

    // Throws SystemError naming the entry that failed (below `shownTarget` when the
    // copy goes to a temporary name first); whatever was created at `target` has
    // been removed again by then.
    void copy(const FileUrl& source, const FileUrl& target, const FileUrl& shownTarget = {});

private:
    void copyEntry(int sourceDir, const char* sourceName, const struct stat& st, int targetDir, const char* targetName);
    void copyFile(int sourceDir, const char* sourceName, const struct stat& st, int targetDir, const char* targetName);
    void copyFolder(int sourceDir, const char* sourceName, const struct stat& st, int targetDir, const char* targetName);
    void copyLink(int sourceDir, const char* sourceName, const struct stat& st, int targetDir, const char* targetName);
    void copySpecial(const struct stat& st, int targetDir, const char* targetName);
    void copyData(int in, int out, off_t size);
    void copyByReadWrite(int in, int out);
    bool takeSourceOwner(int targetDir, const char* targetName, int fd, const struct stat& st);
    mode_t permittedMode(const struct stat& st, bool ownerTaken) const;
    void applyTimes(int targetDir, const char* targetName, int fd, const struct stat& st);
    void created();
    [[noreturn]] void failSource(int code) const;
    [[noreturn]] void failTarget(int code) const;

    bool m_keepOwner;
    uid_t m_uid;
    gid_t m_gid;
    bool m_cloneWorks = true;
    bool m_rangeCopyWorks = true;
    bool m_topCreated = false;
    int m_depth = 0;
    // Paths of the entry being copied, for error messages only; they grow and
    // shrink with the walk instead of being built for every entry.
    QByteArray m_sourcePath;
    QByteArray m_targetPath;
    std::vector<char> m_buffer;
};
