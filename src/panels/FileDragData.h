#pragma once

#include "core/FileUrl.h"

#include <QByteArray>
#include <QList>

// File URLs on the clipboard and in drags ("text/uri-list"), built from and read
// back into the exact path bytes: a name that is not valid UTF-8 travels
// percent-encoded byte for byte and never turns into another file's name.
namespace FileDragData {

inline constexpr char uriListType[] = "text/uri-list";

QByteArray uriList(const QList<FileUrl>& localUrls);
// The local file URLs of a uri list ("file:///…" or "file://localhost/…");
// comments, other schemes and other hosts are skipped.
QList<FileUrl> localUrls(const QByteArray& uriList);

// Whether dropping `sources` into `target` would put a folder into itself or
// one of its own subfolders (all compared standardised).
bool dropsIntoItself(const QList<FileUrl>& sources, const FileUrl& target);

} // namespace FileDragData
