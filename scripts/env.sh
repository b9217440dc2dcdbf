# Shared settings of the scripts: sourced, not run. Every command starts here, so it starts no program it
# can do without: on a busy machine each one took a noticeable part of a second.
scripts_folder=.
[[ ${BASH_SOURCE[0]} != */* ]] || scripts_folder=${BASH_SOURCE[0]%/*}
SISTRA_ROOT=$(cd "$scripts_folder/.." && pwd)
SISTRA_BUILD=${SISTRA_BUILD:-$SISTRA_ROOT/build}
export WINEPREFIX=${WINEPREFIX:-$SISTRA_BUILD/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# Wine's menu builder is not started: it would turn every shortcut a program saves into a menu entry of
# the machine's desktop, and it reads a shortcut in a process of its own after the program that saved it
# has gone on, so that the folder holding the shortcut could not be removed until it let go.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=}
export WINEARCH=win64
# Checkouts under one folder share compiled objects through the compiler cache.
parent_folder=${SISTRA_ROOT%/*}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-${parent_folder:-/}}

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

# build_is_current: whether the last whole build that succeeded started after every file of the checkout
# last changed, so that there is nothing to build. Its stamp names the checkout it built: a copy of the
# checkout with its build folder builds its own. Asked before every command, so asked with one program.
build_is_current() {
    local stamp=$SISTRA_BUILD/.whole-build-started built=
    [ -f "$stamp" ] || return 1
    read -r built <"$stamp" || return 1
    [ "$built" = "$SISTRA_ROOT" ] || return 1
    [ -z "$(find "$SISTRA_ROOT" \( -path "$SISTRA_BUILD" -o -path "$SISTRA_ROOT/.git" \) -prune \
        -o -newer "$stamp" -print -quit)" ]
}

# use_own_wine_prefix NAME [lasting]: a Wine session of its own. A session belongs to its prefix and its
# desktop to the display it started on, so a program that must not meet another's windows gets its own
# prefix, made from the shared one, and made again whenever the shared one's registry changed, so that it
# starts as the shared one stands. A lasting prefix keeps what its programs wrote, as an installation
# does, and is made again only when the shared one is made or updated again.
use_own_wine_prefix() {
    local shared=$WINEPREFIX own made_from
    own_wine_prefix "$@"
    # A prefix made after the shared one stands is taken as it is, without its lock: it is marked made last.
    if ! own_wine_prefix_current; then
        [ -f "$shared/system.reg" ] || die "no Wine prefix in $shared (run scripts/bootstrap)"
        [ -d "${own%/*}" ] || mkdir -p "${own%/*}"
        # Commands started side by side may share a prefix (the windowless one): one makes it, the others wait.
        (
            flock 9
            if ! own_wine_prefix_current; then
                # A session still running in the old prefix (a lasting one stays) ends first: a command
                # starting in it while its files are replaced could wait on it for ever.
                [ ! -f "$own/system.reg" ] || WINEPREFIX=$own wineserver --kill 2>/dev/null || true
                rm -rf "$own"
                link_wine_prefix "$shared" "$own"
                touch "$own/.made"
            fi
        ) 9>"$own.lock"
    fi
    export WINEPREFIX=$own
}

# own_wine_prefix NAME [lasting]: sets own to the prefix NAME made from the shared one (WINEPREFIX), and
# made_from to the shared file that it must be newer than.
own_wine_prefix() {
    own=${WINEPREFIX%/*}/wineprefixes/$1
    made_from=$WINEPREFIX/system.reg
    [ "${2:-}" != lasting ] || [ ! -f "$WINEPREFIX/.update-timestamp" ] || made_from=$WINEPREFIX/.update-timestamp
}

# own_wine_prefix_current: whether the prefix own_wine_prefix named is made, from the shared one as it stands.
own_wine_prefix_current() {
    [ -f "$own/.made" ] && [ -f "$made_from" ] && ! [ "$made_from" -nt "$own/.made" ]
}

# start_session_server SECONDS: starts the prefix's server to stay SECONDS after its last program; fails
# when a server serves the prefix already. A server that ends at once tells Wine's own processes (services, the desktop) to go the
# moment its last program ends: the program a command starts after Wine's start-up program joined a session
# whose desktop was going, and on a busy machine a window command failed to make its frame ("Invalid window
# handle"); commands started side by side met that end whenever all of them had finished together.
# The server outlives the command: it is handed none of the command's open files.
start_session_server() {
    without_open_files wineserver --persistent="$1" </dev/null >/dev/null 2>&1
}

# without_open_files COMMAND...: runs the command holding none of the script's open files but the standard
# three, for a command that leaves programs running after the script (a Wine server, Wine's own programs).
# Holding the read end of an input stream (`analyze <(yes ...)`), the server kept the writer blocked, and
# whatever waited for that writer's output (a test runner) waited with it.
without_open_files() {
    (
        for open_file in /proc/$BASHPID/fd/*; do
            number=${open_file##*/}
            if [ "$number" -gt 2 ]; then eval "exec $number>&-"; fi
        done
        "$@"
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
    [ -d "${WINEPREFIX%/*}" ] || mkdir -p "${WINEPREFIX%/*}"
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
# programs started side by side never share one); exports DISPLAY and sets VIRTUAL_DISPLAY_PID. The server
# names its display once it takes connections, and the name is read as it comes: a busy machine takes what
# it takes, and a server that ends first ends the reading.
start_virtual_display() {
    local named number=
    named=$(mktemp -u)
    mkfifo -m 600 "$named"
    Xvfb -displayfd 3 -screen 0 "$1x$2x24" -nolisten tcp 3>"$named" 2>"$3" &
    VIRTUAL_DISPLAY_PID=$!
    read -r number <"$named" || true
    rm -f "$named"
    [ -n "$number" ] || { cat "$3" >&2; die "Xvfb did not start"; }
    export DISPLAY=:$number
}

# end_virtual_session: ends this prefix's Wine session and the display start_virtual_display started.
end_virtual_session() {
    wineserver --kill 2>/dev/null || true
    [ -z "${VIRTUAL_DISPLAY_PID:-}" ] || kill "$VIRTUAL_DISPLAY_PID" 2>/dev/null || true
}
