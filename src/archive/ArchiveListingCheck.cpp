#include "archive/ArchiveListingCheck.h"

#include "archive/ArchiveError.h"
#include "core/TextLines.h"

namespace {

bool hasParentComponent(const QString& slashed)
{
    const QStringList parts = slashed.split(u'/', Qt::KeepEmptyParts);
    return parts.contains(QStringLiteral(".."));
}

bool startsOutside(const QString& name)
{
    return name.startsWith(u'/') || name.startsWith(u'~');
}

QString withSlashes(QString name)
{
    return name.replace(u'\\', u'/');
}

void checkTypes(const QList<ArchiveEntry>& entries, const QByteArray& allowed)
{
    for (const ArchiveEntry& entry : entries)
        if (!allowed.contains(entry.type))
            throw ArchiveError::specialEntry(QString::fromUtf8(entry.name));
}

} // namespace

namespace ArchiveListingCheck {

void checkZipListing(const QString& listing)
{
    for (const QString& line : splitNonEmptyLines(listing))
        if (startsOutside(line) || hasParentComponent(withSlashes(line)))
            throw ArchiveError::maliciousPath(line);
}

void checkTarListing(const QString& listing)
{
    for (const QString& line : splitNonEmptyLines(listing)) {
        const QString slashed = withSlashes(line);
        if (startsOutside(slashed) || hasParentComponent(slashed))
            throw ArchiveError::maliciousPath(slashed);
    }
}


void checkZipListing(const QByteArray& listing)
{
    checkZipListing(QString::fromUtf8(listing));
}

void checkTarEntries(const QList<ArchiveEntry>& entries)
{
    for (const ArchiveEntry& entry : entries) {
        checkTarListing(QString::fromUtf8(entry.name));
        if (entry.type == 'h')
            checkTarListing(QString::fromUtf8(entry.linkTarget));
    }
    checkTypes(entries, QByteArrayLiteral("-dlh"));
}

void checkZipEntryTypes(const QList<ArchiveEntry>& entries)
{
    checkTypes(entries, QByteArrayLiteral("-dl"));
}

} // namespace ArchiveListingCheck
