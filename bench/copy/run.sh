#!/usr/bin/env bash
# Copying, moving and folder sizes: FileOperationQueue::perform against `cp -a`
# and `mv`, FileSystemCore::directorySize against `du -s`, and for copies a
# syscall floor. Every tool runs as a whole process; the tools alternate in
# every round (the one to start changes each round); medians of RUNS rounds;
# ratios last. Results go to fresh folders and are removed only at the end:
# this disk creates files slowly for minutes after a mass deletion, which would
# punish whichever tool runs next.
#   copy big:      one file of BIG_MIB MiB, disk to disk
#   copy sparse:   a folder of SPARSE 2 GiB files, each holding 8 KiB of data,
#                  disk to disk (sizes on disk compared); several files, because
#                  one alone takes less time than loading Qt's libraries
#   copy tiny:     one file of one byte: what starting each tool costs
#   copy tree:     FOLDERS folders of PER_FOLDER small files, disk to disk
#   size:          the folder size of two such trees
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
sparse_files=${SPARSE:-20}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRENVIK_TESTS=OFF >/dev/null
cmake --build "$build" --target bench_copy_floor bench_copy_brenvik >/dev/null
brenvik="$build/bench/copy/bench_copy_brenvik"
floor="$build/bench/copy/bench_copy_floor"
echo "Last zu Beginn: $(cut -d' ' -f1-3 /proc/loadavg)"

disk=$(mktemp -d /var/tmp/brenvik-bench-copy.XXXXXX)
memory=$(mktemp -d /dev/shm/brenvik-bench-copy.XXXXXX)
trap 'rm -rf "$disk" "$memory"' EXIT
mkdir "$disk/src" "$disk/out"
head -c $((big_mib << 20)) /dev/urandom >"$disk/src/big.bin"
echo >"$disk/src/tiny"
mkdir "$disk/src/sparse"
for ((i = 0; i < sparse_files; i++)); do
  truncate -s 2G "$disk/src/sparse/$i.img"
  head -c 8192 /dev/urandom | dd of="$disk/src/sparse/$i.img" bs=8192 seek=$((1 << 17)) conv=notrunc status=none
done
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

# copies SCENARIO SOURCE TOOLS: each tool copies SOURCE into a fresh folder, round after round.
copies() {
  local scenario=$1 source=$2 tools=$3 i tool out
  for ((i = 0; i < runs; i++)); do
    for tool in $(order "$i" "$tools"); do
      out="$disk/out/$scenario-$tool-$i"; mkdir "$out"
      case $tool in
        brenvik) timed "$scenario" brenvik "$brenvik" copy "$source" "$out" ;;
        cp) timed "$scenario" cp cp -a "$source" "$out/" ;;
        floor) timed "$scenario" floor "$floor" "$source" "$out/$(basename "$source")" ;;
      esac
    done
  done
}
copies big "$disk/src/big.bin" "brenvik cp floor"
copies sparse "$disk/src/sparse" "brenvik cp"
copies tiny "$disk/src/tiny" "brenvik cp"
copies tree "$disk/src/tree" "brenvik cp floor"

mkdir "$disk/sizes"
mv "$disk/out/tree-cp-0/tree" "$disk/sizes/a"
mv "$disk/out/tree-brenvik-0/tree" "$disk/sizes/b"
for ((i = 0; i < runs; i++)); do
  for tool in $(order "$i" "brenvik du"); do
    case $tool in
      brenvik) timed size brenvik "$brenvik" size "$disk/sizes" ;;
      du) timed size du du -s "$disk/sizes" ;;
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

median() { tr ' ' '\n' | grep -v '^$' | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
m() { echo "${times[$1]:-0}" | median; }
ms() { echo $(( $(m "$1") / 1000 )); }
echo "Läufe: $runs (Median, ganze Prozesse, Millisekunden); Baum: $folders Ordner × $per_folder Dateien"
echo "Last am Ende: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-22s %10s %10s %10s\n' "" "Brenvik" "Peer" "Untergrenze"
for scenario in big sparse tiny tree; do
  printf '%-22s %10d %10d %10d\n' "Kopieren $scenario" "$(ms "$scenario brenvik")" "$(ms "$scenario cp")" "$(ms "$scenario floor")"
done
printf '%-22s %10d %10d\n' "Ordnergröße (du -s)" "$(ms "size brenvik")" "$(ms "size du")"
for scenario in to-disk to-shm; do
  printf '%-22s %10d %10d\n' "Verschieben $scenario" "$(ms "$scenario brenvik")" "$(ms "$scenario mv")"
done
allocated() { du -s -B1 "$1" | cut -f1; }
echo "Belegt auf der Platte (Bytes): Quelle $(allocated "$disk/src/sparse"), Brenvik $(allocated "$disk/out/sparse-brenvik-0/sparse"), cp -a $(allocated "$disk/out/sparse-cp-0/sparse")"
echo "Einzelne Läufe (ms):"
for key in "${!times[@]}"; do
  printf '  %-16s' "$key"; for t in ${times[$key]}; do printf ' %8d' $((t / 1000)); done; echo
done | sort
ratio() { awk -v b="$(m "$2 brenvik")" -v c="$(m "$2 $3")" -v t="$1" 'BEGIN { printf "Verhältnis %s: Brenvik / %s = %.2f\n", t, "'"$4"'", b / c }'; }
ratio "Kopieren big" big cp "cp -a"
ratio "Kopieren tree" tree cp "cp -a"
ratio "Kopieren tree" tree floor "Untergrenze"
ratio "Kopieren sparse" sparse cp "cp -a"
ratio "Kopieren tiny (Programmstart)" tiny cp "cp -a"
ratio "Ordnergröße" size du "du -s"
ratio "Verschieben to-disk" to-disk mv "mv"
ratio "Verschieben to-shm" to-shm mv "mv"
