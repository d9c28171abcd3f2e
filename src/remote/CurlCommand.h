#pragma once

#include "remote/RemoteProfile.h"

#include <QByteArray>
#include <QList>
#include <QString>

// How a remote operation becomes a curl command line. Pure functions.
namespace CurlCommand {

// The common arguments (silent but with errors, failing on server errors, the
// profile's time limits, the configuration read from standard input, TLS for
// FTPS, active mode when passive mode is off) followed by the operation's own.
QList<QByteArray> arguments(const RemoteProfile& profile, const QList<QByteArray>& operationArguments);

// The one configuration line that carries the log-in on curl's standard input,
// so that it never appears in an argument list, an environment or a file.
// Quoted for curl's configuration syntax; carriage returns and line feeds are
// dropped, as they would end the line.
QByteArray credentialsLine(const QString& username, const QString& password);

// "ftp://host:port/encoded/path" (FTPS too: TLS is requested by an argument).
// Every path component is percent-encoded on its own, "/", "?", "#" and "%"
// included, so a name always stays one component; folders end in "/", files
// never. User name and password are never part of it.
QString remoteURL(const RemoteProfile& profile, const QString& path, bool directory);

// A path as it may enter a raw FTP command: without carriage returns and line
// feeds, so that a name can never smuggle in a second command.
QString commandPath(const QString& path);

} // namespace CurlCommand
