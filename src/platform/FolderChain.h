#pragma once

#include "platform/EntryIdentity.h"
#include "platform/UniqueFd.h"

#include <cstddef>
#include <vector>

// The open folders of a walk down a tree, from the top to the folder being
// worked on. However deep the tree, at most `keptOpen` of them hold a
// descriptor: pushing deeper closes the highest open one, and popping back to
// a closed one opens it again through ".." of its child, checked by device and
// inode, so that a folder moved meanwhile is noticed instead of walked.
class FolderChain {
public:
    static constexpr std::size_t keptOpen = 24;

    // Takes over `folder`; false (errno set) when it cannot be looked at.
    bool push(UniqueFd folder);
    // Closes the innermost folder. False (errno set, ESTALE when it is no longer
    // the folder it was) when the folder above cannot be opened again; the
    // chain is then unusable.
    bool pop();

    // The innermost folder's descriptor.
    int top() const { return m_levels.back().fd.get(); }
    const EntryIdentity& topIdentity() const { return m_levels.back().identity; }
    bool isEmpty() const { return m_levels.empty(); }
    std::size_t size() const { return m_levels.size(); }
    void clear() { m_levels.clear(); }
    // Whether a folder of this chain (the innermost one included) is `identity`.
    bool contains(const EntryIdentity& identity) const;

private:
    struct Level {
        UniqueFd fd;
        EntryIdentity identity;
    };
    std::vector<Level> m_levels;
};

// Device and inode of an open entry; false (errno set) when fstat fails.
bool identityOf(int fd, EntryIdentity& identity);

// Whether the folder `folderFd` or one of the folders above it (followed through
// "..", so bind mounts count as what they are) is `identity`. Stops, answering
// false, where an ancestor cannot be opened.
bool liesIn(int folderFd, const EntryIdentity& identity);
