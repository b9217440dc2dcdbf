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
