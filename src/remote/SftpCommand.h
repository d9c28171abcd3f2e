#pragma once

#include "core/FileUrl.h"
#include "platform/ChildProcess.h"
#include "remote/RemoteEntry.h"
#include "remote/RemoteProfile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <chrono>

// How the OpenSSH transport talks to sftp: its command line and environment,
// the command texts, and how sftp's answers are read. Pure functions.
namespace SftpCommand {

// A host name the OpenSSH tools take as a host: not empty, no "-" in front (it
// would be read as an option, a ProxyCommand say), no blanks, controls or "@".
bool isUsableHost(const QString& host);

// `path` in double quotes for sftp's command parser: backslashes doubled, double
// quotes escaped, carriage returns and line feeds dropped.
QByteArray quoted(const QByteArray& path);

// The quoted form of a remote or local path as it may go into a command.
// Remote paths are made absolute ("/" in front), so that no name is ever read
// as an option. A path with a line break or NUL is refused with
// SFTPTransportError::command: dropping the break would name another entry.
QByteArray remoteArgument(const QString& path);
QByteArray localArgument(const FileUrl& file);

// The operation time-out, clamped for the connection (2…15 s), the wait for the
// log-in (5…20 s) and the wait for one command (5…30 s).
int connectTimeoutSeconds(qint64 operationTimeout);
std::chrono::seconds readyWait(qint64 operationTimeout);
std::chrono::seconds commandWait(qint64 operationTimeout);

// sftp's arguments: the port, time-outs and keep-alive, strict checking against
// the one-line known-hosts file only, one password prompt, the key file or the
// password methods, then "user@host". ssh keeps its error messages (why a
// log-in failed) but drops its warnings. Throws SFTPTransportError::command for
// a host or user name that sftp would read as an option.
QList<QByteArray> sessionArguments(const RemoteProfile& profile, const QByteArray& knownHostsPath);

// The additions to the inherited environment: this program as askpass program
// for the profile and a UTF-8 locale
// when `inheritedCharacterLocale` is none (so non-ASCII names are not escaped).
ChildProcess::Environment sessionEnvironment(const RemoteProfile& profile, const QByteArray& askpassProgram,
                                             const QByteArray& inheritedCharacterLocale);
// LC_ALL, else LC_CTYPE, else LANG of this process.
QByteArray inheritedCharacterLocale();

// The line that makes sftp print `marker` on its standard output and error
// once every command before it has finished.
QByteArray markerCommand(const QByteArray& marker);

// The lines of one command's answer without sftp's echo of the commands and
// the marker, joined with line feeds.
QString answerLines(const QString& text, const QByteArray& marker);

// The last meaningful line of a server's messages, at most 300 characters;
// "Verbindung beendet" when there is none. The closing "Connection closed"
// counts only when nothing else was said: the reason stands before it.
QString safeServerMessage(const QString& text);

// The entries of an "ls -la" answer for `listedPath`, folders first, then names
// in natural order. sftp prints each name with the listed path in front, or
// the server's own line with the bare name when the server cannot tell user
// names. Only plain names are entries: a line that names anything else (a
// path, "..") — which only a forged line can — is no entry of this folder.
QList<RemoteEntry> parseListing(const QString& answer, const QString& listedPath);

// Whether the answers of "ls -la" and "ls -lar" for one folder show every name
// exactly. sftp prints a line feed in a name as it is, so the rest of the name
// reads as a line of its own that may forge an entry; it stays behind its
// entry's line in either order, so the two answers are then not each other's
// reverse. sftp prints other control characters and invalid UTF-8 as "\ooo"
// but a backslash as it is, so a name showing "\" and three octal digits
// cannot be read back either.
bool listingIsExact(const QString& forward, const QString& reversed);

} // namespace SftpCommand
