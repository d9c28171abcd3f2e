#!/usr/bin/env bash
# 200 listings of a folder of 1,000 entries through one OpenSSHSFTPTransport
# (one sftp process, markers and error output read per command) against the
# same 200 "ls -la" commands as one raw "sftp -b" batch. Both log in once
# through the askpass mode and the keychain; runs alternate, median of RUNS.
# The goal: the transport takes at most 1.5 times as long.
#
# MODE=tree instead downloads a tree of FILES files of SIZE bytes (folders of
# 100) through RemoteTree against "get -r" in a raw batch; goal at most 1.2.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)

# The loopback sshd and a private Secret Service; this script runs inside them.
if [ -z "${BRVK_TEST_SFTP_PORT:-}" ]; then
  exec "$root/scripts/services/secret-service.sh" "$root/scripts/services/sshd.sh" "$0" "$@"
fi

build=${BUILD:-$root/build-sftp-bench}
runs=${RUNS:-5}
listings=${LISTINGS:-200}
entries=${ENTRIES:-1000}
mode=${MODE:-list}
files=${FILES:-2000}
size=${SIZE:-100000}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRENVIK_TESTS=OFF >/dev/null
cmake --build "$build" --target bench_sftp_transport brenvik >/dev/null
bench="$build/bench/sftp/bench_sftp_transport"
brenvik="$build/brenvik"

folder="/bench-$$"
mkdir "$BRVK_TEST_SFTP_ROOT$folder"
if [ "$mode" = tree ]; then
  pattern=$(mktemp)
  head -c "$size" /dev/urandom >"$pattern"
  for ((i = 0; i < files; i++)); do
    sub="$BRVK_TEST_SFTP_ROOT$folder/ordner-$((i / 100))"
    mkdir -p "$sub"
    cp "$pattern" "$sub/datei-$i.bin"
  done
  rm -f "$pattern"
else
  for ((i = 0; i < entries; i++)); do : >"$BRVK_TEST_SFTP_ROOT$folder/datei-$i.txt"; done
fi
chown -R "$BRVK_TEST_SFTP_USER:" "$BRVK_TEST_SFTP_ROOT$folder"

work=$(mktemp -d "${TMPDIR:-/tmp}/brenvik-bench-sftp.XXXXXX")
profile=$("$bench" store)
trap '"$bench" remove; rm -rf "$work" "$BRVK_TEST_SFTP_ROOT$folder"' EXIT
ssh-keyscan -p "$BRVK_TEST_SFTP_PORT" -t ed25519 127.0.0.1 2>/dev/null >"$work/known_hosts"
for ((i = 0; i < listings; i++)); do echo "ls -la \"$folder\""; done >"$work/batch"
echo "get -r \"$folder\" \"$work/raw-tree\"" >"$work/tree-batch"

raw() {
  SSH_ASKPASS="$brenvik" SSH_ASKPASS_REQUIRE=force DISPLAY=Brenvik:0 BRVK_SFTP_ASKPASS_PROFILE="$profile" \
    LC_ALL=C.UTF-8 sftp -oBatchMode=no -b "$work/${1:-batch}" -oLogLevel=ERROR -P "$BRVK_TEST_SFTP_PORT" \
    -oStrictHostKeyChecking=yes -oUserKnownHostsFile="$work/known_hosts" -oGlobalKnownHostsFile=/dev/null \
    -oNumberOfPasswordPrompts=1 "$BRVK_TEST_SFTP_USER@127.0.0.1" >"$work/raw.out"
}

ns() { date +%s%N; }
median() { tr ' ' '\n' | grep -v '^$' | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
spread() { tr ' ' '\n' | grep -v '^$' | sort -n | awk '{a[NR]=$1} END {printf "%.1f–%.1f ms", a[1] / 1000, a[NR] / 1000}'; }
transport_times="" raw_times=""
if [ "$mode" = tree ]; then
  for ((run = 0; run < runs; run++)); do
    rm -rf "$work/tree" "$work/raw-tree"
    sync
    transport_times+="$("$bench" tree "$brenvik" "$BRVK_TEST_SFTP_PORT" "$BRVK_TEST_SFTP_FINGERPRINT" "$folder" "$work/tree") "
    [ "$(find "$work/tree" -type f | wc -l)" -eq "$files" ] || { echo "Baum unvollständig" >&2; exit 1; }
    sync
    start=$(ns); raw tree-batch; end=$(ns)
    raw_times+="$(( (end - start) / 1000 )) "
  done
  t=$(echo "$transport_times" | median); r=$(echo "$raw_times" | median)
  echo "Baum aus $files Dateien zu je $size Bytes, $runs Läufe (Median, Anmeldung eingeschlossen)"
  echo "Einzelläufe Transport (µs): $transport_times"
  echo "Einzelläufe sftp -b   (µs): $raw_times"
  echo "RemoteTree über SFTP: $(awk -v t="$t" 'BEGIN {printf "%.1f ms", t / 1000}') (Spanne $(echo "$transport_times" | spread))"
  echo "sftp -b get -r:       $(awk -v r="$r" 'BEGIN {printf "%.1f ms", r / 1000}') (Spanne $(echo "$raw_times" | spread))"
  awk -v t="$t" -v r="$r" 'BEGIN { printf "Verhältnis Transport / sftp -b: %.2f (Ziel: höchstens 1.2)\n", t / r }'
  exit 0
fi
for ((run = 0; run < runs; run++)); do
  read -r micros listed < <("$bench" list "$brenvik" "$BRVK_TEST_SFTP_PORT" "$BRVK_TEST_SFTP_FINGERPRINT" "$folder" "$listings")
  if [ "$listed" -ne $((listings * entries)) ]; then
    echo "Transport listete $listed statt $((listings * entries)) Einträge" >&2
    exit 1
  fi
  transport_times+="$micros "
  start=$(ns); raw; end=$(ns)
  raw_times+="$(( (end - start) / 1000 )) "
done

t=$(echo "$transport_times" | median); r=$(echo "$raw_times" | median)
echo "Ordner mit $entries Einträgen, $listings Auflistungen je Lauf, $runs Läufe (Median, Anmeldung eingeschlossen)"
echo "Einzelläufe Transport (µs): $transport_times"
echo "Einzelläufe sftp -b   (µs): $raw_times"
awk -v t="$t" -v r="$r" -v n="$listings" 'BEGIN {
  printf "OpenSSHSFTPTransport:  %8.1f ms (%.2f ms je Auflistung)\n", t / 1000, t / 1000 / n
  printf "sftp -b (roh):         %8.1f ms (%.2f ms je Auflistung)\n", r / 1000, r / 1000 / n
  printf "Verhältnis Transport / sftp -b: %.2f (Ziel: höchstens 1.5)\n", t / r }'
