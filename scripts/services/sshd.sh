#!/usr/bin/env bash
# Runs a command with an OpenSSH server on 127.0.0.1:42122 for the SFTP tests:
# its own host keys and configuration, password log-in for the account "brvk"
# only (created when missing, with the fixed test password; its shell is
# nologin, so the account gives SFTP and nothing else).
#
# The server runs in a private mount namespace, changed into a folder of its
# own, so that the SFTP root "/" is a throw-away folder the account may write
# to; the system folders it needs are mounted into it. The tests find the
# server through BRVK_TEST_SFTP_PORT, _USER, _PASSWORD, _FINGERPRINT (SHA-256
# of its ed25519 key) and _ROOT (the served "/" as seen from outside). Stops
# the server and exits with the command's status; without root or when the
# server does not start, the command runs without these variables.
set -euo pipefail
if [ $# -eq 0 ]; then
  echo "Aufruf: $0 BEFEHL [ARGUMENT …]" >&2
  exit 2
fi

port=${BRVK_SSHD_PORT:-42122}
user=brvk
password=sftptest

run_without_server() {
  echo "sshd.sh: $1; SFTP-Tests werden übersprungen." >&2
  shift
  status=0
  "$@" || status=$?
  exit "$status"
}

[ "$(id -u)" -eq 0 ] || run_without_server "ohne root kein Testserver" "$@"
[ -x /usr/sbin/sshd ] || run_without_server "/usr/sbin/sshd fehlt" "$@"

# A system sshd (started by a package installation) would also accept the test
# account: none may run while the test account has a known password.
if [ -r /run/sshd.pid ] && kill -0 "$(cat /run/sshd.pid)" 2>/dev/null; then
  echo "sshd.sh: beende den System-sshd (PID $(cat /run/sshd.pid))." >&2
  kill "$(cat /run/sshd.pid)" || true
fi

id "$user" >/dev/null 2>&1 || useradd --create-home --shell /usr/sbin/nologin "$user"
printf '%s:%s\n' "$user" "$password" | chpasswd

# Configuration and host keys live under /run, which the server's view shares.
work=$(mktemp -d /run/brenvik-sshd.XXXXXX)
root=$(mktemp -d "${TMPDIR:-/tmp}/brenvik-sftp-root.XXXXXX")
server_pid=""
cleanup() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
  # The system folders are mounted into the root only inside the server's own
  # namespace; should one ever be visible here, deleting would reach into it.
  if grep -q " $root/" /proc/self/mounts; then
    echo "sshd.sh: $root enthält Einhängepunkte und bleibt stehen." >&2
  else
    rm -rf "$root"
  fi
}
trap cleanup EXIT

for type in ed25519 ecdsa rsa; do
  ssh-keygen -q -t "$type" -N '' -f "$work/hostkey_$type"
done
mkdir -p /run/sshd
cat >"$work/sshd_config" <<CONFIG
Port $port
ListenAddress 127.0.0.1
AddressFamily inet
HostKey $work/hostkey_ed25519
HostKey $work/hostkey_ecdsa
HostKey $work/hostkey_rsa
PidFile $work/sshd.pid
PubkeyAuthentication no
PasswordAuthentication yes
KbdInteractiveAuthentication no
UsePAM yes
PermitRootLogin no
AllowUsers $user
PermitTTY no
AllowTcpForwarding no
X11Forwarding no
UseDNS no
Subsystem sftp internal-sftp
CONFIG
/usr/sbin/sshd -t -f "$work/sshd_config"

# The served root: owned by the test account, holding mount points (or the
# distribution's symbolic links) for what sshd and PAM need.
chown "$user:" "$root"
chmod 755 "$root"
mounts=""
for entry in bin sbin lib lib32 lib64 usr etc dev proc run var home; do
  if [ -L "/$entry" ]; then
    cp -P "/$entry" "$root/$entry"
  elif [ -d "/$entry" ]; then
    mkdir "$root/$entry"
    mounts="$mounts mount --rbind /$entry $root/$entry;"
  fi
done

unshare --mount --propagation private -- sh -c \
  "$mounts exec chroot $root /usr/sbin/sshd -f $work/sshd_config -D -e" 2>"$work/sshd.log" &
server_pid=$!

fingerprint=""
for _ in $(seq 100); do
  line=$(ssh-keyscan -T 1 -p "$port" -t ed25519 127.0.0.1 2>/dev/null | grep -v '^#' || true)
  if [ -n "$line" ]; then
    fingerprint=$(printf '%s\n' "$line" | ssh-keygen -l -E sha256 -f - | awk '{print $2}')
    break
  fi
  kill -0 "$server_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$fingerprint" ]; then
  echo "sshd.sh: der SFTP-Testserver startet nicht:" >&2
  sed 's/^/  /' "$work/sshd.log" >&2
  exit 1
fi

echo "sshd.sh: SFTP-Testserver auf 127.0.0.1:$port, Host-Key $fingerprint" >&2
export BRVK_TEST_SFTP_PORT=$port BRVK_TEST_SFTP_USER=$user BRVK_TEST_SFTP_PASSWORD=$password
export BRVK_TEST_SFTP_FINGERPRINT=$fingerprint BRVK_TEST_SFTP_ROOT=$root

status=0
"$@" || status=$?
exit "$status"
