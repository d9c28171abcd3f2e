#pragma once

#include "core/CancellationToken.h"
#include "core/FileItem.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

// The outcome of one folder listing, with the state it was started for so
// that the panel can tell a stale result from a current one.
struct ListingResult {
    enum class Outcome { listed, cancelled, failed };

    FileUrl folder;
    bool showHidden = false;
    Outcome outcome = Outcome::cancelled;
    QList<FileItem> items;
    std::optional<qint64> freeBytes;
    QString errorType;        // BrenvikError::typeName()
    QString errorDescription; // its German description
};

// The background work of one panel: the folder listing (one at a time, a new
// one cancels the old) and folder sizes (several at once, one per folder).
// Results arrive on the thread that owns this object. Destroying it cancels
// everything and waits until the workers have let go.
class PanelWorker : public QObject {
    Q_OBJECT

public:
    using ListingFunction = std::function<QList<FileItem>(const FileUrl&, bool showHidden, const CancellationToken&)>;
    using SizeFunction = std::function<qint64(const FileUrl&, const CancellationToken&)>;

    explicit PanelWorker(QObject* parent = nullptr);
    ~PanelWorker() override;

    // Tests put slow or failing listings here; the default is FileSystemCore.
    void setListingFunction(ListingFunction function) { m_list = std::move(function); }
    void setSizeFunction(SizeFunction function) { m_size = std::move(function); }

    void onListingFinished(std::function<void(const ListingResult&)> handler) { m_listingHandler = std::move(handler); }
    void onSizeFinished(std::function<void(const FileUrl&, std::optional<qint64>)> handler)
    {
        m_sizeHandler = std::move(handler);
    }

    void startListing(const FileUrl& folder, bool showHidden);
    void cancelListing();
    bool isListing() const { return m_listingFlag != nullptr; }
    void startFolderSize(const FileUrl& folder);
    // Blocks until no task runs any more; their results are then posted.
    void waitForDone();

private:
    using Flag = std::shared_ptr<std::atomic_bool>;

    // Separate pools, so that long folder sums never hold up a listing.
    QThreadPool m_listingPool;
    QThreadPool m_sizePool;
    ListingFunction m_list;
    SizeFunction m_size;
    std::function<void(const ListingResult&)> m_listingHandler;
    std::function<void(const FileUrl&, std::optional<qint64>)> m_sizeHandler;
    Flag m_listingFlag;
    QHash<FileUrl, Flag> m_sizeFlags;
};
