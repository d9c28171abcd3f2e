#!/usr/bin/env bash
# The internal viewer, the text compare and the directory compare through their
# windows offscreen (Release build): an 8 MiB text file until shown, the switch
# to hex, two 4 MiB files of 100,000 lines with every tenth line different, and
# two folders of COUNT entries compared against their two bare listings.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD:-$root/build-bench}
runs=${RUNS:-7}
count=${COUNT:-100000}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRENVIK_TESTS=OFF >/dev/null
cmake --build "$build" --target bench_viewer >/dev/null

# Fresh folders: creating files right after a mass deletion is slow on these disks.
work=$(mktemp -d /var/tmp/brenvik-bench-viewer.XXXXXX)
trap 'rm -rf "$work"' EXIT
python3 - "$work" "$count" <<'PY'
import os, sys
work, count = sys.argv[1], int(sys.argv[2])
line = "Zeile %06d: Über Brücken und Straßen läuft der Text der Werkbank weiter. abcdefghijklmnop\n"
with open(os.path.join(work, "text8.txt"), "w") as out:
    i = 0
    while out.tell() < 8 * 1024 * 1024:
        out.write(line % i)
        i += 1
# 100,000 lines of 41 bytes each (4,100,000 bytes) on the left; every tenth one changed on the right.
with open(os.path.join(work, "left.txt"), "w") as left, open(os.path.join(work, "right.txt"), "w") as right:
    for i in range(100000):
        text = "Zeile %06d: %s\n" % (i, "x" * 26)
        left.write(text)
        right.write(text.replace("x", "y", 1) if i % 10 == 0 else text)
for side in ("left", "right"):
    folder = os.path.join(work, side)
    os.mkdir(folder)
    for i in range(count):
        # A tenth of the names differ, a tenth more differ in size.
        name = "datei-%06d.dat" % i if i % 10 else "%s-%06d.dat" % (side, i)
        with open(os.path.join(folder, name), "w") as f:
            f.write("x" * (2 if side == "right" and i % 10 == 5 else 1))
PY
sync
ls -la "$work/left" "$work/right" >/dev/null

"$build/bench/viewer/bench_viewer" "$work" "$runs"
