#!/usr/bin/env bash
# A file panel in remote mode against the raw tools, on the loopback servers of
# the test suite (OpenSSH and its FTP server; ProFTPD takes 0.4 s to greet each
# connection here, which would drown the rest), each tool as a whole process,
# alternating, median and spread of RUNS runs, the panel's longest GUI-thread
# stall last:
#   open:          an SFTP folder of ENTRIES entries until its rows are shown,
#                  against one "ls -l" in a raw "sftp -b" batch (log-in in both)
#                  with a known-hosts file made beforehand, the panel knowing
#                  the host key from an earlier run; and the first open ever,
#                  which scans the key, against the batch scanning it first
#   sftp download: a tree of FILES files of SIZE bytes (folders of 100) from the
#                  panel into a local folder, against "get -r" in a raw batch
#   ftp download:  the same tree over FTP, against one curl process per file
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)

if [ -z "${BRVK_TEST_SFTP_PORT:-}" ]; then
  exec "$root/scripts/services/secret-service.sh" "$root/scripts/services/sshd.sh" \
    "$root/scripts/services/ftp-servers.sh" "$0" "$@"
fi

build=${BUILD:-$root/build-bench}
runs=${RUNS:-5}
scenarios=${SCENARIOS:-open sftp ftp}
entries=${ENTRIES:-10000}
files=${FILES:-2000}
size=${SIZE:-100000}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRENVIK_TESTS=OFF >/dev/null
cmake --build "$build" --target bench_remote_panel bench_sftp_transport brenvik >/dev/null
panel="$build/bench/remotepanel/bench_remote_panel"
keychain="$build/bench/sftp/bench_sftp_transport"
brenvik="$build/brenvik"
source "$root/bench/timing.sh"
echo "Last zu Beginn: $(cut -d' ' -f1-3 /proc/loadavg)"

work=$(mktemp -d /var/tmp/brenvik-bench-remotepanel.XXXXXX)
# The host keys the panel remembers between runs: never the user's own.
export XDG_CACHE_HOME="$work/cache"
big="/gross-$$" tree="/baum-$$"
profile=$("$keychain" store)
trap '"$keychain" remove; rm -rf "$work" "$BRVK_TEST_SFTP_ROOT$big" "$BRVK_TEST_SFTP_ROOT$tree" "$BRVK_TEST_FTP_ROOT$tree"' EXIT

mkdir "$BRVK_TEST_SFTP_ROOT$big"
(cd "$BRVK_TEST_SFTP_ROOT$big" && seq -f "datei-%05g.txt" 1 "$entries" | xargs touch)
pattern="$work/pattern"
head -c "$size" /dev/urandom >"$pattern"
for ((i = 0; i < files; i++)); do
  sub="$BRVK_TEST_SFTP_ROOT$tree/ordner-$((i / 100))"
  mkdir -p "$sub"
  cp "$pattern" "$sub/datei-$i.bin"
  echo "$tree/ordner-$((i / 100))/datei-$i.bin" >>"$work/files"
done
cp -a "$BRVK_TEST_SFTP_ROOT$tree" "$BRVK_TEST_FTP_ROOT$tree"
chown -R "$BRVK_TEST_SFTP_USER:" "$BRVK_TEST_SFTP_ROOT$big" "$BRVK_TEST_SFTP_ROOT$tree"
chown -R "$(stat -c %u:%g "$BRVK_TEST_FTP_ROOT")" "$BRVK_TEST_FTP_ROOT$tree"
ssh-keyscan -p "$BRVK_TEST_SFTP_PORT" -t ed25519 127.0.0.1 2>/dev/null >"$work/known_hosts"
echo "ls -l \"$big\"" >"$work/list-batch"
sync

sftp_raw() {
  SSH_ASKPASS="$brenvik" SSH_ASKPASS_REQUIRE=force DISPLAY=Brenvik:0 BRVK_SFTP_ASKPASS_PROFILE="$profile" \
    LC_ALL=C.UTF-8 sftp -oBatchMode=no -b "$1" -oLogLevel=ERROR -P "$BRVK_TEST_SFTP_PORT" \
    -oStrictHostKeyChecking=yes -oUserKnownHostsFile="$work/known_hosts" -oGlobalKnownHostsFile=/dev/null \
    -oNumberOfPasswordPrompts=1 "$BRVK_TEST_SFTP_USER@127.0.0.1"
}
curl_each() {
  local path
  while read -r path; do
    curl -s -S --disable --globoff -u "$BRVK_TEST_FTP_USER:$BRVK_TEST_FTP_PASSWORD" --create-dirs \
      -o "$1$path" "ftp://127.0.0.1:$BRVK_TEST_FTP_PORT$path"
  done <"$work/files"
}
sftp_args=(sftp "$BRVK_TEST_SFTP_PORT" "$BRVK_TEST_SFTP_USER" "$BRVK_TEST_SFTP_FINGERPRINT" "$brenvik")
ftp_args=("FTP (unverschlüsselt)" "$BRVK_TEST_FTP_PORT" "$BRVK_TEST_FTP_USER" - "$brenvik")
declare -A stalls cpu_stalls
# panel_run SCENARIO ARGS...: one run of the panel, its time and stall noted.
panel_run() {
  local scenario=$1 micros stall cpu_stall rows
  shift
  sync
  read -r micros stall cpu_stall rows < <(BENCH_PASSWORD="$BRVK_TEST_FTP_PASSWORD" "$panel" "$@" 2>/dev/null)
  times["$scenario panel"]+="$micros "
  stalls[$scenario]+="$stall "
  cpu_stalls[$scenario]+="$cpu_stall "
  sync
}
check_tree() {
  [ "$(find "$1" -type f | wc -l)" -eq "$files" ] || { echo "Baum unvollständig: $1" >&2; exit 1; }
}

scanned_raw() {
  ssh-keyscan -p "$BRVK_TEST_SFTP_PORT" -t ed25519 127.0.0.1 2>/dev/null >"$work/known_hosts"
  sftp_raw "$work/list-batch"
}
[[ " $scenarios " != *" open "* ]] || BENCH_PASSWORD="$BRVK_TEST_FTP_PASSWORD" "$panel" open "${sftp_args[@]}" "$big" >/dev/null 2>&1
for ((i = 0; i < runs; i++)); do
  [[ " $scenarios " == *" open "* ]] || break
  for tool in $(order "$i" "panel raw first scanned"); do
    case $tool in
      panel) panel_run open open "${sftp_args[@]}" "$big" ;;
      raw) timed open raw sftp_raw "$work/list-batch" ;;
      first) rm -rf "$XDG_CACHE_HOME"; panel_run open-first open "${sftp_args[@]}" "$big" ;;
      scanned) timed open scanned scanned_raw ;;
    esac
  done
done
for ((i = 0; i < runs; i++)); do
  [[ " $scenarios " == *" sftp "* ]] || break
  for tool in $(order "$i" "panel raw"); do
    out="$work/sftp-$tool-$i"; mkdir "$out"
    case $tool in
      panel) panel_run sftp download "${sftp_args[@]}" "$tree" "$out" ;;
      raw) echo "get -r \"$tree\" \"$out/\"" >"$work/get-batch"; timed sftp raw sftp_raw "$work/get-batch" ;;
    esac
    check_tree "$out"; rm -rf "$out"
  done
done
for ((i = 0; i < runs; i++)); do
  [[ " $scenarios " == *" ftp "* ]] || break
  for tool in $(order "$i" "panel raw"); do
    out="$work/ftp-$tool-$i"; mkdir "$out"
    case $tool in
      panel) panel_run ftp download "${ftp_args[@]}" "$tree" "$out" ;;
      raw) timed ftp raw curl_each "$out" ;;
    esac
    check_tree "$out"; rm -rf "$out"
  done
done

longest() { echo "$1" | tr ' ' '\n' | grep -v '^$' | sort -n | tail -1; }
spread() { tr ' ' '\n' | grep -v '^$' | sort -n | awk '{a[NR]=$1} END {printf "%.0f–%.0f", a[1] / 1000, a[NR] / 1000}'; }
echo "$runs Läufe je Fall, Median (Spanne) in ms; Ordner mit $entries Einträgen; Baum aus $files Dateien zu $size Bytes"
for scenario in $scenarios; do
  case $scenario in
    open) label="SFTP-Ordner öffnen bis Zeilen da / sftp -b ls -l" ;;
    sftp) label="SFTP-Baum laden über das Panel / sftp -b get -r" ;;
    ftp) label="FTP-Baum laden über das Panel / curl je Datei" ;;
  esac
  p=$(m "$scenario panel") r=$(m "$scenario raw")
  awk -v l="$label" -v p="$p" -v r="$r" -v ps="$(echo "${times[$scenario panel]}" | spread)" \
      -v rs="$(echo "${times[$scenario raw]}" | spread)" -v st="$(longest "${stalls[$scenario]}")" -v cst="$(longest "${cpu_stalls[$scenario]}")" \
    'BEGIN { printf "%s: %.0f (%s) / %.0f (%s) = %.2f; längster GUI-Halt %s ms (Rechenzeit %s ms)\n", l, p / 1000, ps, r / 1000, rs, p / r, st, cst }'
done
if [[ " $scenarios " == *" open "* ]]; then
  p=$(m "open-first panel") k=$(m "open scanned")
  awk -v p="$p" -v k="$k" -v ps="$(echo "${times[open-first panel]}" | spread)" -v ks="$(echo "${times[open scanned]}" | spread)" \
    'BEGIN { printf "SFTP-Ordner zum ersten Mal öffnen / sftp -b mit Schlüsselabfrage davor: %.0f (%s) / %.0f (%s) = %.2f\n", p / 1000, ps, k / 1000, ks, p / k }'
fi
