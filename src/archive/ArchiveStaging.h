#pragma once

#include "core/FileUrl.h"

#include <QByteArray>

// A private folder ".brvk-<random>" inside the folder where an archive tool's
// result belongs. The tool works in there unseen and undisturbed (nobody else
// may even enter it); only a complete result is moved out under the user's
// name. The folder goes with everything in it when the object does.
class ArchiveStaging {
public:
    // Throws SystemError when the folder cannot be made.
    explicit ArchiveStaging(const FileUrl& folder);
    ~ArchiveStaging();
    ArchiveStaging(const ArchiveStaging&) = delete;
    ArchiveStaging& operator=(const ArchiveStaging&) = delete;

    FileUrl entry(const QByteArray& name) const { return m_root.appending(name); }
    // Free bytes for an unprivileged writer on the file system of the folder.
    qint64 availableBytes() const;

    // Moves the entry `name` out to `destination`, or, when something took that
    // name meanwhile, to the next free name beside it; never replaces anything.
    // Returns where the entry went. Throws SystemError.
    FileUrl publish(const QByteArray& name, const FileUrl& destination) const;

private:
    FileUrl m_root;
};
