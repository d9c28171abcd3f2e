#include "tools/ViewerText.h"

#include "core/ByteCount.h"

namespace {

constexpr qsizetype bytesPerLine = 16;
constexpr qsizetype hexColumnWidth = 47;
// "00000000" + 2 blanks + hex column + 2 blanks + "|" + characters + "|"
constexpr qsizetype fixedLineWidth = 8 + 2 + hexColumnWidth + 2 + 2;

constexpr char16_t hexDigits[] = u"0123456789ABCDEF";

char16_t* putHex(char16_t* out, quint64 value, int digits)
{
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        *out++ = hexDigits[(value >> shift) & 0xf];
    return out;
}

char16_t* putBlanks(char16_t* out, qsizetype count)
{
    return std::fill_n(out, count, u' ');
}

} // namespace

namespace ViewerText {

// Written straight into one buffer: a megabyte gives five million characters.
QString hexDump(const QByteArray& data)
{
    const qsizetype count = data.size();
    if (count == 0)
        return QString();
    const qsizetype lines = (count + bytesPerLine - 1) / bytesPerLine;
    QString dump(lines * fixedLineWidth + count + (lines - 1), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(dump.data());
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    for (qsizetype start = 0; start < count; start += bytesPerLine) {
        if (start > 0)
            *out++ = u'\n';
        const qsizetype length = std::min(bytesPerLine, count - start);
        out = putHex(out, quint64(start), 8);
        out = putBlanks(out, 2);
        for (qsizetype i = 0; i < length; ++i) {
            if (i > 0)
                *out++ = u' ';
            out = putHex(out, bytes[start + i], 2);
        }
        out = putBlanks(out, hexColumnWidth - (length * 3 - 1) + 2);
        *out++ = u'|';
        for (qsizetype i = 0; i < length; ++i) {
            const uchar byte = bytes[start + i];
            *out++ = byte >= 0x20 && byte <= 0x7e ? char16_t(byte) : u'.';
        }
        *out++ = u'|';
    }
    return dump;
}

QString text(const QByteArray& data)
{
    return QString::fromUtf8(data);
}

QString status(qint64 fileSize, qsizetype bytesRead)
{
    const QString size = ByteCount::text(fileSize);
    return fileSize > bytesRead ? QStringLiteral("Erste 8 MB von ") + size : size;
}

} // namespace ViewerText
