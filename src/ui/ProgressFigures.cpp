#include "ui/ProgressFigures.h"

#include "core/ByteCount.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <sys/stat.h>

namespace ProgressFigures {

QString detail(qsizetype completed, qsizetype total, const QString& filename)
{
    return QStringLiteral("%1 von %2 · %3").arg(completed).arg(total).arg(filename);
}

QString metrics(const QList<qint64>& sourceSizes, qsizetype completed, double elapsedSeconds)
{
    const qsizetype doneCount = std::clamp<qsizetype>(completed, 0, sourceSizes.size());
    qint64 doneBytes = 0;
    qint64 allBytes = 0;
    for (qsizetype i = 0; i < sourceSizes.size(); ++i) {
        allBytes += sourceSizes.at(i);
        if (i < doneCount)
            doneBytes += sourceSizes.at(i);
    }
    const double rate = double(doneBytes) / std::max(elapsedSeconds, 0.1);
    const double remaining = rate > 0 ? double(std::max<qint64>(allBytes - doneBytes, 0)) / rate : 0;
    return ByteCount::text(doneBytes) + QStringLiteral(" von ") + ByteCount::text(allBytes) + QStringLiteral(" · ")
        + ByteCount::text(qint64(rate)) + QStringLiteral("/s · Restzeit ") + remainingTime(remaining);
}

QString remainingTime(double seconds)
{
    if (!(seconds > 0))
        return QStringLiteral("—");
    const qint64 whole = qint64(std::llround(seconds));
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

std::optional<qint64> fileSize(const FileUrl& url)
{
    struct stat st;
    if (!url.isLocal() || lstat(url.nativePath().constData(), &st) != 0 || S_ISDIR(st.st_mode))
        return std::nullopt;
    return qint64(st.st_size);
}

} // namespace ProgressFigures
