#!/usr/bin/env bash
# No Wine session the scripts start outlives its command by more than the delay it sets: a windowless command
# given a TMPDIR of its own leaves its session where the next command (and wineserver --kill) reaches it, and a
# test program killed with its whole process tree, as a test runner's time-out kills it, leaves no server and
# none of Wine's own programs once the session's delay has passed. A command starts Wine's own programs in a new
# session only, with the host's usage, whose output goes nowhere; in a running session its program is the only
# Wine program it starts.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../env.sh"
root=$SISTRA_ROOT
shared=$WINEPREFIX
work=$(mktemp -d)
export WINEPREFIX=$work/prefix
windowless=$work/wineprefixes/windowless
killed=$work/wineprefixes/killed-test
cleanup() {
    for prefix in "$WINEPREFIX" "$windowless" "$killed"; do
        [ ! -d "$prefix" ] || WINEPREFIX=$prefix wineserver --kill 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "$*" >&2
    exit 1
}
link_wine_prefix "$shared" "$WINEPREFIX"
unset DISPLAY

# session_processes PREFIX: the server of PREFIX's session (it works in a folder named after the prefix's device
# and inode) and the Wine programs working in the prefix, one "pid command" a line.
session_processes() {
    local server_folder cwd process
    server_folder=$(printf 'server-%x-%x' $(stat -c '%d %i' "$1"))
    for process in /proc/[0-9]*; do
        cwd=$(readlink "$process/cwd" 2>/dev/null) || continue
        if [[ "$cwd" == */"$server_folder" || "$cwd" == */"$server_folder (deleted)" || "$cwd" == "$1"/* ]]; then
            printf '%s %s\n' "${process#/proc/}" "$(tr '\0' ' ' <"$process/cmdline" 2>/dev/null)"
        fi
    done
}

# wait_for_session_end PREFIX LOOKS WHAT: waits until nothing of PREFIX's session runs, looking LOOKS times
# every tenth of a second at most.
wait_for_session_end() {
    local look
    for look in $(seq "$2"); do
        [ -n "$(session_processes "$1")" ] || return 0
        sleep 0.1
    done
    fail "$3: the session of $1 still runs: $(session_processes "$1")"
}

# A windowless command with a TMPDIR of its own, which is gone after it: the session it leaves is the one the
# scripts reach, so that ending it ends everything of it.
mkdir "$work/own-tmp"
TMPDIR=$work/own-tmp "$root/scripts/sistra" info >/dev/null
rm -rf "$work/own-tmp"
[ -n "$(session_processes "$windowless")" ] || fail "no session ran for the windowless command in $windowless"
WINEPREFIX=$windowless wineserver --kill 2>/dev/null || true
WINEPREFIX=$windowless wineserver --wait 2>/dev/null || true
# Killed programs are gone at once; a few seconds allow for their end, far less than the minute the session
# would wait by itself.
wait_for_session_end "$windowless" 50 "ended with wineserver --kill after a command run with a TMPDIR of its own"

# The Wine programs a windowless command starts, in a new session (the one above was ended) and in a running one.
mkdir "$work/bin"
printf '#!/bin/sh\necho "$*" >>"%s/started"\nexec %q "$@"\n' "$work" "$(type -P wine)" >"$work/bin/wine"
chmod +x "$work/bin/wine"
for case in "new 2" "running 1"; do
    read -r session expected <<<"$case"
    : >"$work/started"
    PATH="$work/bin:$PATH" "$root/scripts/sistra" info >/dev/null
    started=$(wc -l <"$work/started")
    [ "$started" -eq "$expected" ] ||
        fail "info in a $session session started $started Wine programs, expected $expected: $(cat "$work/started")"
done
WINEPREFIX=$windowless wineserver --kill 2>/dev/null || true

# A test program in a session of its own, killed with every process of its tree once it runs.
mkfifo "$work/input"
setsid bash "$root/scripts/own-session" killed-test wine cmd.exe /c 'echo started & set /p line=' \
    <"$work/input" >"$work/test.out" 2>&1 &
session=$!
exec 7>"$work/input"
while ! grep -q started "$work/test.out"; do
    kill -0 "$session" 2>/dev/null || fail "the killed test's session ended before its program ran: $(cat "$work/test.out")"
    sleep 0.1
done
kill -KILL -- "-$session"
exec 7>&-
wait "$session" 2>/dev/null || true
# The session's delay, then Wine's shut-down of its own programs; the guard only ends a wait for what never
# comes.
wait_for_session_end "$killed" 3000 "killed with its test program"
