#pragma once

#include "remote/RemoteProfile.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <sys/types.h>

// The loopback OpenSSH server that scripts/services/sshd.sh starts for the
// tests, found through its BRVK_TEST_SFTP_* variables.
struct SftpTestServer {
    quint16 port = 0;
    QString user;
    QString password;
    QString fingerprint; // SHA-256 of the server's ed25519 key
    QByteArray root;     // the served "/" as seen from this machine

    // A fresh profile (new id) for the server with its key pinned.
    RemoteProfile profile() const;
    // A new empty folder right under the served root, owned by the test account;
    // its path as the server shows it ("/name").
    QString makeFolder(const QByteArray& name) const;
    // Writes a file as the test account owns it, at a path below the root.
    void writeFile(const QByteArray& serverPath, const QByteArray& contents) const;
    QByteArray localPath(const QByteArray& serverPath) const { return root + serverPath; }
};

namespace SftpServer {

inline constexpr const char* missingMessage =
    "Der SFTP-Testserver läuft nicht (BRVK_TEST_SFTP_* fehlen): scripts/services/sshd.sh startet ihn.";

std::optional<SftpTestServer> local();

// The processes serving one client connection on the server side (they run as
// the test account): found through the TCP connection of the client's ssh,
// a child of `sftpProcess`.
QList<pid_t> serverProcessesOf(pid_t sftpProcess);
// The direct children of a process.
QList<pid_t> childrenOf(pid_t parent);

} // namespace SftpServer
