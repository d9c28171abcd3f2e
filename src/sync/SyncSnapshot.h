#pragma once

#include "sync/SyncPlanItem.h"

#include <QByteArray>
#include <cstdint>
#include <span>
#include <vector>

class CancellationToken;

// Every entry below one folder, read once: names as bytes, kind, size and
// modification time. The entries of each folder lie side by side, sorted by
// their name bytes (which is code-point order for UTF-8 names), so two
// snapshots can be compared folder by folder with one merge each.
class SyncSnapshot {
public:
    struct Node {
        std::uint32_t nameOffset = 0;
        std::uint32_t nameLength = 0;
        std::uint32_t firstChild = 0;
        std::uint32_t childCount = 0;
        SyncEntryState state;
    };

    // Deeper folders end the walk with an error rather than being left out.
    static constexpr int maximumDepth = 256;

    // Walks the tree below `root` without following links below it (the root
    // itself may be one). Unreadable sub-folders count as empty; an entry whose
    // properties cannot be read, and a root that cannot be opened, throw
    // SystemError; cancellation throws CancellationError.
    static SyncSnapshot take(const QByteArray& root, const CancellationToken& token);

    std::span<const Node> rootEntries() const { return children(m_root); }
    std::span<const Node> children(const Node& folder) const
    {
        return {m_nodes.data() + folder.firstChild, folder.childCount};
    }
    std::span<const char> name(const Node& node) const { return {m_names.data() + node.nameOffset, node.nameLength}; }
    std::size_t size() const { return m_nodes.size(); }

private:
    class Walker;

    Node m_root;
    std::vector<Node> m_nodes;
    std::vector<char> m_names;
};
