#!/usr/bin/env bash
# Commands started side by side never fail for each other: eight gui runs, each on a display of its own, and
# eight analyze runs, all started at once on a fresh Wine prefix (the first to need it makes it while the
# others wait), then again on the prefix so made. Each analyze prints what one run alone prints; each gui
# makes its frame on its own display and ends with status 0 once the frame is closed there.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/beat-recording.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../env.sh"
root=$SISTRA_ROOT
work=$(mktemp -d)
displays=() servers=()
cleanup() {
    for prefix in "$work/prefix" "$work"/wineprefixes/*/; do
        [ ! -d "$prefix" ] || WINEPREFIX=$prefix wineserver --kill 2>/dev/null || true
    done
    ((${#servers[@]} == 0)) || kill "${servers[@]}" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "$*" >&2
    exit 1
}
# No prefix is there yet: the runs make it.
export WINEPREFIX=$work/prefix
runs=8

rec=$work/recording.csv
beat_recording "$rec"

for run in $(seq "$runs"); do
    start_virtual_display 1280 1024 "$work/xvfb$run.log"
    displays+=("$DISPLAY") servers+=("$VIRTUAL_DISPLAY_PID")
done
unset DISPLAY

for round in fresh made; do
    guis=() analyses=()
    for run in $(seq "$runs"); do
        DISPLAY=${displays[run - 1]} "$root/scripts/sistra" gui "$rec" --no-workflow \
            >"$work/gui$run.out" 2>"$work/gui$run.err" &
        guis+=($!)
        "$root/scripts/sistra" analyze "$rec" >"$work/analyze$run.out" 2>"$work/analyze$run.err" &
        analyses+=($!)
    done
    for run in $(seq "$runs"); do
        status=0
        wait "${analyses[run - 1]}" || status=$?
        [ "$status" -eq 0 ] || fail "$round prefix: analyze $run of $runs ended with status $status: $(cat "$work/analyze$run.err")"
        cmp -s "$work/analyze1.out" "$work/analyze$run.out" ||
            fail "$round prefix: analyze $run printed otherwise than analyze 1: $(diff "$work/analyze1.out" "$work/analyze$run.out")"
    done
    grep -q '^SW' "$work/analyze1.out" || fail "$round prefix: analyze printed no summaries: $(cat "$work/analyze1.out")"
    for run in $(seq "$runs"); do
        export DISPLAY=${displays[run - 1]}
        # The frame, once it shows on the run's own display (the run may end first, with its reason).
        frame=
        while [ -z "$frame" ] && kill -0 "${guis[run - 1]}" 2>/dev/null; do
            frame=$(timeout 5 xdotool search --sync --onlyvisible --name '^Sistra' 2>/dev/null | head -n 1 || true)
        done
        [ -n "$frame" ] || fail "$round prefix: gui $run of $runs made no frame: $(cat "$work/gui$run.err")"
        # Closed as a person closes it: the frame in front, Alt+F4.
        xdotool windowfocus --sync "$frame" key alt+F4
        status=0
        wait "${guis[run - 1]}" || status=$?
        [ "$status" -eq 0 ] || fail "$round prefix: gui $run of $runs ended with status $status: $(cat "$work/gui$run.err")"
    done
    unset DISPLAY
done
