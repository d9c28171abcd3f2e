#pragma once

#include "core/FileUrl.h"

#include <QByteArray>
#include <QFuture>
#include <QList>
#include <QThreadPool>
#include <atomic>

// Where the archive tools live; tests may point elsewhere.
struct ArchiveTools {
    QByteArray zip = QByteArrayLiteral("/usr/bin/zip");
    QByteArray unzip = QByteArrayLiteral("/usr/bin/unzip");
    QByteArray tar = QByteArrayLiteral("/usr/bin/tar");
};

// Packs and unpacks ZIP and TAR archives through the system's archive tools.
// A serial executor: one worker thread, one job at a time, never the GUI thread.
//
// Nothing half-done ever appears under the user's names: every tool works in a
// private ".brvk-" folder beside the result (ArchiveStaging), and only a complete
// result is renamed out, never over an existing entry; a name taken meanwhile
// yields the next free one, which the future returns. On failure or cancel the
// tool is ended and everything it wrote goes.
//
// Before anything is unpacked, the archive's listing is checked: every name (as
// bytes), every entry type (files, folders and links only) and the unpacked size
// against the free space. Tools never follow links when packing, never restore
// owners, set-id bits or special files when unpacking.
//
// Errors travel as ArchiveError, SystemError or ProcessStartError; a cancelled
// job ends its future cancelled.
class ArchiveProvider {
public:
    explicit ArchiveProvider(ArchiveTools tools = {});
    // Cancels the running job and waits for it to end.
    ~ArchiveProvider();
    ArchiveProvider(const ArchiveProvider&) = delete;
    ArchiveProvider& operator=(const ArchiveProvider&) = delete;

    // `sources`: entries of one folder; `destination`: the archive to create.
    QFuture<FileUrl> createZIP(QList<FileUrl> sources, FileUrl destination);
    QFuture<FileUrl> createTarGZ(QList<FileUrl> sources, FileUrl destination);
    // `destination`: the folder to create with the archive's contents.
    QFuture<FileUrl> extractZIP(FileUrl archive, FileUrl destination);
    // Tar archives, compressed or not.
    QFuture<FileUrl> extractTar(FileUrl archive, FileUrl destination);

    // The length of the name's tar suffix (".tar.gz", ".tgz", ".tar" …), 0 when it has none.
    static qsizetype tarSuffixLength(const QString& fileName);

    // The unpacking tools' arguments after the checks have passed. Also on their
    // own, the tools must keep every entry inside `folder` (tests show that).
    static QList<QByteArray> unzipArguments(const QByteArray& archive, const QByteArray& folder);
    static QList<QByteArray> untarArguments(const QByteArray& archive, const QByteArray& folder);

private:
    std::atomic_bool m_stopping = false;
    ArchiveTools m_tools;
    QThreadPool m_pool;
};
