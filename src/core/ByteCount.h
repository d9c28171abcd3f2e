#pragma once

#include <QString>

// The one way the program writes a number of bytes: German, like the rest of
// the interface ("12,3 kB", "11 Byte"), decimal (SI) units.
namespace ByteCount {

QString text(qint64 bytes);

} // namespace ByteCount
