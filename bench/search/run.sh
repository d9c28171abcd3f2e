#!/usr/bin/env bash
# Search and checksums through the engines, as whole processes, against the
# peer tools on the same data in the same run; the tools alternate in every
# round (the one to start changes each round); medians of RUNS rounds; ratios
# last. Every data set is read once before timing, so all tools meet a warm
# page cache.
#   content: FILES text files (about MB_TOTAL MB, some non-ASCII), a needle in
#            about 1 % of them in mixed case:
#            brenvik (case-insensitive) vs LC_ALL=C.UTF-8 grep -rliF vs rg -li
#   name:    FOLDERS × PER_FOLDER entries: brenvik "bericht" vs find -iname '*bericht*'
#   sha256:  one file of BIG_MIB MiB: brenvik vs openssl dgst -sha256
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build-bench"
runs=${RUNS:-7}
files=${FILES:-20000}
mb_total=${MB_TOTAL:-500}
folders=${FOLDERS:-2000}
per_folder=${PER_FOLDER:-100}
big_mib=${BIG_MIB:-1024}
needle=donaudampfschiff

command -v rg >/dev/null || { apt-get install -y ripgrep >/dev/null || exit 1; }
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRENVIK_TESTS=OFF >/dev/null
cmake --build "$build" --target bench_search_brenvik >/dev/null
brenvik="$build/bench/search/bench_search_brenvik"

data=$(mktemp -d /var/tmp/brenvik-bench-search.XXXXXX)
trap 'rm -rf "$data"' EXIT
python3 - "$data/text" "$files" "$mb_total" "$needle" "$data/names" "$folders" "$per_folder" <<'PY'
import os, random, sys
text, files, mb_total, needle = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
names, folders, per_folder = sys.argv[5], int(sys.argv[6]), int(sys.argv[7])
rnd = random.Random(13)
words = ("der die das und ist nicht ein eine mit auf für über Straße Größe Fähre Brücke Wasser Ufer Schiff "
         "Dampf Donau Hafen Kapitän Übergabe Mühle Öl Ärger naïve café Ελλάδα Москва 東京 the river boat "
         "steam harbour lorem ipsum dolor sit amet consectetur").split()
pool = []
size = 0
while size < 4 << 20:
    line = " ".join(rnd.choice(words) for _ in range(rnd.randint(4, 16))) + "\n"
    pool.append(line)
    size += len(line.encode())
pool = "".join(pool).encode()
assert needle.encode() not in pool.lower()
average = mb_total * 1000 * 1000 // files
variants = [needle, needle.upper(), "DonauDampfSchiff", "donauDAMPFschiff"]
for i in range(files):
    folder = os.path.join(text, "ordner-%03d" % (i // 200))
    os.makedirs(folder, exist_ok=True)
    length = rnd.randint(average // 2, average * 3 // 2)
    start = rnd.randrange(0, len(pool) - length)
    body = pool[start:start + length]
    if i % 100 == 37:
        at = rnd.randrange(0, len(body))
        body = body[:at] + variants[i % 4].encode() + body[at:]
    with open(os.path.join(folder, "text-%05d.txt" % i), "wb") as out:
        out.write(body)
for d in range(folders):
    folder = os.path.join(names, "ordner-%04d" % d)
    os.makedirs(folder)
    for f in range(per_folder - 1):
        name = ("Jahresbericht-%03d.pdf" if (d * per_folder + f) % 200 == 0 else "datei-%03d.txt") % f
        open(os.path.join(folder, name), "wb").close()
PY
head -c $((big_mib << 20)) /dev/urandom >"$data/big.bin"
sync

# Warm the page cache and check that the tools agree.
hits=$("$brenvik" content "$data/text" "$needle" 2>/dev/null)
grep_hits=$(LC_ALL=C.UTF-8 grep -rliF "$needle" "$data/text" | wc -l)
rg_hits=$(rg -li "$needle" "$data/text" | wc -l)
name_hits=$("$brenvik" name "$data/names" bericht 2>/dev/null)
find_hits=$(find "$data/names" -iname '*bericht*' | wc -l)
digest=$("$brenvik" sha256 "$data/big.bin" 2>/dev/null)
openssl_digest=$(openssl dgst -sha256 -r "$data/big.bin" | cut -d' ' -f1)
echo "Treffer: Brenvik $hits, grep $grep_hits, rg $rg_hits; Namen: Brenvik $name_hits, find $find_hits"
[[ $hits == "$grep_hits" && $hits == "$rg_hits" && $name_hits == "$find_hits" && $digest == "$openssl_digest" ]] \
  || { echo "Die Werkzeuge sind sich nicht einig" >&2; exit 1; }
rss=$("$brenvik" content "$data/text" "$needle" 2>&1 >/dev/null | awk '/maxrss_kib/ {print $2}')

declare -A times
timed() {
  local key="$1 $2" start end
  shift 2
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  times[$key]+="$(( (end - start) / 1000 )) "
}
order() { if (( $1 % 2 == 0 )); then echo "$2"; else echo "$2" | tr ' ' '\n' | tac | tr '\n' ' '; fi; }

for ((i = 0; i < runs; i++)); do
  for tool in $(order "$i" "brenvik grep rg"); do
    case $tool in
      brenvik) timed content brenvik "$brenvik" content "$data/text" "$needle" ;;
      grep) timed content grep env LC_ALL=C.UTF-8 grep -rliF "$needle" "$data/text" ;;
      rg) timed content rg rg -li "$needle" "$data/text" ;;
    esac
  done
  for tool in $(order "$i" "brenvik find"); do
    case $tool in
      brenvik) timed name brenvik "$brenvik" name "$data/names" bericht ;;
      find) timed name find find "$data/names" -iname '*bericht*' ;;
    esac
  done
  for tool in $(order "$i" "brenvik openssl"); do
    case $tool in
      brenvik) timed sha256 brenvik "$brenvik" sha256 "$data/big.bin" ;;
      openssl) timed sha256 openssl openssl dgst -sha256 "$data/big.bin" ;;
    esac
  done
done

median() { tr ' ' '\n' | grep -v '^$' | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
m() { echo "${times[$1]}" | median; }
echo "Läufe: $runs (Median, ganze Prozesse, Millisekunden); Last: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Inhalt: $files Dateien, $(du -sm "$data/text" | cut -f1) MB; Namen: $((folders * per_folder + folders)) Einträge; Prüfsumme: $big_mib MiB"
echo "Höchster Speicher der Inhaltssuche: $rss KiB"
echo "Einzelne Läufe (ms):"
for key in "${!times[@]}"; do
  printf '  %-16s' "$key"; for t in ${times[$key]}; do printf ' %7d' $((t / 1000)); done; echo
done | sort
awk -v b="$(m 'content brenvik')" -v g="$(m 'content grep')" -v r="$(m 'content rg')" \
  'BEGIN { printf "Inhalt:  Brenvik %d ms, grep -rliF %d ms, rg -li %d ms\n", b / 1000, g / 1000, r / 1000 }'
awk -v b="$(m 'name brenvik')" -v f="$(m 'name find')" \
  'BEGIN { printf "Namen:   Brenvik %d ms, find -iname %d ms\n", b / 1000, f / 1000 }'
awk -v b="$(m 'sha256 brenvik')" -v o="$(m 'sha256 openssl')" -v mib="$big_mib" \
  'BEGIN { printf "SHA-256: Brenvik %.0f MiB/s, openssl %.0f MiB/s\n", mib * 1e6 / b, mib * 1e6 / o }'
awk -v b="$(m 'content brenvik')" -v g="$(m 'content grep')" -v r="$(m 'content rg')" \
  'BEGIN { printf "Verhältnis Inhalt: Brenvik / grep = %.2f (Ziel ≤ 1.0), Brenvik / rg = %.2f\n", b / g, b / r }'
awk -v b="$(m 'name brenvik')" -v f="$(m 'name find')" \
  'BEGIN { printf "Verhältnis Namen: Brenvik / find = %.2f (Ziel ≤ 1.0)\n", b / f }'
awk -v b="$(m 'sha256 brenvik')" -v o="$(m 'sha256 openssl')" \
  'BEGIN { printf "Verhältnis SHA-256-Durchsatz: Brenvik / openssl = %.2f (Ziel ≥ 0.9)\n", o / b }'
