#!/usr/bin/env bash
# Shows ambertap's main job on a Debian machine: builds the 64-bit
# ambertap.exe and the stand-in trace driver, loads the driver in a 64-bit
# Wine prefix with the trace of an outgoing data call
# (samples/outgoing_data_call.hex), and runs ambertap.exe: once to print the
# trace, once with -c to clear it, and once more to show it empty. Then
# ambertrace.exe records the same call as the driver traces it again, message
# by message, and shows the capture with the time each message was seen,
# the call at a glance, and what check finds in it. The 64-bit
# build does the same job as the 32-bit one with no 32-bit Wine, so the demo
# runs on a machine that cannot run 32-bit programs, with no emulator.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh mingw wine64

build=build/mingw-x64
echo "== Building the 64-bit ambertap.exe and the stand-in trace driver"
cmake --preset mingw-x64 >/dev/null
cmake --build "$build" --target ambertap ambertrace stand_in_driver stand_in_control

root=$PWD
session() {
    sh "$root/tests/windows/wine_session.sh" "$root/$build/demo-wineprefix" "$@"
}

output=$(mktemp -d)
recorder=
trap '[ -z "$recorder" ] || kill "$recorder" 2>/dev/null; session stop; rm -rf "$output"' EXIT

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

# Ambertrace's runs work in the output folder, so that the capture is c.atr
# there; what a run wrote to standard output comes first, then its summary
# or messages from standard error.
ambertrace() {
    local status=0
    echo
    echo "\$ ambertrace.exe $*"
    (cd "$output" && session exec "$root/$build/src/ambertrace/ambertrace.exe" "$@" </dev/null \
        >stdout 2>stderr) || status=$?
    sed 's/\r$//' "$output/stdout" "$output/stderr"
    echo "(exit code $status)"
}

# The driver traces the call again, 20 messages a second, while
# ambertrace.exe records it; the capture stops once it holds every message
# of the call (or after 60 s, should the feed fail).
records=$(grep -c . tests/windows/expected/outgoing_data_call.stdout)
echo
echo "== Recording the call with ambertrace.exe while the driver traces it again"
echo
echo "\$ ambertrace.exe record --records $records c.atr"
(cd "$output" && session exec "$root/$build/src/ambertrace/ambertrace.exe" record \
    --interval 100 --records "$records" --duration 60 c.atr </dev/null 2>record.err) &
recorder=$!
waited=0
until [ -s "$output/c.atr" ] || [ $waited -ge 300 ]; do
    sleep 0.1
    waited=$((waited + 1))
done
session exec "$build/tests/windows/stand_in_control.exe" feed 20 samples/outgoing_data_call.hex
status=0
wait "$recorder" || status=$?
recorder=
sed 's/\r$//' "$output/record.err"
echo "(exit code $status)"

ambertrace show --time c.atr
ambertrace calls c.atr
ambertrace check c.atr
