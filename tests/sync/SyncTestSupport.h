#pragma once

#include "platform/LocalFileTestSupport.h"
#include "support/TestEnvironment.h"
#include "sync/SyncPlanItem.h"

#include <QStringList>

namespace SyncTest {

// 10:00:00 on some day, in nanoseconds: the dates of the test files.
constexpr qint64 tenOClock = 1700042400LL * 1000000000;
constexpr qint64 second = 1000000000;

inline void setModified(const FileUrl& url, qint64 nanoseconds)
{
    LocalFileTest::setModificationTime(url, nanoseconds / second, long(nanoseconds % second));
}

inline FileUrl writeDated(const TempFolder& folder, const QByteArray& relative, const QByteArray& contents, qint64 modified)
{
    const FileUrl url = folder.write(relative, contents);
    setModified(url, modified);
    return url;
}

// The plan as the user copies it: one line per item.
inline QStringList lines(const QList<SyncPlanItem>& plan)
{
    QStringList result;
    for (const SyncPlanItem& item : plan)
        result.append(planLine(item));
    return result;
}

} // namespace SyncTest
