#include "archive/ArchiveError.h"

ArchiveError::ArchiveError(Case errorCase, QString payload, QString description)
    : BrenvikError(QStringLiteral("ArchiveError"), std::move(description)), m_case(errorCase),
      m_payload(std::move(payload))
{
}

ArchiveError ArchiveError::maliciousPath(const QString& entryName)
{
    return ArchiveError(Case::maliciousPath, entryName,
                        QStringLiteral("Das Archiv enthält einen unsicheren Pfad und wurde nicht entpackt: ") + entryName);
}

ArchiveError ArchiveError::toolFailed(const QString& toolText)
{
    return ArchiveError(Case::toolFailed, toolText,
                        QStringLiteral("Das Archivwerkzeug meldet einen Fehler: ") + toolText);
}

ArchiveError ArchiveError::unsupported()
{
    return ArchiveError(Case::unsupported, {},
                        QStringLiteral("Dieses Archivformat wird in dieser Ausbaustufe noch nicht unterstützt."));
}
