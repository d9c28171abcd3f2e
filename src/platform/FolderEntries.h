#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The names in an open folder except "." and "..", read whole before any of
// them is worked on, so that the folder's descriptor is free again for other
// uses (see FolderChain).
class FolderEntries {
public:
    // False (errno set) when the folder cannot be read.
    bool read(int folderFd);

    std::size_t size() const { return m_offsets.size(); }
    const char* name(std::size_t index) const { return m_names.data() + m_offsets[index]; }
    // The type the folder reports (DT_DIR, DT_REG, … or DT_UNKNOWN).
    unsigned char type(std::size_t index) const { return m_types[index]; }

private:
    std::string m_names; // one after the other, each ending in '\0'
    std::vector<std::uint32_t> m_offsets;
    std::vector<unsigned char> m_types;
};
