#pragma once

#include "core/CancellationToken.h"
#include "remote/RemoteTransport.h"
#include "remote/SftpSession.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>

// The files of one batch download, handed out to one or more sftp sessions
// that fetch at the same time. Each session keeps several commands on their
// way, so that sftp never waits for this program between files; whichever
// session has room takes the next file. Every file goes to its own ".brvk-"
// file and is moved into place when its answer says it is complete.
class SftpFetch {
public:
    SftpFetch(const QList<FileDownload>& files, const std::function<void(qsizetype)>& arrived,
              const CancellationToken& stop, std::chrono::milliseconds wait);

    // Fetches files in `session` until none are left. `between` runs before
    // each file is taken. Thread-safe: `arrived` is called by one session
    // at a time. The first failure ends every session's part: the session is
    // stopped before its unfinished files are deleted (the commands sent ahead
    // would still write), and a session ended for another's failure throws
    // CancellationError.
    void run(SftpSession& session, const std::function<void()>& between = {});

private:
    const QList<FileDownload>& m_files;
    const std::function<void(qsizetype)>& m_arrived;
    CancellationToken m_stop;
    std::chrono::milliseconds m_wait;
    std::atomic<qsizetype> m_next{0};
    std::atomic_bool m_failed{false};
    std::mutex m_arrivedLock;
};
