#!/usr/bin/env bash
# What the commands write goes where it was named and nowhere else, and nothing is left behind:
# - each output is written under exactly its folders' and its own name, beside folders and files whose names
#   differ only in case, which keep what they held (Wine matches names without regard to case); names of
#   devices and names ending in a dot or a space are written as named;
# - outputs that would be one file (through a link too) or one stream, a folder not there and a name the
#   program cannot write are refused before anything is written, saying why;
# - an output given as a stream (the standard output by any of its names, a process substitution, a named
#   pipe) is written to it, and the command ends;
# - an input given as a stream is copied within a bound (a decimal number of megabytes) that a longer one is
#   refused at, naming it, a full temporary folder is said to be full, and the copy is gone when the command
#   ends, by a signal too;
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

# Each of the paths in a list (comma-separated) made in D: a file holding "keep", a folder (ending in /) or a
# link (LINK->TARGET).
make_in() {
    local path
    local -a paths
    IFS=, read -ra paths <<<"$2"
    for path in "${paths[@]}"; do
        case "$path" in
        *'->'*) ln -s "${path#*->}" "$1/${path%%->*}" ;;
        */) mkdir -p "$1/$path" ;;
        *) mkdir -p "$(dirname "$1/$path")" && echo keep >"$1/$path" ;;
        esac
    done
}
# What a folder holds: each file under it with its count of lines.
holds() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0 -r grep -c '' --); }

# What is there before (files, folders, links), the files the command writes, and the command (D is the
# folder all are in). Names Windows reads otherwise are written as named: folders and files that differ
# only in case from one there, names of devices, trailing dots and spaces, a folder reached through a link.
long=$(printf 'n%.0s' $(seq 246)).tsv
while IFS='|' read -r before named command; do
    D=$work/out
    rm -rf "$D"
    mkdir "$D"
    make_in "$D" "$before"
    eval "sistra $command" >/dev/null 2>"$work/err" || fail "$command failed"
    IFS=, read -ra kept <<<"$before"
    for file in "${kept[@]}"; do
        [[ "$file" == */ || "$file" == *'->'* ]] || [ "$(cat "$D/$file")" = keep ] ||
            fail "$command wrote into $file, which it was not given"
    done
    IFS=, read -ra written <<<"$named"
    for file in "${written[@]}"; do
        [ -s "$D/$file" ] && ! echo keep | cmp -s - "$D/$file" || fail "$command did not write '$file'"
    done
    nothing_left "$command"
done <<EOF
Sheet.tsv|sheet.tsv|analyze "\$rec" --results-sheet "\$D/sheet.tsv"
S.set|s.set|analyze "\$rec" --save-settings "\$D/s.set"
Loops.tsv|loops.tsv|analyze "\$rec" --out "\$D"
X.png|x.png|snapshot "\$rec" --view loop --out "\$D/x.png"
other.tsv|$long|analyze "\$rec" --results-sheet "\$D/$long"
Out/loops.tsv,Out/nul.tsv|out/loops.tsv,out/regressions.tsv,nul.tsv,s.set.|analyze "\$rec" --out "\$D/out" --results-sheet "\$D/nul.tsv" --save-settings "\$D/s.set."
run1/loops.tsv,real/Res/aux.tsv,real/res/,link->real|RUN1/summary.tsv,real/res/aux.tsv |analyze "\$rec" --out "\$D/RUN1" --results-sheet "\$D/link/res/aux.tsv "
EOF

# Outputs refused before anything is written, saying why; what was there stays as it was.
while IFS='|' read -r before says command; do
    D=$work/out
    rm -rf "$D"
    mkdir "$D"
    make_in "$D" "$before"
    held=$(holds "$D")
    status=0
    eval "sistra $command" >"$work/printed" 2>"$work/err" || status=$?
    [ "$status" -ne 0 ] && grep -qF -- "$(eval echo "\"$says\"")" "$work/err" ||
        fail "$command: status $status, not refused saying: $says"
    [ "$(holds "$D")" = "$held" ] || fail "$command changed what $D holds"
done <<'EOF'
loops.tsv,link->.|is the same file as --out's loops.tsv|analyze "$rec" --out "$D" --results-sheet "$D/link/loops.tsv"
Res/s.tsv|the folder $D/res does not exist|analyze "$rec" --results-sheet "$D/res/s.tsv"
a/|a name with a backslash cannot be written|analyze "$rec" --results-sheet "$D/a\b.tsv"
s.set|and the summaries would be mixed on the standard output|analyze "$rec" --save-settings /dev/fd/1
EOF

# A named pipe is written as a stream, once its reader is there.
mkfifo "$work/sheet-pipe"
cat "$work/sheet-pipe" >"$work/piped" &
reader=$!
sistra analyze "$rec" --results-sheet "$work/sheet-pipe" >/dev/null 2>"$work/err" || fail "--results-sheet PIPE failed"
kill "$reader" 2>/dev/null || true
wait "$reader" || true
grep -q $'\tSW (' "$work/piped" || fail "--results-sheet PIPE put no sheet in the pipe"

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

# The bound is read as a decimal number of megabytes (010 is ten, 08 eight); a number past what the shell's
# arithmetic holds in bytes is refused saying so, and nothing is copied.
while IFS='|' read -r bound says; do
    status=0
    SISTRA_LARGEST_STREAM_MB=$bound sistra analyze <(yes 1,2,3,4) >/dev/null 2>"$work/err" || status=$?
    [ "$status" -ne 0 ] && grep -qF "$says" "$work/err" || fail "SISTRA_LARGEST_STREAM_MB=$bound: not refused saying: $says"
    nothing_left "SISTRA_LARGEST_STREAM_MB=$bound"
done <<'EOF'
010|holds more than 10 MB
08|holds more than 8 MB
99999999999999|SISTRA_LARGEST_STREAM_MB is 99999999999999 megabytes, more than this machine counts in bytes
EOF

# A temporary folder with no room left is said to be full (a small file system of its own, mounted where
# the system lets this test mount one).
if unshare -m true 2>/dev/null; then
    mkdir "$work/full"
    status=0
    unshare -m bash -c 'mount -t tmpfs -o size=64k none "$1" && TMPDIR=$1 "$2" calc --expr ch1 --summary <(yes 1,2)' \
        _ "$work/full" "$root/scripts/sistra" >/dev/null 2>"$work/err" || status=$?
    [ "$status" -ne 0 ] && grep -q "into $work/full: the folder is full" "$work/err" ||
        fail "a stream copied into a full TMPDIR was not said to find the folder full (status $status)"
else
    echo "sistra-outputs: no full folder tried: this system lets the test mount none" >&2
fi

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
