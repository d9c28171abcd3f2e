#include "core/ByteCount.h"

#include <QLocale>

namespace ByteCount {

QString text(qint64 bytes)
{
    static const QLocale german(QLocale::German, QLocale::Germany);
    // German writes "Byte" for one and for many; Qt's locale data says "Bytes".
    if (bytes > -1000 && bytes < 1000)
        return german.toString(bytes) + QStringLiteral(" Byte");
    return german.formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

} // namespace ByteCount
