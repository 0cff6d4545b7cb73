#!/bin/sh
# The resident memory of `ambertrace calls` and `check` over a long stream of
# bare records: MB megabytes of the four sample calls over and over, and the
# same behind a call left open from the first record to the end (a CONNECT_IND
# that nobody answers, on a PLCI of its own), which makes every later call and
# finding wait for it. Prints each command's peak resident set as GNU time
# reports it, and its time.
#
#   bench/calls_memory.sh AMBERTRACE [MB]
#
# AMBERTRACE is the program (a release build).
set -eu
ambertrace=$1
megabytes=${2:-100}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$root" "$megabytes" "$work" <<'PYTHON'
import pathlib, sys
sys.path.insert(0, sys.argv[1] + "/scripts")
import hex2trace
samples = pathlib.Path(sys.argv[1]) / "samples"
def records(name):
    data = hex2trace.parse_listing((samples / (name + ".hex")).read_text())
    found, at = [], 0
    while at + 2 <= len(data):
        found.append(data[at:at + 2 + data[at + 1]])
        at += 2 + data[at + 1]
    return found
calls = []
for name in ("outgoing_data_call", "incoming_voice_call", "busy_callee", "fax_breaks_off"):
    calls += records(name)
# The voice call's CONNECT_IND, with a message number and a PLCI of its own.
opened = bytearray(records("incoming_voice_call")[4])
opened[8], opened[11] = 0x77, 0x7f
goal = int(sys.argv[2]) * 1000 * 1000
for name, first in (("calls.bin", b""), ("open_call.bin", bytes(opened))):
    with open(pathlib.Path(sys.argv[3]) / name, "wb") as stream:
        stream.write(first)
        size, index = len(first), 0
        while size + len(calls[index % len(calls)]) <= goal:
            stream.write(calls[index % len(calls)])
            size += len(calls[index % len(calls)])
            index += 1
PYTHON

for stream in calls open_call; do
    for command in calls check; do
        # check exits 3 when it finds an error; the measurement stands all the same.
        /usr/bin/time -v -o "$work/time.txt" "$ambertrace" "$command" "$work/$stream.bin" \
            >/dev/null 2>"$work/err.txt" || [ $? -eq 3 ]
        printf '%-10s %-6s peak resident set (KiB): %s, %s s\n' "$stream" "$command" \
            "$(sed -n 's/^\tMaximum resident set size (kbytes): //p' "$work/time.txt")" \
            "$(sed -n 's/^\tElapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time.txt")"
    done
done
