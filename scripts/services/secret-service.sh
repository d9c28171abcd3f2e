#!/usr/bin/env bash
# Runs "$@" inside a private D-Bus session whose Secret Service is a throw-away
# gnome-keyring, unlocked, with its own HOME and runtime folder: the command
# never reaches the user's keyring. Exits with the command's status.
#
# The bus announces itself in BRENVIK_TEST_SECRET_SERVICE_BUS; the tests use a
# Secret Service only on the bus named there.
set -euo pipefail
if [ $# -eq 0 ]; then
  echo "Aufruf: $0 BEFEHL [ARGUMENT …]" >&2
  exit 2
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/Brenvik-secret-service-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/home" "$scratch/run"
chmod 0700 "$scratch/home" "$scratch/run"

# A bus without service directories: nothing can be activated on it, so no
# second keyring daemon with the caller's HOME can ever start.
cat >"$scratch/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$scratch/run</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF

# Runs inside the session: start the keyring, wait until it owns its name, run
# the command, stop the keyring.
inside_session='
  scratch=$1
  shift
  export BRENVIK_TEST_SECRET_SERVICE_BUS=$DBUS_SESSION_BUS_ADDRESS
  printf %s "brenvik-test-keyring" |
    env HOME="$scratch/home" XDG_RUNTIME_DIR="$scratch/run" XDG_DATA_HOME="$scratch/home/.local/share" \
        XDG_CONFIG_HOME="$scratch/home/.config" XDG_CACHE_HOME="$scratch/home/.cache" \
        gnome-keyring-daemon --foreground --unlock --components=secrets >"$scratch/keyring.log" 2>&1 &
  daemon=$!
  tries=0
  until dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
          org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null | grep -q "boolean true"; do
    tries=$((tries + 1))
    if [ $tries -gt 200 ] || ! kill -0 "$daemon" 2>/dev/null; then
      echo "secret-service.sh: gnome-keyring startete nicht; Tests, die ihn brauchen, werden übersprungen." >&2
      sed "s/^/  /" "$scratch/keyring.log" >&2
      break
    fi
    sleep 0.05
  done
  status=0
  "$@" || status=$?
  kill "$daemon" 2>/dev/null
  wait "$daemon" 2>/dev/null
  exit $status
'

exec_status=0
dbus-run-session --config-file="$scratch/bus.conf" -- bash -c "$inside_session" secret-service "$scratch" "$@" \
  || exec_status=$?
exit $exec_status
