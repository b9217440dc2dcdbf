#!/usr/bin/env bash
# A checkout copied with its build folder (cp -a) builds into its own build folder: the CMake cache of the
# copy named the original's folders, and two copies side by side built into, and broke, one build. A
# checkout of a one-target project keeps this cheap: the scripts and the toolchain file are the real ones.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset SISTRA_BUILD
mkdir -p "$work/original/scripts" "$work/original/cmake"
cp "$root/scripts/env.sh" "$root/scripts/build" "$work/original/scripts/"
cp "$root/cmake/mingw-w64.cmake" "$work/original/cmake/"
cat >"$work/original/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.16)
project(copied NONE)
add_custom_target(where ALL COMMAND ${CMAKE_COMMAND} -E echo ${PROJECT_SOURCE_DIR} > built-from.txt)
CMAKE

listing() { find "$1" -printf '%P %s %T@\n' | sort; }
"$work/original/scripts/build" 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
mkdir "$work/elsewhere"
cp -a "$work/original" "$work/elsewhere/copy"
listing "$work/original/build" >"$work/before"

"$work/elsewhere/copy/scripts/build" 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
listing "$work/original/build" >"$work/after"
if ! cmp -s "$work/before" "$work/after"; then
    echo "building the copy changed the original's build folder:" >&2
    diff "$work/before" "$work/after" >&2 || true
    exit 1
fi
built_from=$(cat "$work/elsewhere/copy/build/built-from.txt")
if [ "$built_from" != "$work/elsewhere/copy" ]; then
    echo "the copy's build folder holds a build of $built_from, expected $work/elsewhere/copy" >&2
    exit 1
fi
