#!/usr/bin/env bash
# Runs a command with a ProFTPD server (Debian's) on a loopback port: a real
# server's listing format (links as "name -> target", names starting with "."
# shown only to "LIST -a"). One virtual account from a file of its own, no
# system service, no system account. The tests find it through the
# BRVK_TEST_PROFTPD_* variables. Stops it and exits with the command's status.
set -euo pipefail

if [ ! -x /usr/sbin/proftpd ]; then
  echo "proftpd.sh: /usr/sbin/proftpd fehlt (scripts/setup.sh installiert es)" >&2
  exec "$@"
fi

. "$(dirname "$0")/server-wrapper.bash" proftpd

port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
uid=$(id -u) gid=$(id -g)
# As root the sessions run as nobody; otherwise as the caller.
if [ "$uid" -eq 0 ]; then uid=65534 gid=65534; fi
mkdir -p "$work/root"
chown "$uid:$gid" "$work/root"
chmod 755 "$work"
password=proftpd-test
hash=$(printf '%s' "$password" | openssl passwd -6 -stdin)
echo "brvk:$hash:$uid:$gid::$work/root:/bin/false" >"$work/passwd"
echo "brvk:x:$gid:" >"$work/group"
chmod 600 "$work/passwd" "$work/group"
user_lines=""
if [ "$(id -u)" -eq 0 ]; then user_lines=$'User nobody\nGroup nogroup'; fi

cat >"$work/proftpd.conf" <<CONF
ServerName "brenvik test"
ServerType standalone
DefaultServer on
Port $port
DefaultAddress 127.0.0.1
SocketBindTight on
UseIPv6 off
$user_lines
PidFile $work/proftpd.pid
ScoreboardFile $work/scoreboard
DelayTable none
WtmpLog off
SystemLog $work/system.log
TransferLog none
AuthOrder mod_auth_file.c
AuthUserFile $work/passwd
AuthGroupFile $work/group
RequireValidShell off
UseFtpUsers off
DefaultRoot ~
UseReverseDNS off
AllowOverwrite on
ShowSymlinks on
CONF

/usr/sbin/proftpd -n -q -c "$work/proftpd.conf" >"$work/server.log" 2>&1 &
server_pid=$!
listening() { (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; }
wait_for_server "proftpd.sh: ProFTPD startet nicht:" listening
export BRVK_TEST_PROFTPD_PORT="$port" BRVK_TEST_PROFTPD_USER=brvk BRVK_TEST_PROFTPD_PASSWORD="$password"
export BRVK_TEST_PROFTPD_ROOT="$work/root"

"$@"
