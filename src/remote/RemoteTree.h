#pragma once

#include "core/CancellationToken.h"
#include "core/FileUrl.h"
#include "remote/RemoteTransport.h"

// Whole folders moved to, from and deleted on a server, built from a transport's
// single operations the same way for every protocol. Each child is probed
// rather than trusting its listed type. The first error stops the operation;
// what was done stays done. The token is checked before every entry.
//
// Names a server lists are never trusted as paths: a listing with a name that
// is empty, "." or "..", or holds "/" or a NUL stops the operation with
// RemoteTransportError::unsafeEntryName before anything of that folder is
// touched, so nothing outside the given folders is ever written or deleted.
namespace RemoteTree {

void download(RemoteTransport& transport, const QString& remotePath, const FileUrl& local,
              const CancellationToken& token);
// A symbolic link is uploaded as the file it points to, also when that is a folder.
void upload(RemoteTransport& transport, const FileUrl& local, const QString& remotePath,
            const CancellationToken& token);
void remove(RemoteTransport& transport, const QString& path, const CancellationToken& token);

// parent + "/" + name, standardised: repeated slashes collapsed, "." and ".."
// resolved, no trailing slash.
QString childPath(const QString& parent, const QString& name);

bool isPlainEntryName(const QString& name);

} // namespace RemoteTree
