#pragma once

#include <QFuture>
#include <QString>

// Whether a server answers on a port at all, checked without logging in: one
// TCP connection (system resolver, no TLS) and, for SSH, the server's greeting.
//
// Each check runs off the caller's thread and completes exactly once — with
// success, a NetworkProbeError, or as cancelled when the caller cancels the
// future — whichever of connection, data, error or time-out comes first; the
// connection never outlives its check. Only a connection that fails outright
// is an error of its own; a host that stays silent runs into the time-out.
namespace NetworkProbe {

// Succeeds when a TCP connection to host and port is established within
// `timeout` seconds. An empty host or a port outside 1…65535 fails with
// invalidEndpoint before anything is opened.
QFuture<void> test(const QString& host, qint64 port, double timeout);

// Like test(), and succeeds only when the first bytes the server sends (at
// least 4, at most 255) are UTF-8 text beginning with "SSH-"; other data, or
// none before the server closes, is noSSHBanner.
QFuture<void> testSSH(const QString& host, qint64 port, double timeout);

} // namespace NetworkProbe
