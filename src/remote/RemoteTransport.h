#pragma once

#include "core/CancellationToken.h"
#include "core/FileUrl.h"
#include "remote/RemoteEntry.h"

#include <QList>
#include <QString>
#include <functional>

// One file of a batch download.
struct FileDownload {
    QString remotePath;
    FileUrl localFile;
};

// The single operations of one remote protocol. A provider calls them on its own
// worker thread, one at a time; they block until the server has answered and
// throw the protocol's error (or a local SystemError) on failure. Remote paths
// are absolute, slash-separated, as shown to the user.
class RemoteTransport {
public:
    virtual ~RemoteTransport() = default;

    // The folder's entries, folders first, then names in natural order.
    virtual QList<RemoteEntry> list(const QString& path) = 0;
    // The listing a tree operation may act on: where a tool may show names
    // altered or a name may forge another entry's line, such a listing fails
    // with RemoteTransportError::unreadableNames instead.
    virtual QList<RemoteEntry> listExactly(const QString& path) { return list(path); }
    // Whether the path can be listed as a folder; never fails.
    virtual bool probeDirectory(const QString& path) = 0;
    virtual void download(const QString& remotePath, const FileUrl& localFile) = 0;
    // The files in order, each as `download` leaves it; the first failure ends
    // the batch and is thrown. `arrived` hears the index of each file once it is
    // in place, so that a failure still tells what came before it.
    virtual void downloadFiles(const QList<FileDownload>& files, const std::function<void(qsizetype)>& arrived)
    {
        for (qsizetype i = 0; i < files.size(); ++i) {
            m_stop.throwIfCancelled();
            download(files[i].remotePath, files[i].localFile);
            arrived(i);
        }
    }
    virtual void upload(const FileUrl& localFile, const QString& remotePath) = 0;
    // Refuses to replace an existing entry where the protocol allows that.
    virtual void rename(const QString& path, const QString& newPath) = 0;
    // Puts `path` in the place of `newPath`, replacing an existing file there.
    virtual void replace(const QString& path, const QString& newPath) = 0;
    virtual void createDirectory(const QString& path) = 0;
    virtual void deleteEntry(const QString& path, bool directory) = 0;
    // Ends a lasting connection; nothing to do where every operation connects anew.
    virtual void disconnect() = 0;

    // Asked while a command runs: when it says stop, the running tool is ended
    // and the operation fails with CancellationError.
    void setStopCheck(CancellationToken token) { m_stop = std::move(token); }

protected:
    CancellationToken m_stop;
};
