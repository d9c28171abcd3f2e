#!/usr/bin/env bash
# Copying and moving: FileOperationQueue::perform against `cp -a` and `mv`, and
# for copies a syscall floor. Every tool runs as a whole process; the tools
# alternate in every round (the one to start changes each round); medians of
# RUNS rounds; ratios last. Results go to fresh folders and are removed only at
# the end: this disk creates files slowly for minutes after a mass deletion,
# which would punish whichever tool runs next.
#   copy 1 GiB:    one file of BIG_MIB MiB, disk to disk
#   copy tree:     FOLDERS folders of PER_FOLDER small files, disk to disk
#   move to disk:  the tree from /dev/shm to the disk
#   move to shm:   the tree from the disk to /dev/shm
# A move to /dev/shm is a mass deletion on the disk; SETTLE seconds of rest
# before every timed move keep one tool's deletions from slowing the next run.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build-bench"
runs=${RUNS:-5}
big_mib=${BIG_MIB:-1024}
folders=${FOLDERS:-500}
per_folder=${PER_FOLDER:-100}
settle=${SETTLE:-30}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRENVIK_TESTS=OFF >/dev/null
cmake --build "$build" --target bench_copy_floor bench_copy_brenvik >/dev/null
brenvik="$build/bench/copy/bench_copy_brenvik"
floor="$build/bench/copy/bench_copy_floor"

disk=$(mktemp -d /var/tmp/brenvik-bench-copy.XXXXXX)
memory=$(mktemp -d /dev/shm/brenvik-bench-copy.XXXXXX)
trap 'rm -rf "$disk" "$memory"' EXIT
mkdir "$disk/src" "$disk/out"
head -c $((big_mib << 20)) /dev/urandom >"$disk/src/big.bin"
python3 - "$disk/src/tree" "$folders" "$per_folder" <<'PY'
import os, random, sys
root, folders, per_folder = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
sizes = random.Random(7)
os.mkdir(root)
for d in range(folders):
    folder = os.path.join(root, "ordner-%03d" % d)
    os.mkdir(folder)
    for f in range(per_folder):
        with open(os.path.join(folder, "datei-%03d.txt" % f), "wb") as out:
            out.write(os.urandom(sizes.randint(64, 16384)))
PY
sync

source "$root/bench/timing.sh"

for ((i = 0; i < runs; i++)); do
  for tool in $(order "$i" "brenvik cp floor"); do
    out="$disk/out/big-$tool-$i"; mkdir "$out"
    case $tool in
      brenvik) timed big brenvik "$brenvik" copy "$disk/src/big.bin" "$out" ;;
      cp) timed big cp cp -a "$disk/src/big.bin" "$out/" ;;
      floor) timed big floor "$floor" "$disk/src/big.bin" "$out/big.bin" ;;
    esac
  done
done
for ((i = 0; i < runs; i++)); do
  for tool in $(order "$i" "brenvik cp floor"); do
    out="$disk/out/tree-$tool-$i"; mkdir "$out"
    case $tool in
      brenvik) timed tree brenvik "$brenvik" copy "$disk/src/tree" "$out" ;;
      cp) timed tree cp cp -a "$disk/src/tree" "$out/" ;;
      floor) timed tree floor "$floor" "$disk/src/tree" "$out/tree" ;;
    esac
  done
done

# Moves: each tool moves its own tree to the disk and back, round after round.
for tool in brenvik mv; do
  mkdir "$memory/$tool"
  cp -a "$disk/src/tree" "$memory/$tool/"
done
for ((i = 0; i < runs; i++)); do
  for tool in $(order "$i" "brenvik mv"); do
    out="$disk/out/move-$tool-$i"; mkdir "$out"
    case $tool in
      brenvik) sleep "$settle"; timed to-disk brenvik "$brenvik" move "$memory/$tool/tree" "$out" ;;
      mv) sleep "$settle"; timed to-disk mv mv "$memory/$tool/tree" "$out/" ;;
    esac
  done
  for tool in $(order "$i" "brenvik mv"); do
    out="$disk/out/move-$tool-$i"
    case $tool in
      brenvik) sleep "$settle"; timed to-shm brenvik "$brenvik" move "$out/tree" "$memory/$tool" ;;
      mv) sleep "$settle"; timed to-shm mv mv "$out/tree" "$memory/$tool/" ;;
    esac
  done
done

echo "Läufe: $runs (Median, ganze Prozesse, Millisekunden); Baum: $folders Ordner × $per_folder Dateien"
printf '%-22s %10s %10s %10s\n' "" "Brenvik" "cp -a/mv" "Untergrenze"
for scenario in big tree; do
  printf '%-22s %10.0f %10.0f %10.0f\n' "Kopieren $scenario" "$(($(m "$scenario brenvik") / 1000))" \
    "$(($(m "$scenario cp") / 1000))" "$(($(m "$scenario floor") / 1000))"
done
for scenario in to-disk to-shm; do
  printf '%-22s %10.0f %10.0f\n' "Verschieben $scenario" "$(($(m "$scenario brenvik") / 1000))" \
    "$(($(m "$scenario mv") / 1000))"
done
echo "Einzelne Läufe (ms):"
for key in "${!times[@]}"; do
  printf '  %-16s' "$key"; for t in ${times[$key]}; do printf ' %8d' $((t / 1000)); done; echo
done | sort
for scenario in big tree; do
  awk -v b="$(m "$scenario brenvik")" -v c="$(m "$scenario cp")" -v f="$(m "$scenario floor")" -v s="$scenario" \
    'BEGIN { printf "Verhältnis Kopieren %s: Brenvik / cp -a = %.2f, Brenvik / Untergrenze = %.2f\n", s, b / c, b / f }'
done
for scenario in to-disk to-shm; do
  awk -v b="$(m "$scenario brenvik")" -v c="$(m "$scenario mv")" -v s="$scenario" \
    'BEGIN { printf "Verhältnis Verschieben %s: Brenvik / mv = %.2f\n", s, b / c }'
done
