#pragma once

#include "remote/RemoteProfile.h"

#include <QByteArray>
#include <QList>
#include <QString>

// How a remote operation becomes a curl command line. Pure functions.
namespace CurlCommand {

// A listing or command ends after a total time; a transfer may take as long as
// it keeps moving, and ends only when it stalls.
enum class Limit { totalTime, stall };

// The common arguments (silent but with errors, failing on server errors, no
// URL patterns, the profile's time limits, the configuration read from standard
// input, TLS for FTPS, active mode when passive mode is off) followed by the
// operation's own.
QList<QByteArray> arguments(const RemoteProfile& profile, const QList<QByteArray>& operationArguments,
                            Limit limit = Limit::totalTime);

// The one configuration line that carries the log-in on curl's standard input,
// so that it never appears in an argument list, an environment or a file.
// Quoted for curl's configuration syntax; carriage returns and line feeds are
// dropped, as they would end the line.
QByteArray credentialsLine(const QString& username, const QString& password);

// "ftp://host:port/encoded/path" (FTPS too: TLS is requested by an argument).
// Every path component is percent-encoded on its own, everything but letters,
// digits and "-._~" (";" and "=" would pass a type to curl, "/" would split the
// name), so a name always names exactly itself; folders end in "/", files
// never. User name and password are never part of it.
QString remoteURL(const RemoteProfile& profile, const QString& path, bool directory);

// A path as it may enter a raw FTP command or a URL. A carriage return, line
// feed or NUL would end the command and smuggle in a second one (dropping it
// would name another entry): such a path is refused with
// RemoteTransportError::unusableName.
const QString& commandPath(const QString& path);

} // namespace CurlCommand
