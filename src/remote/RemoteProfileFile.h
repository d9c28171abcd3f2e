#pragma once

#include "core/BrenvikError.h"
#include "remote/RemoteProfile.h"

#include <QList>
#include <QString>

// An import file that is not a profile list, or holds too many profiles.
class RemoteProfileFileError : public BrenvikError {
public:
    enum class Reason { unreadableFormat, tooManyProfiles };

    RemoteProfileFileError(Reason reason, const QString& filePath);

    Reason reason() const noexcept { return m_reason; }

private:
    Reason m_reason;
};

// The suggested name of an export file.
inline constexpr char remoteProfileExportFileName[] = "Brenvik-Verbindungen.json";
inline constexpr qsizetype maximumImportedProfiles = 500;

// Writes the profiles as pretty-printed JSON with sorted keys. The file appears
// complete or not at all: the text goes to a temporary ".brvk-" file beside it
// that then replaces the destination. Throws SystemError.
void exportRemoteProfiles(const QList<RemoteProfile>& profiles, const QString& filePath);

// Reads an export file and returns its profiles ready to be appended: each with
// a fresh id (so it never meets the keychain item of an existing profile) and
// " (importiert)" after its name, in file order. Anything but a regular file
// (a FIFO, a device) is refused unread. Throws SystemError or
// RemoteProfileFileError; nothing is returned in part.
QList<RemoteProfile> readImportedRemoteProfiles(const QString& filePath);
