#include "panels/PanelWorker.h"

#include "core/BrenvikError.h"
#include "core/FileSystemCore.h"
#include "panels/PanelPaths.h"

#include <QFutureWatcher>
#include <QtConcurrent>

namespace {

ListingResult list(const PanelWorker::ListingFunction& function, const FileUrl& folder, bool showHidden,
                   const CancellationToken& token)
{
    ListingResult result{folder, showHidden, ListingResult::Outcome::cancelled, {}, {}, {}, {}};
    try {
        result.items = function(folder, showHidden, token);
        result.freeBytes = PanelPaths::availableBytes(folder);
        result.outcome = ListingResult::Outcome::listed;
    } catch (const CancellationError&) {
        result.outcome = ListingResult::Outcome::cancelled;
    } catch (const BrenvikError& error) {
        result.outcome = ListingResult::Outcome::failed;
        result.errorType = error.typeName();
        result.errorDescription = error.description();
    } catch (const std::exception& error) {
        result.outcome = ListingResult::Outcome::failed;
        result.errorType = QStringLiteral("std::exception");
        result.errorDescription = QString::fromLocal8Bit(error.what());
    }
    if (token.isCancelled())
        result.outcome = ListingResult::Outcome::cancelled;
    return result;
}

CancellationToken tokenFor(const std::shared_ptr<std::atomic_bool>& flag)
{
    return CancellationToken([flag] { return flag->load(std::memory_order_relaxed); });
}

} // namespace

PanelWorker::PanelWorker(QObject* parent)
    : QObject(parent),
      m_list([](const FileUrl& folder, bool showHidden, const CancellationToken& token) {
          return FileSystemCore::contents(folder, showHidden, token);
      }),
      m_size([](const FileUrl& folder, const CancellationToken& token) {
          return FileSystemCore::directorySize(folder, token);
      })
{
    m_listingPool.setMaxThreadCount(4);
    m_sizePool.setMaxThreadCount(4);
}

PanelWorker::~PanelWorker()
{
    cancelListing();
    for (const Flag& flag : std::as_const(m_sizeFlags))
        flag->store(true);
    waitForDone();
}

void PanelWorker::waitForDone()
{
    m_listingPool.waitForDone();
    m_sizePool.waitForDone();
}

void PanelWorker::startListing(const FileUrl& folder, bool showHidden)
{
    cancelListing();
    const Flag flag = std::make_shared<std::atomic_bool>(false);
    m_listingFlag = flag;
    auto* watcher = new QFutureWatcher<ListingResult>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, flag] {
        ListingResult result = watcher->result();
        watcher->deleteLater();
        if (m_listingFlag == flag)
            m_listingFlag.reset();
        if (flag->load())
            result.outcome = ListingResult::Outcome::cancelled;
        if (m_listingHandler)
            m_listingHandler(result);
    });
    watcher->setFuture(QtConcurrent::task([function = m_list, folder, showHidden, flag] {
                           return list(function, folder, showHidden, tokenFor(flag));
                       })
                           .onThreadPool(m_listingPool)
                           .spawn());
}

void PanelWorker::cancelListing()
{
    if (m_listingFlag)
        m_listingFlag->store(true);
    m_listingFlag.reset();
}

void PanelWorker::startFolderSize(const FileUrl& folder)
{
    const Flag flag = std::make_shared<std::atomic_bool>(false);
    m_sizeFlags.insert(folder, flag);
    auto* watcher = new QFutureWatcher<std::optional<qint64>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, folder] {
        const std::optional<qint64> size = watcher->result();
        watcher->deleteLater();
        m_sizeFlags.remove(folder);
        if (m_sizeHandler)
            m_sizeHandler(folder, size);
    });
    watcher->setFuture(QtConcurrent::task([function = m_size, folder, flag]() -> std::optional<qint64> {
                           try {
                               return function(folder, tokenFor(flag));
                           } catch (const std::exception&) {
                               return std::nullopt;
                           }
                       })
                           .onThreadPool(m_sizePool)
                           .spawn());
}
