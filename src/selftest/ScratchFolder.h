#pragma once

#include "core/FileUrl.h"

#include <QString>

// A fresh "Brenvik-<purpose>-<UUID>" folder in the system's temporary directory,
// removed with everything in it when the object goes away, on every path.
class ScratchFolder {
public:
    // Throws SystemError when the folder cannot be created.
    explicit ScratchFolder(const QString& purpose);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const FileUrl& url() const { return m_url; }

private:
    FileUrl m_url;
};
