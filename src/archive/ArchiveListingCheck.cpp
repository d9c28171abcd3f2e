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

} // namespace ArchiveListingCheck
