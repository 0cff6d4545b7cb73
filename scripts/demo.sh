#!/usr/bin/env bash
# Shows ambertap's main job on a Debian machine: builds the 64-bit
# ambertap.exe and the stand-in trace driver, loads the driver in a 64-bit
# Wine prefix with the trace of an outgoing data call
# (samples/outgoing_data_call.hex), and runs ambertap.exe: once to print the
# trace, once with -c to clear it, and once more to show it empty. The 64-bit
# build does the same job as the 32-bit one with no 32-bit Wine, so the demo
# runs on a machine that cannot run 32-bit programs, with no emulator.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh mingw wine64

build=build/mingw-x64
echo "== Building the 64-bit ambertap.exe and the stand-in trace driver"
cmake --preset mingw-x64 >/dev/null
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

echo "== Starting Wine in a fresh 64-bit prefix and loading the driver with samples/outgoing_data_call.hex"
session start win64
session load-driver "$build/tests/windows/driver/ov7100d.sys"
session exec "$build/tests/windows/stand_in_control.exe" load samples/outgoing_data_call.hex

ambertap
ambertap -c
ambertap
