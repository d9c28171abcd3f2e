#!/usr/bin/env bash
# Installs what the tests need, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer (warnings are errors) and runs the whole suite.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-test"
"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DBRENVIK_SANITIZE=ON -DBRENVIK_WERROR=ON -DBRENVIK_TESTS=ON >/dev/null
cmake --build "$build"

export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
exec "$root/scripts/with-test-services.sh" ctest --test-dir "$build" --output-on-failure -j2 "$@"
