#pragma once

#include "core/FileUrl.h"

#include <QString>
#include <chrono>
#include <cstdint>
#include <optional>

using FileTime = std::chrono::time_point<std::chrono::system_clock, std::chrono::nanoseconds>;

// One directory entry, local or remote. A plain value: copied, never shared.
struct FileItem {
    FileUrl url;
    bool isDirectory = false;     // a link to a folder is not a folder
    bool isSymbolicLink = false;
    qint64 size = 0;              // logical size; 0 for folders and where none is known
    std::optional<FileTime> modified;
    // Low twelve mode bits of the entry itself (0 when unreadable). The text form
    // is `permissions()`; remote entries read "remote".
    quint16 modeBits = 0;

    // An entry of a remote folder, identified by its virtual URL.
    static FileItem remoteEntry(const QString& profileId, const QString& name, bool isDirectory,
                                std::optional<qint64> size);

    QString name() const { return url.fileName(); }
    // "Ordner", the upper-case extension, or "Datei".
    QString kind() const;
    // "%03o" of the mode bits (755, 644, 4755), or "remote".
    QString permissions() const;

    friend bool operator==(const FileItem&, const FileItem&) = default;
};
