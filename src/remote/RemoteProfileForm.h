#pragma once

#include "remote/CredentialStore.h"
#include "remote/RemoteProfile.h"

#include <QString>
#include <optional>

// The profile editor's fields as the user left them.
struct RemoteProfileForm {
    std::optional<QString> protocolTitle; // title of the selected pop-up item; absent when none is selected
    QString name;
    QString host;
    QString port;
    QString username;
    QString initialPath;
    QString timeout;
    QString keepAlive;
    bool passiveFTP = true;
    QString expectedHostKey;
    QString identityFile;
    QString password; // empty: leave any stored password as it is
};

// Either the updated profile, or the warning that keeps the editor open.
struct RemoteProfileFormResult {
    std::optional<RemoteProfile> profile;
    QString warning;
};

// Checks the fields, builds the updated profile (same id as `editing`) and
// stores a typed password under that id. A failing check or a keychain that
// refuses the password gives the warning text instead; then nothing changed.
RemoteProfileFormResult saveRemoteProfileForm(const RemoteProfile& editing, const RemoteProfileForm& form,
                                              const CredentialStore& credentials);
