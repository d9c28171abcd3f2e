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

} // namespace SelfTestRunner
