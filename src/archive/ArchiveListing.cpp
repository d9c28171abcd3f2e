#include "archive/ArchiveListing.h"

#include "archive/ArchiveError.h"

#include <limits>
#include <optional>

namespace {

bool isOctalDigit(char c)
{
    return c >= '0' && c <= '7';
}

std::optional<char> simpleEscape(char c)
{
    switch (c) {
    case 'a': return '\a';
    case 'b': return '\b';
    case 'f': return '\f';
    case 'n': return '\n';
    case 'r': return '\r';
    case 't': return '\t';
    case 'v': return '\v';
    case '\\':
    case '"':
    case '?':
    case '\'': return c;
    default: return std::nullopt;
    }
}

// Reads the C string that starts with the quote at `pos`; leaves `pos` behind
// its closing quote. Nothing when the text is no complete C string.
std::optional<QByteArray> readQuoted(const QByteArray& line, qsizetype& pos)
{
    if (pos >= line.size() || line[pos] != '"')
        return std::nullopt;
    QByteArray bytes;
    for (++pos; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (c == '"') {
            ++pos;
            return bytes;
        }
        if (c != '\\') {
            bytes.append(c);
            continue;
        }
        if (++pos >= line.size())
            return std::nullopt;
        if (const std::optional<char> plain = simpleEscape(line[pos])) {
            bytes.append(*plain);
            continue;
        }
        int value = 0;
        int digits = 0;
        for (; digits < 3 && pos < line.size() && isOctalDigit(line[pos]); ++digits, ++pos)
            value = value * 8 + (line[pos] - '0');
        if (digits == 0 || value > 0xff)
            return std::nullopt;
        --pos;
        bytes.append(char(value));
    }
    return std::nullopt;
}

qint64 sizeField(const QByteArray& field)
{
    bool ok = false;
    const qint64 size = field.toLongLong(&ok);
    return ok && size > 0 ? size : 0;
}

ArchiveEntry parseTarLine(const QByteArray& line)
{
    const qsizetype quote = line.indexOf('"');
    const QList<QByteArray> fields = line.left(quote).simplified().split(' ');
    if (quote < 0 || fields.size() < 3)
        throw ArchiveError::unsupported();
    ArchiveEntry entry;
    entry.type = line[0];
    entry.size = sizeField(fields[2]);
    qsizetype pos = quote;
    const std::optional<QByteArray> name = readQuoted(line, pos);
    if (!name)
        throw ArchiveError::unsupported();
    entry.name = *name;
    const QByteArray rest = line.mid(pos);
    if (rest.isEmpty())
        return entry;
    for (const char* link : {" -> ", " link to "}) {
        if (!rest.startsWith(link))
            continue;
        pos += qsizetype(qstrlen(link));
        const std::optional<QByteArray> target = readQuoted(line, pos);
        if (!target || pos != line.size())
            break;
        entry.linkTarget = *target;
        return entry;
    }
    throw ArchiveError::unsupported();
}

} // namespace

namespace ArchiveListing {

QList<ArchiveEntry> parseTarVerbose(const QByteArray& listing)
{
    QList<ArchiveEntry> entries;
    for (const QByteArray& line : listing.split('\n'))
        if (!line.isEmpty())
            entries.append(parseTarLine(line));
    return entries;
}

QList<ArchiveEntry> parseZipShort(const QByteArray& listing)
{
    QList<ArchiveEntry> entries;
    for (const QByteArray& line : listing.split('\n')) {
        if (line.isEmpty())
            continue;
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 4)
            throw ArchiveError::unsupported();
        entries.append({line[0], {}, {}, sizeField(fields[3])});
    }
    return entries;
}

qint64 unpackedSize(const QList<ArchiveEntry>& entries)
{
    qint64 total = 0;
    for (const ArchiveEntry& entry : entries)
        total = entry.size > std::numeric_limits<qint64>::max() - total ? std::numeric_limits<qint64>::max()
                                                                          : total + entry.size;
    return total;
}

} // namespace ArchiveListing
