#!/bin/sh
# The resident memory of `ambertrace record` over a long fed session: MB
# megabytes of the sample calls fed to the POSIX stand-in at about 1 MB a
# second while the capture runs with --clear, then its peak resident set as
# GNU time reports it, and what the capture kept.
#
#   bench/record_memory.sh AMBERTRACE SHIM [MB [COMMAND]]
#
# COMMAND is the capture's words before its options and file, "record" when
# not given; "watch --check --save" or "watch --save" measure watch the same
# way, its standard output thrown away.
#
# AMBERTRACE is the program (a release build), SHIM the stand-in
# (tests/device/stand_in_device_shim.c as a test build makes it).
set -eu
ambertrace=$1
shim=$2
megabytes=${3:-15}
command=${4:-record}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
: >"$work/driver.bin"
export AMBERTAP_STAND_IN_TRACE="$work/driver.bin"

# shellcheck disable=SC2086
LD_PRELOAD=$shim /usr/bin/time -v -o "$work/time.txt" "$ambertrace" $command "$work/c.atr" \
    --interval 20 --clear --clear-at 32768 >/dev/null 2>"$work/record.err" &
recorder=$!
sleep 1
python3 - "$root" "$megabytes" <<'PYTHON'
import os, pathlib, sys, time
sys.path.insert(0, sys.argv[1] + "/scripts")
import hex2trace
records = []
for name in ("outgoing_data_call", "incoming_voice_call", "busy_callee", "fax_breaks_off"):
    path = pathlib.Path(sys.argv[1]) / "samples" / (name + ".hex")
    data = hex2trace.parse_listing(path.read_text())
    at = 0
    while at + 2 <= len(data):
        records.append(data[at:at + 2 + data[at + 1]])
        at += 2 + data[at + 1]
goal = int(sys.argv[2]) * 1000 * 1000
trace = os.open(os.environ["AMBERTAP_STAND_IN_TRACE"], os.O_WRONLY | os.O_APPEND)
fed = 0
started = time.monotonic()
while fed < goal:
    for record in records:
        if os.fstat(trace).st_size + len(record) <= 65536:
            os.write(trace, record)
        fed += len(record)
    while fed > (time.monotonic() - started) * 1000 * 1000:
        time.sleep(0.001)
PYTHON
sleep 1
# GNU time ignores SIGINT while it waits: the signal goes to the capture.
kill -INT "$(cat /proc/$recorder/task/$recorder/children)"
wait $recorder
cat "$work/record.err"
sed -n 's/^\tMaximum resident set size (kbytes): /peak resident set (KiB): /p' "$work/time.txt"
