#pragma once

#include <QString>
#include <cstdint>
#include <cstdio>

// The command-line checks of the SFTP stack. The integration suite itself is
// SelfTestRunner::runSFTPIntegration.
namespace SftpIntegration {

// The fixed password of the local test account "brvk" (scripts/services/sshd.sh
// sets the same).
inline constexpr const char* testPassword = "sftptest";

// Scans the host keys of a host that never answers and reports how long the
// scan took to give up: 0 when it failed within 9.5 s, 1 when later or when
// keys came back. The command line uses 192.0.2.1:22 (TEST-NET-1).
int32_t runTimeoutCheck(const QString& host, qint64 port, FILE* out = stdout);

// The exit status for a scan that failed after `seconds`.
int32_t timeoutVerdict(double seconds);

} // namespace SftpIntegration
