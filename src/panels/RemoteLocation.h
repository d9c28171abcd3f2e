#pragma once

#include "remote/RemoteProfile.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <optional>

// Paths, texts and drag data of a panel that shows a remote folder. Remote
// paths are absolute and slash-separated, "/" for the root.
namespace RemoteLocation {

// "SFTP://host/path", the protocol as the profile names it.
QString description(const RemoteProfile& profile, const QString& path);

// The folder above, "/" when nothing is left; "/" itself has none.
std::optional<QString> parentPath(const QString& path);

// A location typed into the path field: after "://" the part from the first "/"
// on (the host plays no part), else a text starting with "/"; nothing otherwise.
std::optional<QString> typedPath(const QString& text);

// "Bericht.pdf" when `taken` does not hold it, else the first free
// "Bericht 2.pdf", "Bericht 3.pdf", … (the local free-name rule).
QString freeName(const QString& name, const QSet<QString>& taken);

// The private drag type: the application identifier and ".remote-items".
QString dragType();
// Per entry the profile id, a line feed, the remote path; entries one after
// the other, joined by a line feed.
QByteArray dragText(const QUuid& profileId, const QStringList& remotePaths);
struct DraggedEntries {
    QUuid profileId;
    QStringList remotePaths;
};
// Nothing unless every entry is an id and an absolute path, all of one profile.
std::optional<DraggedEntries> parseDragText(const QByteArray& text);

} // namespace RemoteLocation
