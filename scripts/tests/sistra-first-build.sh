#!/usr/bin/env bash
# scripts/sistra in a checkout that was never built says that it is building before the build starts:
# with a build step that fails at once, the notice must come before the build's first line.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
printf '#!/bin/sh\nexit 1\n' >"$work/bin/cmake"
chmod +x "$work/bin/cmake"

status=0
SISTRA_BUILD="$work/build" WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}" PATH="$work/bin:$PATH" \
    "$root/scripts/sistra" info >/dev/null 2>"$work/err" || status=$?
notice=$(grep -n -m 1 '^sistra: building ' "$work/err" | cut -d: -f1 || true)
build=$(grep -n -m 1 '^build: ' "$work/err" | cut -d: -f1 || true)
if [ "$status" -eq 0 ] || [ -z "$notice" ] || [ -z "$build" ] || [ "$notice" -gt "$build" ]; then
    echo "expected a failed run that says it is building before the build speaks; got status $status and:" >&2
    cat "$work/err" >&2
    exit 1
fi
