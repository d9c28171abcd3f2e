#pragma once

#include "core/BrenvikError.h"

#include <QStringList>

// The errors of a remote provider. Errors of local file operations pass through
// a provider unchanged.
class RemoteTransportError : public BrenvikError {
public:
    enum class Kind {
        commandFailed,   // the tool failed; the message says why
        invalidName,     // a name the user typed cannot be used on the server
        unsafeEntryName, // the server listed a name that is no plain entry name
        untypedListing,  // a tree operation met a listing that does not tell folders from links
        tooDeep,         // a tree deeper than any real one: a server that loops
        listingTooLarge, // more than FtpListing::maximumBytes or maximumEntries
        unreadableNames, // names the tool can only show altered
        linksLeftOut,    // a tree operation skipped links; everything else was done
        unusableName,    // a local name that cannot go to the server unchanged
    };

    static RemoteTransportError commandFailed(const QString& message);
    // commandFailed for one file of several that one command worked on.
    static RemoteTransportError fileFailed(const QString& path, const QString& message);
    static RemoteTransportError invalidName();
    static RemoteTransportError unsafeEntryName(const QString& name);
    static RemoteTransportError untypedListing(const QString& folder);
    static RemoteTransportError tooDeep(const QString& folder);
    static RemoteTransportError listingTooLarge(const QString& folder);
    static RemoteTransportError unreadableNames(const QString& folder);
    // `paths` in the order met; the first ten are named.
    static RemoteTransportError linksLeftOut(const QStringList& paths);
    // A name that is no valid UTF-8 (given as its raw bytes) or holds a line break.
    static RemoteTransportError unusableName(const QByteArray& name);

    Kind kind() const noexcept { return m_kind; }

private:
    RemoteTransportError(Kind kind, const QString& description);
    Kind m_kind;
};
