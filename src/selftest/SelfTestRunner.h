#pragma once

#include <QString>
#include <cstdint>
#include <cstdio>

// The executable's own acceptance checks, run headless from the command line.
namespace SelfTestRunner {

// The eleven functional checks; 0 all passed, 1 a check failed, 2 no scratch folder.
int32_t run(FILE* out = stdout);

// Creates `fileCount` empty files, lists and sorts them, prints the timings.
int32_t runPerformance(int fileCount, FILE* out = stdout);

// Lists, uploads, renames, downloads, creates and removes on the local SFTP test
// server (127.0.0.1:42122, account "brvk") through the remote provider, with the
// host key pinned to `fingerprint` and the password in the keychain; 0 on success.
int32_t runSFTPIntegration(const QString& fingerprint, FILE* out = stdout);

} // namespace SelfTestRunner
