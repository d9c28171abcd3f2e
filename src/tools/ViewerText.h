#pragma once

#include <QByteArray>
#include <QString>


// What the internal viewer makes of a file's bytes; no user interface here.
namespace ViewerText {

// The viewer reads and keeps at most this much of a file.
constexpr qint64 readLimit = 8 * 1024 * 1024;
// The hex view shows at most this much (65,536 lines).
constexpr qsizetype hexLimit = 1024 * 1024;

// Lines of 16 bytes: offset, hex column padded to 47 characters, the printable
// ASCII characters between bars; joined by line feeds, no line feed at the end.
QString hexDump(const QByteArray& data);
// The bytes as UTF-8; every invalid sequence (also one cut off at the end) is
// replaced by U+FFFD, so text mode always shows something.
QString text(const QByteArray& data);
// The status line after loading: the file's size, or "Erste 8 MB von " and the
// size when the file is longer than what was read.
QString status(qint64 fileSize, qsizetype bytesRead);
} // namespace ViewerText
