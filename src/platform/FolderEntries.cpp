#include "platform/FolderEntries.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>

bool FolderEntries::read(int folderFd)
{
    m_names.clear();
    m_offsets.clear();
    m_types.clear();
    alignas(dirent64) char buffer[32 * 1024];
    for (;;) {
        const ssize_t got = getdents64(folderFd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        for (ssize_t at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
            at += entry->d_reclen;
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
                continue;
            m_offsets.push_back(std::uint32_t(m_names.size()));
            m_types.push_back(entry->d_type);
            m_names.append(name, std::strlen(name) + 1);
        }
    }
}
