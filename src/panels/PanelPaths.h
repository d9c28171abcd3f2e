#pragma once

#include "core/FileUrl.h"

#include <QString>
#include <optional>

// Path helpers of the panels. Everything works on the exact path bytes, so a
// folder whose name is not valid UTF-8 is shown, compared and listed as itself.
namespace PanelPaths {

// Resolves "." and ".." and drops repeated separators, by text alone: symbolic
// links are not followed. "/.." stays "/". Remote URLs come back unchanged.
FileUrl standardized(const FileUrl& url);

// A local path typed by the user; nothing unless it is absolute.
std::optional<FileUrl> typedPath(const QString& text);

// The last path component, "/" for the root.
QString folderTitle(const FileUrl& folder);

// Whether something exists at the path (links are not followed).
bool exists(const FileUrl& url);
// Whether the path leads to a folder (a link to a folder counts).
bool isFolder(const FileUrl& url);

// The path as text, or that of the nearest ancestor that has an exact text
// form: settings and Qt's file classes only take text.
QString nearestTextPath(const FileUrl& url);

// Free bytes for the user on the volume holding the folder; nothing when the
// system gives no figure.
std::optional<qint64> availableBytes(const FileUrl& folder);

} // namespace PanelPaths
