#!/usr/bin/env bash
# Commands without a display, in a Wine session of their own; windowless ones start no display. A window
# command right after a windowless one: the snapshot joined the desktop that info started, which lives on
# for a second after info ends, and a desktop started without a display made no window ("Class does not
# exist"). Two snapshots side by side: the second joined the first's desktop, on the first's screen, and a
# picture wider than that screen came out with black columns.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/beat-recording.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../env.sh"
root=$SISTRA_ROOT
shared=$WINEPREFIX
work=$(mktemp -d)
export WINEPREFIX=$work/prefix
# The windowless commands' session stays a while after them: it ends with the test.
trap 'wineserver --kill 2>/dev/null || true; WINEPREFIX=$work/wineprefixes/windowless wineserver --kill 2>/dev/null || true
    rm -rf "$work"' EXIT
# A fresh session: a prefix of its own that no server serves yet.
link_wine_prefix "$shared" "$WINEPREFIX"
unset DISPLAY

beat_recording "$work/recording.csv"

# A windowless command starts no display: with an X server that cannot start, info still runs, and a
# snapshot right after it still makes its window.
mkdir "$work/bin"
printf '#!/bin/sh\ntouch "%s/display-started"\nexit 1\n' "$work" >"$work/bin/Xvfb"
chmod +x "$work/bin/Xvfb"
PATH="$work/bin:$PATH" "$root/scripts/sistra" info >/dev/null
if [ -e "$work/display-started" ]; then
    echo "info, a windowless command, started a display" >&2
    exit 1
fi
status=0
"$root/scripts/sistra" snapshot "$work/recording.csv" --view prsw --out "$work/prsw.png" >/dev/null 2>"$work/err" ||
    status=$?
if [ "$status" -ne 0 ] || [ ! -s "$work/prsw.png" ]; then
    echo "expected the snapshot after info to write its picture; got status $status and:" >&2
    cat "$work/err" >&2
    exit 1
fi

# The same large picture alone and beside a smaller one.
"$root/scripts/sistra" snapshot "$work/recording.csv" --view prsw --size 1600x1000 --out "$work/alone.png" >/dev/null
"$root/scripts/sistra" snapshot "$work/recording.csv" --view prsw --size 800x600 --out "$work/small.png" >/dev/null &
"$root/scripts/sistra" snapshot "$work/recording.csv" --view prsw --size 1600x1000 --out "$work/beside.png" >/dev/null
wait
if ! cmp -s "$work/alone.png" "$work/beside.png"; then
    echo "a snapshot taken beside another differs from the same snapshot taken alone" >&2
    exit 1
fi
