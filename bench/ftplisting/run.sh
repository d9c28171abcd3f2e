#!/usr/bin/env bash
# Parsing an FTP listing of 100,000 lines: FtpListing::parse (with decoding and
# sorting) against awk splitting the same lines into fields, each as a whole
# process, alternating, median of RUNS runs; then the parse alone in-process.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="${BENCH_BUILD:-$root/build-bench}"
runs=${RUNS:-7}
count=${COUNT:-100000}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRENVIK_TESTS=OFF >/dev/null
cmake --build "$build" --target bench_ftp_listing >/dev/null
tool="$build/bench/ftplisting/bench_ftp_listing"

work=$(mktemp -d /var/tmp/brenvik-bench-ftplisting.XXXXXX)
trap 'rm -rf "$work"' EXIT
listing="$work/listing.txt"
/usr/bin/python3 - "$listing" "$count" <<'PY'
import random, sys
path, count = sys.argv[1], int(sys.argv[2])
random.seed(4711)
months = "Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec".split()
with open(path, "w", encoding="utf-8", newline="") as out:
    out.write("total %d\r\n" % count)
    for i in range(count):
        folder = i % 10 == 0
        perms = "drwxr-xr-x" if folder else "-rw-r--r--"
        size = 4096 if folder else random.randrange(0, 10**9)
        when = "%02d:%02d" % (random.randrange(24), random.randrange(60)) if i % 2 else str(random.randrange(2000, 2025))
        name = random.choice(["Bericht %d.pdf", "foto_%d.JPG", "Ordner %d", "daten-%d.csv", "Übersicht %d.txt"]) % i
        out.write("%s %3d owner    group    %12d %s %2d %5s %s\r\n"
                  % (perms, 1, size, random.choice(months), random.randrange(1, 29), when, name))
PY

"$tool" "$listing" >/dev/null # warm the caches
ns() { date +%s%N; }
declare -A times
for ((i = 0; i < runs; i++)); do
  for peer in brenvik awk; do
    case $peer in
      brenvik) cmd=("$tool" "$listing") ;;
      awk) cmd=(awk 'NF >= 9 { n = $0; for (f = 1; f <= 8; f++) sub(/^[ \t]*[^ \t]+/, "", n); print $1, $5, $6, $7, $8, substr(n, 2) }' "$listing") ;;
    esac
    start=$(ns); "${cmd[@]}" >/dev/null; end=$(ns)
    times[$peer]+="$(( (end - start) / 1000 )) "
  done
done

median() { tr ' ' '\n' | grep -v '^$' | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
b=$(echo "${times[brenvik]}" | median); a=$(echo "${times[awk]}" | median)
echo "Zeilen: $count, Läufe: $runs (Median, ganze Prozesse)"
awk -v b="$b" -v a="$a" 'BEGIN {
  printf "Brenvik FtpListing::parse: %8.1f ms\n", b / 1000
  printf "awk (nur Felder teilen):   %8.1f ms\n", a / 1000
  printf "Verhältnis Brenvik / awk: %.2f\n", b / a }'
"$tool" "$listing" --repeat "$runs"
