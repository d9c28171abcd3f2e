#!/usr/bin/env bash
# Listing 100,000 files: FileSystemCore::contents against `ls -la` and the
# syscall floor, each as a whole process, alternating, median of RUNS runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build-bench"
runs=${RUNS:-7}
count=${COUNT:-100000}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRENVIK_TESTS=OFF >/dev/null
cmake --build "$build" --target bench_list_floor bench_list_brenvik >/dev/null

work=$(mktemp -d /var/tmp/brenvik-bench-listing.XXXXXX)
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

# Warm the caches once so every tool sees the same state.
ls -la "$folder" >/dev/null; "$build/bench/listing/bench_list_brenvik" "$folder" >/dev/null

ns() { date +%s%N; }
declare -A times
for ((i = 0; i < runs; i++)); do
  for tool in brenvik ls floor; do
    case $tool in
      brenvik) cmd=("$build/bench/listing/bench_list_brenvik" "$folder") ;;
      ls) cmd=(ls -la "$folder") ;;
      floor) cmd=("$build/bench/listing/bench_list_floor" "$folder") ;;
    esac
    start=$(ns); "${cmd[@]}" >/dev/null; end=$(ns)
    times[$tool]+="$(( (end - start) / 1000 )) "
  done
done

median() { tr ' ' '\n' | grep -v '^$' | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
b=$(echo "${times[brenvik]}" | median); l=$(echo "${times[ls]}" | median); f=$(echo "${times[floor]}" | median)
echo "Dateien: $count, Läufe: $runs (Median, ganze Prozesse)"
awk -v b="$b" -v l="$l" -v f="$f" 'BEGIN {
  printf "Brenvik contents():  %8.1f ms\n", b / 1000
  printf "ls -la:              %8.1f ms\n", l / 1000
  printf "Syscall-Untergrenze: %8.1f ms\n", f / 1000 }'
"$build/bench/listing/bench_list_brenvik" "$folder" --memory
awk -v b="$b" -v l="$l" -v f="$f" 'BEGIN {
  printf "Verhältnis Brenvik / Untergrenze: %.2f\n", b / f
  printf "Verhältnis Brenvik / ls -la: %.2f\n", b / l }'
