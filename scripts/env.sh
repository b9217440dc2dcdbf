# Shared settings of the scripts: sourced, not run.
SISTRA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SISTRA_BUILD=${SISTRA_BUILD:-$SISTRA_ROOT/build}
export WINEPREFIX=${WINEPREFIX:-$SISTRA_BUILD/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64
# Checkouts under one folder share compiled objects through the compiler cache.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$SISTRA_ROOT")}

say() { printf '%s: %s\n' "$(basename "$0")" "$*" >&2; }
die() { say "error: $*"; exit 1; }
