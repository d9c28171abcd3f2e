#include "archive/ArchiveError.h"

#include <QLocale>

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

ArchiveError ArchiveError::specialEntry(const QString& entryName)
{
    return ArchiveError(Case::specialEntry, entryName,
                        QStringLiteral("Das Archiv enthält eine Gerätedatei, eine Pipe oder einen anderen Sondereintrag "
                                       "und wurde nicht entpackt: ")
                            + entryName);
}

ArchiveError ArchiveError::notEnoughSpace(qint64 needed, qint64 available)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    return ArchiveError(Case::notEnoughSpace, {},
                        QStringLiteral("Das Archiv wurde nicht entpackt: Sein Inhalt braucht %1, am Ziel sind nur %2 frei.")
                            .arg(german.formattedDataSize(needed, 1, QLocale::DataSizeSIFormat),
                                 german.formattedDataSize(available, 1, QLocale::DataSizeSIFormat)));
}
