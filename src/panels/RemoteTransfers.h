#pragma once

#include "core/CancellationToken.h"
#include "core/FileUrl.h"
#include "operations/FileOperationQueue.h"
#include "remote/RemoteEntry.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class CurlRemoteProvider;

// The cross-panel transfers of remote panels, top-level entry by entry, one
// after the other. Each runs on a thread of its own that waits for the
// providers (never on the GUI thread) and throws the first error; entries done
// before it stay done.
//
// Uploads never write under a real name before they are complete: an entry is
// sent under a temporary ".brvk-" name and renamed into place; an entry being
// replaced is set aside first and removed only once its successor is in place.
// A name the target folder already lists is a conflict for the user to decide.
// Moves remove only what was transferred: the entries the copy holds, not what
// appeared at the source meanwhile.
namespace RemoteTransfers {

using ConflictDecision = FileOperationQueue::ConflictDecision;

struct Event {
    enum class Kind { fetching, sending, done };
    Kind kind;
    qsizetype index; // fetching and sending: 0-based entry; done: entries finished
    qsizetype total;
    QString name;
};

struct Callbacks {
    std::function<void(const Event&)> progress;
    // A top-level name the target folder lists already; `targetPath` is its remote path.
    std::function<ConflictDecision(const FileUrl& source, const RemoteEntry& existing, const QString& targetPath)>
        conflict;
    CancellationToken token;
};

void upload(CurlRemoteProvider& target, const QList<FileUrl>& sources, const QString& folder, bool moving,
            const Callbacks& callbacks);
// Each entry under its own name in `folder`, or a free name when that is taken.
void download(CurlRemoteProvider& source, const QStringList& paths, const FileUrl& folder, bool moving,
              const Callbacks& callbacks);
// Through copies in `staging`, a folder this call makes and removes again.
void betweenServers(CurlRemoteProvider& source, CurlRemoteProvider& target, const QStringList& paths,
                    const QString& targetFolder, bool moving, const FileUrl& staging, const Callbacks& callbacks);

} // namespace RemoteTransfers
