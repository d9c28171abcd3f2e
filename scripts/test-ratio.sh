#!/usr/bin/env bash
# Non-blank lines of the tests (fixtures included) against the program's sources.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
count() { find "$1" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -print0 | xargs -0 cat | grep -cv '^[[:space:]]*$'; }
tests=$(count "$root/tests")
src=$(count "$root/src")
printf 'tests/: %d\nsrc/:   %d\nVerhältnis: %s\n' "$tests" "$src" "$(awk -v t="$tests" -v s="$src" 'BEGIN { printf "%.2f", t / s }')"
