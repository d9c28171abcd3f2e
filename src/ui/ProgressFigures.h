#pragma once

#include "core/FileUrl.h"

#include <QList>
#include <QString>
#include <optional>

// The texts of the progress window and the conflict question. Byte figures move
// in steps of whole top-level entries: a folder counts 0 bytes.
namespace ProgressFigures {

// "3 von 10 · name"
QString detail(qsizetype completed, qsizetype total, const QString& filename);

// "100 Byte von 400 Byte · 1 kB/s · Restzeit 0:03": the bytes of the first
// `completed` entries against all, the rate over the elapsed seconds (at least
// 0.1), and the time the rest takes at that rate ("—" when nothing is left to
// wait for or nothing has moved yet).
QString metrics(const QList<qint64>& sourceSizes, qsizetype completed, double elapsedSeconds);

// Minutes and seconds ("1:05", "75:00"), or "—" for nothing.
QString remainingTime(double seconds);

// The entry's own size when it has one: not for folders or unreadable entries.
std::optional<qint64> fileSize(const FileUrl& url);

} // namespace ProgressFigures
