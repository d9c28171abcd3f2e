#!/usr/bin/env bash
# Archives: ArchiveProvider against the same tools run bare, side by side.
# A tree of FOLDERS × PER_FOLDER files (default 20,000 files, about 300 MB, half
# random and half text bytes) is packed into ZIP and TAR.GZ and unpacked again,
# each job as a whole process; the two alternate in every round (the one to
# start changes each round); medians of RUNS rounds; ratios last. Results go to
# fresh folders and are removed only at the end: this disk creates files slowly
# for minutes after a mass deletion.
# Unpacking through the provider reads a TAR.GZ twice: the whole listing is
# checked before tar may write a thing.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build-bench"
runs=${RUNS:-3}
folders=${FOLDERS:-200}
per_folder=${PER_FOLDER:-100}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRENVIK_TESTS=OFF >/dev/null
cmake --build "$build" --target bench_archive_brenvik >/dev/null
brenvik="$build/bench/archive/bench_archive_brenvik"

work=$(mktemp -d /var/tmp/brenvik-bench-archive.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/src" "$work/out"
python3 - "$work/src/baum" "$folders" "$per_folder" <<'PY'
import os, random, sys
root, folders, per_folder = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
sizes = random.Random(7)
text = b"Brenvik packt und entpackt Archive mit den Werkzeugen des Systems. " * 512
os.mkdir(root)
for d in range(folders):
    folder = os.path.join(root, "ordner-%03d" % d)
    os.mkdir(folder)
    for f in range(per_folder):
        n = sizes.randint(1000, 30000)
        with open(os.path.join(folder, "datei-%03d.bin" % f), "wb") as out:
            out.write(os.urandom(n // 2) + text[: n - n // 2])
PY
cd "$work/src"
zip -r -q -y -nw "$work/baum.zip" -- baum
tar -czf "$work/baum.tar.gz" -- baum
sync

source "$root/bench/timing.sh"

for ((i = 0; i < runs; i++)); do
  for tool in $(order "$i" "brenvik bare"); do
    out="$work/out/$tool-$i"; mkdir "$out"
    case $tool in
      brenvik)
        timed pack-zip brenvik "$brenvik" pack-zip "$work/src/baum" "$out/baum.zip"
        timed pack-tgz brenvik "$brenvik" pack-tgz "$work/src/baum" "$out/baum.tar.gz"
        timed unpack-zip brenvik "$brenvik" unpack-zip "$work/baum.zip" "$out/zip"
        timed unpack-tgz brenvik "$brenvik" unpack-tgz "$work/baum.tar.gz" "$out/tgz" ;;
      bare)
        timed pack-zip bare zip -r -q -y -nw "$out/baum.zip" -- baum
        timed pack-tgz bare tar -czf "$out/baum.tar.gz" -- baum
        mkdir "$out/zip" "$out/tgz"
        timed unpack-zip bare unzip -q "$work/baum.zip" -d "$out/zip"
        timed unpack-tgz bare tar --no-same-owner --no-same-permissions -xf "$work/baum.tar.gz" -C "$out/tgz" ;;
    esac
  done
done

echo "Läufe: $runs (Median, ganze Prozesse, Millisekunden); Baum: $folders Ordner × $per_folder Dateien, $(du -sm "$work/src/baum" | cut -f1) MB"
printf '%-14s %10s %10s\n' "" "Brenvik" "Werkzeug"
for scenario in pack-zip pack-tgz unpack-zip unpack-tgz; do
  printf '%-14s %10d %10d\n' "$scenario" "$(($(m "$scenario brenvik") / 1000))" "$(($(m "$scenario bare") / 1000))"
done
echo "Einzelne Läufe (ms):"
for key in "${!times[@]}"; do
  printf '  %-20s' "$key"; for t in ${times[$key]}; do printf ' %8d' $((t / 1000)); done; echo
done | sort
for scenario in pack-zip pack-tgz unpack-zip unpack-tgz; do
  awk -v b="$(m "$scenario brenvik")" -v t="$(m "$scenario bare")" -v s="$scenario" \
    'BEGIN { printf "Verhältnis %s: Brenvik / Werkzeug = %.3f\n", s, b / t }'
done
