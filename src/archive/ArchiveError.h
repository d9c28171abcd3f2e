#pragma once

#include "core/BrenvikError.h"

class ArchiveError : public BrenvikError {
public:
    enum class Case { maliciousPath, toolFailed, unsupported, specialEntry, notEnoughSpace };

    static ArchiveError maliciousPath(const QString& entryName);
    static ArchiveError toolFailed(const QString& toolText);
    static ArchiveError unsupported();
    // A device, FIFO or other entry that is neither file, folder nor link.
    static ArchiveError specialEntry(const QString& entryName);
    // The unpacked contents would not fit into the free space at the destination.
    static ArchiveError notEnoughSpace(qint64 needed, qint64 available);

    Case errorCase() const { return m_case; }
    // The entry name of maliciousPath and specialEntry, the tool's text of toolFailed.
    const QString& payload() const { return m_payload; }

private:
    ArchiveError(Case errorCase, QString payload, QString description);
    Case m_case;
    QString m_payload;
};
