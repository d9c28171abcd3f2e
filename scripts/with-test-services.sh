#!/usr/bin/env bash
# Runs a command with the services the tests talk to. Every scripts/services/*.sh
# is a wrapper: it starts its service (loopback only), runs the rest of its
# arguments as a command, stops the service and exits with the command's status.
# The wrappers are chained in name order around the command.
set -euo pipefail
dir=$(cd "$(dirname "$0")/services" && pwd)
chain=()
for wrapper in "$dir"/*.sh; do
  [ -e "$wrapper" ] && chain+=("$wrapper")
done
exec "${chain[@]}" "$@"
