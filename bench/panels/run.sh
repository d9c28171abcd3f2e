#!/usr/bin/env bash
# A file panel on 100,000 files (Release build): navigate() until the rows are
# shown against the bare listing, GUI-thread stalls, column sorts, bytes per entry.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD:-$root/build-bench}
runs=${RUNS:-5}
count=${COUNT:-100000}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRENVIK_TESTS=OFF >/dev/null
cmake --build "$build" --target bench_panels >/dev/null

# A fresh folder: creating files right after a mass deletion is slow on these disks.
work=$(mktemp -d /var/tmp/brenvik-bench-panels.XXXXXX)
trap 'rm -rf "$work"' EXIT
folder="$work/files"
mkdir "$folder"
python3 - "$folder" "$count" <<'PY'
import os, sys
folder, count = sys.argv[1], int(sys.argv[2])
for i in range(count):
    open(os.path.join(folder, "file-%06d.dat" % i), "w").close()
PY
sync
ls -la "$folder" >/dev/null

"$build/bench/panels/bench_panels" "$folder" "$runs"
