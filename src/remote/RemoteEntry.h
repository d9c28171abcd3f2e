#pragma once

#include <QString>
#include <optional>

// One entry of a remote folder listing, as the server reports it.
struct RemoteEntry {
    QString name;                // never "." or ".."
    bool isDirectory = false;
    std::optional<qint64> size;  // absent when unknown
    QString modified;            // the server's date text, shown as is; empty when unknown
    bool isLink = false;         // a symbolic link (never a folder: what it points to is unknown)
    bool typeKnown = true;       // false in a names-only listing: folder, file or link cannot be told

    friend bool operator==(const RemoteEntry&, const RemoteEntry&) = default;
};
