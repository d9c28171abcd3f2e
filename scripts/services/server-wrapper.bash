# Sourced by the server wrappers (not a wrapper itself: with-test-services.sh runs
# only *.sh). Makes the private work folder $work and removes it, and stops the
# server in $server_pid, however the wrapper ends.
work=$(mktemp -d "${TMPDIR:-/tmp}/brenvik-$1.XXXXXX")
server_pid=""
cleanup() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# wait_for_server MESSAGE CHECK...: waits up to 10 s, while the server runs, for
# CHECK to succeed; otherwise prints MESSAGE and the server's logs and ends.
wait_for_server() {
  local message=$1
  shift
  for _ in $(seq 200); do
    "$@" && return 0
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.05
  done
  "$@" && return 0
  echo "$message" >&2
  cat "$work"/*.log >&2 2>/dev/null || true
  exit 1
}
