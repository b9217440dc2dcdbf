# Shared settings of the scripts: sourced, not run.
SISTRA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SISTRA_BUILD=${SISTRA_BUILD:-$SISTRA_ROOT/build}
export WINEPREFIX=${WINEPREFIX:-$SISTRA_BUILD/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# Wine's menu builder is not started: it would turn every shortcut a program saves into a menu entry of
# the machine's desktop, and it reads a shortcut in a process of its own after the program that saved it
# has gone on, so that the folder holding the shortcut could not be removed until it let go.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=}
export WINEARCH=win64
# Checkouts under one folder share compiled objects through the compiler cache.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$SISTRA_ROOT")}

# Wine finds the server of a prefix through a folder under TMPDIR. Every Wine command of ours takes the
# same one, whatever TMPDIR a command was given: a command run with a TMPDIR of its own started a second
# server on a prefix another server held, which nothing could reach or end once that folder was deleted.
SISTRA_WINE_TMPDIR=/tmp
wine() { TMPDIR=$SISTRA_WINE_TMPDIR command wine "$@"; }
wineserver() { TMPDIR=$SISTRA_WINE_TMPDIR command wineserver "$@"; }
wineboot() { TMPDIR=$SISTRA_WINE_TMPDIR command wineboot "$@"; }

# How long a session's server waits for the next program once none runs, and then ends with Wine's own
# programs: the scripts' sessions end that long after their command, however the command ended.
WINE_SESSION_LINGER_SECONDS=5

say() { printf '%s: %s\n' "$(basename "$0")" "$*" >&2; }
die() { say "error: $*"; exit 1; }

# use_own_wine_prefix NAME [lasting]: a Wine session of its own. A session belongs to its prefix and its
# desktop to the display it started on, so a program that must not meet another's windows gets its own
# prefix, made from the shared one, and made again whenever the shared one's registry changed, so that it
# starts as the shared one stands. A lasting prefix keeps what its programs wrote, as an installation
# does, and is made again only when the shared one is made or updated again.
use_own_wine_prefix() {
    local shared=$WINEPREFIX own made_from
    [ -f "$shared/system.reg" ] || die "no Wine prefix in $shared (run scripts/bootstrap)"
    own=$(dirname "$shared")/wineprefixes/$1
    made_from=$shared/system.reg
    [ "${2:-}" != lasting ] || [ ! -f "$shared/.update-timestamp" ] || made_from=$shared/.update-timestamp
    mkdir -p "$(dirname "$own")"
    # Commands started side by side may share a prefix (the windowless one): one makes it, the others wait.
    (
        flock 9
        if [ ! -f "$own/.made" ] || [ "$made_from" -nt "$own/.made" ]; then
            # A session still running in the old prefix (a lasting one stays) ends first: a command
            # starting in it while its files are replaced could wait on it for ever.
            [ ! -f "$own/system.reg" ] || WINEPREFIX=$own wineserver --kill 2>/dev/null || true
            rm -rf "$own"
            link_wine_prefix "$shared" "$own"
            touch "$own/.made"
        fi
    ) 9>"$own.lock"
    export WINEPREFIX=$own
}

# start_session_server SECONDS: starts the prefix's server to stay SECONDS after its last program; fails
# when a server serves the prefix already. A server that ends at once tells Wine's own processes (services, the desktop) to go the
# moment its last program ends: the program a command starts after Wine's start-up program joined a session
# whose desktop was going, and on a busy machine a window command failed to make its frame ("Invalid window
# handle"); commands started side by side met that end whenever all of them had finished together.
# The server outlives the command: it is handed none of the command's open files. Holding the read end
# of an input stream (`analyze <(yes ...)`), it kept the writer blocked, and whatever waited for that
# writer's output (a test runner) waited with it.
start_session_server() {
    (
        for open_file in /proc/$BASHPID/fd/*; do
            number=${open_file##*/}
            if [ "$number" -gt 2 ]; then eval "exec $number>&-"; fi
        done
        export TMPDIR=$SISTRA_WINE_TMPDIR
        exec wineserver --persistent="$1" </dev/null >/dev/null 2>&1
    )
}

# wine_prefix_made: whether the shared Wine prefix is there, asked under the lock its making holds
# (with_wine_prefix_lock), so that a command started beside the one that makes it waits for it rather than
# taking it half made or making it again.
wine_prefix_made() {
    with_wine_prefix_lock test -f "$WINEPREFIX/system.reg"
}

# with_wine_prefix_lock COMMAND...: runs the command while no other holds the prefix's lock.
with_wine_prefix_lock() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        "$@"
    ) 9>"$WINEPREFIX.lock"
}

# start_wine: starts Wine in the prefix (dies when it cannot) and has a program that crashes end at once
# with its backtrace on the error output. Wine's crash dialog would wait for a person: a test run hung
# until its time-out and told nothing of the crash.
start_wine() {
    set_wine_registry 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
}

# set_wine_registry KEY ARGS...: sets a value in the prefix's registry, dying with Wine's own words when
# it cannot. Tried again after a failure: on a busy machine a first start has been seen to fail once.
set_wine_registry() {
    local log attempt
    log=$(mktemp)
    for attempt in 1 2 3; do
        if wine reg add "$@" /f </dev/null >"$log" 2>&1; then
            rm -f "$log"
            return 0
        fi
        sleep "$attempt"
    done
    cat "$log" >&2
    rm -f "$log"
    die "Wine does not start in $WINEPREFIX"
}

# link_wine_prefix SHARED OWN: OWN becomes a prefix of its own over SHARED's files, linked, with the
# registry copied, which a session writes.
link_wine_prefix() {
    mkdir -p "$(dirname "$2")"
    cp -al "$1" "$2"
    for registry in "$2"/*.reg; do
        cp --remove-destination "$1/$(basename "$registry")" "$registry"
    done
}

# display_session_name DISPLAY: the name of the Wine session (its prefix) that belongs to an X display, the
# same for each of its screens.
display_session_name() {
    local server=$1
    [[ "$1" =~ ^(.*:[0-9]+)\.[0-9]+$ ]] && server=${BASH_REMATCH[1]}
    server=${server#:}
    printf 'display%s\n' "${server//[^A-Za-z0-9_-]/_}"
}

# start_virtual_display WIDTH HEIGHT LOGFILE: an X server on a free display it picks itself (so that
# programs started side by side never share one); exports DISPLAY and sets VIRTUAL_DISPLAY_PID.
start_virtual_display() {
    local numberfile
    numberfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "$1x$2x24" -nolisten tcp 3>"$numberfile" 2>"$3" &
    VIRTUAL_DISPLAY_PID=$!
    for _ in $(seq 200); do
        [ -s "$numberfile" ] && break
        kill -0 "$VIRTUAL_DISPLAY_PID" 2>/dev/null || { cat "$3" >&2; rm -f "$numberfile"; die "Xvfb did not start"; }
        sleep 0.05
    done
    [ -s "$numberfile" ] || { rm -f "$numberfile"; die "Xvfb did not report its display"; }
    export DISPLAY=:$(head -n 1 "$numberfile")
    rm -f "$numberfile"
}

# end_virtual_session: ends this prefix's Wine session and the display start_virtual_display started.
end_virtual_session() {
    wineserver --kill 2>/dev/null || true
    [ -z "${VIRTUAL_DISPLAY_PID:-}" ] || kill "$VIRTUAL_DISPLAY_PID" 2>/dev/null || true
}
