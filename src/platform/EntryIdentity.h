#pragma once

#include <cstddef>
#include <ctime>
#include <functional>
#include <sys/stat.h>
#include <sys/types.h>
#include <unordered_map>

// What names one entry however it is reached: its device and inode.
struct EntryIdentity {
    dev_t device = 0;
    ino_t inode = 0;

    static EntryIdentity of(const struct stat& st) { return {st.st_dev, st.st_ino}; }
    friend bool operator==(const EntryIdentity&, const EntryIdentity&) = default;
};

struct EntryIdentityHash {
    std::size_t operator()(const EntryIdentity& identity) const noexcept
    {
        return std::hash<ino_t>()(identity.inode) ^ (std::hash<dev_t>()(identity.device) << 1);
    }
};

// What a copied entry looked like when it was read: a move may remove the source
// entry only while it still looks so (a file written to meanwhile stays).
struct EntryStamp {
    struct timespec modified {};
    off_t size = 0;
    bool isFolder = false; // folders go when they are empty, whatever their times

    static EntryStamp of(const struct stat& st)
    {
        return {st.st_mtim, st.st_size, S_ISDIR(st.st_mode)};
    }
    bool matches(const struct stat& st) const
    {
        if (isFolder)
            return S_ISDIR(st.st_mode);
        return !S_ISDIR(st.st_mode) && st.st_size == size && st.st_mtim.tv_sec == modified.tv_sec
            && st.st_mtim.tv_nsec == modified.tv_nsec;
    }
};

using CopiedEntries = std::unordered_map<EntryIdentity, EntryStamp, EntryIdentityHash>;
