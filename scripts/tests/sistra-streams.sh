#!/usr/bin/env bash
# A recording given as a stream (a pipe such as <(cat file), or the standard input) is read as the file
# itself is, also by a command that joins a Wine session already running.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
awk 'BEGIN { print "Time (s),A (V)"; for (i = 0; i < 5000; i++) printf "%.3f,%d\n", i / 1000, i % 7 }' >"$work/recording.csv"

"$root/scripts/sistra" calc --expr ch1 --summary "$work/recording.csv" >"$work/expected"
for round in 1 2; do
    "$root/scripts/sistra" calc --expr ch1 --summary <(cat "$work/recording.csv") >"$work/piped"
    "$root/scripts/sistra" calc --expr ch1 --summary /dev/stdin <"$work/recording.csv" >"$work/stdin"
    for got in piped stdin; do
        if ! cmp -s "$work/expected" "$work/$got"; then
            echo "round $round: the recording given as $got read otherwise than the file:" >&2
            diff "$work/expected" "$work/$got" >&2 || true
            exit 1
        fi
    done
done
