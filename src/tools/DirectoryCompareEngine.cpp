#include "tools/DirectoryCompareEngine.h"

#include "core/BrenvikError.h"
#include "core/FileSystemCore.h"

#include <QHash>
#include <QPromise>
#include <QtConcurrent>

namespace {

bool sameEntry(const FileItem& left, const FileItem& right)
{
    if (left.isDirectory || right.isDirectory)
        return left.isDirectory && right.isDirectory;
    return left.size == right.size;
}

} // namespace

DirectoryCompareEngine::DirectoryCompareEngine()
{
    m_pool.setMaxThreadCount(1);
    m_pool.setExpiryTimeout(-1);
}

DirectoryCompareEngine::~DirectoryCompareEngine()
{
    m_stopping = true;
    m_pool.waitForDone();
}

QFuture<DirectoryComparison> DirectoryCompareEngine::compare(const FileUrl& left, const FileUrl& right)
{
    return QtConcurrent::run(&m_pool, [this, left, right](QPromise<DirectoryComparison>& promise) {
        const CancellationToken token([&promise, this] { return promise.isCanceled() || m_stopping.load(); });
        try {
            const QList<FileItem> leftItems = FileSystemCore::contents(left, true, token);
            const QList<FileItem> rightItems = FileSystemCore::contents(right, true, token);
            promise.addResult(compareListings(leftItems, rightItems, token));
        } catch (const CancellationError&) {
            promise.future().cancel();
        } catch (...) {
            promise.setException(std::current_exception());
        }
    });
}

// The names of one folder are unique, so one index of the right side answers
// every left name; right names never looked up are missing on the left.
DirectoryComparison DirectoryCompareEngine::compareListings(const QList<FileItem>& left,
                                                            const QList<FileItem>& right,
                                                            const CancellationToken& token)
{
    QHash<QByteArray, qsizetype> rightByName;
    rightByName.reserve(right.size());
    for (qsizetype i = 0; i < right.size(); ++i)
        rightByName.insert(right[i].url.nativeFileName(), i);

    DirectoryComparison result;
    std::vector<bool> rightMatched(size_t(right.size()), false);
    for (const FileItem& item : left) {
        token.throwIfCancelled();
        const auto found = rightByName.constFind(item.url.nativeFileName());
        if (found == rightByName.cend()) {
            result.leftMarks.insert(item.url);
            continue;
        }
        const FileItem& namesake = right[*found];
        rightMatched[size_t(*found)] = true;
        if (sameEntry(item, namesake)) {
            ++result.identicalCount;
        } else {
            result.leftMarks.insert(item.url);
            result.rightMarks.insert(namesake.url);
        }
    }
    for (qsizetype i = 0; i < right.size(); ++i) {
        if (!rightMatched[size_t(i)])
            result.rightMarks.insert(right[i].url);
    }
    return result;
}
