#pragma once

#include "remote/RemoteProfile.h"

#include <QByteArray>
#include <QString>
#include <optional>

// The loopback FTP servers that scripts/services/ftp-servers.sh starts for the
// tests, found through its BRVK_TEST_FTP_* variables. All three serve the same
// account and root folder.
struct FtpTestServer {
    quint16 port = 0;
    QString user;
    QString password;
    QByteArray root; // the served folder on this machine

    RemoteProfile profile(RemoteProtocolKind kind) const;
};

namespace FtpServers {

inline constexpr const char* missingMessage =
    "Die FTP-Testserver laufen nicht (BRVK_TEST_FTP_* fehlen): scripts/services/ftp-servers.sh startet sie.";

std::optional<FtpTestServer> plain();
// Also makes curl in this process trust the server's certificate (CURL_CA_BUNDLE).
std::optional<FtpTestServer> explicitTls();
// Answers LIST or NLST of a folder holding ".crafted-list" or ".crafted-nlst"
// with that file's bytes.
std::optional<FtpTestServer> crafted();
// Debian's ProFTPD (scripts/services/proftpd.sh): its own account and root;
// its sessions run as the unprivileged user 65534 when the tests run as root.
std::optional<FtpTestServer> proftpd();

} // namespace FtpServers
