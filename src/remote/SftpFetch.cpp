#include "remote/SftpFetch.h"

#include "remote/PartialDownload.h"
#include "remote/SftpCommand.h"
#include "remote/SftpTransportError.h"

#include <deque>
#include <unistd.h>

namespace {

// Enough to cover the way from sftp to this program and back, even while
// this program waits a moment for a processor; few enough that the sessions
// finish a batch at nearly the same time.
constexpr size_t commandsAhead = 16;

struct SentFile {
    qsizetype index;
    FileUrl partial;
    QByteArray marker;
};

} // namespace

SftpFetch::SftpFetch(const QList<FileDownload>& files, const std::function<void(qsizetype)>& arrived,
                     const CancellationToken& stop, std::chrono::milliseconds wait)
    : m_files(files), m_arrived(arrived),
      m_stop([this, stop] { return stop.isCancelled() || m_failed.load(std::memory_order_relaxed); }), m_wait(wait)
{
}

void SftpFetch::run(SftpSession& session, const std::function<void()>& between)
{
    std::deque<SentFile> sent;
    try {
        for (;;) {
            m_stop.throwIfCancelled();
            if (between)
                between();
            while (sent.size() < commandsAhead) {
                const qsizetype index = m_next.fetch_add(1);
                if (index >= m_files.size())
                    break;
                const FileDownload& file = m_files[index];
                sent.push_back({index, partialFileFor(file.localFile), {}});
                sent.back().marker = session.send("get " + SftpCommand::remoteArgument(file.remotePath) + ' '
                                                      + SftpCommand::localArgument(sent.back().partial) + '\n',
                                                  m_wait);
            }
            if (sent.empty())
                return;
            const SentFile& next = sent.front();
            const SftpSession::Answer answer =
                session.receive(next.marker, m_wait, [&next] { return currentFileSize(next.partial); }, m_stop);
            if (!answer.errors.isEmpty())
                throw SFTPTransportError::command(answer.errors);
            movePartialIntoPlace(next.partial, m_files[next.index].localFile);
            {
                const std::lock_guard lock(m_arrivedLock);
                m_arrived(next.index);
            }
            sent.pop_front();
        }
    } catch (...) {
        m_failed = true;
        session.stop();
        for (const SentFile& file : sent)
            ::unlink(file.partial.nativePath().constData());
        throw;
    }
}
