#!/usr/bin/env bash
# Installs what Brenvik needs, builds it (release) and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRENVIK_TESTS=OFF >/dev/null
cmake --build "$root/build-release" --target brenvik
exec "$root/build-release/brenvik" "$@"
