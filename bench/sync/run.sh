#!/usr/bin/env bash
# Synchronisation (Release build), every tool as a whole process, the tools
# alternating in every round (the one to start changes each round), medians of
# RUNS rounds, ratios last.
#   planning:  two trees of FOLDERS × PER_FOLDER entries with 10 % differences,
#              bench_sync plan against rsync -rn --itemize-changes
#   executing: SMALL_FOLDERS × 100 small files into a fresh empty folder,
#              bench_sync execute (plan included) against rsync -a
#   preview:   the window on the plan of the first tree against an empty folder,
#              the GUI thread's longest stall while it opens and scrolls to the end
# Copies go to fresh folders that are removed only at the end: this disk creates
# files slowly for minutes after a mass deletion.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD:-$root/build-bench}
runs=${RUNS:-5}
folders=${FOLDERS:-2000}
per_folder=${PER_FOLDER:-99}
small_folders=${SMALL_FOLDERS:-500}

command -v rsync >/dev/null || apt-get install -y rsync >/dev/null
[ -x /usr/bin/time ] || apt-get install -y time >/dev/null
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRENVIK_TESTS=OFF >/dev/null
cmake --build "$build" --target bench_sync >/dev/null
brenvik="$build/bench/sync/bench_sync"

work=$(mktemp -d /var/tmp/brenvik-bench-sync.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/out" "$work/empty"
python3 - "$work" "$folders" "$per_folder" "$small_folders" <<'PY'
import os, random, shutil, sys
work, folders, per_folder, small_folders = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
rnd = random.Random(7)
def tree(root, count, per, size_of):
    os.mkdir(root)
    for d in range(count):
        folder = os.path.join(root, "ordner-%04d" % d)
        os.mkdir(folder)
        for f in range(per):
            with open(os.path.join(folder, "datei-%03d.txt" % f), "wb") as out:
                out.write(b"x" * size_of())
tree(os.path.join(work, "left"), folders, per_folder, lambda: rnd.randint(0, 2048))
shutil.copytree(os.path.join(work, "left"), os.path.join(work, "right"), symlinks=True)
# 10 % of the entries differ: newer on the right, missing on the right, only on the right.
right = os.path.join(work, "right")
for d in range(folders):
    folder = os.path.join(right, "ordner-%04d" % d)
    for f in range(per_folder):
        pick = rnd.random()
        path = os.path.join(folder, "datei-%03d.txt" % f)
        if pick < 0.04:
            with open(path, "ab") as out:
                out.write(b"y")
        elif pick < 0.07:
            os.unlink(path)
        elif pick < 0.10:
            open(os.path.join(folder, "neu-%03d.txt" % f), "wb").close()
tree(os.path.join(work, "small"), small_folders, 100, lambda: rnd.randint(64, 4096))
PY
sync

declare -A times cpu
# timed KEY COMMAND...: one run; its wall time and its processor time (user and
# system, all processes of the tool) in microseconds noted. On a shared machine
# the wall time also holds the waits for a processor, which favour tools of
# several processes; the processor time shows each tool's own work.
timed() {
  local key="$1" start end
  shift
  start=$(date +%s%N)
  /usr/bin/time -f "%U %S" -o "$work/cpu" "$@" >/dev/null
  end=$(date +%s%N)
  times[$key]+="$(( (end - start) / 1000 )) "
  cpu[$key]+="$(awk '{ printf "%d", ($1 + $2) * 1000000 }' "$work/cpu") "
}
order() { if (( $1 % 2 == 0 )); then echo "$2"; else echo "$2" | tr ' ' '\n' | tac | tr '\n' ' '; fi; }

# One untimed round each, so both tools meet warm caches.
"$brenvik" plan "$work/left" "$work/right" >/dev/null
rsync -rn --itemize-changes "$work/left/" "$work/right/" >/dev/null
for ((i = 0; i < runs; i++)); do
  for tool in $(order "$i" "brenvik rsync"); do
    case $tool in
      brenvik) timed "plan brenvik" "$brenvik" plan "$work/left" "$work/right" ;;
      rsync) timed "plan rsync" rsync -rn --itemize-changes "$work/left/" "$work/right/" ;;
    esac
  done
done

for ((i = 0; i < runs; i++)); do
  for tool in $(order "$i" "brenvik rsync"); do
    out="$work/out/$tool-$i"; mkdir "$out"
    sync
    case $tool in
      brenvik) timed "execute brenvik" "$brenvik" execute "$work/small" "$out" ;;
      rsync) timed "execute rsync" rsync -a "$work/small/" "$out/" ;;
    esac
  done
done

stalls=""
processor=""
for ((i = 0; i < runs; i++)); do
  line=$("$brenvik" preview "$work/left" "$work/empty" 2>/dev/null)
  echo "Vorschau: $line"
  stalls+="$(echo "$line" | sed 's/.*longest stall \([0-9]*\) ms.*/\1/') "
  processor+="$(echo "$line" | sed 's/.*(processor \([0-9]*\) ms)/\1/') "
done

median() { tr ' ' '\n' | grep -v '^$' | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
m() { echo "${times[$1]}" | median; }
c() { echo "${cpu[$1]}" | median; }
echo "Läufe: $runs (Median, ganze Prozesse, Millisekunden); Last: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Planen: $((folders * (per_folder + 1))) Einträge je Seite; Ausführen: $((small_folders * 100)) kleine Dateien"
printf '%-12s %10s %10s %14s %14s\n' "" "Brenvik" "rsync" "Brenvik (CPU)" "rsync (CPU)"
for scenario in plan execute; do
  printf '%-12s %10d %10d %14d %14d\n' "$scenario" "$(($(m "$scenario brenvik") / 1000))" "$(($(m "$scenario rsync") / 1000))" \
    "$(($(c "$scenario brenvik") / 1000))" "$(($(c "$scenario rsync") / 1000))"
done
echo "Einzelne Läufe (ms, Wandzeit / Rechenzeit):"
for key in "${!times[@]}"; do
  printf '  %-16s' "$key"; for t in ${times[$key]}; do printf ' %8d' $((t / 1000)); done
  printf '  /'; for t in ${cpu[$key]}; do printf ' %6d' $((t / 1000)); done; echo
done | sort
echo "Vorschau, längste Blockade der Oberfläche (ms): $stalls(Median $(echo "$stalls" | median));" \
  "Rechenzeit darin: $processor(Median $(echo "$processor" | median))"
for scenario in plan execute; do
  awk -v s="$scenario" -v b="$(m "$scenario brenvik")" -v r="$(m "$scenario rsync")" \
    -v bc="$(c "$scenario brenvik")" -v rc="$(c "$scenario rsync")" \
    'BEGIN { printf "Verhältnis %s: Brenvik / rsync = %.2f Wandzeit, %.2f Rechenzeit (Ziel: plan ≤ 0.70, execute ≤ 0.80)\n", s, b / r, bc / rc }'
done
