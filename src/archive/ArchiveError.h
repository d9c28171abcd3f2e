#pragma once

#include "core/BrenvikError.h"

class ArchiveError : public BrenvikError {
public:
    enum class Case { maliciousPath, toolFailed, unsupported };

    static ArchiveError maliciousPath(const QString& entryName);
    static ArchiveError toolFailed(const QString& toolText);
    static ArchiveError unsupported();

    Case errorCase() const { return m_case; }
    // The entry name of maliciousPath, the tool's text of toolFailed.
    const QString& payload() const { return m_payload; }

private:
    ArchiveError(Case errorCase, QString payload, QString description);
    Case m_case;
    QString m_payload;
};
