#!/usr/bin/env bash
# A command whose standard output is closed cannot deliver what it made: it fails and says so, rather
# than ending as a success that wrote nothing.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'Time (s),A (V)\n0,1\n0.5,2\n1,3\n' >"$work/recording.csv"

status=0
"$root/scripts/sistra" calc --expr ch1 --samples "$work/recording.csv" >&- 2>"$work/err" || status=$?
if [ "$status" -eq 0 ] || ! grep -q 'cannot write the output' "$work/err"; then
    echo "expected a failure that names the unwritable output; got status $status and:" >&2
    cat "$work/err" >&2
    exit 1
fi

# With standard error closed too there is no one to tell, and only the status can say it failed; a closed
# standard error alone leaves the results where they go.
for command in "calc --expr ch1 --samples $work/recording.csv" info; do
    status=0
    # shellcheck disable=SC2086 # the command's words
    "$root/scripts/sistra" $command >&- 2>&- || status=$?
    if [ "$status" -eq 0 ]; then
        echo "expected $command with standard output and error closed to fail; it ended with status 0" >&2
        exit 1
    fi
done
"$root/scripts/sistra" info 2>&- >"$work/out"
if ! [ -s "$work/out" ]; then
    echo "expected info with standard error closed to print its registrations" >&2
    exit 1
fi

# A reader that closes the pipe early ends the command quietly, as command-line tools end; a full device
# is still an error that names the output.
awk 'BEGIN { print "Time (s),A (V)"; for (i = 0; i < 200000; i++) printf "%.3f,%d\n", i / 1000, i % 7 }' \
    >"$work/long.csv"
for command in "calc --expr ch1 --samples $work/long.csv" selftest; do
    # shellcheck disable=SC2086 # the command's words
    { "$root/scripts/sistra" $command 2>"$work/err" || true; } | head -n 1 >/dev/null
    if [ -s "$work/err" ]; then
        echo "expected nothing on stderr when the reader of $command closes the pipe early; got:" >&2
        cat "$work/err" >&2
        exit 1
    fi
done
status=0
"$root/scripts/sistra" calc --expr ch1 --samples "$work/long.csv" >/dev/full 2>"$work/err" || status=$?
if [ "$status" -eq 0 ] || ! grep -q 'cannot write the output' "$work/err"; then
    echo "expected a failure that names the unwritable output on a full device; got status $status and:" >&2
    cat "$work/err" >&2
    exit 1
fi
