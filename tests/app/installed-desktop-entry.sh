#!/usr/bin/env bash
# Installs into a throw-away prefix and checks what the desktop reads there:
# a valid menu entry whose program and icon were installed beside it.
set -euo pipefail
build=$1
prefix=$(mktemp -d "${TMPDIR:-/tmp}/brenvik-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
entry="$prefix/share/applications/brenvik.desktop"
desktop-file-validate "$entry"
program=$(sed -n 's/^Exec=//p' "$entry")
icon=$(sed -n 's/^Icon=//p' "$entry")
test -x "$prefix/bin/$program" || { echo "Programm $program fehlt" >&2; exit 1; }
test -s "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" || { echo "Symbol $icon fehlt" >&2; exit 1; }
! grep -q '^MimeType=' "$entry" || { echo "MimeType macht Brenvik zum Ordnerprogramm" >&2; exit 1; }
