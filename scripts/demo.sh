#!/usr/bin/env bash
# Shows ambertap's main job on a Debian machine: builds the 32-bit
# ambertap.exe (the one that runs on every Windows) and the stand-in trace
# driver, loads the driver in a 32-bit Wine prefix with the trace of an
# outgoing data call (samples/outgoing_data_call.hex), and runs ambertap.exe:
# once to print the trace, once with -c to clear it, and once more to show it
# empty.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh windows

build=build/mingw-x86
echo "== Building the 32-bit ambertap.exe and the stand-in trace driver"
cmake --preset mingw-x86 >/dev/null
cmake --build "$build" --target ambertap stand_in_driver stand_in_control

session() {
    sh tests/windows/wine_session.sh "$PWD/$build/demo-wineprefix" "$@"
}

output=$(mktemp -d)
trap 'session stop; rm -rf "$output"' EXIT

# Shows what one run wrote: standard error (banner, messages) first, as the
# program writes it before any trace line, then standard output, each line
# without the CR of Windows text mode.
ambertap() {
    local status=0
    echo
    echo "\$ ambertap.exe $*"
    session exec "$build/src/cli/ambertap.exe" "$@" </dev/null \
        >"$output/stdout" 2>"$output/stderr" || status=$?
    sed 's/\r$//' "$output/stderr" "$output/stdout"
    echo "(exit code $status)"
}

echo "== Starting Wine in a fresh 32-bit prefix and loading the driver with samples/outgoing_data_call.hex"
session start win32
session load-driver "$build/tests/windows/driver/ov7100d.sys"
session exec "$build/tests/windows/stand_in_control.exe" load samples/outgoing_data_call.hex

ambertap
ambertap -c
ambertap
