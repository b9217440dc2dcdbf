#!/usr/bin/env bash
# What the commands write goes where it was named and nowhere else, and nothing is left behind:
# - each output beside a file whose name differs only in case is written under its own name, and the other
#   file keeps what it held (Wine matches names without regard to case);
# - an output given as a stream (the standard output by any of its names, a process substitution) is written
#   to it, and the command ends;
# - an input given as a stream is copied within a bound that a longer one is refused at, naming it, and the
#   copy is gone when the command ends, by a signal too;
# - a file name of 250 characters is written.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/beat-recording.sh"
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The script's temporary copies of inputs (sistra-input.*) go here, where what is left can be seen.
export TMPDIR=$work/tmp
mkdir "$TMPDIR"
sistra() { "$root/scripts/sistra" "$@"; }
fail() {
    echo "$*" >&2
    [ ! -s "$work/err" ] || cat "$work/err" >&2
    exit 1
}
copies() { find "$TMPDIR" -maxdepth 1 -name 'sistra-input.*'; }
nothing_left() { [ -z "$(copies)" ] || fail "$1 left $(copies) in the temporary folder"; }

rec=$work/recording.csv
beat_recording "$rec"

# The file there before, the one named, and the command (D is the folder both are in).
long=$(printf 'n%.0s' $(seq 246)).tsv
while IFS='|' read -r before named command; do
    D=$work/out
    rm -rf "$D"
    mkdir "$D"
    echo keep >"$D/$before"
    eval "sistra $command" >/dev/null 2>"$work/err" || fail "$command failed"
    [ "$(cat "$D/$before")" = keep ] || fail "$command wrote into $before, which it was not given"
    [ -s "$D/$named" ] || fail "$command did not write $named"
    nothing_left "$command"
done <<EOF
Sheet.tsv|sheet.tsv|analyze "\$rec" --results-sheet "\$D/sheet.tsv"
S.set|s.set|analyze "\$rec" --save-settings "\$D/s.set"
Loops.tsv|loops.tsv|analyze "\$rec" --out "\$D"
X.png|x.png|snapshot "\$rec" --view loop --out "\$D/x.png"
other.tsv|$long|analyze "\$rec" --results-sheet "\$D/$long"
EOF

# Outputs that are streams; each run must end (a reader of the output waits for its end).
for name in /dev/fd/1 /proc/self/fd/1 /dev/stdout; do
    timeout 300 "$root/scripts/sistra" analyze "$rec" --results-sheet "$name" >"$work/sheet" 2>"$work/err" ||
        fail "--results-sheet $name failed"
    grep -q $'\tSW (' "$work/sheet" || fail "--results-sheet $name > file did not put the sheet in the file"
done
timeout 300 "$root/scripts/sistra" snapshot "$rec" --view loop --out /dev/fd/1 >"$work/picture" 2>"$work/err" ||
    fail "snapshot --out /dev/fd/1 failed"
[ "$(head -c 4 "$work/picture" | tail -c 3)" = PNG ] || fail "snapshot --out /dev/fd/1 > file put no picture in the file"
timeout 300 "$root/scripts/sistra" analyze "$rec" --results-sheet >(wc -l >"$work/lines") >/dev/null 2>"$work/err" ||
    fail "--results-sheet >(wc -l) failed or did not end"
wait $!
[ "$(cat "$work/lines")" -gt 20 ] || fail "--results-sheet >(wc -l) counted $(cat "$work/lines") lines"
nothing_left "the stream outputs"

# An input stream past the bound is refused naming it, and its copy goes.
status=0
SISTRA_LARGEST_STREAM_MB=1 sistra analyze <(yes 1,2,3,4) >/dev/null 2>"$work/err" || status=$?
[ "$status" -ne 0 ] && grep -q "holds more than 1 MB" "$work/err" || fail "an endless input was not refused at its bound"
nothing_left "an endless input"

# A signal while an input is copied: the command ends and its copy goes. The stream never ends: a named
# pipe held open by this script, which writes a header and no more.
mkfifo "$work/pipe"
exec 7<>"$work/pipe"
echo "Time (s),A (V)" >&7
"$root/scripts/sistra" calc --expr ch1 --summary "$work/pipe" >/dev/null 2>"$work/err" &
copying=$!
for _ in $(seq 600); do
    [ -z "$(copies)" ] || break
    sleep 0.1
done
[ -n "$(copies)" ] || fail "the named pipe's copy was never started"
kill -TERM "$copying"
status=0
wait "$copying" || status=$?
[ "$status" -eq 143 ] || fail "the command stopped while copying ended with status $status"
exec 7>&-
nothing_left "a command stopped while copying"
