#pragma once

#include "core/CancellationToken.h"
#include "core/FileUrl.h"
#include "remote/RemoteTransport.h"

#include <QStringList>
#include <functional>
#include <optional>

// What a tree transfer moved, for a move that must remove only that. Paths are
// the sources' (local paths for an upload, remote paths for a download). A
// folder is listed after everything in it, and only when nothing in it failed
// or was left out, so removing in order never removes what did not arrive.
// Filled on the provider's thread; read it once the operation has finished.
struct RemoteTransferLog {
    QStringList files;
    QStringList folders;
};

// Whole folders moved to, from and deleted on a server, built from a transport's
// single operations the same way for every protocol. The first error stops the
// operation; what was done stays done. The token is checked before every command.
//
// Tree operations never enter a link, on either side: on the server the
// listing's entry types are trusted (a change of folder would follow a link),
// deleting a link removes the link, a link to a file is downloaded as the
// file's content, a link to a folder is left out. Local links, FIFOs and other
// special files are never uploaded. What was left out is named in
// RemoteTransportError::linksLeftOut once everything else is done.
//
// Names a server lists are never trusted as paths: a listing with a name that
// is empty, "." or "..", holds "/" or a NUL, or appears twice stops the
// operation with RemoteTransportError::unsafeEntryName before anything of that
// folder is touched. A listing that cannot tell folders from links (names
// only) is not descended into. Trees deeper than 256 levels end with
// RemoteTransportError::tooDeep: listings carry no identities to recognise a
// loop by, so the depth bounds a server that lists a folder inside itself.
namespace RemoteTree {

constexpr int maximumDepth = 256;

void download(RemoteTransport& transport, const QString& remotePath, const FileUrl& local,
              const CancellationToken& token, RemoteTransferLog* log = nullptr);
// How one file of a tree upload is sent; empty: the transport's upload.
using FileUpload = std::function<void(RemoteTransport&, const FileUrl&, const QString&)>;

// Local names that are not UTF-8 or hold a line break are refused with
// RemoteTransportError::unusableName before anything of their folder is sent.
void upload(RemoteTransport& transport, const FileUrl& local, const QString& remotePath,
            const CancellationToken& token, RemoteTransferLog* log = nullptr, const FileUpload& send = {});
void remove(RemoteTransport& transport, const QString& path, const CancellationToken& token);

// parent + "/" + name, standardised: repeated slashes collapsed, "." and ".."
// resolved, no trailing slash.
QString childPath(const QString& parent, const QString& name);

bool isPlainEntryName(const QString& name);

// The name as text when it goes to a server unchanged: valid UTF-8 without
// line breaks or NUL.
std::optional<QString> transferableName(const QByteArray& name);

} // namespace RemoteTree
