#pragma once

#include "core/BrenvikError.h"

// The errors of a remote provider. Errors of local file operations pass through
// a provider unchanged.
class RemoteTransportError : public BrenvikError {
public:
    enum class Kind {
        commandFailed,   // the tool failed; the message says why
        invalidName,     // a name the user typed cannot be used on the server
        unsafeEntryName, // the server listed a name that is no plain entry name
    };

    static RemoteTransportError commandFailed(const QString& message);
    static RemoteTransportError invalidName();
    static RemoteTransportError unsafeEntryName(const QString& name);

    Kind kind() const noexcept { return m_kind; }

private:
    RemoteTransportError(Kind kind, const QString& description);
    Kind m_kind;
};
