#pragma once

#include "core/CancellationToken.h"
#include "core/FileUrl.h"
#include "platform/EntryIdentity.h"
#include "platform/FolderChain.h"

#include <QByteArray>
#include <sys/stat.h>
#include <sys/types.h>
#include <unordered_map>
#include <vector>

// Copies entries as `cp -a` does, for one job of any number of entries: a file
// (holes stay holes), a symbolic link (as a link, never followed), a FIFO,
// socket or device (recreated, never opened), or a folder with everything in
// it. Kept: permission bits, access and modification times to the nanosecond,
// the user's extended attributes and POSIX ACLs, and hard links between entries
// copied by the same FileCopier. Set-user-ID and set-group-ID bits are dropped
// from a copy that belongs to someone else than the source: a copy never hands
// out another user's rights.
//
// Everything below the top-level entry is reached through open folder
// descriptors (a link swapped into the tree is copied as a link, never written
// through), at most a fixed number of them however deep the tree. A folder
// reached again below itself (through a bind mount) ends the copy.
//
// The token is looked at before every entry and every block of data, so a
// cancelled copy stops within one block and removes what it made.
class FileCopier {
public:
    enum class Purpose {
        copy, // the copy belongs to whoever copies, as any new file
        move  // the copy keeps the source's owner where the system lets us, and
              // what was copied is remembered (see copiedEntries)
    };

    explicit FileCopier(CancellationToken token = {});
    FileCopier(const FileCopier&) = delete;
    FileCopier& operator=(const FileCopier&) = delete;

    // Copies `source` to `target`, a name that must not exist yet. Throws
    // SystemError or LocalFileError naming the entry that failed (below
    // `shownTarget` when `target` is a temporary name), CancellationError when
    // the token fired; whatever was created at `target` is gone by then, even
    // read-only folders.
    void copy(const FileUrl& source, const FileUrl& target, Purpose purpose, const FileUrl& shownTarget = {});

    // Copies the regular file open at `in`, whose status `st` was taken when it
    // was opened, to the new name `targetName` in the open folder `targetDir`,
    // as copy() copies a file: for callers that walk their folders themselves
    // and check the source afterwards. Errors name `shownSource` or
    // `shownTarget`; a file it created stays for the caller to remove.
    void copyOpenFile(int in, const struct stat& st, int targetDir, const char* targetName,
                      const QByteArray& shownSource, const QByteArray& shownTarget);

    // The entry copied last was renamed from its target to `location`: later
    // hard links to its files are made there.
    void copyMovedTo(const FileUrl& location);

    // The source entries the last copy with Purpose::move took, as they were.
    const CopiedEntries& copiedEntries() const { return m_copied; }

    // Entries whose extended attributes or ACLs the target's file system could
    // not store (the copies themselves are complete).
    qsizetype attributesNotKept() const { return m_attributesNotKept; }

private:
    struct LinkOrigin {
        std::size_t root;         // index into m_roots
        QByteArray relativePath;  // below that root, empty for the root itself
        EntryStamp stamp;         // a reused inode number is no second name
    };

    void copyEntry(int sourceDir, const char* name, const struct stat& st, int targetDir, const char* targetName);
    void copyFile(int sourceDir, const char* name, const struct stat& st, int targetDir, const char* targetName);
    void writeFile(int in, const struct stat& st, int targetDir, const char* targetName);
    void copyFolder(int sourceDir, const char* name, const struct stat& st, int targetDir, const char* targetName);
    void copyChildren();
    void copyLink(int sourceDir, const char* name, const struct stat& st, int targetDir, const char* targetName);
    void copySpecial(const struct stat& st, int targetDir, const char* targetName);
    bool linkToEarlierCopy(const struct stat& st, int targetDir, const char* targetName);
    void copied(const struct stat& st);
    void copyData(int in, int out, const struct stat& st);
    bool copyHoles(int in, int out, off_t size);
    void copyRange(int in, int out, off_t offset, off_t length);
    void copyStream(int in, int out);
    void copyAttributes(int sourceFd, int targetFd, const struct stat& st, bool modeIsFinal = false);
    bool takeSourceOwner(int targetDir, const char* targetName, int fd, const struct stat& st);
    mode_t permittedMode(const struct stat& st, bool ownerTaken) const;
    void applyTimes(int targetDir, const char* targetName, int fd, const struct stat& st);
    void created();
    [[noreturn]] void failSource(int code) const;
    [[noreturn]] void failTarget(int code) const;

    CancellationToken m_token;
    uid_t m_uid;
    gid_t m_gid;
    int m_creationMask;
    bool m_cloneWorks = true;
    bool m_rangeCopyWorks = true;
    std::vector<char> m_buffer;
    qsizetype m_attributesNotKept = 0;

    // The copies of this job, where they lie now; empty once removed again.
    std::vector<QByteArray> m_roots;
    std::unordered_map<EntryIdentity, LinkOrigin, EntryIdentityHash> m_linkOrigins;

    // State of the running copy.
    Purpose m_purpose = Purpose::copy;
    CopiedEntries m_copied;
    bool m_topCreated = false;
    EntryIdentity m_topIdentity;
    FolderChain m_sources;
    FolderChain m_targets;
    QByteArray m_sourceRoot;
    QByteArray m_shownRoot;
    // Path of the entry being copied below the roots ("" or "/a/b"); it grows
    // and shrinks with the walk instead of being built for every entry.
    QByteArray m_relative;
};
